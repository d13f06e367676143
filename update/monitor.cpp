#include <cstring>

#include "drive/commands.h"
#include "platform/platform.h"
#include "update/exit_codes.h"
#include "update/update.h"

uint8_t ProgressPercentage(uint32_t count)
{
    double q = count / 2097152.0 * 100.0;
    return (uint8_t)((int32_t)q & 0xFF);
}

// After the update the drive must report the revision of the image it was
// sent; a drive still on its old firmware is not a completed update.
static bool DriveRunsRevision(uint8_t* DriveInfoFromDrive, const uint8_t* imageRevision)
{
    if (!ReadBufferCmd(0x06, 0x00, kRevisionBufferOffset, 256, DriveInfoFromDrive))
        return false;
    return memcmp(DriveInfoFromDrive + 24, imageRevision, 4) == 0;
}

int MonitorFlashing(uint8_t* DriveInfoFromDrive, const uint8_t* imageRevision)
{
    uint64_t lastChangeMs = PlatMonotonicMs();
    uint32_t lastCount = 0;
    bool reported = false;

    for (;;) {
        TestUnitReady();
        if (LastSenseIs(0x02, 0x04, 0x08)) {
            uint32_t count = LastSenseInformation();
            if (!reported || count != lastCount)
                lastChangeMs = PlatMonotonicMs();
            reported = true;
            lastCount = count;
            ConsolePrint("FW Updating : %d %%\r", ProgressPercentage(count));
            PlatSleep(500);
        } else if (LastSenseIs(0x06, 0x29, 0x00)) {
            break;
        } else {
            // Neither pattern: do not spin on the drive.
            PlatSleep(100);
        }
        if (PlatMonotonicMs() - lastChangeMs >= kFlashStallLimitMs) {
            ConsolePrint("%sFW Updating Failure. The drive reported no progress for %u minutes.\n",
                         reported ? "\n" : "", (unsigned)(kFlashStallLimitMs / 60000));
            return KORVEL_EXIT_FLASH_TIMEOUT;
        }
    }

    ConsolePrint("FW Updating : 100 %%\n\n");
    PlatSleep(200);
    TestUnitReady();
    PlatSleep(200);
    TestUnitReady();
    ConsolePrint("FW Updating Completed. \n\n");

    InquiryFull(DriveInfoFromDrive);
    DriveInfoFromDrive[36] = 0;
    ConsolePrint("After FW Updating : %s\n\n", (const char*)DriveInfoFromDrive + 8);

    int result = KORVEL_EXIT_UPDATED;
    if (!DriveRunsRevision(DriveInfoFromDrive, imageRevision)) {
        ConsolePrint("FW Version Check Failure. The drive does not report the new firmware.\n");
        result = KORVEL_EXIT_READBACK;
    }

    ConsolePrint("Press Any Key...\n");
    PlatWaitKey();
    return result;
}
