#include <cstring>

#include "config/config.h"
#include "drive/commands.h"
#include "platform/platform.h"
#include "update/exit_codes.h"
#include "update/update.h"

// The family whose accepted revisions hold the drive's current revision, or -1.
static int DecideFamily(const uint8_t* currentRevision)
{
    for (uint8_t f = 0; f < TargetConfig->familyCount; f++) {
        const RevisionFamily* family = &TargetConfig->families[f];
        for (uint8_t k = 0; k < family->acceptedCount; k++) {
            const char* entry = RevisionTableEntry(TargetConfig, family->acceptedEntries[k]);
            if (memcmp(currentRevision, entry, 4) == 0)
                return f;
        }
    }
    return -1;
}

int SelectAndCheckImage(uint8_t* DriveInfoFromDrive, ImageView* image, uint8_t* tmp)
{
    ConsolePrint("%s", TargetConfig->title);

    InquiryFull(DriveInfoFromDrive);
    DriveInfoFromDrive[36] = 0;
    ConsolePrint("Target Drive : %s\n\n", (const char*)DriveInfoFromDrive + 8);

    if (!ReadBufferCmd(0x06, 0x00, kRevisionBufferOffset, 256, DriveInfoFromDrive))
        return KORVEL_EXIT_REVISION_UNREADABLE;

    int familyIndex = DecideFamily(DriveInfoFromDrive + 24);
    if (familyIndex < 0) {
        ConsolePrint("There is no target drive.(FW Version Not Match)\n");
        return KORVEL_EXIT_REVISION_NOT_ACCEPTED;
    }
    const RevisionFamily* family = &TargetConfig->families[familyIndex];

    PlatResource resource = PlatFindResource(family->imageResourceId);
    if (resource == nullptr) {
        ConsolePrint("FW Resource Load Error #1.\n");
        return KORVEL_EXIT_RESOURCE;
    }
    PlatResourceData loaded = PlatLoadResource(resource);
    const uint8_t* bytes = loaded != nullptr ? PlatLockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        ConsolePrint("FW Resource Load Error #2.\n");
        return KORVEL_EXIT_RESOURCE;
    }
    image->data = bytes;
    image->size = PlatSizeofResource(resource);

    if (image->size <= kBodySize) {
        ConsolePrint("Wrong FW Resource Size.\n");
        return KORVEL_EXIT_RESOURCE;
    }
    memcpy(tmp, image->data + kImageRevisionOffset, 4);

    if (!VerifyImageSignature(image->data, image->size)) {
        ConsolePrint("%s\n", "May be corrupted FW file");
        PlatWaitKey();
        return KORVEL_EXIT_SIGNATURE;
    }

    if (memcmp(tmp, RevisionTableEntry(TargetConfig, family->imageRevisionEntry), 4) != 0) {
        ConsolePrint("Wrong FW file.\n");
        return KORVEL_EXIT_WRONG_IMAGE;
    }
    return kPhasePassed;
}
