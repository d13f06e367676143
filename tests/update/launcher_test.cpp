// The signature check launcher over the real host: its private folder, the
// files in it, the verifier process.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/update/fixtures.h"
#include "tests/update/sim_run.h"

namespace {

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override { tmp = MakeTempDir("launcher"); }
    void TearDown() override { RemoveTree(tmp); }

    SimRun Run(const std::string& tmpdir, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"--drive", "E", "--fault", "send:1b@1=check:02/53/02"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunSim("kt72m", args, {{"TMPDIR", tmpdir}});
    }
    std::string tmp;
};

TEST_F(LauncherTest, GenuineImageLeavesNothingBehind)
{
    SimRun run = Run(tmp);
    EXPECT_EQ(run.exitCode, 7);   // passed the signature, stopped at the eject
    EXPECT_EQ(run.Lines("spawn "), std::vector<std::string>{"spawn CHEKVAL.EXE FW.bin -> ok"});
    EXPECT_EQ(run.Lines("exit-code "), std::vector<std::string>{"exit-code 0"});
    EXPECT_TRUE(ListDir(tmp).empty());
}

TEST_F(LauncherTest, VerifierFailureLeavesNothingBehind)
{
    SimRun run = Run(tmp, {"--resource", "101=file:" + Fixtures().corruptA101});
    EXPECT_EQ(run.exitCode, 5);
    // chekval's result 0xF008 reaches a POSIX parent as its low 8 bits.
    EXPECT_EQ(run.Lines("exit-code "), std::vector<std::string>{"exit-code 8"});
    EXPECT_TRUE(run.Has("file delete FW.bin -> ok"));
    EXPECT_TRUE(run.Has("file delete CHEKVAL.EXE -> ok"));
    EXPECT_TRUE(ListDir(tmp).empty());
}

TEST_F(LauncherTest, UnusableTemporaryFolderStartsNoProcess)
{
    for (const std::string& bad : std::vector<std::string>{tmp + "/missing", "/dev/null"}) {
        SimRun run = Run(bad);
        EXPECT_EQ(run.exitCode, 5) << bad;
        EXPECT_EQ(run.Count("spawn "), 0u);
        EXPECT_EQ(run.Count("file create"), 0u);
    }
    EXPECT_TRUE(ListDir(tmp).empty());
}

TEST_F(LauncherTest, TemporaryPathWithBlanks)
{
    std::string spaced = tmp + "/user name with blanks";
    ASSERT_EQ(mkdir(spaced.c_str(), 0700), 0);
    SimRun run = Run(spaced);
    EXPECT_EQ(run.exitCode, 7);
    EXPECT_EQ(run.Lines("exit-code "), std::vector<std::string>{"exit-code 0"});
    EXPECT_TRUE(ListDir(spaced).empty());
}

TEST_F(LauncherTest, TemporaryPathTooLongForTheBuffersIsRefused)
{
    std::string deep = tmp;
    while (deep.size() < 250) {
        deep += "/0123456789";
        ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    }
    SimRun run = Run(deep);
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.Count("spawn "), 0u);
    EXPECT_TRUE(ListDir(deep).empty());
}

TEST_F(LauncherTest, PlantedFilesAndLinksAreNeverUsed)
{
    // A planted verifier that would accept anything, and links of our names.
    std::string fake = tmp + "/CHEKVAL.EXE";
    WriteBytes(fake, {'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n', 'e', 'x', 'i', 't', ' ',
                      '0', '\n'});
    chmod(fake.c_str(), 0755);
    std::string victim = tmp + "/victim";
    WriteBytes(victim, {'k', 'e', 'e', 'p'});
    ASSERT_EQ(symlink(victim.c_str(), (tmp + "/FW.bin").c_str()), 0);

    SimRun run = Run(tmp, {"--resource", "101=file:" + Fixtures().corruptA101});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.Lines("exit-code "), std::vector<std::string>{"exit-code 8"});
    EXPECT_EQ(ReadBytes(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(ReadBytes(fake).size(), 17u);
    EXPECT_EQ(ListDir(tmp).size(), 3u);
}

struct HostFault {
    const char* fault;
    size_t creates;     // file create lines
    size_t deletes;     // file delete lines
};

void PrintTo(const HostFault& c, std::ostream* os)
{
    *os << c.fault;
}

class LauncherFaultTest : public LauncherTest, public ::testing::WithParamInterface<HostFault> {};

TEST_P(LauncherFaultTest, EveryHostFailureIsASignatureFailureWithNothingLeft)
{
    SimRun run = Run(tmp, {"--fault", GetParam().fault});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.out.substr(run.out.size() - 25), "May be corrupted FW file\n");
    EXPECT_EQ(run.Count("file create"), GetParam().creates);
    EXPECT_EQ(run.Count("file delete"), GetParam().deletes);
    EXPECT_EQ(run.Count("exit-code"), 0u);
    EXPECT_TRUE(ListDir(tmp).empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, LauncherFaultTest,
                         ::testing::Values(HostFault{"folder@1=error:5", 0, 0},
                                           HostFault{"create@1=error:5", 1, 0},
                                           HostFault{"create@2=error:32", 2, 1},
                                           HostFault{"spawn@1=error:2", 2, 2}));

}  // namespace
