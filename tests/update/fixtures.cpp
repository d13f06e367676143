#include "tests/update/fixtures.h"

#include <cstdlib>

#include "tests/update/sim_run.h"
#include "tools/common/test_firmware.h"
#include "tools/fwsign/fwsign_lib.h"

static UpdateFixtures Make()
{
    UpdateFixtures f;
    f.dir = MakeTempDir("fixtures");
    std::string key;
    fwsign::ReadText(SignerKeyPath(), &key);
    std::string error;

    std::vector<uint8_t> image = ReadBytes(ImagePath("kt72m_101.bin"));
    image[4 + 0x1000] ^= 0x01;
    f.corruptA101 = f.dir + "/corrupt_a101.bin";
    WriteBytes(f.corruptA101, image);

    std::vector<uint8_t> other;
    if (!fwsign::MakeSignedImage("TOLVANEK", "BD-RE  RQ35VW41", "1.01", 0, key, &other, &error))
        abort();
    f.genuineB101Rev = f.dir + "/b101_rev101.bin";
    WriteBytes(f.genuineB101Rev, other);

    // Body just short enough that the container is 0x200001 to 0x200003 bytes:
    // it passes the size test and the signature check, but cannot hold the body.
    std::vector<uint8_t> body = MakeTestFirmwareBody("TOLVANEK", "BD-RE KT72M", "KT12");
    body.resize(0x200002 - 6 - 71);
    std::vector<uint8_t> signature;
    if (!fwsign::SignBody(body, key, &signature, &error))
        abort();
    f.shortGenuineA = f.dir + "/short_a101.bin";
    WriteBytes(f.shortGenuineA, fwsign::WrapContainer(body, signature));
    return f;
}

const UpdateFixtures& Fixtures()
{
    static UpdateFixtures fixtures = Make();
    return fixtures;
}
