// The native programs on this machine, which has no optical drive.
#include <gtest/gtest.h>

#include "tests/support/process.h"

namespace {

const std::string kDir = KORVEL_BUILD_DIR;

class NativeProgramTest : public ::testing::TestWithParam<const char*> {};

TEST_P(NativeProgramTest, NoOpticalDriveMeansNoTarget)
{
    bool haveSr = RunProcess({"sh", "-c", "ls /sys/class/block/ | grep -q '^sr'"}).exitCode == 0;
    if (haveSr)
        GTEST_SKIP() << "this machine has an optical drive";
    ProcessResult r = RunProcess({kDir + "/korvel-" + GetParam(), "any", "arguments"});
    EXPECT_EQ(r.out, "There is no target drive.(Model Name Not Match)\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 1);
}

TEST_P(NativeProgramTest, WithoutRawIoItRefusesBeforeTouchingAnyDevice)
{
    // As nobody: no capabilities at all.
    ProcessResult r = RunProcess({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                  "strace", "-f", "-e", "trace=openat",
                                  kDir + "/korvel-" + GetParam()},
                                 // LeakSanitizer cannot work under ptrace.
                                 {{"ASAN_OPTIONS", "detect_leaks=0"}});
    if (r.exitCode == -1 || r.err.find("strace:") == 0)
        GTEST_SKIP() << r.err;
    EXPECT_EQ(r.out, "korvel needs root or the CAP_SYS_RAWIO capability to update a drive's "
                     "firmware.\n");
    EXPECT_EQ(r.exitCode, 10);
    EXPECT_EQ(r.err.find("/dev/sr"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("/sys/class/block"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Models, NativeProgramTest, ::testing::Values("kt72m", "rq35vw41"));

}  // namespace
