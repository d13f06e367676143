#include "sim/machine/sim_machine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim {

Machine& TheMachine()
{
    static Machine machine;
    return machine;
}

void Machine::Reset()
{
    for (Letter& l : letters) {
        l.type = PLAT_DRIVE_NO_ROOT_DIR;
        l.drive.reset();
        l.notificationOff = false;
    }
    faults.clear();
    calls.clear();
    trace.clear();
    traceFile.clear();
    clockMs = 0;
    realTime = false;
    denyDriveAccess = false;
    resources.clear();
    resourceInfos.clear();
    handles.clear();
    lastError = 0;
    holding = false;
    lastBlock.clear();
}

void Machine::Log(const std::string& line)
{
    trace.push_back(line);
}

const Fault* Machine::TakeFault(Op op, int opcode)
{
    uint32_t any = ++calls[{(int)op, -1}];
    uint32_t byCode = opcode >= 0 ? ++calls[{(int)op, opcode}] : 0;
    for (const Fault& f : faults) {
        if (f.op != op)
            continue;
        uint32_t n = f.opcode >= 0 ? (f.opcode == opcode ? byCode : 0) : any;
        if (n == 0)
            continue;
        if (n == f.nth || (f.onward && n > f.nth))
            return &f;
    }
    return nullptr;
}

void Machine::WriteTrace() const
{
    if (traceFile.empty())
        return;
    FILE* f = fopen(traceFile.c_str(), "w");
    if (f == nullptr)
        return;
    for (const std::string& line : trace)
        fprintf(f, "%s\n", line.c_str());
    fclose(f);
}

std::string HexBytes(const uint8_t* bytes, size_t count)
{
    std::string out;
    char part[4];
    for (size_t i = 0; i < count; i++) {
        snprintf(part, sizeof(part), i == 0 ? "%02x" : " %02x", bytes[i]);
        out += part;
    }
    return out;
}

uint32_t Fnv1a(const uint8_t* bytes, size_t count)
{
    // FNV-1a over 64-bit words (bytes little-endian), then the tail bytes.
    uint64_t h = 14695981039346656037ull;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t w;
        memcpy(&w, bytes + i, 8);   // host byte order: the tests hash on the same host
        h = (h ^ w) * 1099511628211ull;
    }
    for (; i < count; i++)
        h = (h ^ bytes[i]) * 1099511628211ull;
    return (uint32_t)(h ^ (h >> 32));
}

bool ParseDriveType(const std::string& name, PlatDriveType* type)
{
    static const std::map<std::string, PlatDriveType> kNames = {
        {"unknown", PLAT_DRIVE_UNKNOWN}, {"absent", PLAT_DRIVE_NO_ROOT_DIR},
        {"removable", PLAT_DRIVE_REMOVABLE}, {"fixed", PLAT_DRIVE_FIXED},
        {"remote", PLAT_DRIVE_REMOTE}, {"cdrom", PLAT_DRIVE_CDROM},
        {"ramdisk", PLAT_DRIVE_RAMDISK}};
    auto it = kNames.find(name);
    if (it == kNames.end())
        return false;
    *type = it->second;
    return true;
}

static bool ParseSense(const std::string& text, std::vector<uint8_t>* sense)
{
    unsigned key, asc, ascq;
    char tail;
    if (sscanf(text.c_str(), "%x/%x/%x%c", &key, &asc, &ascq, &tail) != 3 || key > 0xFF ||
        asc > 0xFF || ascq > 0xFF)
        return false;
    sense->assign(18, 0);
    (*sense)[0] = 0x70;
    (*sense)[2] = (uint8_t)key;
    (*sense)[7] = 10;
    (*sense)[12] = (uint8_t)asc;
    (*sense)[13] = (uint8_t)ascq;
    return true;
}

bool ParseFault(const std::string& text, Fault* fault, std::string* error)
{
    static const std::map<std::string, Op> kOps = {
        {"type", Op::Type},     {"open", Op::Open},     {"send", Op::Send},
        {"mcn", Op::Mcn},       {"folder", Op::Folder}, {"create", Op::Create},
        {"spawn", Op::Spawn}};
    size_t at = text.find('@');
    size_t eq = text.find('=', at == std::string::npos ? 0 : at);
    if (at == std::string::npos || eq == std::string::npos) {
        *error = "fault needs OP@N=ACTION: " + text;
        return false;
    }
    std::string opPart = text.substr(0, at);
    std::string nPart = text.substr(at + 1, eq - at - 1);
    std::string action = text.substr(eq + 1);
    Fault f;
    size_t colon = opPart.find(':');
    std::string opName = opPart.substr(0, colon);
    auto op = kOps.find(opName);
    if (op == kOps.end()) {
        *error = "unknown fault operation: " + opName;
        return false;
    }
    f.op = op->second;
    if (colon != std::string::npos) {
        if (f.op != Op::Send) {
            *error = "only send takes an operation code: " + text;
            return false;
        }
        f.opcode = (int)strtol(opPart.c_str() + colon + 1, nullptr, 16);
    }
    if (!nPart.empty() && nPart.back() == '+') {
        f.onward = true;
        nPart.pop_back();
    }
    char* end = nullptr;
    unsigned long n = strtoul(nPart.c_str(), &end, 10);
    if (nPart.empty() || *end != 0 || n == 0) {
        *error = "fault call number must be 1 or more: " + text;
        return false;
    }
    f.nth = (uint32_t)n;

    if (action.rfind("error:", 0) == 0) {
        f.kind = Fault::Kind::Error;
        f.errorCode = (uint32_t)strtoul(action.c_str() + 6, nullptr, 10);
    } else if (action.rfind("type:", 0) == 0 && f.op == Op::Type) {
        f.kind = Fault::Kind::DriveType;
        if (!ParseDriveType(action.substr(5), &f.driveType)) {
            *error = "unknown drive type: " + action;
            return false;
        }
    } else if (action.rfind("check:", 0) == 0 && f.op == Op::Send) {
        f.kind = Fault::Kind::Status;
        f.status = 0x02;
        if (!ParseSense(action.substr(6), &f.sense)) {
            *error = "sense must be KK/AA/QQ in hex: " + action;
            return false;
        }
    } else if (action.rfind("status:", 0) == 0 && f.op == Op::Send) {
        f.kind = Fault::Kind::Status;
        std::string rest = action.substr(7);
        size_t c = rest.find(':');
        f.status = (uint8_t)strtoul(rest.substr(0, c).c_str(), nullptr, 16);
        if (c != std::string::npos && !ParseSense(rest.substr(c + 1), &f.sense)) {
            *error = "sense must be KK/AA/QQ in hex: " + action;
            return false;
        }
    } else {
        *error = "unknown fault action for " + opName + ": " + action;
        return false;
    }
    *fault = f;
    return true;
}

}  // namespace sim
