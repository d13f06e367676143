#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/sg_transport.h"

namespace {

PassThroughBlock Block(uint8_t dataIn, uint32_t length, void* buffer, uint32_t timeout,
                       uint8_t cdbLength = 12)
{
    PassThroughBlock b;
    memset(&b, 0, sizeof(b));
    b.sptd.Length = kPassThroughLength;
    b.sptd.CdbLength = cdbLength;
    b.sptd.SenseInfoLength = 24;
    b.sptd.SenseInfoOffset = kSenseInfoOffset;
    b.sptd.DataIn = dataIn;
    b.sptd.DataTransferLength = length;
    b.sptd.DataBuffer = buffer;
    b.sptd.TimeOutValue = timeout;
    b.sptd.Cdb[0] = 0x3C;
    return b;
}

struct MapCase {
    const char* name;
    uint8_t dataIn;
    uint32_t length;
    uint8_t cdbLength;
    uint32_t timeout;
    int direction;
};

void PrintTo(const MapCase& c, std::ostream* os)
{
    *os << c.name;
}

class SgMappingTest : public ::testing::TestWithParam<MapCase> {};

TEST_P(SgMappingTest, BlockBecomesHeader)
{
    const MapCase& c = GetParam();
    static uint8_t data[0x4000];
    PassThroughBlock b = Block(c.dataIn, c.length, c.length ? data : nullptr, c.timeout, c.cdbLength);
    sg_io_hdr_t h;
    BuildSgIoHeader(&b, &h);
    EXPECT_EQ(h.interface_id, 'S');
    EXPECT_EQ(h.cmd_len, c.cdbLength);
    EXPECT_EQ(h.cmdp, b.sptd.Cdb);
    EXPECT_EQ(h.dxfer_direction, c.direction) << c.name;
    EXPECT_EQ(h.dxfer_len, c.length);
    EXPECT_EQ(h.dxferp, c.length ? data : nullptr);
    EXPECT_EQ(h.timeout, c.timeout * 1000);
    EXPECT_EQ(h.mx_sb_len, 24);
    EXPECT_EQ(h.sbp, b.SenseBuf);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, SgMappingTest,
    ::testing::Values(MapCase{"read", 1, 256, 12, 60, SG_DXFER_FROM_DEV},
                      MapCase{"write", 0, 0x4000, 12, 60, SG_DXFER_TO_DEV},
                      MapCase{"in without data", 1, 0, 12, 5, SG_DXFER_NONE},
                      MapCase{"out without data", 0, 0, 12, 60, SG_DXFER_NONE},
                      MapCase{"probe", 1, 192, 6, 2, SG_DXFER_FROM_DEV}));

struct OutcomeCase {
    const char* name;
    int ioctlResult;
    int ioctlErrno;
    unsigned char status;
    unsigned short host;
    unsigned short driver;
    bool carriedOut;
    uint32_t errorCode;
};

void PrintTo(const OutcomeCase& c, std::ostream* os)
{
    *os << c.name;
}

class SgOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(SgOutcomeTest, ClassifiedLikeSg3Utils)
{
    const OutcomeCase& c = GetParam();
    PassThroughBlock b = Block(1, 0, nullptr, 5);
    b.sptd.ScsiStatus = 0x77;
    sg_io_hdr_t h;
    BuildSgIoHeader(&b, &h);
    h.status = c.status;
    h.host_status = c.host;
    h.driver_status = c.driver;
    uint32_t code = 0;
    EXPECT_EQ(ReadSgIoOutcome(&h, c.ioctlResult, c.ioctlErrno, &b, &code), c.carriedOut) << c.name;
    if (c.carriedOut) {
        EXPECT_EQ(b.sptd.ScsiStatus, c.status);
    } else {
        EXPECT_EQ(code, c.errorCode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SgOutcomeTest,
    ::testing::Values(OutcomeCase{"good", 0, 0, 0x00, 0, 0, true, 0},
                      OutcomeCase{"check condition", 0, 0, 0x02, 0, 0x08, true, 0},
                      OutcomeCase{"busy", 0, 0, 0x08, 0, 0, true, 0},
                      OutcomeCase{"host: no connect", 0, 0, 0, 0x01, 0, false, 1001},
                      OutcomeCase{"host: time-out", 0, 0, 0, 0x03, 0, false, 1003},
                      OutcomeCase{"driver: time-out", 0, 0, 0, 0, 0x06, false, 2006},
                      OutcomeCase{"driver: sense with suggestion bits", 0, 0, 0x02, 0, 0x28, true, 0},
                      OutcomeCase{"driver: error", 0, 0, 0, 0, 0x04, false, 2004},
                      OutcomeCase{"ioctl: not permitted", -1, EPERM, 0, 0, 0, false, EPERM},
                      OutcomeCase{"ioctl: no device", -1, ENODEV, 0, 0, 0, false, ENODEV}));

}  // namespace
