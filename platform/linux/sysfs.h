// What the kernel's sysfs tells about the machine's optical drives.
#pragma once

#include <string>

// Drive letter 'A' + n stands for /dev/srN. The letter is of type CD-ROM when
// the device's SCSI peripheral type (root/class/block/srN/device/type) is 5.
int SrIndexOfLetter(char letter);                       // -1 past 'Z'
bool SrDeviceIsCdrom(const std::string& sysfsRoot, int index);
bool SrDeviceExists(const std::string& sysfsRoot, int index);

// The kernel's media event polling of srN: events_poll_msecs.
std::string EventsPollPath(const std::string& sysfsRoot, int index);
bool ReadSysfsValue(const std::string& path, std::string* value);
bool WriteSysfsValue(const std::string& path, const std::string& value);

// Media event polling off (prevent 1: the value is saved the first time, then
// 0 written) or back on (prevent 0: the saved value written back). Returns
// false when the file cannot be read or written.
struct PollState {
    bool saved = false;
    std::string value;
};
bool SetEventsPolling(const std::string& path, unsigned char prevent, PollState* state);

// CAP_SYS_RAWIO in the effective set of a /proc/PID/status text.
bool StatusHasRawIo(const std::string& statusText);
