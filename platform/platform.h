// The whole contact of korvel's drive access and update code with the
// operating system. Exactly one implementation is linked into a program:
// platform/linux (SG_IO), platform/win32 (kernel32), or platform/sim (the
// simulated machine used by the tests and the demo).
#pragma once

#include <cstdint>

#include "platform/pass_through.h"

// ---- Drive access ---------------------------------------------------------

// Values as GetDriveTypeW reports them.
enum PlatDriveType : uint32_t {
    PLAT_DRIVE_UNKNOWN = 0,
    PLAT_DRIVE_NO_ROOT_DIR = 1,
    PLAT_DRIVE_REMOVABLE = 2,
    PLAT_DRIVE_FIXED = 3,
    PLAT_DRIVE_REMOTE = 4,
    PLAT_DRIVE_CDROM = 5,
    PLAT_DRIVE_RAMDISK = 6,
};

enum PlatDeviceAccess : uint32_t {
    PLAT_ACCESS_READ_WRITE = 1,   // GENERIC_READ | GENERIC_WRITE: the transport
    PLAT_ACCESS_ATTRIBUTES = 2,   // FILE_READ_ATTRIBUTES: notification control
};

struct PlatDevice;
typedef PlatDevice* PlatHandle;   // nullptr = no handle

// Type of drive letter 'A'..'Z' (root path "X:\"). Returns the type.
PlatDriveType PlatGetDriveType(char letter);

// Opens the device of a drive letter ("\\.\X:"). Returns the handle, or
// nullptr with the error code kept for PlatLastError().
PlatHandle PlatOpenDevice(char letter, PlatDeviceAccess access);

// Sends one pass-through request and blocks until it ends. The platform writes
// ScsiStatus, the sense area and, for data-in, the data buffer. Returns true
// when the request was carried out (whatever the drive's status), false with
// the error code kept for PlatLastError().
bool PlatSendPassThrough(PlatHandle handle, PassThroughBlock* block, uint32_t inSize,
                         uint32_t outSize);

// Media change notification request: prevent 1 = off, 0 = on. Returns true
// when the platform accepted it; false with the error code kept.
bool PlatSendMediaChangeControl(PlatHandle handle, uint8_t prevent);

// Closes a device handle. Never fails visibly.
void PlatCloseHandle(PlatHandle handle);

// The error code of the last failed operation of this seam.
uint32_t PlatLastError(void);

// Writes a text to the debugger channel (not the console).
void PlatDebugOutput(const wchar_t* text);

// Writes a wide text to standard output, in order with the narrow printf
// output, and flushes it.
void PlatWriteConsoleWide(const wchar_t* text);

// ---- Host operations --------------------------------------------------------

struct PlatResourceInfo;
struct PlatResourceBlob;
typedef const PlatResourceInfo* PlatResource;   // nullptr = not found
typedef const PlatResourceBlob* PlatResourceData;   // nullptr = not loaded

// The program's own RT_RCDATA resources. Find returns nullptr when the id is
// absent; Load returns nullptr when it cannot be loaded; Lock returns the bytes
// (valid for the life of the process); Size returns their count.
PlatResource PlatFindResource(uint16_t id);
PlatResourceData PlatLoadResource(PlatResource resource);
const uint8_t* PlatLockResource(PlatResourceData data);
uint32_t PlatSizeofResource(PlatResource resource);

// Creates a new folder that only this user can reach, inside the user's
// temporary folder, and writes its path with a trailing separator into
// folder (capacity in characters, terminating zero included). Returns false
// when it cannot be created or its path does not fit.
bool PlatCreatePrivateFolder(wchar_t* folder, uint32_t capacity);

// Removes a folder made by PlatCreatePrivateFolder once it is empty.
// Returns true on success.
bool PlatRemoveFolder(const wchar_t* folder);

struct PlatFileObject;
typedef PlatFileObject* PlatFile;   // nullptr = not opened

// Creates a new file for writing; never opens an existing file or follows a
// link. executable marks a program file. Returns nullptr on failure.
PlatFile PlatCreateNewFile(const wchar_t* path, bool executable);

// Writes count bytes; returns the number written.
uint32_t PlatWriteFile(PlatFile file, const uint8_t* bytes, uint32_t count);

// Closes a file from PlatCreateNewFile. Returns true on success.
bool PlatCloseFile(PlatFile file);

// Deletes a file. Returns true on success.
bool PlatDeleteFile(const wchar_t* path);

struct PlatProcessObject;
typedef PlatProcessObject* PlatProcess;   // nullptr = not started

// Starts a program from a command line of two double-quoted paths (program,
// then its argument) on this console with this process's standard handles.
// Returns nullptr when it cannot be started.
PlatProcess PlatStartProcess(const wchar_t* cmdLine);

// Waits for the process without a time limit.
void PlatWaitProcess(PlatProcess process);

// Reads the exit code of an ended process. Returns false when there is none
// (for example a process ended by a signal).
bool PlatGetExitCode(PlatProcess process, uint32_t* exitCode);

// Releases what PlatStartProcess holds.
void PlatCloseProcess(PlatProcess process);

// Blocks the thread for ms milliseconds.
void PlatSleep(uint32_t ms);

// Milliseconds of a monotonic clock; only differences are meaningful.
uint64_t PlatMonotonicMs(void);

// Waits for one key, unbuffered and without echo, and discards it. Returns at
// once when there is no console to read from.
void PlatWaitKey(void);

// ---- Run conditions -----------------------------------------------------------

// nullptr when this process may send every command of the update to a drive;
// otherwise the one line (ending in a line end) that tells the user why not.
const char* PlatDriveAccessRefusal(void);

// Holds off system sleep (and shutdown where the platform allows) until
// PlatReleaseSystemAwake. Failure is silent: it never stops an update.
void PlatHoldSystemAwake(void);
void PlatReleaseSystemAwake(void);
