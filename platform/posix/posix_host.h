// Host operations shared by the POSIX platforms (Linux and the simulated
// machine): temporary folder, files, the verifier process, time, keys.
// Paths are wide strings whose characters are the path's bytes, so any byte
// path survives the round trip.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

bool PosixCreatePrivateFolder(wchar_t* folder, uint32_t capacity);
bool PosixRemoveFolder(const wchar_t* folder);
PlatFile PosixCreateNewFile(const wchar_t* path, bool executable);
uint32_t PosixWriteFile(PlatFile file, const uint8_t* bytes, uint32_t count);
bool PosixCloseFile(PlatFile file);
bool PosixDeleteFile(const wchar_t* path);
PlatProcess PosixStartProcess(const wchar_t* cmdLine);
void PosixWaitProcess(PlatProcess process);
bool PosixGetExitCode(PlatProcess process, uint32_t* exitCode);
void PosixCloseProcess(PlatProcess process);
void PosixSleep(uint32_t ms);
uint64_t PosixMonotonicMs(void);
void PosixWaitKey(void);
void PosixWriteConsoleWide(const wchar_t* text);

// Byte path <-> wide path, one character per byte.
std::string NarrowPath(const wchar_t* path);
bool WidenPath(const char* path, wchar_t* out, uint32_t capacity);

// Splits a command line of double-quoted arguments (blanks between them).
// Returns false for an unbalanced quote.
bool SplitQuotedCommandLine(const wchar_t* cmdLine, std::string* program, std::string* argument);
