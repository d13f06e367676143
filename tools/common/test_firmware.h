// Deterministic test firmware bodies: 2 MiB of pseudo-random bytes with the
// identification block (vendor, product, revision) at body offset 0x1EC000.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kFirmwareBodySize = 0x200000;
constexpr uint32_t kIdentificationOffset = 0x1EC000;

// vendor is padded to 8, product to 16, revision to 4 characters with blanks.
std::vector<uint8_t> MakeTestFirmwareBody(const std::string& vendor, const std::string& product,
                                          const std::string& revision);

// The 4 revision characters of a body.
std::string BodyRevision(const std::vector<uint8_t>& body);

std::string PadField(const std::string& text, size_t width);
