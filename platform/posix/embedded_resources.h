// The program's own resources on POSIX builds: bytes linked in at build time
// by a generated assembler table (.incbin).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

struct PlatResourceBlob {
    const uint8_t* bytes;
};

struct PlatResourceInfo {
    uint16_t id;
    uint32_t size;
    bool loadable;
    PlatResourceBlob blob;
};

// Generated per configuration.
struct EmbeddedResource {
    uint16_t id;
    const uint8_t* begin;
    const uint8_t* end;
};
extern const EmbeddedResource kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;

PlatResource EmbeddedFindResource(uint16_t id);
PlatResourceData EmbeddedLoadResource(PlatResource resource);
const uint8_t* EmbeddedLockResource(PlatResourceData data);
uint32_t EmbeddedSizeofResource(PlatResource resource);
