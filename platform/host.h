// Host operations: temporary folder, files, the verifier process, time, keys
// and the program's own resources. One implementation per operating system
// (platform/posix, platform/win32); the real platforms and the simulated
// machine both stand on them. On POSIX, paths are wide strings whose
// characters are the path's bytes, so any byte path survives the round trip.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

bool HostCreatePrivateFolder(wchar_t* folder, uint32_t capacity);
bool HostRemoveFolder(const wchar_t* folder);
PlatFile HostCreateNewFile(const wchar_t* path, bool executable);
uint32_t HostWriteFile(PlatFile file, const uint8_t* bytes, uint32_t count);
bool HostCloseFile(PlatFile file);
bool HostDeleteFile(const wchar_t* path);
PlatProcess HostStartProcess(const wchar_t* cmdLine);
void HostWaitProcess(PlatProcess process);
bool HostGetExitCode(PlatProcess process, uint32_t* exitCode);
void HostCloseProcess(PlatProcess process);
void HostSleep(uint32_t ms);
uint64_t HostMonotonicMs(void);
void HostWaitKey(void);
void HostWriteConsoleWide(const wchar_t* text);

// The program's own RT_RCDATA resources, as the host keeps them; nullptr
// where the platform call fails.
const void* HostFindResource(uint16_t id);
const void* HostLoadResource(const void* found);
const uint8_t* HostLockResource(const void* loaded);
uint32_t HostSizeofResource(const void* found);

// CPU time and peak memory of this process and of its ended children (the
// benchmarks read them); what a host cannot tell is 0.
struct HostUsage {
    long long selfCpuUs;
    long long childrenCpuUs;
    long selfMaxRssKb;
    long childrenMaxRssKb;
};
bool HostResourceUsage(HostUsage* usage);

// Wide path -> narrow (POSIX: one byte per character; Windows: ASCII only).
std::string NarrowPath(const wchar_t* path);

// Splits a command line of two double-quoted arguments (blanks between them).
// Returns false for anything else.
bool SplitQuotedCommandLine(const wchar_t* cmdLine, std::wstring* program, std::wstring* argument);
