// libFuzzer target: any bytes as an image file for chekval's reader.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "verifier/verify_image.h"

static std::string ImagePath(void)
{
    static std::string path = "/tmp/korvel-fuzz-" + std::to_string(getpid()) + ".bin";
    return path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The reader's messages are not what is being tested.
    if (freopen("/dev/null", "w", stdout) == nullptr)
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = fopen(ImagePath().c_str(), "wb");
    if (f == nullptr)
        return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    uint16_t result = VerifyFirmwareImage("", ImagePath().c_str());
    // A file this small never holds a genuine signature.
    if (result == 0 && size < 70)
        __builtin_trap();
    unlink(ImagePath().c_str());
    return 0;
}
