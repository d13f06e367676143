#include "drive/discovery.h"
#include "drive/media_notification.h"
#include "platform/platform.h"
#include "update/exit_codes.h"
#include "update/update.h"

int KorvelMain(void)
{
    const char* refusal = PlatDriveAccessRefusal();
    if (refusal != nullptr) {
        ConsolePrint("%s", refusal);
        return KORVEL_EXIT_NO_PRIVILEGE;
    }
    FindTargetDrive();
    uint8_t targetIndex = (uint8_t)(TargetDriveIndex & 0xFF);
    SetMediaChangeNotification(targetIndex, 1);
    int result = UpdateFirmware();
    SetMediaChangeNotification(targetIndex, 0);
    return result;
}

int UpdateFirmware(void)
{
    uint8_t DriveInfoFromDrive[256];
    uint8_t tmp[256];
    ImageView image = {nullptr, 0};

    int result = SelectAndCheckImage(DriveInfoFromDrive, &image, tmp);
    if (result != kPhasePassed)
        return result;

    // The download reads the body at image bytes 4 to 0x200003 whatever the
    // size test let through.
    if (image.size < 4 + kBodySize) {
        ConsolePrint("Wrong FW Resource Size.\n");
        return KORVEL_EXIT_RESOURCE;
    }

    // From the eject on, the machine must not sleep or shut down under the drive.
    PlatHoldSystemAwake();
    result = DownloadFirmware(&image);
    if (result == kPhasePassed)
        result = MonitorFlashing(DriveInfoFromDrive, tmp);
    PlatReleaseSystemAwake();
    return result;
}
