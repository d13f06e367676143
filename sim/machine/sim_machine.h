// The simulated machine behind platform/sim: drive letters with simulated
// drives, a trace of every seam call, faults injected on the Nth call of an
// operation, and a virtual clock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/drive/sim_drive.h"

// The simulated machine's resources: the host's own, or an override.
struct PlatResourceBlob {
    const uint8_t* bytes;
};
struct PlatResourceInfo {
    uint16_t id;
    bool isOverride;
    bool loadable;
    const void* host;   // the host's resource when not overridden
    uint32_t size;
    PlatResourceBlob blob;
};

namespace sim {

enum class Op { Type, Open, Send, Mcn, Folder, Create, Spawn };

struct Fault {
    Op op = Op::Send;
    int opcode = -1;              // Send only: count only this SCSI operation code
    uint32_t nth = 1;             // 1-based call number
    bool onward = false;          // also every later call
    enum class Kind { Error, DriveType, Status } kind = Kind::Error;
    uint32_t errorCode = 0;
    PlatDriveType driveType = PLAT_DRIVE_FIXED;
    uint8_t status = 0x02;
    std::vector<uint8_t> sense;   // empty: no sense data
};

// Parses "OP[:OPCODE]@N[+]=ACTION"; ACTION is error:CODE, type:NAME,
// check:KK/AA/QQ, status:HH or status:HH:KK/AA/QQ.
bool ParseFault(const std::string& text, Fault* fault, std::string* error);
bool ParseDriveType(const std::string& name, PlatDriveType* type);

struct Letter {
    PlatDriveType type = PLAT_DRIVE_NO_ROOT_DIR;
    std::unique_ptr<simdrive::Drive> drive;
    bool notificationOff = false;
};

struct ResourceOverride {
    enum class Kind { Missing, Unloadable, Replace } kind = Kind::Missing;
    std::vector<uint8_t> bytes;
};

struct Handle {
    char letter = 0;
    PlatDeviceAccess access = PLAT_ACCESS_READ_WRITE;
    bool open = false;
};

struct Machine {
    Letter letters[26];
    std::vector<Fault> faults;
    std::map<std::pair<int, int>, uint32_t> calls;   // (op, opcode or -1) -> count
    std::vector<std::string> trace;
    std::string traceFile;
    uint64_t clockMs = 0;
    bool realTime = false;
    bool denyDriveAccess = false;
    std::map<uint16_t, ResourceOverride> resources;
    std::map<uint16_t, std::unique_ptr<PlatResourceInfo>> resourceInfos;
    std::vector<Handle> handles;                     // handle n is handles[n - 1]
    uint32_t lastError = 0;
    bool holding = false;
    std::vector<uint8_t> lastBlock;                  // the last pass-through block as received

    Letter& At(char letter) { return letters[letter - 'A']; }
    void Reset();
    void Log(const std::string& line);
    // Counts the call and returns the fault that applies to it, if any.
    const Fault* TakeFault(Op op, int opcode = -1);
    void WriteTrace() const;
};

Machine& TheMachine();

std::string HexBytes(const uint8_t* bytes, size_t count);
uint32_t Fnv1a(const uint8_t* bytes, size_t count);

}  // namespace sim
