// The program's own resources on POSIX builds: bytes linked in at build time
// by a generated assembler table (.incbin).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host.h"


// Generated per configuration.
struct EmbeddedResource {
    uint16_t id;
    const uint8_t* begin;
    const uint8_t* end;
};
extern const EmbeddedResource kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;

// HostFindResource and the rest (platform/host.h) read this table.
