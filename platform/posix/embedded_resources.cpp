#include "platform/posix/embedded_resources.h"

#include <vector>

static std::vector<PlatResourceInfo>& Table(void)
{
    static std::vector<PlatResourceInfo> table = [] {
        std::vector<PlatResourceInfo> t;
        for (size_t i = 0; i < kEmbeddedResourceCount; i++) {
            const EmbeddedResource& r = kEmbeddedResources[i];
            t.push_back({r.id, (uint32_t)(r.end - r.begin), true, {r.begin}});
        }
        return t;
    }();
    return table;
}

PlatResource EmbeddedFindResource(uint16_t id)
{
    for (const PlatResourceInfo& info : Table())
        if (info.id == id)
            return &info;
    return nullptr;
}

PlatResourceData EmbeddedLoadResource(PlatResource resource)
{
    return resource != nullptr && resource->loadable ? &resource->blob : nullptr;
}

const uint8_t* EmbeddedLockResource(PlatResourceData data)
{
    return data != nullptr ? data->bytes : nullptr;
}

uint32_t EmbeddedSizeofResource(PlatResource resource)
{
    return resource != nullptr ? resource->size : 0;
}
