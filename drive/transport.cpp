#include "drive/transport.h"

#include <cstring>
#include <cwchar>

#include "drive/discovery.h"
#include "platform/platform.h"

uint8_t LastSense[kLastSenseSize];

static PlatHandle TransportHandle = nullptr;
static uint8_t TransportDriveIndex = kNoDriveIndex;

void ResetTransportState(void)
{
    TransportHandle = nullptr;
    TransportDriveIndex = kNoDriveIndex;
    memset(LastSense, 0, sizeof(LastSense));
}

static void ReportTransportError(const wchar_t* format, uint32_t errorCode)
{
    wchar_t szMessage[100];
    wchar_t szLine[120];
    memset(szMessage, 0, sizeof(szMessage));
    swprintf(szMessage, 100, format, (int)errorCode);
    swprintf(szLine, 120, L"Error : %ls", szMessage);
    PlatWriteConsoleWide(szLine);
}

bool ExecATAPICommand(uint8_t driveIndex, PassThroughBlock* block)
{
    if (TransportHandle == nullptr || TransportDriveIndex != driveIndex) {
        if (TransportHandle != nullptr) {
            PlatCloseHandle(TransportHandle);
            TransportHandle = nullptr;
        }
        // An index past the table names no drive; never read beyond it.
        char letter = driveIndex < kDriveLetterSlots ? (char)DriveLetterTable[driveIndex] : 0;
        if (letter == 0 || PlatGetDriveType(letter) != PLAT_DRIVE_CDROM) {
            PlatDebugOutput(L"\n ExecATAPICommand: This Drive is not Optical Device Drive\n");
            TransportDriveIndex = kNoDriveIndex;
            return false;
        }
        PlatHandle handle = PlatOpenDevice(letter, PLAT_ACCESS_READ_WRITE);
        if (handle == nullptr) {
            uint32_t errorCode = PlatLastError();
            ReportTransportError(L"Error occur during getting the handle of Device\nError Code %d",
                                 errorCode);
            TransportDriveIndex = kNoDriveIndex;
            return false;
        }
        TransportHandle = handle;
    }
    TransportDriveIndex = driveIndex;

    if (PlatSendPassThrough(TransportHandle, block, kPassThroughBlockSize, kPassThroughBlockSize))
        return true;
    uint32_t errorCode = PlatLastError();
    ReportTransportError(L"DeviceIoControl Error: Error Code %d\nI can't issue Command through SPTI",
                         errorCode);
    return false;
}

bool IssueCommand(uint8_t driveIndex, const uint8_t* byCDB, void* data, uint32_t length,
                  uint8_t direction, uint8_t timeout)
{
    memset(LastSense, 0, sizeof(LastSense));

    PassThroughBlock block;
    memset(&block, 0, sizeof(block));
    block.sptd.Length = kPassThroughLength;
    block.sptd.PathId = 0;
    block.sptd.TargetId = 0;
    block.sptd.Lun = 0;
    block.sptd.CdbLength = 12;
    block.sptd.SenseInfoLength = (uint8_t)kLastSenseSize;
    block.sptd.SenseInfoOffset = kSenseInfoOffset;

    block.sptd.DataBuffer = length != 0 ? data : nullptr;
    block.sptd.DataTransferLength = length;
    block.sptd.TimeOutValue = timeout;

    if (direction == 1) {
        block.sptd.DataIn = SCSI_IOCTL_DATA_IN;
        if (length != 0)
            memset(data, 0, length);
    } else {
        block.sptd.DataIn = SCSI_IOCTL_DATA_OUT;
    }
    memcpy(block.sptd.Cdb, byCDB, 12);

    if (!ExecATAPICommand(driveIndex, &block))
        return false;
    if (block.sptd.ScsiStatus != 0) {
        memcpy(LastSense, block.SenseBuf, kLastSenseSize);
        return false;
    }
    return true;
}
