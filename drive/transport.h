// SCSI pass-through transport: the device handle cache, the request block and
// the sense data of the last command.
#pragma once

#include <cstdint>

#include "platform/pass_through.h"

constexpr uint8_t kNoDriveIndex = 255;
constexpr uint32_t kLastSenseSize = 24;

// Sense bytes of the last IssueCommand that ended with a status other than
// GOOD; all zero otherwise.
extern uint8_t LastSense[kLastSenseSize];

// Sends a filled block to the drive at driveIndex, opening (and caching) its
// device first. Returns true when the platform carried the request out; the
// drive's verdict is in block->sptd.ScsiStatus and the sense area.
bool ExecATAPICommand(uint8_t driveIndex, PassThroughBlock* block);

// Sends one 12-byte CDB. direction 1 = data-in, anything else = data-out.
// Returns true only when the request was carried out and the drive reported
// GOOD; otherwise LastSense holds the drive's sense bytes (or zeros when the
// transport failed).
bool IssueCommand(uint8_t driveIndex, const uint8_t* byCDB, void* data, uint32_t length,
                  uint8_t direction, uint8_t timeout);

// Forgets the cached handle without closing it and clears LastSense: a fresh
// process state for tests that run several programs' worth of commands.
void ResetTransportState(void);
