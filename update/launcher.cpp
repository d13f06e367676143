#include <cstring>
#include <cwchar>

#include "config/config.h"
#include "platform/platform.h"
#include "update/update.h"

constexpr uint32_t kPathChars = 260;
constexpr uint32_t kWritePiece = 4096;

// folder + name into out; false when it does not fit the buffer.
static bool JoinPath(wchar_t* out, const wchar_t* folder, const wchar_t* name)
{
    size_t folderLength = wcslen(folder);
    size_t nameLength = wcslen(name);
    if (folderLength + nameLength + 1 > kPathChars)
        return false;
    wmemcpy(out, folder, folderLength);
    wmemcpy(out + folderLength, name, nameLength + 1);
    return true;
}

// "verifier" "image" into szCmdLine; false when it does not fit, or when a
// path holds a double quote and so could not be passed as one argument.
static bool BuildCommandLine(wchar_t* szCmdLine, const wchar_t* verifier, const wchar_t* image)
{
    if (wcschr(verifier, L'"') != nullptr || wcschr(image, L'"') != nullptr)
        return false;
    if (wcslen(verifier) + wcslen(image) + 6 > kPathChars)
        return false;
    swprintf(szCmdLine, kPathChars, L"\"%ls\" \"%ls\"", verifier, image);
    return true;
}

static void WriteInPieces(PlatFile file, const uint8_t* bytes, uint32_t size)
{
    uint32_t remaining = size;
    uint32_t offset = 0;
    while (remaining > 0) {
        uint32_t piece = remaining > kWritePiece ? kWritePiece : remaining;
        PlatWriteFile(file, bytes + offset, piece);
        remaining -= piece;
        offset += piece;
    }
}

bool VerifyImageSignature(const uint8_t* image, uint32_t size)
{
    wchar_t szFolder[kPathChars];
    wchar_t szTargetFolder[kPathChars];
    wchar_t FWFileName[kPathChars];
    wchar_t VerifierFileName[kPathChars];
    wchar_t szCmdLine[kPathChars];
    bool fwCreated = false;
    bool verifierCreated = false;
    bool result = false;
    PlatFile file = nullptr;
    PlatResource resource = nullptr;
    PlatResourceData loaded = nullptr;
    const uint8_t* verifier = nullptr;
    PlatProcess process = nullptr;
    uint32_t VerifyResult = 1;

    // A folder of our own: no planted file or link can stand in for ours.
    if (!PlatCreatePrivateFolder(szFolder, kPathChars))
        return false;

    if (!JoinPath(szTargetFolder, szFolder, L"FW.bin"))
        goto cleanup;
    file = PlatCreateNewFile(szTargetFolder, false);
    if (file == nullptr)
        goto cleanup;
    wcscpy(FWFileName, szTargetFolder);
    fwCreated = true;
    WriteInPieces(file, image, size);
    PlatCloseFile(file);

    resource = PlatFindResource(kVerifierResourceId);
    if (resource == nullptr)
        goto cleanup;
    loaded = PlatLoadResource(resource);
    verifier = loaded != nullptr ? PlatLockResource(loaded) : nullptr;
    if (verifier == nullptr)
        goto cleanup;

    if (!JoinPath(szTargetFolder, szFolder, L"CHEKVAL.EXE"))
        goto cleanup;
    file = PlatCreateNewFile(szTargetFolder, true);
    if (file == nullptr)
        goto cleanup;
    wcscpy(VerifierFileName, szTargetFolder);
    verifierCreated = true;
    WriteInPieces(file, verifier, PlatSizeofResource(resource));
    PlatCloseFile(file);

    if (!BuildCommandLine(szCmdLine, VerifierFileName, FWFileName))
        goto cleanup;
    process = PlatStartProcess(szCmdLine);
    if (process == nullptr)
        goto cleanup;
    PlatWaitProcess(process);
    if (!PlatGetExitCode(process, &VerifyResult))
        VerifyResult = 1;
    PlatCloseProcess(process);
    result = VerifyResult == 0;

cleanup:
    if (fwCreated)
        PlatDeleteFile(FWFileName);
    if (verifierCreated)
        PlatDeleteFile(VerifierFileName);
    PlatRemoveFolder(szFolder);
    return result;
}
