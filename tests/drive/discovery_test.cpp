#include <gtest/gtest.h>

#include "tests/drive/sim_fixture.h"
#include "update/exit_codes.h"

namespace {

class DiscoveryTest : public SimTest {};

TEST_F(DiscoveryTest, TableHoldsCdromLettersInOrder)
{
    m.At('E').type = PLAT_DRIVE_FIXED;
    AddDrive('F');
    AddDrive('H');
    EXPECT_EQ(FindOpticalDrives(), 2);
    const uint8_t expected[8] = {'F', 'H', 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(memcmp(DriveLetterTable, expected, 8), 0);
    EXPECT_EQ(Count("type "), 26u);
}

TEST_F(DiscoveryTest, MoreThanEightCdromLettersKeepsTheFirstEight)
{
    for (char c = 'C'; c <= 'L'; c++)
        AddDrive(c, OtherDrive());
    AddDrive('M');   // the only matching drive, ninth CD-ROM letter: no slot
    EXPECT_EQ(FindOpticalDrives(), 8);
    EXPECT_EQ(DriveLetterTable[7], 'J');
    EXPECT_FALSE(SearchTargetDrive());
    EXPECT_EQ(TargetDriveIndex, -1);
}

struct MatchCase {
    const char* name;
    const TargetConfiguration* config;
    std::string vendor, product, revision;
    bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* os)
{
    *os << c.name;
}

class NeedleTest : public DiscoveryTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(NeedleTest, MatchesAsACaseSensitiveSubstring)
{
    const MatchCase& c = GetParam();
    TargetConfig = c.config;
    simdrive::Setup s = OtherDrive();
    s.vendor = c.vendor;
    s.product = c.product;
    s.revision = c.revision;
    AddDrive('E', s);
    EXPECT_EQ(SearchTargetDrive(), c.matches) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Needles, NeedleTest,
    ::testing::Values(
        MatchCase{"A exact", &kConfigurationKT72M, "VARNOLT", "Optical Drive", "KT11", true},
        MatchCase{"A other family", &kConfigurationKT72M, "VARNOLT", "Optical Drive", "KW10", true},
        MatchCase{"A revision not K", &kConfigurationKT72M, "VARNOLT", "Optical Drive", "LT11", false},
        MatchCase{"A lower case", &kConfigurationKT72M, "varnolt", "optical drive", "KT11", false},
        MatchCase{"A product not blank-padded", &kConfigurationKT72M, "VARNOLT", "Optical Drive XY", "KT11", false},
        MatchCase{"B exact", &kConfigurationRQ35VW41, "TOLVANEK", "BD-RE  RQ35VW41", "1.01", true},
        MatchCase{"B any revision", &kConfigurationRQ35VW41, "TOLVANEK", "BD-RE  RQ35VW41Z", "9.99", true},
        MatchCase{"B one blank", &kConfigurationRQ35VW41, "TOLVANEK", "BD-RE RQ35VW41", "1.01", false},
        MatchCase{"B other vendor", &kConfigurationRQ35VW41, "TOLVANEC", "BD-RE  RQ35VW41", "1.01", false}));

TEST_F(DiscoveryTest, IdentificationKeepsTrailingBlanks)
{
    AddDrive('E');
    FindOpticalDrives();
    char name[128];
    memset(name, 0x7F, sizeof(name));
    GetDeviceName(0, name);
    EXPECT_STREQ(name, "VARNOLT Optical Drive   KT11");
}

TEST_F(DiscoveryTest, ProbeUsesSixByteInquiryAndLeavesLastSenseAlone)
{
    AddDrive('E');
    FindOpticalDrives();
    LastSense[5] = 0x42;
    char name[128] = {};
    GetDeviceName(0, name);
    EXPECT_EQ(Lines("scsi ").back(),
              "scsi h1 cdb=12 00 00 00 c0 00 dir=in xfer=192 timeout=2 -> good");
    EXPECT_EQ(LastSense[5], 0x42);
    PassThroughBlock block;
    memcpy(&block, m.lastBlock.data(), sizeof(block));
    EXPECT_EQ(block.sptd.CdbLength, 6);
    EXPECT_EQ(block.sptd.SenseInfoLength, 24);
    EXPECT_EQ(block.sptd.TimeOutValue, 2u);
}

TEST_F(DiscoveryTest, TwoMatchingDrivesSelectTheLowerLetter)
{
    AddDrive('G');
    AddDrive('E');
    EXPECT_TRUE(SearchTargetDrive());
    EXPECT_EQ(TargetDriveIndex, 0);
    EXPECT_EQ(Count("scsi "), 1u);
}

struct SkipCase {
    const char* fault;
    const char* debug;   // debugger text expected, or nullptr
};

void PrintTo(const SkipCase& c, std::ostream* os)
{
    *os << c.fault;
}

class ProbeFailureTest : public DiscoveryTest, public ::testing::WithParamInterface<SkipCase> {};

TEST_P(ProbeFailureTest, FailedProbeIsSkippedAndALaterDriveIsSelected)
{
    AddDrive('D');
    AddDrive('F');
    AddFault(GetParam().fault);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(SearchTargetDrive());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(TargetDriveIndex, 1);
    if (GetParam().debug != nullptr) {
        EXPECT_EQ(Lines("debug "), std::vector<std::string>{GetParam().debug});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Probes, ProbeFailureTest,
    ::testing::Values(
        SkipCase{"open@1=error:2", nullptr}, SkipCase{"send@1=error:1117", nullptr},
        SkipCase{"send@1=check:05/24/00", "debug \"\\n GetDeviceName: Command complete with error\\n\""},
        SkipCase{"send@1=status:08", "debug \"\\n GetDeviceName: Command complete with error\\n\""},
        SkipCase{"type@27=type:fixed",
                 "debug \"\\n ExecATAPICommand: This Drive is not Optical Device Drive\\n\""}));

TEST_F(DiscoveryTest, NoMatchEndsTheProcessWithExitCodeOne)
{
    AddDrive('E', OtherDrive());
    EXPECT_EXIT(FindTargetDrive(), ::testing::ExitedWithCode(KORVEL_EXIT_NO_TARGET), "");
}

TEST_F(DiscoveryTest, TheSelectedDrivesHandleStaysCached)
{
    AddDrive('D', OtherDrive());
    AddDrive('E');
    ASSERT_TRUE(SearchTargetDrive());
    EXPECT_EQ(Lines("close "), std::vector<std::string>{"close h1"});
    size_t opens = Count("open ");
    uint8_t zero[12] = {};
    IssueCommand((uint8_t)TargetDriveIndex, zero, nullptr, 0, 1, 5);
    EXPECT_EQ(Count("open "), opens);
}

}  // namespace
