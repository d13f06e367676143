#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "platform/linux/sysfs.h"
#include "tests/support/process.h"

namespace {

class FakeSysfs : public ::testing::Test {
protected:
    void SetUp() override { root = MakeTempDir("sysfs"); }
    void TearDown() override { RemoveTree(root); }

    void AddSr(int index, const std::string& type, const std::string& poll = "-1")
    {
        std::string dir = root + "/class/block/sr" + std::to_string(index);
        RunProcess({"mkdir", "-p", dir + "/device"});
        std::ofstream(dir + "/device/type") << type << "\n";
        std::ofstream(dir + "/events_poll_msecs") << poll << "\n";
    }
    std::string Read(const std::string& path)
    {
        std::string v;
        ReadSysfsValue(path, &v);
        return v;
    }
    std::string root;
};

TEST_F(FakeSysfs, LettersStandForSrDevicesInNumberOrder)
{
    AddSr(0, "5");
    AddSr(1, "4");   // a WORM drive is no CD-ROM
    AddSr(3, "5");
    EXPECT_EQ(SrIndexOfLetter('A'), 0);
    EXPECT_EQ(SrIndexOfLetter('D'), 3);
    EXPECT_EQ(SrIndexOfLetter('Z'), 25);
    EXPECT_TRUE(SrDeviceIsCdrom(root, 0));
    EXPECT_FALSE(SrDeviceIsCdrom(root, 1));
    EXPECT_TRUE(SrDeviceExists(root, 1));
    EXPECT_FALSE(SrDeviceExists(root, 2));
    EXPECT_FALSE(SrDeviceIsCdrom(root, 2));
    EXPECT_TRUE(SrDeviceIsCdrom(root, 3));
}

TEST_F(FakeSysfs, PollingOffSavesTheValueAndOnRestoresIt)
{
    AddSr(0, "5", "2000");
    std::string path = EventsPollPath(root, 0);
    PollState state;
    EXPECT_TRUE(SetEventsPolling(path, 1, &state));
    EXPECT_EQ(Read(path), "0");
    EXPECT_TRUE(SetEventsPolling(path, 1, &state));   // a second off keeps the first value
    EXPECT_EQ(state.value, "2000");
    EXPECT_TRUE(SetEventsPolling(path, 0, &state));
    EXPECT_EQ(Read(path), "2000");
}

TEST_F(FakeSysfs, SystemDefaultValueIsRestoredToo)
{
    AddSr(0, "5", "-1");
    std::string path = EventsPollPath(root, 0);
    PollState state;
    SetEventsPolling(path, 1, &state);
    SetEventsPolling(path, 0, &state);
    EXPECT_EQ(Read(path), "-1");
}

TEST_F(FakeSysfs, MissingFileFailsSilentlyAndOnWithoutOffChangesNothing)
{
    PollState state;
    EXPECT_FALSE(SetEventsPolling(EventsPollPath(root, 7), 1, &state));
    EXPECT_FALSE(state.saved);
    AddSr(0, "5", "500");
    EXPECT_TRUE(SetEventsPolling(EventsPollPath(root, 0), 0, &state));
    EXPECT_EQ(Read(EventsPollPath(root, 0)), "500");
}

TEST(CapabilityTest, RawIoBitOfTheEffectiveSet)
{
    EXPECT_TRUE(StatusHasRawIo("Name:\tx\nCapInh:\t0000000000000000\nCapEff:\t000001ffffffffff\n"));
    EXPECT_TRUE(StatusHasRawIo("CapEff:\t0000000000020000\n"));
    EXPECT_FALSE(StatusHasRawIo("CapPrm:\t0000000000020000\nCapEff:\t000001fffffdffff\n"));
    EXPECT_FALSE(StatusHasRawIo("CapEff:\t0000000000000000\n"));
    EXPECT_FALSE(StatusHasRawIo("Name:\tx\n"));
}

}  // namespace
