// The seam's host operations on a real machine: the host's own, unchanged.
// (The simulated machine has its own, which also trace each call.)
#include "platform/host.h"
#include "platform/platform.h"

void PlatWriteConsoleWide(const wchar_t* text)
{
    HostWriteConsoleWide(text);
}

// The seam's resource handles are the host's, passed through unchanged.
PlatResource PlatFindResource(uint16_t id)
{
    return static_cast<PlatResource>(HostFindResource(id));
}
PlatResourceData PlatLoadResource(PlatResource resource)
{
    return static_cast<PlatResourceData>(HostLoadResource(resource));
}
const uint8_t* PlatLockResource(PlatResourceData data)
{
    return HostLockResource(data);
}
uint32_t PlatSizeofResource(PlatResource resource)
{
    return HostSizeofResource(resource);
}

bool PlatCreatePrivateFolder(wchar_t* folder, uint32_t capacity)
{
    return HostCreatePrivateFolder(folder, capacity);
}
bool PlatRemoveFolder(const wchar_t* folder) { return HostRemoveFolder(folder); }
PlatFile PlatCreateNewFile(const wchar_t* path, bool executable)
{
    return HostCreateNewFile(path, executable);
}
uint32_t PlatWriteFile(PlatFile file, const uint8_t* bytes, uint32_t count)
{
    return HostWriteFile(file, bytes, count);
}
bool PlatCloseFile(PlatFile file) { return HostCloseFile(file); }
bool PlatDeleteFile(const wchar_t* path) { return HostDeleteFile(path); }
PlatProcess PlatStartProcess(const wchar_t* cmdLine) { return HostStartProcess(cmdLine); }
void PlatWaitProcess(PlatProcess process) { HostWaitProcess(process); }
bool PlatGetExitCode(PlatProcess process, uint32_t* exitCode)
{
    return HostGetExitCode(process, exitCode);
}
void PlatCloseProcess(PlatProcess process) { HostCloseProcess(process); }
void PlatSleep(uint32_t ms) { HostSleep(ms); }
uint64_t PlatMonotonicMs(void) { return HostMonotonicMs(); }
void PlatWaitKey(void) { HostWaitKey(); }

