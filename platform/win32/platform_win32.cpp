// The seam over Windows: kernel32 and the storage stack's pass-through.
#include <windows.h>

#include <cwchar>

#include "platform/host.h"
#include "platform/platform.h"

namespace {
constexpr DWORD kIoctlScsiPassThroughDirect = 0x4D014;
constexpr DWORD kIoctlStorageMcnControl = 0x2D0944;
uint32_t lastError = 0;
}  // namespace

PlatDriveType PlatGetDriveType(char letter)
{
    wchar_t root[10];
    swprintf(root, 10, L"%c:\\", (wchar_t)letter);
    return (PlatDriveType)GetDriveTypeW(root);
}

PlatHandle PlatOpenDevice(char letter, PlatDeviceAccess access)
{
    wchar_t path[10];
    swprintf(path, 10, L"\\\\.\\%c:", (wchar_t)letter);
    bool transport = access == PLAT_ACCESS_READ_WRITE;
    HANDLE h = CreateFileW(path, transport ? (GENERIC_READ | GENERIC_WRITE) : FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           transport ? FILE_ATTRIBUTE_NORMAL : 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastError = GetLastError();
        return nullptr;
    }
    return reinterpret_cast<PlatHandle>(h);
}

bool PlatSendPassThrough(PlatHandle handle, PassThroughBlock* block, uint32_t inSize,
                         uint32_t outSize)
{
    DWORD returned = 0;
    if (DeviceIoControl(reinterpret_cast<HANDLE>(handle), kIoctlScsiPassThroughDirect, block,
                        inSize, block, outSize, &returned, nullptr))
        return true;
    lastError = GetLastError();
    return false;
}

bool PlatSendMediaChangeControl(PlatHandle handle, uint8_t prevent)
{
    BYTE PreventMediaRemoval = prevent;   // PREVENT_MEDIA_REMOVAL
    DWORD returned = 0;
    if (DeviceIoControl(reinterpret_cast<HANDLE>(handle), kIoctlStorageMcnControl,
                        &PreventMediaRemoval, 1, nullptr, 0, &returned, nullptr))
        return true;
    lastError = GetLastError();
    return false;
}

void PlatCloseHandle(PlatHandle handle)
{
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

uint32_t PlatLastError(void)
{
    return lastError;
}

void PlatDebugOutput(const wchar_t* text)
{
    OutputDebugStringW(text);
}

const char* PlatDriveAccessRefusal(void)
{
    // Windows answers for itself: without administrator rights the device open
    // fails and the transport reports it.
    return nullptr;
}

void PlatHoldSystemAwake(void)
{
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

void PlatReleaseSystemAwake(void)
{
    SetThreadExecutionState(ES_CONTINUOUS);
}
