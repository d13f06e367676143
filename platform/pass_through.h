// The SCSI pass-through request block handed to the platform: the
// platform's SCSI_PASS_THROUGH_DIRECT, a 32-bit filler and a 32-byte sense
// area. Natural alignment gives the 80-byte block on 32-bit targets and the
// platform's own 64-bit layout (96 bytes) on 64-bit targets.
#pragma once

#include <cstddef>
#include <cstdint>

struct ScsiPassThroughDirect {
    uint16_t Length;
    uint8_t ScsiStatus;
    uint8_t PathId;
    uint8_t TargetId;
    uint8_t Lun;
    uint8_t CdbLength;
    uint8_t SenseInfoLength;
    uint8_t DataIn;
    uint32_t DataTransferLength;
    uint32_t TimeOutValue;
    void* DataBuffer;
    uint32_t SenseInfoOffset;
    uint8_t Cdb[16];
};

struct PassThroughBlock {
    ScsiPassThroughDirect sptd;
    uint32_t Filler;
    uint8_t SenseBuf[32];
};

enum : uint8_t {
    SCSI_IOCTL_DATA_OUT = 0,
    SCSI_IOCTL_DATA_IN = 1,
    SCSI_IOCTL_DATA_UNSPECIFIED = 2,
};

constexpr uint16_t kPassThroughLength = sizeof(ScsiPassThroughDirect);
constexpr uint32_t kSenseInfoOffset = offsetof(PassThroughBlock, SenseBuf);
constexpr uint32_t kPassThroughBlockSize = sizeof(PassThroughBlock);

static_assert(offsetof(ScsiPassThroughDirect, Length) == 0, "Length");
static_assert(offsetof(ScsiPassThroughDirect, ScsiStatus) == 2, "ScsiStatus");
static_assert(offsetof(ScsiPassThroughDirect, PathId) == 3, "PathId");
static_assert(offsetof(ScsiPassThroughDirect, TargetId) == 4, "TargetId");
static_assert(offsetof(ScsiPassThroughDirect, Lun) == 5, "Lun");
static_assert(offsetof(ScsiPassThroughDirect, CdbLength) == 6, "CdbLength");
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoLength) == 7, "SenseInfoLength");
static_assert(offsetof(ScsiPassThroughDirect, DataIn) == 8, "DataIn");
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) == 12, "DataTransferLength");
static_assert(offsetof(ScsiPassThroughDirect, TimeOutValue) == 16, "TimeOutValue");

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == 20, "DataBuffer");
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) == 24, "SenseInfoOffset");
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == 28, "Cdb");
static_assert(sizeof(ScsiPassThroughDirect) == 44, "SPTD size");
static_assert(offsetof(PassThroughBlock, Filler) == 44, "Filler");
static_assert(offsetof(PassThroughBlock, SenseBuf) == 48, "sense area");
static_assert(sizeof(PassThroughBlock) == 80, "block size");
#else
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == 24, "DataBuffer");
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) == 32, "SenseInfoOffset");
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == 36, "Cdb");
static_assert(sizeof(ScsiPassThroughDirect) == 56, "SPTD size");
static_assert(offsetof(PassThroughBlock, Filler) == 56, "Filler");
static_assert(offsetof(PassThroughBlock, SenseBuf) == 60, "sense area");
static_assert(sizeof(PassThroughBlock) == 96, "block size");
#endif
