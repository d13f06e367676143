// The seam over the simulated machine: drives, time and keys are simulated;
// files, folders and the verifier process are the host's own (POSIX).
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/host.h"
#include "sim/machine/sim_machine.h"

using sim::Fault;
using sim::Machine;
using sim::Op;
using sim::TheMachine;

namespace {

constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorFileNotFound = 2;

const char* TypeName(PlatDriveType type)
{
    static const char* kNames[] = {"unknown", "absent",  "removable", "fixed",
                                   "remote",  "cdrom",   "ramdisk"};
    return type <= PLAT_DRIVE_RAMDISK ? kNames[type] : "unknown";
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

sim::Handle* Lookup(PlatHandle handle)
{
    Machine& m = TheMachine();
    uintptr_t n = reinterpret_cast<uintptr_t>(handle);
    if (n == 0 || n > m.handles.size() || !m.handles[n - 1].open)
        return nullptr;
    return &m.handles[n - 1];
}

unsigned HandleNumber(PlatHandle handle)
{
    return (unsigned)reinterpret_cast<uintptr_t>(handle);
}

// What the platform refuses before a request reaches any drive.
bool BlockIsWellFormed(const PassThroughBlock* block, uint32_t inSize, uint32_t outSize)
{
    const ScsiPassThroughDirect& s = block->sptd;
    if (inSize != kPassThroughBlockSize || outSize != kPassThroughBlockSize)
        return false;
    if (s.Length != kPassThroughLength || s.SenseInfoOffset != kSenseInfoOffset)
        return false;
    if (s.CdbLength == 0 || s.CdbLength > 16 || s.SenseInfoLength > 32)
        return false;
    if (s.DataIn != SCSI_IOCTL_DATA_IN && s.DataIn != SCSI_IOCTL_DATA_OUT)
        return false;
    if ((s.DataTransferLength == 0) != (s.DataBuffer == nullptr))
        return false;
    return true;
}

std::string Basename(const wchar_t* path)
{
    std::string narrow = NarrowPath(path);
    size_t slash = narrow.find_last_of("/\\");
    return slash == std::string::npos ? narrow : narrow.substr(slash + 1);
}

std::string Escape(const wchar_t* text)
{
    std::string out;
    for (; *text != 0; text++) {
        if (*text == L'\n')
            out += "\\n";
        else if (*text == L'"')
            out += "\\\"";
        else
            out.push_back(*text < 0x80 ? (char)*text : '?');
    }
    return out;
}

}  // namespace

PlatDriveType PlatGetDriveType(char letter)
{
    Machine& m = TheMachine();
    PlatDriveType type = PLAT_DRIVE_NO_ROOT_DIR;
    if (letter >= 'A' && letter <= 'Z')
        type = m.At(letter).type;
    if (const Fault* f = m.TakeFault(Op::Type); f != nullptr && f->kind == Fault::Kind::DriveType) {
        type = f->driveType;   // this call only; --letter changes a letter for good
    }
    m.Log(Printf("type %c:\\ %s", letter, TypeName(type)));
    return type;
}

PlatHandle PlatOpenDevice(char letter, PlatDeviceAccess access)
{
    Machine& m = TheMachine();
    const char* accessName = access == PLAT_ACCESS_READ_WRITE ? "rw" : "attr";
    uint32_t error = 0;
    if (const Fault* f = m.TakeFault(Op::Open); f != nullptr)
        error = f->errorCode;
    else if (letter < 'A' || letter > 'Z' || m.At(letter).type == PLAT_DRIVE_NO_ROOT_DIR)
        error = kErrorFileNotFound;
    else if (access != PLAT_ACCESS_READ_WRITE && access != PLAT_ACCESS_ATTRIBUTES)
        error = kErrorInvalidParameter;
    if (error != 0) {
        m.lastError = error;
        m.Log(Printf("open \\\\.\\%c: %s -> error %u", letter, accessName, error));
        return nullptr;
    }
    m.handles.push_back({letter, access, true});
    PlatHandle handle = reinterpret_cast<PlatHandle>((uintptr_t)m.handles.size());
    m.Log(Printf("open \\\\.\\%c: %s -> h%u", letter, accessName, HandleNumber(handle)));
    return handle;
}

bool PlatSendPassThrough(PlatHandle handle, PassThroughBlock* block, uint32_t inSize,
                         uint32_t outSize)
{
    Machine& m = TheMachine();
    const ScsiPassThroughDirect& s = block->sptd;
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(block);
    m.lastBlock.assign(raw, raw + sizeof(PassThroughBlock));
    uint32_t cdbLength = s.CdbLength <= 16 ? s.CdbLength : 16;
    std::string line = Printf("scsi h%u cdb=%s dir=%s xfer=%u timeout=%u", HandleNumber(handle),
                              sim::HexBytes(s.Cdb, cdbLength).c_str(),
                              s.DataIn == SCSI_IOCTL_DATA_IN ? "in" : "out",
                              s.DataTransferLength, s.TimeOutValue);
    if (s.DataIn == SCSI_IOCTL_DATA_OUT && s.DataBuffer != nullptr)
        line += Printf(" sum=%08x", sim::Fnv1a(static_cast<const uint8_t*>(s.DataBuffer),
                                                s.DataTransferLength));
    auto fail = [&](uint32_t error) {
        m.lastError = error;
        m.Log(line + Printf(" -> error %u", error));
        return false;
    };

    sim::Handle* h = Lookup(handle);
    if (h == nullptr)
        return fail(kErrorInvalidHandle);
    if (h->access != PLAT_ACCESS_READ_WRITE)
        return fail(kErrorAccessDenied);
    if (!BlockIsWellFormed(block, inSize, outSize))
        return fail(kErrorInvalidParameter);

    const Fault* f = m.TakeFault(Op::Send, s.Cdb[0]);
    if (f != nullptr && f->kind == Fault::Kind::Error)
        return fail(f->errorCode);

    simdrive::Answer answer;
    if (f != nullptr) {
        answer.status = f->status;
        answer.sense = f->sense;
    } else {
        sim::Letter& letter = m.At(h->letter);
        if (!letter.drive)
            return fail(1117);   // ERROR_IO_DEVICE: nothing answers behind the letter
        answer = letter.drive->Execute(
            s.Cdb, s.CdbLength,
            s.DataIn == SCSI_IOCTL_DATA_IN ? simdrive::Direction::In : simdrive::Direction::Out,
            static_cast<uint8_t*>(s.DataBuffer), s.DataTransferLength, m.clockMs);
    }
    block->sptd.ScsiStatus = answer.status;
    size_t senseCount = std::min<size_t>(answer.sense.size(), s.SenseInfoLength);
    if (senseCount > 0)
        memcpy(reinterpret_cast<uint8_t*>(block) + s.SenseInfoOffset, answer.sense.data(),
               senseCount);
    if (answer.status == 0)
        line += " -> good";
    else if (answer.sense.size() >= 14)
        line += Printf(" -> status %02x sense %02x/%02x/%02x info %08x", answer.status,
                       answer.sense[2], answer.sense[12], answer.sense[13],
                       ((uint32_t)answer.sense[3] << 24) | ((uint32_t)answer.sense[4] << 16) |
                           ((uint32_t)answer.sense[5] << 8) | answer.sense[6]);
    else
        line += Printf(" -> status %02x sense none", answer.status);
    m.Log(line);
    return true;
}

bool PlatSendMediaChangeControl(PlatHandle handle, uint8_t prevent)
{
    Machine& m = TheMachine();
    std::string line = Printf("mcn h%u prevent=%u", HandleNumber(handle), prevent);
    sim::Handle* h = Lookup(handle);
    uint32_t error = 0;
    if (h == nullptr)
        error = kErrorInvalidHandle;
    else if (const Fault* f = m.TakeFault(Op::Mcn); f != nullptr)
        error = f->errorCode;
    if (error != 0) {
        m.lastError = error;
        m.Log(line + Printf(" -> error %u", error));
        return false;
    }
    m.At(h->letter).notificationOff = prevent != 0;
    m.Log(line + " -> ok");
    return true;
}

void PlatCloseHandle(PlatHandle handle)
{
    Machine& m = TheMachine();
    sim::Handle* h = Lookup(handle);
    if (h == nullptr) {
        m.Log(Printf("close h%u -> invalid", HandleNumber(handle)));
        return;
    }
    h->open = false;
    m.Log(Printf("close h%u", HandleNumber(handle)));
}

uint32_t PlatLastError(void)
{
    return TheMachine().lastError;
}

void PlatDebugOutput(const wchar_t* text)
{
    TheMachine().Log("debug \"" + Escape(text) + "\"");
}

void PlatWriteConsoleWide(const wchar_t* text)
{
    HostWriteConsoleWide(text);
}

PlatResource PlatFindResource(uint16_t id)
{
    Machine& m = TheMachine();
    auto it = m.resources.find(id);
    PlatResourceInfo info = {id, false, true, nullptr, 0, {nullptr}};
    if (it == m.resources.end()) {
        info.host = HostFindResource(id);
    } else if (it->second.kind != sim::ResourceOverride::Kind::Missing) {
        info.isOverride = true;
        info.loadable = it->second.kind == sim::ResourceOverride::Kind::Replace;
        info.size = (uint32_t)it->second.bytes.size();
        info.blob.bytes = it->second.bytes.data();
    }
    bool found = info.host != nullptr || info.isOverride;
    m.Log(Printf("resource %u -> %s", id, found ? "found" : "missing"));
    if (!found)
        return nullptr;
    m.resourceInfos[id].reset(new PlatResourceInfo(info));
    return m.resourceInfos[id].get();
}

PlatResourceData PlatLoadResource(PlatResource resource)
{
    if (resource == nullptr)
        return nullptr;
    PlatResourceInfo* info = TheMachine().resourceInfos[resource->id].get();
    if (!info->isOverride) {
        const void* loaded = HostLoadResource(info->host);
        info->blob.bytes = loaded != nullptr ? HostLockResource(loaded) : nullptr;
        info->loadable = info->blob.bytes != nullptr;
    }
    if (!info->loadable) {
        TheMachine().Log(Printf("resource %u load -> failed", info->id));
        return nullptr;
    }
    return &info->blob;
}

const uint8_t* PlatLockResource(PlatResourceData data)
{
    return data != nullptr ? data->bytes : nullptr;
}

uint32_t PlatSizeofResource(PlatResource resource)
{
    if (resource == nullptr)
        return 0;
    return resource->isOverride ? resource->size : HostSizeofResource(resource->host);
}

bool PlatCreatePrivateFolder(wchar_t* folder, uint32_t capacity)
{
    Machine& m = TheMachine();
    bool ok = m.TakeFault(Op::Folder) == nullptr && HostCreatePrivateFolder(folder, capacity);
    m.Log(ok ? "folder create -> ok" : "folder create -> failed");
    return ok;
}

bool PlatRemoveFolder(const wchar_t* folder)
{
    bool ok = HostRemoveFolder(folder);
    TheMachine().Log(ok ? "folder remove -> ok" : "folder remove -> failed");
    return ok;
}

PlatFile PlatCreateNewFile(const wchar_t* path, bool executable)
{
    Machine& m = TheMachine();
    PlatFile file = nullptr;
    if (m.TakeFault(Op::Create) == nullptr)
        file = HostCreateNewFile(path, executable);
    m.Log("file create " + Basename(path) + (file != nullptr ? " -> ok" : " -> failed"));
    return file;
}

uint32_t PlatWriteFile(PlatFile file, const uint8_t* bytes, uint32_t count)
{
    return HostWriteFile(file, bytes, count);
}

bool PlatCloseFile(PlatFile file)
{
    return HostCloseFile(file);
}

bool PlatDeleteFile(const wchar_t* path)
{
    bool ok = HostDeleteFile(path);
    TheMachine().Log("file delete " + Basename(path) + (ok ? " -> ok" : " -> failed"));
    return ok;
}

PlatProcess PlatStartProcess(const wchar_t* cmdLine)
{
    Machine& m = TheMachine();
    std::wstring program, argument;
    SplitQuotedCommandLine(cmdLine, &program, &argument);
    PlatProcess process = nullptr;
    if (m.TakeFault(Op::Spawn) == nullptr)
        process = HostStartProcess(cmdLine);
    m.Log("spawn " + Basename(program.c_str()) + " " + Basename(argument.c_str()) +
          (process != nullptr ? " -> ok" : " -> failed"));
    return process;
}

void PlatWaitProcess(PlatProcess process)
{
    HostWaitProcess(process);
}

bool PlatGetExitCode(PlatProcess process, uint32_t* exitCode)
{
    bool ok = HostGetExitCode(process, exitCode);
    TheMachine().Log(ok ? Printf("exit-code %u", *exitCode) : "exit-code none");
    return ok;
}

void PlatCloseProcess(PlatProcess process)
{
    HostCloseProcess(process);
}

void PlatSleep(uint32_t ms)
{
    Machine& m = TheMachine();
    m.Log(Printf("sleep %u", ms));
    m.clockMs += ms;
    if (m.realTime)
        HostSleep(ms);
}

uint64_t PlatMonotonicMs(void)
{
    return TheMachine().clockMs;
}

void PlatWaitKey(void)
{
    Machine& m = TheMachine();
    m.Log("key");
    if (m.realTime)
        HostWaitKey();
}

const char* PlatDriveAccessRefusal(void)
{
    if (!TheMachine().denyDriveAccess)
        return nullptr;
    TheMachine().Log("drive access refused");
    return "korvel needs administrator rights (root or CAP_SYS_RAWIO on Linux) to update the "
           "drive.\n";
}

void PlatHoldSystemAwake(void)
{
    TheMachine().holding = true;
    TheMachine().Log("hold on");
}

void PlatReleaseSystemAwake(void)
{
    TheMachine().holding = false;
    TheMachine().Log("hold off");
}
