#include "platform/posix/embedded_resources.h"

const void* HostFindResource(uint16_t id)
{
    for (size_t i = 0; i < kEmbeddedResourceCount; i++)
        if (kEmbeddedResources[i].id == id)
            return &kEmbeddedResources[i];
    return nullptr;
}

const void* HostLoadResource(const void* found)
{
    return found;
}

const uint8_t* HostLockResource(const void* loaded)
{
    return loaded != nullptr ? static_cast<const EmbeddedResource*>(loaded)->begin : nullptr;
}

uint32_t HostSizeofResource(const void* found)
{
    const EmbeddedResource* r = static_cast<const EmbeddedResource*>(found);
    return r != nullptr ? (uint32_t)(r->end - r->begin) : 0;
}
