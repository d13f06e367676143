// Host operations over kernel32 and the C run-time.
#include <windows.h>

#include <conio.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/host.h"

struct PlatFileObject {
    HANDLE handle;
};

struct PlatProcessObject {
    HANDLE process;
    HANDLE thread;
    HANDLE verifierLock;   // the verifier file, write sharing denied while it runs
};

bool HostCreatePrivateFolder(wchar_t* folder, uint32_t capacity)
{
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH)
        return false;
    // A new folder under the user's own temporary folder inherits its access rights.
    for (unsigned attempt = 0; attempt < 100; attempt++) {
        wchar_t candidate[MAX_PATH + 32];
        swprintf(candidate, MAX_PATH + 32, L"%lskorvel-%lu-%lu\\", temp,
                 (unsigned long)GetCurrentProcessId(), (unsigned long)(GetTickCount() + attempt));
        if (wcslen(candidate) + 1 > capacity)
            return false;
        if (CreateDirectoryW(candidate, nullptr)) {
            wcscpy(folder, candidate);
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool HostRemoveFolder(const wchar_t* folder)
{
    return RemoveDirectoryW(folder) != 0;
}

PlatFile HostCreateNewFile(const wchar_t* path, bool executable)
{
    (void)executable;
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return new PlatFileObject{h};
}

uint32_t HostWriteFile(PlatFile file, const uint8_t* bytes, uint32_t count)
{
    DWORD written = 0;
    if (!WriteFile(file->handle, bytes, count, &written, nullptr))
        return 0;
    return written;
}

bool HostCloseFile(PlatFile file)
{
    bool ok = CloseHandle(file->handle) != 0;
    delete file;
    return ok;
}

bool HostDeleteFile(const wchar_t* path)
{
    return DeleteFileW(path) != 0;
}

PlatProcess HostStartProcess(const wchar_t* cmdLine)
{
    std::wstring program, argument;
    if (!SplitQuotedCommandLine(cmdLine, &program, &argument))
        return nullptr;
    // Nobody may change the verifier between our check of it and its start.
    HANDLE lock = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock == INVALID_HANDLE_VALUE)
        return nullptr;

    wchar_t szCmdLine[MAX_PATH];
    if (wcslen(cmdLine) + 1 > MAX_PATH) {
        CloseHandle(lock);
        return nullptr;
    }
    wcscpy(szCmdLine, cmdLine);
    STARTUPINFOW si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi;
    memset(&pi, 0, sizeof(pi));
    fflush(stdout);
    if (!CreateProcessW(nullptr, szCmdLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        CloseHandle(lock);
        return nullptr;
    }
    return new PlatProcessObject{pi.hProcess, pi.hThread, lock};
}

void HostWaitProcess(PlatProcess process)
{
    WaitForSingleObject(process->process, INFINITE);
}

bool HostGetExitCode(PlatProcess process, uint32_t* exitCode)
{
    DWORD code = 0;
    if (!GetExitCodeProcess(process->process, &code) || code == STILL_ACTIVE)
        return false;
    *exitCode = code;
    return true;
}

void HostCloseProcess(PlatProcess process)
{
    CloseHandle(process->process);
    CloseHandle(process->thread);
    CloseHandle(process->verifierLock);
    delete process;
}

void HostSleep(uint32_t ms)
{
    Sleep(ms);
}

uint64_t HostMonotonicMs(void)
{
    return GetTickCount64();
}

void HostWaitKey(void)
{
    // Unattended runs (no console input) must not block.
    DWORD mode;
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode))
        return;
    _getch();
}

void HostWriteConsoleWide(const wchar_t* text)
{
    // %ls is a wide string for both msvcrt's and mingw's own wprintf.
    wprintf(L"%ls", text);
    fflush(stdout);
}

const void* HostFindResource(uint16_t id)
{
    return FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));   // RT_RCDATA
}

const void* HostLoadResource(const void* found)
{
    return found != nullptr ? LoadResource(nullptr, (HRSRC)found) : nullptr;
}

const uint8_t* HostLockResource(const void* loaded)
{
    return loaded != nullptr ? static_cast<const uint8_t*>(LockResource((HGLOBAL)loaded)) : nullptr;
}

uint32_t HostSizeofResource(const void* found)
{
    return found != nullptr ? SizeofResource(nullptr, (HRSRC)found) : 0;
}

bool HostResourceUsage(HostUsage* usage)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return false;
    auto us = [](const FILETIME& t) {
        return (long long)((((uint64_t)t.dwHighDateTime << 32) | t.dwLowDateTime) / 10);
    };
    usage->selfCpuUs = us(kernel) + us(user);
    usage->childrenCpuUs = 0;
    usage->selfMaxRssKb = 0;
    usage->childrenMaxRssKb = 0;
    return true;
}
