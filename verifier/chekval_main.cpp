// chekval IMAGE: exit code 0 when IMAGE is a genuine signed firmware image.
#include "verifier/verify_image.h"

int main(int argc, char** argv)
{
    (void)argc;
    // Without an argument argv[1] is the null that ends the list.
    return VerifyFirmwareImage("", argv[1]);
}
