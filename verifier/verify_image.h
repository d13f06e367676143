// The image check of chekval.
#pragma once

#include <cstdint>

// Checks the chain, then the signature of the SignedFirmwareImage at
// prefix + fw_name. Returns 0 for a genuine image, otherwise an ERR_ code
// after its message.
uint16_t VerifyFirmwareImage(const char* prefix, const char* fw_name);
