#include "platform/linux/sleep_inhibitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <systemd/sd-bus.h>

static int inhibitFd = -1;

InhibitRequest SleepInhibitRequest(void)
{
    return {"sleep:shutdown", "korvel", "Drive firmware update in progress", "block"};
}

bool TakeSleepInhibitor(void)
{
    if (inhibitFd >= 0)
        return true;
    sd_bus* bus = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    InhibitRequest r = SleepInhibitRequest();
    int fd = -1;
    int ret = sd_bus_open_system(&bus);
    if (ret >= 0)
        ret = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", "Inhibit", &error, &reply,
                                 "ssss", r.what.c_str(), r.who.c_str(), r.why.c_str(),
                                 r.mode.c_str());
    if (ret >= 0)
        ret = sd_bus_message_read(reply, "h", &fd);
    // The descriptor belongs to the reply: keep a copy of our own.
    if (ret >= 0 && fd >= 0)
        inhibitFd = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return inhibitFd >= 0;
}

void ReleaseSleepInhibitor(void)
{
    if (inhibitFd >= 0)
        close(inhibitFd);
    inhibitFd = -1;
}

bool SleepInhibitorHeld(void)
{
    return inhibitFd >= 0;
}
