#include "sim/harness/sim_options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/host.h"
#include "sim/machine/sim_machine.h"

namespace sim {

namespace {

bool ModelSetup(const std::string& model, simdrive::Setup* setup)
{
    simdrive::Setup s;
    if (model == "kt72m") {
        s.vendor = "VARNOLT";
        s.product = "Optical Drive";
        s.revision = "KT11";
        s.firmwareVendor = "TOLVANEK";
        s.firmwareProduct = "BD-RE KT72M";
    } else if (model == "rq35vw41") {
        s.vendor = "TOLVANEK";
        s.product = "BD-RE  RQ35VW41";
        s.revision = "1.01";
        s.firmwareVendor = "TOLVANEK";
        s.firmwareProduct = "BD-RE  RQ35VW41";
    } else if (model == "other") {
        s.vendor = "ACME";
        s.product = "DVD-RW AD-7290H";
        s.revision = "1.00";
        s.firmwareVendor = "ACME";
        s.firmwareProduct = "DVD-RW AD-7290H";
    } else {
        return false;
    }
    *setup = s;
    return true;
}

bool ParseNumber(const char* text, uint64_t* value)
{
    char* end = nullptr;
    *value = strtoull(text, &end, 0);
    return end != text && *end == 0;
}

bool ParseLetter(const std::string& text, char* letter)
{
    if (text.empty() || text[0] < 'A' || text[0] > 'Z')
        return false;
    *letter = text[0];
    return text.size() == 1 || (text.size() == 2 && text[1] == ':');
}

}  // namespace

const char* HarnessUsage(void)
{
    return "Runs korvel over a simulated machine. Without machine options the machine has\n"
           "C: (fixed disk), D: (CD-ROM, another maker's drive) and E: (CD-ROM, this build's\n"
           "drive model). Options:\n"
           "  --letter X=TYPE        letter X has TYPE: cdrom, fixed, removable, remote,\n"
           "                         ramdisk, unknown or absent (a cdrom with no drive behind)\n"
           "  --drive X[=MODEL]      letter X is a CD-ROM with a simulated drive; MODEL is\n"
           "                         kt72m, rq35vw41 or other (default: this build's model)\n"
           " For the last --drive:\n"
           "  --vendor TEXT          INQUIRY vendor identification (padded to 8)\n"
           "  --product TEXT         INQUIRY product identification (padded to 16)\n"
           "  --revision REV         revision of the running firmware (4 characters)\n"
           "  --tray-polls N         the tray reports open on the Nth TEST UNIT READY after\n"
           "                         the eject; 0 = never (default 1)\n"
           "  --flash-ms N           flashing lasts N virtual milliseconds (default 4000)\n"
           "  --flash-final-count N  progress count at the end of flashing (default 0x200000)\n"
           "  --flash-noise N        every Nth poll while flashing answers NOT READY 04/07\n"
           "  --flash-never-resets   the drive never reports its reset\n"
           "  --flash-keeps-old      the drive resets but still runs its old firmware\n"
           "  --readback-fails       READ BUFFER fails after the flashing\n"
           " Faults (SQLite-style, on the Nth call of an operation; N+ = that call and later):\n"
           "  --fault OP[:OPCODE]@N[+]=ACTION\n"
           "      OP: type, open, send, mcn, folder, create, spawn; OPCODE (send only, hex)\n"
           "      counts only that SCSI command\n"
           "      ACTION: error:CODE (open, send, mcn; any code for folder, create, spawn),\n"
           "              type:TYPE (type), check:KK/AA/QQ, status:HH[:KK/AA/QQ] (send)\n"
           " Resources:\n"
           "  --resource ID=missing|unloadable|file:PATH|truncate:N\n"
           " Run:\n"
           "  --trace FILE           write a trace of every platform call to FILE\n"
           "  --realtime             sleeps take real time; key waits read the terminal\n"
           "  --deny-drive-access    the platform refuses drive commands\n"
           "  --help                 this text\n";
}

bool ConfigureMachine(int argc, char** argv, const std::string& defaultModel, bool* help,
                      std::string* error)
{
    Machine& m = TheMachine();
    m.Reset();
    *help = false;
    std::vector<std::pair<char, simdrive::Setup>> drives;
    bool machineGiven = false;

    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        auto lastDrive = [&]() -> simdrive::Setup* {
            if (drives.empty()) {
                *error = arg + " needs a --drive before it";
                return nullptr;
            }
            return &drives.back().second;
        };
        std::string v;
        uint64_t n = 0;
        if (arg == "--help" || arg == "-h") {
            *help = true;
            return true;
        } else if (arg == "--letter") {
            if (!value(&v))
                return false;
            size_t eq = v.find('=');
            char letter;
            PlatDriveType type;
            if (eq == std::string::npos || !ParseLetter(v.substr(0, eq), &letter) ||
                !ParseDriveType(v.substr(eq + 1), &type)) {
                *error = "--letter needs X=TYPE: " + v;
                return false;
            }
            m.At(letter).type = type;
            machineGiven = true;
        } else if (arg == "--drive") {
            if (!value(&v))
                return false;
            size_t eq = v.find('=');
            char letter;
            simdrive::Setup setup;
            std::string model = eq == std::string::npos ? defaultModel : v.substr(eq + 1);
            if (!ParseLetter(v.substr(0, eq), &letter) || !ModelSetup(model, &setup)) {
                *error = "--drive needs X or X=MODEL (kt72m, rq35vw41, other): " + v;
                return false;
            }
            drives.push_back({letter, setup});
            machineGiven = true;
        } else if (arg == "--vendor" || arg == "--product" || arg == "--revision") {
            simdrive::Setup* s = lastDrive();
            if (s == nullptr || !value(&v))
                return false;
            if (arg == "--vendor")
                s->vendor = v;
            else if (arg == "--product")
                s->product = v;
            else
                s->revision = v;
        } else if (arg == "--tray-polls" || arg == "--flash-ms" || arg == "--flash-final-count" ||
                   arg == "--flash-noise") {
            simdrive::Setup* s = lastDrive();
            if (s == nullptr || !value(&v))
                return false;
            if (!ParseNumber(v.c_str(), &n)) {
                *error = arg + " needs a number: " + v;
                return false;
            }
            if (arg == "--tray-polls")
                s->trayPollsUntilOpen = (int)n;
            else if (arg == "--flash-ms")
                s->flashDurationMs = n;
            else if (arg == "--flash-final-count")
                s->flashFinalCount = (uint32_t)n;
            else
                s->flashNoiseEvery = (uint32_t)n;
        } else if (arg == "--flash-never-resets" || arg == "--flash-keeps-old" ||
                   arg == "--readback-fails") {
            simdrive::Setup* s = lastDrive();
            if (s == nullptr)
                return false;
            if (arg == "--flash-never-resets")
                s->flashNeverResets = true;
            else if (arg == "--flash-keeps-old")
                s->flashKeepsOldFirmware = true;
            else
                s->readBackFails = true;
        } else if (arg == "--fault") {
            Fault f;
            if (!value(&v) || !ParseFault(v, &f, error))
                return false;
            m.faults.push_back(f);
        } else if (arg == "--resource") {
            if (!value(&v))
                return false;
            size_t eq = v.find('=');
            if (eq == std::string::npos || !ParseNumber(v.substr(0, eq).c_str(), &n)) {
                *error = "--resource needs ID=ACTION: " + v;
                return false;
            }
            uint16_t id = (uint16_t)n;
            std::string action = v.substr(eq + 1);
            ResourceOverride r;
            if (action == "missing") {
                r.kind = ResourceOverride::Kind::Missing;
            } else if (action == "unloadable") {
                r.kind = ResourceOverride::Kind::Unloadable;
            } else if (action.rfind("file:", 0) == 0) {
                std::ifstream in(action.substr(5), std::ios::binary);
                if (!in) {
                    *error = "cannot read " + action.substr(5);
                    return false;
                }
                r.kind = ResourceOverride::Kind::Replace;
                r.bytes.assign(std::istreambuf_iterator<char>(in), {});
            } else if (action.rfind("truncate:", 0) == 0 &&
                       ParseNumber(action.c_str() + 9, &n)) {
                // The build's own resource, cut to its first N bytes.
                const void* own = HostFindResource(id);
                const void* loaded = own != nullptr ? HostLoadResource(own) : nullptr;
                const uint8_t* bytes = loaded != nullptr ? HostLockResource(loaded) : nullptr;
                if (bytes == nullptr) {
                    *error = "no resource to truncate: " + v;
                    return false;
                }
                r.kind = ResourceOverride::Kind::Replace;
                r.bytes.assign(bytes, bytes + std::min<uint64_t>(n, HostSizeofResource(own)));
            } else {
                *error = "--resource action must be missing, unloadable, file:PATH or "
                         "truncate:N: " + action;
                return false;
            }
            m.resources[id] = r;
        } else if (arg == "--trace") {
            if (!value(&m.traceFile))
                return false;
        } else if (arg == "--realtime") {
            m.realTime = true;
        } else if (arg == "--deny-drive-access") {
            m.denyDriveAccess = true;
        } else {
            *error = "unknown option: " + arg + " (see --help)";
            return false;
        }
    }

