// fwsign: deterministic signatures, and the tool's make-pki / sign / show / check.
#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tools/common/test_firmware.h"
#include "tools/fwsign/fwsign_lib.h"

namespace {

const std::string kFwsign = std::string(KORVEL_BUILD_DIR) + "/fwsign";

std::string Key()
{
    std::string key;
    fwsign::ReadText(std::string(KORVEL_PKI_DIR) + "/signer.key", &key);
    return key;
}

TEST(FwsignTest, SignaturesAreDeterministic)
{
    fwsign::Bytes body = MakeTestFirmwareBody("TOLVANEK", "BD-RE KT72M", "KT12");
    fwsign::Bytes a, b;
    std::string error;
    ASSERT_TRUE(fwsign::SignBody(body, Key(), &a, &error)) << error;
    ASSERT_TRUE(fwsign::SignBody(body, Key(), &b, &error)) << error;
    EXPECT_EQ(a, b);
    body[100] ^= 1;
    ASSERT_TRUE(fwsign::SignBody(body, Key(), &b, &error));
    EXPECT_NE(a, b);
}

TEST(FwsignTest, CarriedImagesAreReproducible)
{
    fwsign::Bytes made, built;
    std::string error;
    ASSERT_TRUE(fwsign::MakeSignedImage("TOLVANEK", "BD-RE KT72M", "KW12", 72, Key(), &made, &error));
    ASSERT_TRUE(fwsign::ReadFile(std::string(KORVEL_BUILD_DIR) + "/images/kt72m_102.bin", &built));
    EXPECT_EQ(made, built);
    EXPECT_EQ(made.size(), 2097230u);
}

TEST(FwsignTest, ToolMakesShowsAndChecksAContainer)
{
    std::string dir = MakeTempDir("fwsign");
    ASSERT_EQ(RunProcess({kFwsign, "make-pki", dir}).exitCode, 0);
    ASSERT_EQ(RunProcess({kFwsign, "body", "ACME", "Test", "0.01", dir + "/body.bin"}).exitCode, 0);
    ASSERT_EQ(RunProcess({kFwsign, "sign", dir + "/signer.key", dir + "/body.bin", dir + "/fw.bin"})
                  .exitCode, 0);
    ProcessResult show = RunProcess({kFwsign, "show", dir + "/fw.bin"});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_NE(show.out.find("body length 2097152\n"), std::string::npos);
    EXPECT_NE(show.out.find("revision 0.01\n"), std::string::npos);
    EXPECT_EQ(RunProcess({kFwsign, "check", dir + "/signer.crt", dir + "/fw.bin"}).exitCode, 0);
    // Another PKI's certificate does not check it.
    EXPECT_NE(RunProcess({kFwsign, "check", std::string(KORVEL_PKI_DIR) + "/signer.crt",
                          dir + "/fw.bin"}).exitCode, 0);
    std::string pem;
    ASSERT_TRUE(fwsign::ReadText(dir + "/root.crt", &pem));
    EXPECT_EQ(pem.size(), 676u);
    EXPECT_EQ(fwsign::CertificateDerLength(pem), 450u);
    RemoveTree(dir);
}

}  // namespace
