#include <gtest/gtest.h>

#include "drive/commands.h"
#include "tests/drive/sim_fixture.h"

namespace {

const uint8_t kTestUnitReady[12] = {};
const uint8_t kInquiry[12] = {0x12, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0};

class TransportTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        AddDrive('E');
        AddDrive('F');
        DriveLetterTable[0] = 'E';
        DriveLetterTable[1] = 'F';
    }
};

TEST_F(TransportTest, SameIndexTwiceChecksAndOpensOnce)
{
    uint8_t data[255];
    EXPECT_TRUE(IssueCommand(0, kInquiry, data, 255, 1, 5));
    EXPECT_TRUE(IssueCommand(0, kInquiry, data, 255, 1, 5));
    EXPECT_EQ(Count("type "), 1u);
    EXPECT_EQ(Count("open "), 1u);
    EXPECT_EQ(Count("close "), 0u);
    EXPECT_EQ(Count("scsi h1 "), 2u);
}

TEST_F(TransportTest, IndicesZeroOneZeroReopenEachTime)
{
    uint8_t data[255];
    IssueCommand(0, kInquiry, data, 255, 1, 5);
    IssueCommand(1, kInquiry, data, 255, 1, 5);
    IssueCommand(0, kInquiry, data, 255, 1, 5);
    EXPECT_EQ(Lines("type "), (std::vector<std::string>{"type E:\\ cdrom", "type F:\\ cdrom",
                                                         "type E:\\ cdrom"}));
    EXPECT_EQ(Lines("open "),
              (std::vector<std::string>{"open \\\\.\\E: rw -> h1", "open \\\\.\\F: rw -> h2",
                                        "open \\\\.\\E: rw -> h3"}));
    EXPECT_EQ(Lines("close "), (std::vector<std::string>{"close h1", "close h2"}));
}

TEST_F(TransportTest, DataInCheckConditionClearsBufferAndKeepsSense)
{
    TargetDriveIndex = 0;
    std::vector<uint8_t> data(256, 0xAA);
    // Offset past the firmware: the drive refuses with ILLEGAL REQUEST 24/00.
    EXPECT_FALSE(ReadBufferCmd(0x06, 0x00, 0x1FFFF0, 256, data.data()));
    for (uint8_t b : data)
        ASSERT_EQ(b, 0);
    EXPECT_EQ(LastSense[2], 0x05);
    EXPECT_EQ(LastSense[12], 0x24);
    EXPECT_EQ(LastSense[13], 0x00);
}

TEST_F(TransportTest, GoodAfterCheckConditionClearsLastSense)
{
    uint8_t data[255];
    EXPECT_FALSE(IssueCommand(0, kTestUnitReady, nullptr, 0, 1, 5));
    EXPECT_FALSE(LastSenseIsZero());
    EXPECT_TRUE(IssueCommand(0, kInquiry, data, 255, 1, 5));
    EXPECT_TRUE(LastSenseIsZero());
}

TEST_F(TransportTest, ZeroLengthSendsNullBufferAndClearsNothing)
{
    for (uint8_t direction : {uint8_t{1}, uint8_t{0}, uint8_t{7}}) {
        uint8_t data[16];
        memset(data, 0xAA, sizeof(data));
        IssueCommand(0, kTestUnitReady, data, 0, direction, 5);
        ASSERT_EQ(m.lastBlock.size(), sizeof(PassThroughBlock));
        PassThroughBlock block;
        memcpy(&block, m.lastBlock.data(), sizeof(block));
        EXPECT_EQ(block.sptd.DataBuffer, nullptr);
        EXPECT_EQ(block.sptd.DataTransferLength, 0u);
        EXPECT_EQ(block.sptd.DataIn, direction == 1 ? 1 : 0);
        for (uint8_t b : data)
            ASSERT_EQ(b, 0xAA);
    }
}

struct StatusCase {
    const char* fault;
    bool senseExpected;
};

void PrintTo(const StatusCase& c, std::ostream* os)
{
    *os << c.fault;
}

class TransportStatusTest : public TransportTest,
                            public ::testing::WithParamInterface<StatusCase> {};

TEST_P(TransportStatusTest, NonGoodStatusCopiesSenseAreaAsLeft)
{
    AddFault(GetParam().fault);
    uint8_t data[255];
    EXPECT_FALSE(IssueCommand(0, kInquiry, data, 255, 1, 5));
    if (GetParam().senseExpected) {
        EXPECT_EQ(LastSense[0], 0x70);
        EXPECT_EQ(LastSense[2], 0x0B);
        EXPECT_EQ(LastSense[12], 0x47);
    } else {
        EXPECT_TRUE(LastSenseIsZero());
    }
}

