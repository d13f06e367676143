#include "config/config.h"

const char* RevisionTableEntry(const TargetConfiguration* config, uint8_t entry)
{
    return config->RevisionTable + 4 * (entry - 1);
}
