// In-process tests of the drive access code over the simulated machine.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/config.h"
#include "drive/discovery.h"
#include "drive/media_notification.h"
#include "drive/transport.h"
#include "sim/machine/sim_machine.h"

inline simdrive::Setup Kt72mDrive(const std::string& revision = "KT11")
{
    simdrive::Setup s;
    s.vendor = "VARNOLT";
    s.product = "Optical Drive";
    s.revision = revision;
    return s;
}

inline simdrive::Setup Rq35Drive(const std::string& revision = "1.01")
{
    simdrive::Setup s;
    s.vendor = "TOLVANEK";
    s.product = "BD-RE  RQ35VW41";
    s.revision = revision;
    s.firmwareProduct = "BD-RE  RQ35VW41";
    return s;
}

inline simdrive::Setup OtherDrive()
{
    simdrive::Setup s;
    s.vendor = "ACME";
    s.product = "DVD-RW AD-7290H";
    s.revision = "1.00";
    return s;
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m.Reset();
        ResetTransportState();
        ResetMediaNotificationState();
        memset(DriveLetterTable, 0, sizeof(DriveLetterTable));
        TargetDriveIndex = -1;
        TargetConfig = &kConfigurationKT72M;
    }

    void AddDrive(char letter, const simdrive::Setup& setup = Kt72mDrive())
    {
        m.At(letter).type = PLAT_DRIVE_CDROM;
        m.At(letter).drive.reset(new simdrive::Drive(setup));
    }

    void AddFault(const std::string& spec)
    {
        sim::Fault f;
        std::string error;
        ASSERT_TRUE(sim::ParseFault(spec, &f, &error)) << error;
        m.faults.push_back(f);
    }

    // Trace lines that start with prefix.
    std::vector<std::string> Lines(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& l : m.trace)
            if (l.rfind(prefix, 0) == 0)
                out.push_back(l);
        return out;
    }

    size_t Count(const std::string& prefix) const { return Lines(prefix).size(); }

    bool LastSenseIsZero() const
    {
        for (uint8_t b : LastSense)
            if (b != 0)
                return false;
        return true;
    }

    sim::Machine& m = sim::TheMachine();
};