INSTANTIATE_TEST_SUITE_P(Statuses, TransportStatusTest,
                         ::testing::Values(StatusCase{"send@1=status:08", false},
                                           StatusCase{"send@1=status:08:0b/47/00", true},
                                           StatusCase{"send@1=check:0b/47/00", true},
                                           StatusCase{"send@1=status:18", false}));

struct FailureCase {
    const char* fault;
    const char* stdoutText;   // nullptr: nothing on standard output
    const char* debugText;    // nullptr: nothing on the debugger
    bool handleKept;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.fault;
}

class TransportFailureTest : public TransportTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TransportFailureTest, ReportsOnItsChannelAndLeavesTheCacheAsSpecified)
{
    const FailureCase& c = GetParam();
    AddFault(c.fault);
    testing::internal::CaptureStdout();
    bool ok = IssueCommand(0, kTestUnitReady, nullptr, 0, 1, 5);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(LastSenseIsZero());
    EXPECT_EQ(out, c.stdoutText != nullptr ? c.stdoutText : "");
    std::vector<std::string> debug = Lines("debug ");
    if (c.debugText != nullptr) {
        EXPECT_EQ(debug, std::vector<std::string>{c.debugText});
    } else {
        EXPECT_TRUE(debug.empty());
    }

    // The next command shows whether the handle stayed in the cache.
    size_t opensBefore = Count("open ");
    IssueCommand(0, kTestUnitReady, nullptr, 0, 1, 5);
    EXPECT_EQ(Count("open ") - opensBefore, c.handleKept ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, TransportFailureTest,
    ::testing::Values(
        FailureCase{"type@1=type:fixed", nullptr,
                    "debug \"\\n ExecATAPICommand: This Drive is not Optical Device Drive\\n\"",
                    false},
        FailureCase{"open@1=error:5",
                    "Error : Error occur during getting the handle of Device\nError Code 5",
                    nullptr, false},
        FailureCase{"send@1=error:31",
                    "Error : DeviceIoControl Error: Error Code 31\nI can't issue Command "
                    "through SPTI",
                    nullptr, true}));

TEST_F(TransportTest, TypeCheckFailureLeavesNoHandleAndRetriesWholeOpen)
{
    m.At('E').type = PLAT_DRIVE_FIXED;
    EXPECT_FALSE(IssueCommand(0, kTestUnitReady, nullptr, 0, 1, 5));
    EXPECT_EQ(Count("open "), 0u);
    m.At('E').type = PLAT_DRIVE_CDROM;
    IssueCommand(0, kTestUnitReady, nullptr, 0, 1, 5);
    EXPECT_EQ(Count("type "), 2u);
    EXPECT_EQ(Count("open "), 1u);
}

TEST_F(TransportTest, UsesRootPathAndDevicePathOfTheLetter)
{
    IssueCommand(0, kTestUnitReady, nullptr, 0, 1, 5);
    EXPECT_EQ(Lines("type "), std::vector<std::string>{"type E:\\ cdrom"});
    EXPECT_EQ(Lines("open "), std::vector<std::string>{"open \\\\.\\E: rw -> h1"});
}

TEST_F(TransportTest, IndexPastTheTableNamesNoDrive)
{
    EXPECT_FALSE(IssueCommand(8, kTestUnitReady, nullptr, 0, 1, 5));
    EXPECT_FALSE(IssueCommand(255, kTestUnitReady, nullptr, 0, 1, 5));
    EXPECT_EQ(Count("type "), 0u);
    EXPECT_EQ(Count("debug "), 2u);
}

TEST_F(TransportTest, TestUnitReadyBlockBytes)
{
    TargetDriveIndex = 0;
    TestUnitReady();
    ASSERT_EQ(m.lastBlock.size(), kPassThroughBlockSize);
#if UINTPTR_MAX == 0xFFFFFFFFu
    const std::vector<uint8_t> expectedHead = {
        0x2C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x18, 0x01, 0x00, 0x00, 0x00,   // 0-11
        0x00, 0x00, 0x00, 0x00,                                                   // 12-15
        0x05, 0x00, 0x00, 0x00,                                                   // 16-19
        0x00, 0x00, 0x00, 0x00,                                                   // 20-23
        0x30, 0x00, 0x00, 0x00};                                                  // 24-27
#else
    const std::vector<uint8_t> expectedHead = {
        0x38, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x18, 0x01, 0x00, 0x00, 0x00,   // 0-11
        0x00, 0x00, 0x00, 0x00,                                                   // 12-15
        0x05, 0x00, 0x00, 0x00,                                                   // 16-19
        0x00, 0x00, 0x00, 0x00,                                                   // 20-23 padding
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                           // 24-31 buffer
        0x3C, 0x00, 0x00, 0x00};                                                  // 32-35
#endif
    std::vector<uint8_t> head(m.lastBlock.begin(), m.lastBlock.begin() + expectedHead.size());
    EXPECT_EQ(head, expectedHead);
    for (size_t i = expectedHead.size(); i < m.lastBlock.size(); i++)
        ASSERT_EQ(m.lastBlock[i], 0) << "byte " << i;
}

// The simulated platform refuses malformed blocks as strictly as Windows.
struct MalformedCase {
    const char* name;
    void (*spoil)(PassThroughBlock*, uint32_t*, uint32_t*);
};

void PrintTo(const MalformedCase& c, std::ostream* os)
{
    *os << c.name;
}

class MalformedBlockTest : public TransportTest,
                           public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedBlockTest, RefusedWithInvalidParameter)
{
    uint8_t data[64];
    PassThroughBlock block;
    memset(&block, 0, sizeof(block));
    block.sptd.Length = kPassThroughLength;
    block.sptd.CdbLength = 12;
    block.sptd.SenseInfoLength = 24;
    block.sptd.SenseInfoOffset = kSenseInfoOffset;
    block.sptd.DataIn = 1;
    block.sptd.DataTransferLength = sizeof(data);
    block.sptd.DataBuffer = data;
    block.sptd.TimeOutValue = 5;
    block.sptd.Cdb[0] = 0x12;
    block.sptd.Cdb[4] = sizeof(data);
    uint32_t in = kPassThroughBlockSize, out = kPassThroughBlockSize;
    GetParam().spoil(&block, &in, &out);
    PlatHandle h = PlatOpenDevice('E', PLAT_ACCESS_READ_WRITE);
    EXPECT_FALSE(PlatSendPassThrough(h, &block, in, out)) << GetParam().name;
    EXPECT_EQ(PlatLastError(), 87u);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, MalformedBlockTest,
    ::testing::Values(
        MalformedCase{"Length", [](PassThroughBlock* b, uint32_t*, uint32_t*) { b->sptd.Length = 44 + 4; }},
        MalformedCase{"SenseInfoOffset", [](PassThroughBlock* b, uint32_t*, uint32_t*) { b->sptd.SenseInfoOffset = 44; }},
        MalformedCase{"CdbLength 0", [](PassThroughBlock* b, uint32_t*, uint32_t*) { b->sptd.CdbLength = 0; }},
        MalformedCase{"CdbLength 17", [](PassThroughBlock* b, uint32_t*, uint32_t*) { b->sptd.CdbLength = 17; }},
        MalformedCase{"buffer with length 0", [](PassThroughBlock* b, uint32_t*, uint32_t*) { b->sptd.DataTransferLength = 0; }},
        MalformedCase{"length without buffer", [](PassThroughBlock* b, uint32_t*, uint32_t*) { b->sptd.DataBuffer = nullptr; }},
        MalformedCase{"input size", [](PassThroughBlock*, uint32_t* in, uint32_t*) { *in -= 4; }},
        MalformedCase{"output size", [](PassThroughBlock*, uint32_t*, uint32_t* out) { *out += 4; }},
        MalformedCase{"data unspecified", [](PassThroughBlock* b, uint32_t*, uint32_t*) { b->sptd.DataIn = 2; }}));

TEST_F(TransportTest, AttributeHandleCannotCarryCommands)
{
    PlatHandle h = PlatOpenDevice('E', PLAT_ACCESS_ATTRIBUTES);
    PassThroughBlock block;
    memset(&block, 0, sizeof(block));
    block.sptd.Length = kPassThroughLength;
    block.sptd.CdbLength = 12;
    block.sptd.SenseInfoOffset = kSenseInfoOffset;
    EXPECT_FALSE(PlatSendPassThrough(h, &block, kPassThroughBlockSize, kPassThroughBlockSize));
    EXPECT_EQ(PlatLastError(), 5u);
}

}  // namespace
