// Whole runs of korvel-sim-*: standard output byte for byte, exit code, and
// the trace of what reached the (simulated) platform.
#include <gtest/gtest.h>

#include <functional>

#include "tests/update/fixtures.h"
#include "tests/update/sim_run.h"

namespace {

const std::string kHeadA =
    "Varnolt FW Updater for KT72M\n\nTarget Drive : VARNOLT Optical Drive   KT11\n\n";
const std::string kHeadB =
    "Varnolt FW Updater for RQ35VW41\n\nTarget Drive : TOLVANEKBD-RE  RQ35VW41 1.01\n\n";
// 4000 ms of flashing polled every 500 ms.
const std::string kProgress =
    "FW Updating : 0 %\rFW Updating : 12 %\rFW Updating : 25 %\rFW Updating : 37 %\r"
    "FW Updating : 50 %\rFW Updating : 62 %\rFW Updating : 75 %\rFW Updating : 87 %\r";
const std::string kCompletedA = kProgress +
    "FW Updating : 100 %\n\nFW Updating Completed. \n\n"
    "After FW Updating : VARNOLT Optical Drive   KT12\n\nPress Any Key...\n";
const std::string kCompletedB = kProgress +
    "FW Updating : 100 %\n\nFW Updating Completed. \n\n"
    "After FW Updating : TOLVANEKBD-RE  RQ35VW41 1.02\n\nPress Any Key...\n";
const std::string kNoTarget = "There is no target drive.(Model Name Not Match)\n";

struct EndPath {
    std::string name;
    std::string model;
    std::function<std::vector<std::string>()> args;
    std::string out;
    int exitCode;
    bool keyWait;
    bool reachesDrive;   // the eject was sent: the sleep hold spans the rest
};

std::vector<std::string> With(std::vector<std::string> extra)
{
    std::vector<std::string> args = {"--drive", "E"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::vector<EndPath> EndPaths()
{
    std::vector<EndPath> rows;
    for (const std::string model : {"kt72m", "rq35vw41"}) {
        bool a = model == "kt72m";
        const std::string& head = a ? kHeadA : kHeadB;
        auto add = [&](const std::string& name, std::function<std::vector<std::string>()> args,
                       const std::string& out, int rc, bool key, bool drive) {
            rows.push_back({model + "_" + name, model, args, out, rc, key, drive});
        };
        add("no_target", [] { return std::vector<std::string>{"--letter", "C=fixed", "--drive", "D=other"}; },
            kNoTarget, 1, false, false);
        add("read_buffer_fails", [] { return With({"--fault", "send:3c@1=check:05/24/00"}); },
            head, 3, false, false);
        const std::string refusedHead =
            a ? "Varnolt FW Updater for KT72M\n\nTarget Drive : VARNOLT Optical Drive   KT13\n\n"
              : "Varnolt FW Updater for RQ35VW41\n\nTarget Drive : TOLVANEKBD-RE  RQ35VW41 1.02\n\n";
        add("revision_not_accepted", [a] { return With({"--revision", a ? "KT13" : "1.02"}); },
            refusedHead + "There is no target drive.(FW Version Not Match)\n", 2, false, false);
        add("resource_missing", [] { return With({"--resource", "101=missing"}); },
            head + "FW Resource Load Error #1.\n", 4, false, false);
        add("resource_not_loadable", [] { return With({"--resource", "101=unloadable"}); },
            head + "FW Resource Load Error #2.\n", 4, false, false);
        add("resource_too_small", [] { return With({"--resource", "101=truncate:0x200000"}); },
            head + "Wrong FW Resource Size.\n", 4, false, false);
        add("signature_fails", [] { return With({"--resource", "101=file:" + Fixtures().corruptA101}); },
            head + "May be corrupted FW file\n", 5, true, false);
        add("wrong_revision_in_image",
            [a] { return With({"--resource", "101=file:" + (a ? ImagePath("kt72m_102.bin") : Fixtures().genuineB101Rev)}); },
            head + "Wrong FW file.\n", 6, false, false);
        add("eject_fails", [] { return With({"--fault", "send:1b@1=check:02/53/02"}); },
            head + "Tray Eject Fail\n", 7, false, true);
        add("begin_download_fails", [] { return With({"--fault", "send:3b@1=check:05/24/00"}); },
            head + "FW Updating Failure. #1\n", 8, false, true);
        add("first_piece_fails", [] { return With({"--fault", "send:3b@2=check:05/24/00"}); },
            head + "FW Updating Failure. #2\n", 8, false, true);
        add("last_piece_fails", [] { return With({"--fault", "send:3b@129=check:05/24/00"}); },
            head + "FW Updating Failure. #2\n", 8, false, true);
        add("commit_fails", [] { return With({"--fault", "send:3b@130=check:05/2c/00"}); },
            head + "FW Updating Failure. #3\n", 8, false, true);
        add("completed", [] { return With({}); }, head + (a ? kCompletedA : kCompletedB), 0, true, true);
        add("drive_keeps_old_firmware", [] { return With({"--flash-keeps-old"}); },
            head + kProgress + "FW Updating : 100 %\n\nFW Updating Completed. \n\nAfter FW Updating : " +
                (a ? "VARNOLT Optical Drive   KT11" : "TOLVANEKBD-RE  RQ35VW41 1.01") +
                "\n\nFW Version Check Failure. The drive does not report the new firmware.\n"
                "Press Any Key...\n",
            11, true, true);
        add("read_back_fails", [] { return With({"--readback-fails"}); },
            head + kProgress + "FW Updating : 100 %\n\nFW Updating Completed. \n\nAfter FW Updating : " +
                (a ? "VARNOLT Optical Drive   KT12" : "TOLVANEKBD-RE  RQ35VW41 1.02") +
                "\n\nFW Version Check Failure. The drive does not report the new firmware.\n"
                "Press Any Key...\n",
            11, true, true);
        add("no_drive_access", [] { return With({"--deny-drive-access"}); },
            "korvel needs administrator rights (root or CAP_SYS_RAWIO on Linux) to update the drive.\n",
            10, false, false);
    }
    return rows;
}

void PrintTo(const EndPath& p, std::ostream* os)
{
    *os << p.name;
}

bool SentEject(const SimRun& run)
{
    for (const std::string& l : run.Lines("scsi "))
        if (l.find("cdb=1b 00 00 00 02 00") != std::string::npos)
            return true;
    return false;
}

class EndPathTest : public ::testing::TestWithParam<EndPath> {};

TEST_P(EndPathTest, TranscriptExitCodeAndTrace)
{
    const EndPath& p = GetParam();
    SimRun run = RunSim(p.model, p.args());
    EXPECT_EQ(run.out, p.out);
    EXPECT_EQ(run.exitCode, p.exitCode);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.Count("key"), p.keyWait ? 1u : 0u);

    bool discovered = p.exitCode != 1 && p.exitCode != 10;
    if (!discovered) {
        EXPECT_EQ(run.Count("mcn "), 0u);
        return;
    }
    // Notification off right after discovery, back on at the very end.
    std::vector<std::string> mcn = run.Lines("mcn ");
    ASSERT_EQ(mcn.size(), 2u);
    EXPECT_NE(mcn[0].find("prevent=1 -> ok"), std::string::npos);
    EXPECT_NE(mcn[1].find("prevent=0 -> ok"), std::string::npos);
    std::vector<std::string> end = run.Lines("end E:");
    ASSERT_EQ(end.size(), 1u);
    EXPECT_NE(end[0].find("notification=on"), std::string::npos);
    int lastScsi = -1;
    for (size_t i = 0; i < run.trace.size(); i++)
        if (run.trace[i].rfind("scsi ", 0) == 0)
            lastScsi = (int)i;
    int restore = run.Find("mcn h", (size_t)run.Find("mcn h") + 1);
    EXPECT_LT(lastScsi, restore);

    // The sleep hold spans exactly the drive-changing commands.
    if (p.reachesDrive) {
        int hold = run.Find("hold on");
        ASSERT_GE(hold, 0);
        EXPECT_NE(run.trace[(size_t)hold + 1].find("cdb=1b 00 00 00 02 00"), std::string::npos);
        int release = run.Find("hold off");
        ASSERT_GT(release, lastScsi);
        EXPECT_EQ(run.Count("hold on"), 1u);
        EXPECT_EQ(run.Count("hold off"), 1u);
    } else {
        EXPECT_EQ(run.Count("hold "), 0u);
        EXPECT_FALSE(SentEject(run));
    }
    EXPECT_TRUE(run.Has("end hold=off"));
}

INSTANTIATE_TEST_SUITE_P(Paths, EndPathTest, ::testing::ValuesIn(EndPaths()),
                         [](const ::testing::TestParamInfo<EndPath>& i) { return i.param.name; });

TEST(TranscriptTest, ArgumentsOfKorvelItselfAreNotItsConcern)
{
    // The harness consumes its options; anything else is refused before korvel runs.
    SimRun run = RunSim("kt72m", {"--no-such-option"});
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(run.out, "");
}

TEST(TranscriptTest, DefaultMachineProbesEachCdromUpToTheTarget)
{
    SimRun run = RunSim("kt72m", {});
    EXPECT_EQ(run.exitCode, 0);
    std::vector<std::string> opens = run.Lines("open ");
    ASSERT_GE(opens.size(), 3u);
    EXPECT_EQ(opens[0], "open \\\\.\\D: rw -> h1");
    EXPECT_EQ(opens[1], "open \\\\.\\E: rw -> h2");
    EXPECT_EQ(opens[2], "open \\\\.\\E: attr -> h3");
    EXPECT_EQ(run.Lines("close "), std::vector<std::string>{"close h1"});
}

TEST(TranscriptTest, ShortGenuineImageIsRefusedBeforeTheEject)
{
    SimRun run = RunSim("kt72m", With({"--resource", "101=file:" + Fixtures().shortGenuineA}));
    EXPECT_EQ(run.out, kHeadA + "Wrong FW Resource Size.\n");
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.Lines("exit-code "), std::vector<std::string>{"exit-code 0"});
    EXPECT_FALSE(SentEject(run));
    EXPECT_EQ(run.Count("hold "), 0u);
}

}  // namespace
