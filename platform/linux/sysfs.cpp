#include "platform/linux/sysfs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

int SrIndexOfLetter(char letter)
{
    return letter >= 'A' && letter <= 'Z' ? letter - 'A' : -1;
}

static std::string DevicePath(const std::string& sysfsRoot, int index)
{
    return sysfsRoot + "/class/block/sr" + std::to_string(index);
}

bool SrDeviceExists(const std::string& sysfsRoot, int index)
{
    return access(DevicePath(sysfsRoot, index).c_str(), F_OK) == 0;
}

bool SrDeviceIsCdrom(const std::string& sysfsRoot, int index)
{
    std::string type;
    if (!ReadSysfsValue(DevicePath(sysfsRoot, index) + "/device/type", &type))
        return false;
    return type == "5";
}

std::string EventsPollPath(const std::string& sysfsRoot, int index)
{
    return DevicePath(sysfsRoot, index) + "/events_poll_msecs";
}

bool ReadSysfsValue(const std::string& path, std::string* value)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string text;
    std::getline(in, text);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    *value = text;
    return true;
}

bool WriteSysfsValue(const std::string& path, const std::string& value)
{
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string line = value + "\n";
    bool ok = write(fd, line.data(), line.size()) == (ssize_t)line.size();
    ok = close(fd) == 0 && ok;
    return ok;
}

bool StatusHasRawIo(const std::string& statusText)
{
    std::istringstream in(statusText);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("CapEff:", 0) != 0)
            continue;
        unsigned long long caps = strtoull(line.c_str() + 7, nullptr, 16);
        return (caps >> 17) & 1;   // CAP_SYS_RAWIO
    }
    return false;
}

bool SetEventsPolling(const std::string& path, unsigned char prevent, PollState* state)
{
    if (prevent != 0) {
        std::string current;
        if (!ReadSysfsValue(path, &current))
            return false;
        if (!state->saved) {
            state->value = current;
            state->saved = true;
        }
        return WriteSysfsValue(path, "0");
    }
    if (!state->saved)
        return true;   // nothing was switched off through this handle
    return WriteSysfsValue(path, state->value);
}
