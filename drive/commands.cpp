#include "drive/commands.h"

#include <cstring>

#include "drive/discovery.h"
#include "drive/transport.h"

static uint8_t TargetIndexByte(void)
{
    return (uint8_t)(TargetDriveIndex & 0xFF);
}

static void PutBufferFields(uint8_t* byCDB, uint8_t mode, uint8_t bufferId, uint32_t offset,
                            uint32_t length)
{
    byCDB[1] = mode;
    byCDB[2] = bufferId;
    byCDB[3] = (uint8_t)(offset >> 16);
    byCDB[4] = (uint8_t)(offset >> 8);
    byCDB[5] = (uint8_t)offset;
    byCDB[6] = (uint8_t)(length >> 16);
    byCDB[7] = (uint8_t)(length >> 8);
    byCDB[8] = (uint8_t)length;
}

bool InquiryFull(uint8_t* buffer)
{
    uint8_t byCDB[12];
    memset(byCDB, 0, sizeof(byCDB));
    byCDB[0] = 0x12;
    byCDB[4] = 0xFF;
    return IssueCommand(TargetIndexByte(), byCDB, buffer, 255, 1, 5);
}

bool TestUnitReady(void)
{
    uint8_t byCDB[12];
    memset(byCDB, 0, sizeof(byCDB));
    return IssueCommand(TargetIndexByte(), byCDB, nullptr, 0, 1, 5);
}

bool WriteBufferCmd(uint8_t mode, uint8_t bufferId, uint32_t offset, uint32_t length,
                    const uint8_t* data)
{
    uint8_t byCDB[12];
    memset(byCDB, 0, sizeof(byCDB));
    byCDB[0] = 0x3B;
    PutBufferFields(byCDB, mode, bufferId, offset, length);
    // Data-out: the transport never writes into the buffer.
    return IssueCommand(TargetIndexByte(), byCDB, const_cast<uint8_t*>(data), length, 0, 60);
}

bool ReadBufferCmd(uint8_t mode, uint8_t bufferId, uint32_t offset, uint32_t length,
                   uint8_t* data)
{
    uint8_t byCDB[12];
    memset(byCDB, 0, sizeof(byCDB));
    byCDB[0] = 0x3C;
    PutBufferFields(byCDB, mode, bufferId, offset, length);
    return IssueCommand(TargetIndexByte(), byCDB, data, length, 1, 60);
}

bool StartStopUnit(uint8_t selector)
{
    static const uint8_t kByte4[] = {0x02, 0x03, 0x30, 0x20, 0x00};
    uint8_t byCDB[12];
    memset(byCDB, 0, sizeof(byCDB));
    byCDB[0] = 0x1B;
    byCDB[4] = selector < sizeof(kByte4) ? kByte4[selector] : 0x00;
    return IssueCommand(TargetIndexByte(), byCDB, nullptr, 0, 1, 30);
}

bool BeginDownload(void)
{
    uint8_t byCDB[12];
    memset(byCDB, 0, sizeof(byCDB));
    byCDB[0] = 0x3B;
    byCDB[1] = 0x06;
    byCDB[2] = 0x67;
    byCDB[9] = 0x0B;
    return IssueCommand(TargetIndexByte(), byCDB, nullptr, 0, 0, 60);
}

bool CommitDownload(void)
{
    uint8_t byCDB[12];
    memset(byCDB, 0, sizeof(byCDB));
    byCDB[0] = 0x3B;
    byCDB[1] = 0x07;
    byCDB[10] = 0x1B;
    byCDB[11] = 0x12;
    return IssueCommand(TargetIndexByte(), byCDB, nullptr, 0, 0, 60);
}

bool LastSenseIs(uint8_t senseKeyByte, uint8_t asc, uint8_t ascq)
{
    return LastSense[2] == senseKeyByte && LastSense[12] == asc && LastSense[13] == ascq;
}

uint32_t LastSenseInformation(void)
{
    return ((uint32_t)LastSense[3] << 24) + ((uint32_t)LastSense[4] << 16) +
           ((uint32_t)LastSense[5] << 8) + (uint32_t)LastSense[6];
}
