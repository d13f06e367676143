#include <gtest/gtest.h>

#include <functional>

#include "drive/commands.h"
#include "tests/drive/sim_fixture.h"

namespace {

class CommandsTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        AddDrive('E');
        DriveLetterTable[0] = 'E';
        TargetDriveIndex = 0;
    }
    // The one scsi line of the last command, up to its outcome.
    std::string LastCommand() const
    {
        std::vector<std::string> scsi = Lines("scsi ");
        if (scsi.empty())
            return "";
        std::string line = scsi.back();
        return line.substr(0, line.find(" -> "));
    }
};

struct WrapperCase {
    const char* name;
    std::function<void(uint8_t*)> call;
    const char* expected;   // trace of the command, without its outcome
};

void PrintTo(const WrapperCase& c, std::ostream* os)
{
    *os << c.name;
}

class WrapperTest : public CommandsTest, public ::testing::WithParamInterface<WrapperCase> {};

TEST_P(WrapperTest, SendsItsCdbDirectionLengthAndTimeOut)
{
    std::vector<uint8_t> buffer(0x4000, 0x5A);
    GetParam().call(buffer.data());
    std::string line = LastCommand();
    // Data-out commands also show a checksum of their data.
    EXPECT_EQ(line.substr(0, line.find(" sum=")), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Wrappers, WrapperTest,
    ::testing::Values(
        WrapperCase{"InquiryFull", [](uint8_t* b) { InquiryFull(b); },
                    "scsi h1 cdb=12 00 00 00 ff 00 00 00 00 00 00 00 dir=in xfer=255 timeout=5"},
        WrapperCase{"TestUnitReady", [](uint8_t*) { TestUnitReady(); },
                    "scsi h1 cdb=00 00 00 00 00 00 00 00 00 00 00 00 dir=in xfer=0 timeout=5"},
        WrapperCase{"WriteBufferCmd last piece",
                    [](uint8_t* b) { WriteBufferCmd(0x06, 0x00, 0x1FC000, 0x4000, b); },
                    "scsi h1 cdb=3b 06 00 1f c0 00 00 40 00 00 00 00 dir=out xfer=16384 timeout=60"},
        WrapperCase{"ReadBufferCmd revision",
                    [](uint8_t* b) { ReadBufferCmd(0x06, 0x00, 0x1EC000, 256, b); },
                    "scsi h1 cdb=3c 06 00 1e c0 00 00 01 00 00 00 00 dir=in xfer=256 timeout=60"},
        WrapperCase{"offset above 24 bits",
                    [](uint8_t* b) { WriteBufferCmd(0x0A, 0x3F, 0x12ABCDEF, 0x4000, b); },
                    "scsi h1 cdb=3b 0a 3f ab cd ef 00 40 00 00 00 00 dir=out xfer=16384 timeout=60"},
        WrapperCase{"StartStopUnit eject", [](uint8_t*) { StartStopUnit(0); },
                    "scsi h1 cdb=1b 00 00 00 02 00 00 00 00 00 00 00 dir=in xfer=0 timeout=30"},
        WrapperCase{"StartStopUnit load", [](uint8_t*) { StartStopUnit(1); },
                    "scsi h1 cdb=1b 00 00 00 03 00 00 00 00 00 00 00 dir=in xfer=0 timeout=30"},
        WrapperCase{"StartStopUnit standby", [](uint8_t*) { StartStopUnit(2); },
                    "scsi h1 cdb=1b 00 00 00 30 00 00 00 00 00 00 00 dir=in xfer=0 timeout=30"},
        WrapperCase{"StartStopUnit idle", [](uint8_t*) { StartStopUnit(3); },
                    "scsi h1 cdb=1b 00 00 00 20 00 00 00 00 00 00 00 dir=in xfer=0 timeout=30"},
        WrapperCase{"StartStopUnit stop", [](uint8_t*) { StartStopUnit(4); },
                    "scsi h1 cdb=1b 00 00 00 00 00 00 00 00 00 00 00 dir=in xfer=0 timeout=30"},
        WrapperCase{"StartStopUnit 9", [](uint8_t*) { StartStopUnit(9); },
                    "scsi h1 cdb=1b 00 00 00 00 00 00 00 00 00 00 00 dir=in xfer=0 timeout=30"},
        WrapperCase{"BeginDownload", [](uint8_t*) { BeginDownload(); },
                    "scsi h1 cdb=3b 06 67 00 00 00 00 00 00 0b 00 00 dir=out xfer=0 timeout=60"},
        WrapperCase{"CommitDownload", [](uint8_t*) { CommitDownload(); },
                    "scsi h1 cdb=3b 07 00 00 00 00 00 00 00 00 1b 12 dir=out xfer=0 timeout=60"}));

TEST_F(CommandsTest, LengthAbove24BitsIsCutInTheCdbButNotInTheTransfer)
{
    std::vector<uint8_t> buffer(0x01000100);
    ReadBufferCmd(0x06, 0x00, 0, 0x01000100, buffer.data());
    EXPECT_EQ(LastCommand(),
              "scsi h1 cdb=3c 06 00 00 00 00 00 01 00 00 00 00 dir=in xfer=16777472 timeout=60");
}

TEST_F(CommandsTest, WriteBufferSendsItsData)
{
    std::vector<uint8_t> piece(0x4000);
    for (size_t i = 0; i < piece.size(); i++)
        piece[i] = (uint8_t)(i * 7);
    ASSERT_TRUE(BeginDownload());
    ASSERT_TRUE(WriteBufferCmd(0x06, 0x00, 0, 0x4000, piece.data()));
    char expected[32];
    snprintf(expected, sizeof(expected), "sum=%08x", sim::Fnv1a(piece.data(), piece.size()));
    EXPECT_NE(Lines("scsi ").back().find(expected), std::string::npos);
    EXPECT_EQ(m.At('E').drive->PiecesAccepted(), 1u);
}

TEST_F(CommandsTest, TestUnitReadyOnOpenTrayReportsMediumNotPresentTrayOpen)
{
    ASSERT_TRUE(StartStopUnit(0));
    EXPECT_FALSE(TestUnitReady());
    EXPECT_EQ(LastSense[2], 0x02);
    EXPECT_EQ(LastSense[12], 0x3A);
    EXPECT_EQ(LastSense[13], 0x02);
    EXPECT_TRUE(LastSenseIs(0x02, 0x3A, 0x02));
}

TEST_F(CommandsTest, GoodCommandLeavesLastSenseZero)
{
    uint8_t buffer[256];
    EXPECT_TRUE(InquiryFull(buffer));
    EXPECT_TRUE(LastSenseIsZero());
    EXPECT_EQ(std::string((char*)buffer + 8, 28), "VARNOLT Optical Drive   KT11");
}

TEST_F(CommandsTest, SenseConditionComparesTheWholeKeyByte)
{
    AddFault("send@1=check:22/3a/02");
    TestUnitReady();
    EXPECT_FALSE(LastSenseIs(0x02, 0x3A, 0x02));
    AddFault("send@2=check:02/3a/02");
    TestUnitReady();
    EXPECT_TRUE(LastSenseIs(0x02, 0x3A, 0x02));
}

TEST_F(CommandsTest, InformationIsBigEndian)
{
    LastSense[3] = 0x12;
    LastSense[4] = 0x34;
    LastSense[5] = 0x56;
    LastSense[6] = 0x78;
    EXPECT_EQ(LastSenseInformation(), 0x12345678u);
}

}  // namespace
