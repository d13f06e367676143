#include "platform/host.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

// Writes are gathered here: the launcher writes in pieces of 4096 bytes.
struct PlatFileObject {
    int fd;
    uint32_t used;
    bool failed;
    uint8_t buffer[65536];
};

static bool WriteAll(int fd, const uint8_t* bytes, size_t count)
{
    size_t done = 0;
    while (done < count) {
        ssize_t n = write(fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += (size_t)n;
    }
    return true;
}

struct PlatProcessObject {
    pid_t pid;
    int status;
    bool ended;
};

static bool WidenPath(const char* path, wchar_t* out, uint32_t capacity)
{
    size_t length = strlen(path);
    if (length + 1 > capacity)
        return false;
    for (size_t i = 0; i < length; i++)
        out[i] = (wchar_t)(unsigned char)path[i];
    out[length] = 0;
    return true;
}

bool HostCreatePrivateFolder(wchar_t* folder, uint32_t capacity)
{
    const char* base = getenv("TMPDIR");
    if (base == nullptr || base[0] == 0)
        base = "/tmp";
    std::string pattern = std::string(base) + "/korvel-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (mkdtemp(buffer.data()) == nullptr)   // mode 0700
        return false;
    std::string made = std::string(buffer.data()) + "/";
    if (!WidenPath(made.c_str(), folder, capacity)) {
        rmdir(buffer.data());
        return false;
    }
    return true;
}

bool HostRemoveFolder(const wchar_t* folder)
{
    return rmdir(NarrowPath(folder).c_str()) == 0;
}

PlatFile HostCreateNewFile(const wchar_t* path, bool executable)
{
    int fd = open(NarrowPath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  executable ? 0700 : 0600);
    if (fd < 0)
        return nullptr;
    PlatFileObject* file = new PlatFileObject;
    file->fd = fd;
    file->used = 0;
    file->failed = false;
    return file;
}

uint32_t HostWriteFile(PlatFile file, const uint8_t* bytes, uint32_t count)
{
    uint32_t done = 0;
    while (done < count && !file->failed) {
        uint32_t room = (uint32_t)sizeof(file->buffer) - file->used;
        uint32_t piece = count - done < room ? count - done : room;
        memcpy(file->buffer + file->used, bytes + done, piece);
        file->used += piece;
        done += piece;
        if (file->used == sizeof(file->buffer)) {
            file->failed = !WriteAll(file->fd, file->buffer, file->used);
            file->used = 0;
        }
    }
    return file->failed ? 0 : done;
}

bool HostCloseFile(PlatFile file)
{
    bool ok = !file->failed && WriteAll(file->fd, file->buffer, file->used);
    ok = close(file->fd) == 0 && ok;
    delete file;
    return ok;
}

bool HostDeleteFile(const wchar_t* path)
{
    return unlink(NarrowPath(path).c_str()) == 0;
}

PlatProcess HostStartProcess(const wchar_t* cmdLine)
{
    std::wstring wideProgram, wideArgument;
    if (!SplitQuotedCommandLine(cmdLine, &wideProgram, &wideArgument))
        return nullptr;
    std::string program = NarrowPath(wideProgram.c_str());
    std::string argument = NarrowPath(wideArgument.c_str());
    // Our standard output may hold text the child must not overtake.
    fflush(stdout);
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return nullptr;
    return new PlatProcessObject{pid, 0, false};
}

void HostWaitProcess(PlatProcess process)
{
    while (!process->ended) {
        pid_t r = waitpid(process->pid, &process->status, 0);
        if (r == process->pid)
            process->ended = true;
        else if (r < 0 && errno != EINTR)
            return;
    }
}

bool HostGetExitCode(PlatProcess process, uint32_t* exitCode)
{
    if (!process->ended || !WIFEXITED(process->status))
        return false;   // a verifier killed by a signal reported nothing
    *exitCode = (uint32_t)WEXITSTATUS(process->status);
    return true;
}

void HostCloseProcess(PlatProcess process)
{
    delete process;
}

void HostSleep(uint32_t ms)
{
    struct timespec request = {(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
    while (nanosleep(&request, &request) != 0 && errno == EINTR) {
    }
}

uint64_t HostMonotonicMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
}

void HostWaitKey(void)
{
    // Unattended runs (no terminal) must not block.
    if (!isatty(STDIN_FILENO))
        return;
    struct termios saved;
    if (tcgetattr(STDIN_FILENO, &saved) != 0)
        return;
    struct termios raw = saved;
    raw.c_lflag &= (tcflag_t) ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    unsigned char key;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

void HostWriteConsoleWide(const wchar_t* text)
{
    // Narrow and wide output on one stream is undefined in POSIX C: the
    // texts are ASCII, so they go out as the same bytes on the narrow stream.
    std::string narrow;
    for (; *text != 0; text++)
        narrow.push_back(*text < 0x80 ? (char)*text : '?');
    fputs(narrow.c_str(), stdout);
    fflush(stdout);
}

bool HostResourceUsage(HostUsage* usage)
{
    struct rusage self, children;
    if (getrusage(RUSAGE_SELF, &self) != 0 || getrusage(RUSAGE_CHILDREN, &children) != 0)
        return false;
    auto us = [](const struct rusage& r) {
        return (long long)(r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000000 + r.ru_utime.tv_usec +
               r.ru_stime.tv_usec;
    };
    usage->selfCpuUs = us(self);
    usage->childrenCpuUs = us(children);
    usage->selfMaxRssKb = self.ru_maxrss;
    usage->childrenMaxRssKb = children.ru_maxrss;
    return true;
}
