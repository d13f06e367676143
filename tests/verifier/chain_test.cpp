// The chain check over other certificate tables, made here with fwsign.
#include <gtest/gtest.h>

#include <functional>

#include <mbedtls/x509.h>

#include "tools/fwsign/fwsign_lib.h"
#include "verifier/cert_chain.h"

namespace {

using fwsign::CertificateSpec;

struct Keys {
    std::string root, signer, other;
    Keys()
    {
        std::string error;
        fwsign::GenerateKey(&root, &error);
        fwsign::GenerateKey(&signer, &error);
        fwsign::GenerateKey(&other, &error);
    }
};

const Keys& TheKeys()
{
    static Keys keys;
    return keys;
}

struct ChainCase {
    std::string name;
    std::function<void(CertificateSpec* signer, CertificateSpec* root)> change;
    bool holds;
};

void PrintTo(const ChainCase& c, std::ostream* os)
{
    *os << c.name;
}

class ChainTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(ChainTest, Verdict)
{
    CertificateSpec signer = fwsign::SigningCertificateSpec();
    CertificateSpec root = fwsign::RootCertificateSpec();
    GetParam().change(&signer, &root);
    const Keys& k = TheKeys();
    std::string signerPem, rootPem, error;
    ASSERT_TRUE(fwsign::IssueCertificate(root, k.root, k.root, &rootPem, &error)) << error;
    ASSERT_TRUE(fwsign::IssueCertificate(signer, k.signer, k.root, &signerPem, &error)) << error;
    BuiltInCertificate table[2] = {{signerPem.c_str(), signerPem.size() + 1},
                                   {rootPem.c_str(), rootPem.size() + 1}};
    int result = VerifyCertificateChainOf(table);
    if (GetParam().holds)
        EXPECT_EQ(result, 0);
    else
        EXPECT_NE(result, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ChainTest,
    ::testing::Values(
        ChainCase{"as_specified", [](CertificateSpec*, CertificateSpec*) {}, true},
        ChainCase{"issuer_differs_from_root_subject",
                  [](CertificateSpec* s, CertificateSpec*) { s->issuer = "C=KR,O=TVNK,CN=ROOT-CA-ECP257"; }, false},
        ChainCase{"root_without_ca",
                  [](CertificateSpec*, CertificateSpec* r) { r->isCa = false; }, false},
        ChainCase{"root_without_basic_constraints",
                  [](CertificateSpec*, CertificateSpec* r) { r->basicConstraints = false; }, false},
        ChainCase{"root_key_usage_without_keyCertSign",
                  [](CertificateSpec*, CertificateSpec* r) { r->keyUsage = MBEDTLS_X509_KU_DIGITAL_SIGNATURE | MBEDTLS_X509_KU_CRL_SIGN; }, false},
        ChainCase{"signer_signed_with_sha1",
                  [](CertificateSpec* s, CertificateSpec*) { s->sha1 = true; }, false},
        ChainCase{"signer_expired",
                  [](CertificateSpec* s, CertificateSpec*) { s->notAfter = "20200101000000"; }, false},
        ChainCase{"root_expired",
                  [](CertificateSpec*, CertificateSpec* r) { r->notAfter = "20200101000000"; }, false},
        ChainCase{"signer_not_yet_valid",
                  [](CertificateSpec* s, CertificateSpec*) { s->notBefore = "20300101000000"; }, true},
        ChainCase{"root_not_yet_valid",
                  [](CertificateSpec*, CertificateSpec* r) { r->notBefore = "20300101000000"; }, true},
        ChainCase{"signer_without_codeSigning",
                  [](CertificateSpec* s, CertificateSpec*) { s->codeSigning = false; }, true},
        ChainCase{"signer_without_digitalSignature",
                  [](CertificateSpec* s, CertificateSpec*) { s->keyUsage = MBEDTLS_X509_KU_NON_REPUDIATION; }, true}),
    [](const ::testing::TestParamInfo<ChainCase>& i) { return i.param.name; });

TEST(ChainTest, SignerIssuedByAnotherKeyFails)
{
    const Keys& k = TheKeys();
    std::string signerPem, rootPem, error;
    ASSERT_TRUE(fwsign::IssueCertificate(fwsign::RootCertificateSpec(), k.root, k.root, &rootPem, &error));
    ASSERT_TRUE(fwsign::IssueCertificate(fwsign::SigningCertificateSpec(), k.signer, k.other, &signerPem, &error));
    BuiltInCertificate table[2] = {{signerPem.c_str(), signerPem.size() + 1},
                                   {rootPem.c_str(), rootPem.size() + 1}};
    EXPECT_NE(VerifyCertificateChainOf(table), 0);
}

TEST(ChainTest, BuiltInTableHoldsAndIsLaidOutAsSpecified)
{
    EXPECT_EQ(VerifyCertificateChain(), 0);
    for (const BuiltInCertificate& c : BuiltInCertificates) {
        EXPECT_EQ(c.length, 677u);
        EXPECT_EQ(c.text[676], '\0');
        std::string text(c.text);
        EXPECT_EQ(text.substr(0, 29), "-----BEGIN CERTIFICATE-----\r\n");
        EXPECT_EQ(text.substr(text.size() - 27), "-----END CERTIFICATE-----\r\n");
        EXPECT_EQ(text.find("\n") , text.find("\r\n") + 1);
    }
    EXPECT_EQ(fwsign::CertificateDerLength(BuiltInCertificates[0].text), 448u);
    EXPECT_EQ(fwsign::CertificateDerLength(BuiltInCertificates[1].text), 450u);
}

TEST(ChainTest, TextWithoutItsTerminatingZeroIsNotPem)
{
    BuiltInCertificate table[2] = {{BuiltInCertificates[0].text, 676}, BuiltInCertificates[1]};
    EXPECT_NE(VerifyCertificateChainOf(table), 0);
}

}  // namespace
