#include "tools/common/test_firmware.h"

#include <cstring>

std::string PadField(const std::string& text, size_t width)
{
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

std::vector<uint8_t> MakeTestFirmwareBody(const std::string& vendor, const std::string& product,
                                          const std::string& revision)
{
    std::string ident = PadField(vendor, 8) + PadField(product, 16) + PadField(revision, 4);
    // The seed depends on the identification so that different images differ.
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (unsigned char c : ident)
        state = (state ^ c) * 0x100000001B3ull;
    std::vector<uint8_t> body(kFirmwareBodySize);
    for (uint32_t i = 0; i < kFirmwareBodySize; i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        memcpy(body.data() + i, &state, 8);   // little-endian hosts only (x86, ARM)
    }
    memcpy(body.data() + kIdentificationOffset, ident.data(), ident.size());
    return body;
}

std::string BodyRevision(const std::vector<uint8_t>& body)
{
    return std::string(reinterpret_cast<const char*>(body.data()) + kIdentificationOffset + 24, 4);
}
