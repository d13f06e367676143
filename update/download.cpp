#include <cstring>

#include "drive/commands.h"
#include "platform/platform.h"
#include "update/exit_codes.h"
#include "update/update.h"

int DownloadFirmware(const ImageView* image)
{
    uint8_t FWData[kPieceSize];

    if (!StartStopUnit(0)) {
        ConsolePrint("Tray Eject Fail\n");
        return KORVEL_EXIT_EJECT;
    }

    for (uint32_t attempt = 0; attempt < 5; attempt++) {
        TestUnitReady();
        if (LastSenseIs(0x02, 0x3A, 0x02))
            break;
        PlatSleep(1000);
    }

    if (!BeginDownload()) {
        ConsolePrint("FW Updating Failure. #1\n");
        return KORVEL_EXIT_DOWNLOAD;
    }

    for (uint32_t offset = 0; offset < kBodySize; offset += kPieceSize) {
        memcpy(FWData, image->data + 4 + offset, kPieceSize);
        if (!WriteBufferCmd(0x06, 0x00, offset, kPieceSize, FWData)) {
            ConsolePrint("FW Updating Failure. #2\n");
            return KORVEL_EXIT_DOWNLOAD;
        }
    }

    if (!CommitDownload()) {
        ConsolePrint("FW Updating Failure. #3\n");
        return KORVEL_EXIT_DOWNLOAD;
    }
    return kPhasePassed;
}
