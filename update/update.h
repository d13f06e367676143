// The update procedure of korvel.
#pragma once

#include <cstdint>

// Returned by a phase that passed: the next phase runs.
constexpr int kPhasePassed = -1;

constexpr uint32_t kBodySize = 0x200000;
constexpr uint32_t kPieceSize = 0x4000;
constexpr uint32_t kRevisionBufferOffset = 0x1EC000;
constexpr uint32_t kImageRevisionOffset = 0x1EC01C;

// A drive that reports neither progress nor its reset for this long is given up.
constexpr uint64_t kFlashStallLimitMs = 10 * 60 * 1000;

struct ImageView {
    const uint8_t* data;
    uint32_t size;
};

// The program: discovery, notification off, the update, notification on.
// Returns the exit code.
int KorvelMain(void);

// Runs the three phases; returns the exit code of the run.
int UpdateFirmware(void);

// Part of UpdateFirmware: title, identification, revision, image and its
// checks. Returns kPhasePassed with the image view and its revision, or an
// exit code after its refusal.
int SelectAndCheckImage(uint8_t* DriveInfoFromDrive, ImageView* image, uint8_t* tmp);

// Writes the image and the carried verifier to a private temporary folder,
// runs the verifier on the image and removes both. True only for exit code 0.
bool VerifyImageSignature(const uint8_t* image, uint32_t size);

// Eject, tray wait, the download of the body and its commit. Returns
// kPhasePassed or an exit code after its refusal.
int DownloadFirmware(const ImageView* image);

// Follows the flashing until the drive resets, then shows the result.
// imageRevision is the revision the sent image carries. Returns the exit code.
int MonitorFlashing(uint8_t* DriveInfoFromDrive, const uint8_t* imageRevision);

// Percentage of a progress count (0x200000 = 100), low 8 bits kept.
uint8_t ProgressPercentage(uint32_t count);

// printf to standard output, flushed at once.
void ConsolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
