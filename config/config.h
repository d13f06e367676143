// The per-build constants of korvel. Each program links exactly one
// configuration file, which also sets TargetConfig.
#pragma once

#include <cstdint>

constexpr uint16_t kVerifierResourceId = 103;

struct RevisionFamily {
    const char* name;
    uint8_t acceptedEntries[3];   // 1-based RevisionTable entries, in the order compared
    uint8_t acceptedCount;
    uint16_t imageResourceId;
    uint8_t imageRevisionEntry;   // the revision the family's image must carry
};

struct TargetConfiguration {
    const char* model;            // "KT72M": names the build
    const char* title;
    const char* needle;           // searched in the 28-character identification
    const char* RevisionTable;    // 4-character entries back to back
    uint8_t familyCount;
    RevisionFamily families[2];
};

extern const TargetConfiguration kConfigurationKT72M;
extern const TargetConfiguration kConfigurationRQ35VW41;

// The configuration of this build.
extern const TargetConfiguration* TargetConfig;

// Entry k (1-based) of the RevisionTable: 4 characters, not terminated.
const char* RevisionTableEntry(const TargetConfiguration* config, uint8_t entry);