    if (!machineGiven) {
        m.At('C').type = PLAT_DRIVE_FIXED;
        simdrive::Setup other, own;
        ModelSetup("other", &other);
        ModelSetup(defaultModel, &own);
        drives.push_back({'D', other});
        drives.push_back({'E', own});
    }
    for (auto& [letter, setup] : drives) {
        m.At(letter).type = PLAT_DRIVE_CDROM;
        m.At(letter).drive.reset(new simdrive::Drive(setup));
    }
    return true;
}

static long long setupCpuUs = 0;

void MarkSetupDone(void)
{
    HostUsage usage;
    if (HostResourceUsage(&usage))
        setupCpuUs = usage.selfCpuUs;
}

void FinishTrace(void)
{
    Machine& m = TheMachine();
    for (char letter = 'A'; letter <= 'Z'; letter++) {
        Letter& l = m.At(letter);
        if (!l.drive)
            continue;
        char line[160];
        snprintf(line, sizeof(line), "end %c: notification=%s tray=%s firmware=%s pieces=%u",
                 letter, l.notificationOff ? "off" : "on", l.drive->TrayOpen() ? "open" : "closed",
                 l.drive->Revision().c_str(), l.drive->PiecesAccepted());
        m.Log(line);
    }
    m.Log(m.holding ? "end hold=on" : "end hold=off");
    // For the benchmarks: this process apart from the verifier it ran.
    HostUsage usage = {0, 0, 0, 0};
    HostResourceUsage(&usage);
    char line[160];
    snprintf(line, sizeof(line),
             "end cpu-us self=%lld setup=%lld children=%lld maxrss-kb self=%ld children=%ld",
             usage.selfCpuUs, setupCpuUs, usage.childrenCpuUs, usage.selfMaxRssKb,
             usage.childrenMaxRssKb);
    m.Log(line);
    m.WriteTrace();
}

}  // namespace sim
