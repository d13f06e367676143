// Media change notification control for the target drive, on a device handle
// of its own (attribute access only).
#pragma once

#include <cstdint>

// prevent 1 switches the notification off, 0 on again. Returns true when the
// platform accepted the request; failures print nothing.
bool SetMediaChangeNotification(uint8_t driveIndex, uint8_t prevent);

// Forgets the cached handle without closing it (tests).
void ResetMediaNotificationState(void);
