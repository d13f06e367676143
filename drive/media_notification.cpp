#include "drive/media_notification.h"

#include "drive/discovery.h"
#include "drive/transport.h"
#include "platform/platform.h"

static PlatHandle NotificationHandle = nullptr;
static uint8_t NotificationDriveIndex = kNoDriveIndex;

void ResetMediaNotificationState(void)
{
    NotificationHandle = nullptr;
    NotificationDriveIndex = kNoDriveIndex;
}

bool SetMediaChangeNotification(uint8_t driveIndex, uint8_t prevent)
{
    if (NotificationHandle == nullptr || NotificationDriveIndex != driveIndex) {
        if (NotificationHandle != nullptr) {
            PlatCloseHandle(NotificationHandle);
            NotificationHandle = nullptr;
        }
        char letter = driveIndex < kDriveLetterSlots ? (char)DriveLetterTable[driveIndex] : 0;
        PlatHandle handle = letter != 0 ? PlatOpenDevice(letter, PLAT_ACCESS_ATTRIBUTES) : nullptr;
        if (handle == nullptr) {
            NotificationDriveIndex = kNoDriveIndex;
            return false;
        }
        NotificationHandle = handle;
    }
    NotificationDriveIndex = driveIndex;
    return PlatSendMediaChangeControl(NotificationHandle, prevent);
}
