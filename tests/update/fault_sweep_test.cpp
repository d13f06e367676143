// A fault on every command of a complete update, of each kind: the run ends
// the way its Part says for that command, sends nothing after a fatal one, and
// always switches media change notification back on.
#include <gtest/gtest.h>

#include "tests/update/sim_run.h"

namespace {

struct Kind {
    const char* action;
    const char* transportText;   // printed by the transport, or ""
};

const Kind kKinds[] = {
    {"error:31", "Error : DeviceIoControl Error: Error Code 31\nI can't issue Command through SPTI"},
    {"check:04/44/00", ""},
    {"status:08", ""},
};

// What a fault on a command of this role does to the run.
struct Role {
    int exitCode;             // exit code of the run
    const char* message;      // our message that must appear, or ""
    bool fatal;               // no command follows it
};

Role RoleOf(const std::string& line, bool probeOfTarget, bool afterCommit, bool afterReset)
{
    auto has = [&](const char* cdb) { return line.find(std::string("cdb=") + cdb) != std::string::npos; };
    if (has("12 00 00 00 c0 00"))
        return probeOfTarget ? Role{1, "There is no target drive.(Model Name Not Match)\n", true}
                             : Role{0, "", false};
    if (has("12 00 00 00 ff"))
        return {0, "", false};   // the identification is only shown
    if (has("3c 06"))
        return afterReset ? Role{11, "FW Version Check Failure.", false} : Role{3, "", true};
    if (has("1b 00 00 00 02"))
        return {7, "Tray Eject Fail\n", true};
    if (has("3b 06 67"))
        return {8, "FW Updating Failure. #1\n", true};
    if (has("3b 06 00"))
        return {8, "FW Updating Failure. #2\n", true};
    if (has("3b 07"))
        return {8, "FW Updating Failure. #3\n", true};
    (void)afterCommit;
    return {0, "", false};   // TEST UNIT READY: the wait and the monitor go on
}

class FaultSweepTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FaultSweepTest, EveryCommandPositionEveryKind)
{
    std::string model = GetParam();
    std::vector<std::string> base = {"--drive", "D=other", "--drive", "E"};
    SimRun clean = RunSim(model, base);
    ASSERT_EQ(clean.exitCode, 0);
    std::vector<std::string> commands = clean.Lines("scsi ");
    ASSERT_GT(commands.size(), 140u);

    bool afterCommit = false, afterReset = false;
    for (size_t n = 1; n <= commands.size(); n++) {
        const std::string& line = commands[n - 1];
        bool probeOfTarget = n == 2;
        Role role = RoleOf(line, probeOfTarget, afterCommit, afterReset);
        for (const Kind& kind : kKinds) {
            SCOPED_TRACE("command " + std::to_string(n) + " " + line + " fault " + kind.action);
            std::vector<std::string> args = base;
            args.push_back("--fault");
            args.push_back("send@" + std::to_string(n) + "=" + kind.action);
            SimRun run = RunSim(model, args);
            EXPECT_EQ(run.exitCode, role.exitCode) << run.out;
            if (*role.message != 0) {
                EXPECT_NE(run.out.find(role.message), std::string::npos) << run.out;
            }
            if (*kind.transportText != 0) {
                EXPECT_NE(run.out.find(kind.transportText), std::string::npos);
            }
            std::vector<std::string> sent = run.Lines("scsi ");
            if (role.fatal) {
                ASSERT_EQ(sent.size(), n);
                EXPECT_EQ(run.Count("key"), 0u);
            }
            if (role.exitCode != 1) {
                std::vector<std::string> end = run.Lines("end E:");
                ASSERT_EQ(end.size(), 1u);
                EXPECT_NE(end[0].find("notification=on"), std::string::npos);
                EXPECT_TRUE(run.Has("end hold=off"));
            }
        }
        afterCommit = afterCommit || line.find("cdb=3b 07") != std::string::npos;
        afterReset = afterReset || line.find("sense 06/29/00") != std::string::npos;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, FaultSweepTest, ::testing::Values("kt72m", "rq35vw41"));

}  // namespace
