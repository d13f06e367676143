// The seven drive commands of the update, each a 12-byte CDB sent through
// IssueCommand to the target drive. True = the drive reported GOOD; after
// false the caller reads LastSense.
#pragma once

#include <cstdint>

bool InquiryFull(uint8_t* buffer);
bool TestUnitReady(void);
bool WriteBufferCmd(uint8_t mode, uint8_t bufferId, uint32_t offset, uint32_t length,
                    const uint8_t* data);
bool ReadBufferCmd(uint8_t mode, uint8_t bufferId, uint32_t offset, uint32_t length,
                   uint8_t* data);
bool StartStopUnit(uint8_t selector);
bool BeginDownload(void);
bool CommitDownload(void);

// Fixed-format sense condition after a failed command: the sense key byte is
// compared whole, so a set flag bit never matches.
bool LastSenseIs(uint8_t senseKeyByte, uint8_t asc, uint8_t ascq);

// INFORMATION bytes 3 to 6 of LastSense, big-endian.
uint32_t LastSenseInformation(void);
