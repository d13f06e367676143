// Drive discovery and target selection.
#pragma once

#include <cstdint>

constexpr uint8_t kDriveLetterSlots = 8;

// Letters of the CD-ROM-type drives in ascending order, 0 after the last.
extern uint8_t DriveLetterTable[kDriveLetterSlots];

// Index of the selected drive; -1 until one is selected.
extern int32_t TargetDriveIndex;

// Fills DriveLetterTable (the first 8 CD-ROM letters) and returns their count.
int8_t FindOpticalDrives(void);

// Reads the 28-character identification (INQUIRY bytes 8 to 35) of a drive
// into name (at least 29 bytes). name is empty when the probe failed.
void GetDeviceName(uint8_t driveIndex, char* name);

// Lists the drives and selects the first whose identification holds the
// configuration's needle. Returns true when one was selected.
bool SearchTargetDrive(void);

// SearchTargetDrive, and without a match prints the model-name message and
// ends the process with exit code KORVEL_EXIT_NO_TARGET.
void FindTargetDrive(void);
