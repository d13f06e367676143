// The logind inhibitor over a private bus (dbus-daemon) with a fake logind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include <systemd/sd-bus.h>

#include "platform/linux/sleep_inhibitor.h"

extern char** environ;

namespace {

struct FakeLogind {
    InhibitRequest got;
    int calls = 0;
    int writeEnd = -1;

    static int Inhibit(sd_bus_message* m, void* data, sd_bus_error*)
    {
        FakeLogind* self = static_cast<FakeLogind*>(data);
        const char *what, *who, *why, *mode;
        int r = sd_bus_message_read(m, "ssss", &what, &who, &why, &mode);
        if (r < 0)
            return r;
        self->got = {what, who, why, mode};
        self->calls++;
        int p[2];
        if (pipe(p) != 0)
            return -errno;
        self->writeEnd = p[1];
        r = sd_bus_reply_method_return(m, "h", p[0]);
        close(p[0]);
        return r;
    }
};

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Inhibit", "ssss", "h", FakeLogind::Inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

class SleepInhibitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        signal(SIGPIPE, SIG_IGN);
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        char* argv[] = {(char*)"dbus-daemon", (char*)"--session", (char*)"--nofork",
                        (char*)"--print-address=1", nullptr};
        ASSERT_EQ(posix_spawnp(&daemon, "dbus-daemon", &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char buffer[512];
        ssize_t n = read(out[0], buffer, sizeof(buffer) - 1);
        close(out[0]);
        ASSERT_GT(n, 0);
        address.assign(buffer, (size_t)n);
        while (!address.empty() && address.back() == '\n')
            address.pop_back();

        ASSERT_GE(sd_bus_new(&server), 0);
        sd_bus_set_address(server, address.c_str());
        sd_bus_set_bus_client(server, 1);
        sd_bus_negotiate_fds(server, 1);
        ASSERT_GE(sd_bus_start(server), 0);
        ASSERT_GE(sd_bus_add_object_vtable(server, nullptr, "/org/freedesktop/login1",
                                           "org.freedesktop.login1.Manager", kVtable, &logind), 0);
        ASSERT_GE(sd_bus_request_name(server, "org.freedesktop.login1", 0), 0);
        thread = std::thread([this] {
            while (!stop) {
                int r = sd_bus_process(server, nullptr);
                if (r == 0)
                    sd_bus_wait(server, 50000);
            }
        });
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    }

    void TearDown() override
    {
        ReleaseSleepInhibitor();
        stop = true;
        if (thread.joinable())
            thread.join();
        sd_bus_flush_close_unref(server);
        if (daemon > 0) {
            kill(daemon, SIGTERM);
            waitpid(daemon, nullptr, 0);
        }
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    pid_t daemon = -1;
    std::string address;
    sd_bus* server = nullptr;
    FakeLogind logind;
    std::thread thread;
    std::atomic<bool> stop{false};
};

TEST_F(SleepInhibitorTest, TakesABlockingSleepAndShutdownLockAndReleasesIt)
{
    ASSERT_TRUE(TakeSleepInhibitor());
    EXPECT_TRUE(SleepInhibitorHeld());
    EXPECT_EQ(logind.calls, 1);
    EXPECT_EQ(logind.got.what, "sleep:shutdown");
    EXPECT_EQ(logind.got.who, "korvel");
    EXPECT_EQ(logind.got.why, "Drive firmware update in progress");
    EXPECT_EQ(logind.got.mode, "block");
    // The lock lasts while its descriptor is open: the pipe still has a reader.
    ASSERT_GE(logind.writeEnd, 0);
    EXPECT_EQ(write(logind.writeEnd, "x", 1), 1);
    ReleaseSleepInhibitor();
    EXPECT_FALSE(SleepInhibitorHeld());
    // Once every reader is gone (the bus may drop its copies a moment later),
    // the write end reports an error.
    struct pollfd p = {logind.writeEnd, 0, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    EXPECT_TRUE(p.revents & POLLERR);
    close(logind.writeEnd);
}

TEST(SleepInhibitorNoBusTest, WithoutLogindNothingHappens)
{
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/korvel-test-bus", 1);
    EXPECT_FALSE(TakeSleepInhibitor());
    EXPECT_FALSE(SleepInhibitorHeld());
    ReleaseSleepInhibitor();
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

}  // namespace
