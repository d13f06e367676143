// The command sequence of the download and the monitor, read from the trace.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/update/sim_run.h"
#include "sim/machine/sim_machine.h"

namespace {

std::vector<std::string> Args(std::vector<std::string> extra)
{
    std::vector<std::string> args = {"--drive", "E"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

bool IsCdb(const std::string& line, const std::string& cdbPrefix)
{
    return line.rfind("scsi ", 0) == 0 && line.find("cdb=" + cdbPrefix) != std::string::npos;
}

// Trace lines from the first one holding cdbPrefix on: commands and sleeps only.
std::vector<std::string> From(const SimRun& run, const std::string& cdbPrefix)
{
    std::vector<std::string> out;
    bool started = false;
    for (const std::string& l : run.trace) {
        started = started || IsCdb(l, cdbPrefix);
        if (started && (l.rfind("scsi ", 0) == 0 || l.rfind("sleep ", 0) == 0))
            out.push_back(l);
    }
    return out;
}

class SequenceTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SequenceTest, BodyGoesIn128PiecesOfImageBytes)
{
    std::string model = GetParam();
    SimRun run = RunSim(model, Args({}));
    ASSERT_EQ(run.exitCode, 0);
    std::vector<uint8_t> image = ReadBytes(ImagePath(model + "_101.bin"));
    std::vector<std::string> pieces;
    for (const std::string& l : run.Lines("scsi "))
        if (IsCdb(l, "3b 06 00"))
            pieces.push_back(l);
    ASSERT_EQ(pieces.size(), 128u);
    for (uint32_t k = 0; k < 128; k++) {
        uint32_t offset = k * 0x4000;
        char expected[160];
        snprintf(expected, sizeof(expected),
                 "cdb=3b 06 00 %02x %02x %02x 00 40 00 00 00 00 dir=out xfer=16384 timeout=60 "
                 "sum=%08x -> good",
                 (offset >> 16) & 0xFF, (offset >> 8) & 0xFF, offset & 0xFF,
                 sim::Fnv1a(image.data() + 4 + offset, 0x4000));
        EXPECT_NE(pieces[k].find(expected), std::string::npos) << "piece " << k << ": " << pieces[k];
    }
    // Begin right before the first piece, commit right after the last, then a poll at once.
    std::vector<std::string> seq = From(run, "3b 06 67");
    ASSERT_GT(seq.size(), 131u);
    EXPECT_TRUE(IsCdb(seq[1], "3b 06 00 00 00 00"));
    EXPECT_TRUE(IsCdb(seq[129], "3b 07 00 00 00 00 00 00 00 00 1b 12"));
    EXPECT_TRUE(IsCdb(seq[130], "00 00 00 00 00 00 00 00 00 00 00 00"));
}

TEST_P(SequenceTest, CompletionPausesTwiceThenInquiryThenReadBack)
{
    SimRun run = RunSim(GetParam(), Args({}));
    ASSERT_EQ(run.exitCode, 0);
    std::vector<std::string> tail;
    for (const std::string& l : run.trace)
        if (l.rfind("scsi ", 0) == 0 || l.rfind("sleep ", 0) == 0 || l == "key")
            tail.push_back(l);
    ASSERT_GE(tail.size(), 8u);
    tail.erase(tail.begin(), tail.end() - 8);
    EXPECT_NE(tail[0].find("sense 06/29/00"), std::string::npos) << tail[0];
    EXPECT_EQ(tail[1], "sleep 200");
    EXPECT_TRUE(IsCdb(tail[2], "00 00 00 00"));
    EXPECT_EQ(tail[3], "sleep 200");
    EXPECT_TRUE(IsCdb(tail[4], "00 00 00 00"));
    EXPECT_TRUE(IsCdb(tail[5], "12 00 00 00 ff"));
    EXPECT_TRUE(IsCdb(tail[6], "3c 06 00 1e c0 00 00 01 00"));
    EXPECT_EQ(tail[7], "key");
}

INSTANTIATE_TEST_SUITE_P(Models, SequenceTest, ::testing::Values("kt72m", "rq35vw41"));

struct TrayCase {
    const char* polls;
    int turs;
    int pauses;
};

void PrintTo(const TrayCase& c, std::ostream* os)
{
    *os << c.polls;
}

class TrayWaitTest : public ::testing::TestWithParam<TrayCase> {};

TEST_P(TrayWaitTest, PollsUntilTheTrayReportsOpenOrFiveTimes)
{
    SimRun run = RunSim("kt72m", Args({"--tray-polls", GetParam().polls}));
    ASSERT_EQ(run.exitCode, 0);
    std::vector<std::string> seq = From(run, "1b 00 00 00 02");
    size_t i = 1;
    int turs = 0, pauses = 0;
    for (; i < seq.size() && !IsCdb(seq[i], "3b 06 67"); i++) {
        if (IsCdb(seq[i], "00 00 00 00"))
            turs++;
        else if (seq[i] == "sleep 1000")
            pauses++;
        else
            ADD_FAILURE() << "unexpected " << seq[i];
    }
    EXPECT_EQ(turs, GetParam().turs);
    EXPECT_EQ(pauses, GetParam().pauses);
    EXPECT_EQ(run.out.find("Tray"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Polls, TrayWaitTest,
                         ::testing::Values(TrayCase{"1", 1, 0}, TrayCase{"3", 3, 2},
                                           TrayCase{"5", 5, 4}, TrayCase{"0", 5, 5},
                                           TrayCase{"6", 5, 5}));

TEST(MonitorTest, ResetAsFirstAnswerPrintsNoProgressLine)
{
    SimRun run = RunSim("kt72m", Args({"--flash-ms", "0"}));
    EXPECT_EQ(run.exitCode, 0);
    size_t head = run.out.find("KT11\n\n") + 6;
    EXPECT_EQ(run.out.substr(head, 24), "FW Updating : 100 %\n\nFW ");
}

TEST(MonitorTest, CountsAboveTheBodySizeAreNotClamped)
{
    SimRun run = RunSim("kt72m", Args({"--flash-final-count", "0x400000", "--flash-ms", "2000"}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("FW Updating : 0 %\rFW Updating : 50 %\rFW Updating : 100 %\r"
                           "FW Updating : 150 %\rFW Updating : 100 %\n\n"),
              std::string::npos);
}

TEST(MonitorTest, StatusesMatchingNeitherPatternPrintNothingAndPauseBriefly)
{
    SimRun plain = RunSim("kt72m", Args({}));
    SimRun noisy = RunSim("kt72m", Args({"--flash-noise", "2"}));
    EXPECT_EQ(noisy.exitCode, 0);
    EXPECT_EQ(noisy.out, plain.out.substr(0, plain.out.find("FW Updating : 0 %")) +
                             noisy.out.substr(noisy.out.find("FW Updating : 0 %")));
    size_t noise = 0;
    for (size_t i = 0; i + 1 < noisy.trace.size(); i++)
        if (noisy.trace[i].find("sense 02/04/07") != std::string::npos) {
            noise++;
            EXPECT_EQ(noisy.trace[i + 1], "sleep 100");
        }
    EXPECT_GT(noise, 2u);
    EXPECT_EQ(plain.Count("sleep 100"), 0u);
}

TEST(MonitorTest, DriveThatNeverResetsIsGivenUpAfterTenMinutesWithoutProgress)
{
    SimRun run = RunSim("kt72m", Args({"--flash-never-resets"}));
    EXPECT_EQ(run.exitCode, 9);
    const std::string tail =
        "FW Updating : 100 %\r\nFW Updating Failure. The drive reported no progress for 10 "
        "minutes.\n";
    ASSERT_GE(run.out.size(), tail.size());
    EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
    EXPECT_EQ(run.Count("key"), 0u);
    EXPECT_EQ(run.Count("hold on"), 1u);
    EXPECT_TRUE(run.Has("end hold=off"));
    // 4 s of flashing, then 600 s of polls that repeat the same count.
    uint64_t slept = 0;
    for (const std::string& l : run.Lines("sleep "))
        slept += std::stoul(l.substr(6));
    EXPECT_GE(slept, 604000u);
    EXPECT_LE(slept, 605000u);
}

TEST(MonitorTest, TransportThatKeepsFailingIsGivenUpToo)
{
    SimRun run = RunSim("kt72m", Args({"--fault", "send:00@2+=error:1117"}));
    EXPECT_EQ(run.exitCode, 9);
    EXPECT_NE(run.out.find("Error : DeviceIoControl Error: Error Code 1117\nI can't issue Command "
                           "through SPTIFW Updating Failure. The drive reported no progress"),
              std::string::npos);
}

struct RevisionCase {
    const char* model;
    const char* revision;
    int resource;   // 0: refused
};

void PrintTo(const RevisionCase& c, std::ostream* os)
{
    *os << c.model << " " << c.revision;
}

class RevisionChoiceTest : public ::testing::TestWithParam<RevisionCase> {};

TEST_P(RevisionChoiceTest, CurrentRevisionDecidesTheImage)
{
    const RevisionCase& c = GetParam();
    // Stop at the eject: the choice and the checks before it are what matter here.
    SimRun run = RunSim(c.model, Args({"--revision", c.revision, "--fault",
                                       "send:1b@1=check:02/53/02"}));
    if (c.resource == 0) {
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.Count("resource "), 0u);
    } else {
        EXPECT_EQ(run.exitCode, 7) << run.out;
        EXPECT_EQ(run.Lines("resource "),
                  (std::vector<std::string>{"resource " + std::to_string(c.resource) + " -> found",
                                            "resource 103 -> found"}));
        EXPECT_EQ(run.Lines("exit-code "), std::vector<std::string>{"exit-code 0"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Revisions, RevisionChoiceTest,
    ::testing::Values(RevisionCase{"kt72m", "KT10", 101}, RevisionCase{"kt72m", "KT11", 101},
                      RevisionCase{"kt72m", "KT12", 101}, RevisionCase{"kt72m", "KW10", 102},
                      RevisionCase{"kt72m", "KW11", 102}, RevisionCase{"kt72m", "KW12", 102},
                      RevisionCase{"kt72m", "Kt11", 0}, RevisionCase{"kt72m", "KT1", 0},
                      RevisionCase{"kt72m", "KT13", 0}, RevisionCase{"rq35vw41", "1.00", 101},
                      RevisionCase{"rq35vw41", "1.01", 101}, RevisionCase{"rq35vw41", "1.02", 0},
                      RevisionCase{"rq35vw41", "1.0", 0}, RevisionCase{"rq35vw41", "KT11", 0}));

TEST(ImageCheckTest, ResourceOneByteOverTheBodyPassesTheSizeTestAndTheSignatureDecides)
{
    SimRun run = RunSim("kt72m", Args({"--resource", "101=truncate:0x200001"}));
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.Lines("spawn "), std::vector<std::string>{"spawn CHEKVAL.EXE FW.bin -> ok"});
    EXPECT_NE(run.out.find("May be corrupted FW file\n"), std::string::npos);
}

TEST(ImageCheckTest, MissingVerifierResourceFailsTheSignatureCheck)
{
    SimRun run = RunSim("kt72m", Args({"--resource", "103=missing"}));
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.Count("spawn "), 0u);
    EXPECT_TRUE(run.Has("file delete FW.bin -> ok"));
    EXPECT_TRUE(run.Has("folder remove -> ok"));
}

}  // namespace
