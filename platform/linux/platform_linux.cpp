// The seam over Linux: SG_IO on /dev/srN for the drive, sysfs for the kind
// of each device and its media event polling, syslog for the debugger channel.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <syslog.h>
#include <unistd.h>

#include "platform/linux/sg_transport.h"
#include "platform/linux/sleep_inhibitor.h"
#include "platform/linux/sysfs.h"
#include "platform/platform.h"
#include "platform/host.h"

struct PlatDevice {
    int fd;
    int index;
    PollState poll;
};

static const char* const kSysfsRoot = "/sys";
static uint32_t lastError = 0;

PlatDriveType PlatGetDriveType(char letter)
{
    int index = SrIndexOfLetter(letter);
    if (index < 0 || !SrDeviceExists(kSysfsRoot, index))
        return PLAT_DRIVE_NO_ROOT_DIR;
    return SrDeviceIsCdrom(kSysfsRoot, index) ? PLAT_DRIVE_CDROM : PLAT_DRIVE_UNKNOWN;
}

PlatHandle PlatOpenDevice(char letter, PlatDeviceAccess access)
{
    int index = SrIndexOfLetter(letter);
    if (index < 0) {
        lastError = ENODEV;
        return nullptr;
    }
    std::string path = "/dev/sr" + std::to_string(index);
    // No medium is needed; notification control only reads.
    int flags = (access == PLAT_ACCESS_READ_WRITE ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    int fd = open(path.c_str(), flags);
    if (fd < 0) {
        lastError = (uint32_t)errno;
        return nullptr;
    }
    return new PlatDevice{fd, index, PollState()};
}

bool PlatSendPassThrough(PlatHandle handle, PassThroughBlock* block, uint32_t inSize,
                         uint32_t outSize)
{
    if (handle == nullptr || inSize != kPassThroughBlockSize || outSize != kPassThroughBlockSize ||
        block->sptd.SenseInfoOffset > kPassThroughBlockSize) {
        lastError = EINVAL;
        return false;
    }
    sg_io_hdr_t hdr;
    BuildSgIoHeader(block, &hdr);
    int result = ioctl(handle->fd, SG_IO, &hdr);
    int savedErrno = errno;
    uint32_t errorCode = 0;
    if (ReadSgIoOutcome(&hdr, result, savedErrno, block, &errorCode))
        return true;
    lastError = errorCode;
    return false;
}

bool PlatSendMediaChangeControl(PlatHandle handle, uint8_t prevent)
{
    if (handle == nullptr)
        return false;
    return SetEventsPolling(EventsPollPath(kSysfsRoot, handle->index), prevent, &handle->poll);
}

void PlatCloseHandle(PlatHandle handle)
{
    if (handle == nullptr)
        return;
    close(handle->fd);
    delete handle;
}

uint32_t PlatLastError(void)
{
    return lastError;
}

void PlatDebugOutput(const wchar_t* text)
{
    static bool opened = false;
    if (!opened) {
        openlog("korvel", LOG_PID, LOG_USER);
        opened = true;
    }
    std::string narrow;
    for (; *text != 0; text++)
        narrow.push_back(*text < 0x80 ? (char)*text : '?');
    syslog(LOG_DEBUG, "%s", narrow.c_str());
}

const char* PlatDriveAccessRefusal(void)
{
    std::string status;
    FILE* f = fopen("/proc/self/status", "r");
    if (f != nullptr) {
        char line[256];
        while (fgets(line, sizeof(line), f) != nullptr)
            status += line;
        fclose(f);
    }
    if (StatusHasRawIo(status))
        return nullptr;
    // The kernel passes WRITE BUFFER only with CAP_SYS_RAWIO: refuse before the
    // tray opens, not halfway through.
    return "korvel needs root or the CAP_SYS_RAWIO capability to update a drive's firmware.\n";
}

void PlatHoldSystemAwake(void)
{
    TakeSleepInhibitor();
}

void PlatReleaseSystemAwake(void)
{
    ReleaseSleepInhibitor();
}
