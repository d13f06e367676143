#include "drive/discovery.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/config.h"
#include "drive/transport.h"
#include "platform/platform.h"
#include "update/exit_codes.h"

uint8_t DriveLetterTable[kDriveLetterSlots];
int32_t TargetDriveIndex = -1;

int8_t FindOpticalDrives(void)
{
    memset(DriveLetterTable, 0, sizeof(DriveLetterTable));
    int8_t count = 0;
    for (char letter = 'A'; letter <= 'Z'; letter++) {
        if (PlatGetDriveType(letter) != PLAT_DRIVE_CDROM)
            continue;
        // More than eight CD-ROM letters: the rest have no slot.
        if (count < (int8_t)kDriveLetterSlots)
            DriveLetterTable[count++] = (uint8_t)letter;
    }
    return count;
}

void GetDeviceName(uint8_t driveIndex, char* name)
{
    uint8_t dataBuffer[200];
    PassThroughBlock block;
    memset(dataBuffer, 0, sizeof(dataBuffer));
    memset(name, 0, 4);
    memset(&block, 0, sizeof(block));

    block.sptd.Length = kPassThroughLength;
    block.sptd.CdbLength = 6;
    block.sptd.SenseInfoLength = 24;
    block.sptd.DataIn = SCSI_IOCTL_DATA_IN;
    block.sptd.DataTransferLength = 0xC0;
    block.sptd.TimeOutValue = 2;
    block.sptd.DataBuffer = dataBuffer;
    block.sptd.SenseInfoOffset = kSenseInfoOffset;
    block.sptd.Cdb[0] = 0x12;
    block.sptd.Cdb[4] = 0xC0;

    if (!ExecATAPICommand(driveIndex, &block))
        return;
    if (block.sptd.ScsiStatus != 0) {
        PlatDebugOutput(L"\n GetDeviceName: Command complete with error\n");
        return;
    }
    memcpy(name, dataBuffer + 8, 28);
    name[28] = 0;
}

bool SearchTargetDrive(void)
{
    TargetDriveIndex = -1;
    int8_t count = FindOpticalDrives();
    for (int8_t i = 0; i < count; i++) {
        char name[128];
        memset(name, 0, sizeof(name));
        GetDeviceName((uint8_t)i, name);
        if (strstr(name, TargetConfig->needle) != nullptr) {
            TargetDriveIndex = i;
            return true;
        }
    }
    return false;
}

void FindTargetDrive(void)
{
    if (SearchTargetDrive())
        return;
    printf("There is no target drive.(Model Name Not Match)\n");
    exit(KORVEL_EXIT_NO_TARGET);
}
