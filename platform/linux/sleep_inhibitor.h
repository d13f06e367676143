// A systemd-logind inhibitor lock ("sleep:shutdown", mode block) over the
// system bus. Without logind, or when the call fails, nothing happens.
#pragma once

#include <string>

struct InhibitRequest {
    std::string what, who, why, mode;
};

// The arguments of the Inhibit call.
InhibitRequest SleepInhibitRequest(void);

// Takes the lock (once); returns true when logind granted it.
bool TakeSleepInhibitor(void);

// Releases it by closing its descriptor.
void ReleaseSleepInhibitor(void);

// Whether a lock is held now.
bool SleepInhibitorHeld(void);
