// The real chekval program: exit code and exact standard output per case.
#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

#include "tests/support/process.h"
#include "tools/fwsign/fwsign_lib.h"

namespace {

using fwsign::Bytes;

const std::string kChekval = std::string(KORVEL_BUILD_DIR) + "/chekval";

Bytes Carried(const std::string& name)
{
    Bytes b;
    fwsign::ReadFile(std::string(KORVEL_BUILD_DIR) + "/images/" + name, &b);
    return b;
}

std::string SignerKey()
{
    std::string key;
    fwsign::ReadText(std::string(KORVEL_PKI_DIR) + "/signer.key", &key);
    return key;
}

// A small genuine container: chekval puts no bound on N but the file's size.
Bytes SmallGenuine(size_t bodySize, Bytes* body = nullptr, Bytes* signature = nullptr)
{
    Bytes b(bodySize);
    for (size_t i = 0; i < bodySize; i++)
        b[i] = (uint8_t)(i * 31 + 7);
    Bytes sig;
    std::string error;
    EXPECT_TRUE(fwsign::SignBody(b, SignerKey(), &sig, &error)) << error;
    if (body != nullptr)
        *body = b;
    if (signature != nullptr)
        *signature = sig;
    return fwsign::WrapContainer(b, sig);
}

struct Case {
    std::string name;
    std::function<Bytes()> content;   // written as "image.bin"
    std::string out;
    int exitCode;                     // the low 8 bits of the result code
};

const std::string kImage = "image.bin";

std::vector<Case> Cases()
{
    auto carried = [](const char* n) { return [n] { return Carried(n); }; };
    auto change = [](size_t at) {
        return [at] {
            Bytes b = Carried("kt72m_101.bin");
            b[at] ^= 0x40;
            return b;
        };
    };
    auto withSigLength = [](unsigned s) {
        return [s] {
            Bytes b = Carried("kt72m_101.bin");
            b.resize(4 + 0x200000);
            b.push_back((uint8_t)(s >> 8));
            b.push_back((uint8_t)s);
            b.resize(b.size() + s, 0x30);
            return b;
        };
    };
    return {
        {"carried_a101", carried("kt72m_101.bin"), "", 0},
        {"carried_a102", carried("kt72m_102.bin"), "", 0},
        {"carried_b101", carried("rq35vw41_101.bin"), "", 0},
        {"small_body", [] { return SmallGenuine(1000); }, "", 0},
        {"empty_file", [] { return Bytes{}; }, "##image.bin read size error.\n", 6},
        {"three_bytes", [] { return Bytes{0, 0x20, 0}; }, "##image.bin read size error.\n", 6},
        {"zero_length_field", [] { return Bytes{0, 0, 0, 0, 1, 2, 3}; },
         "##image.bin size info is zero.\n", 6},
        {"body_cut_short", [] { Bytes b = Carried("kt72m_101.bin"); b.resize(4 + 0x1FFFFF); return b; },
         "##image.bin size is invalid.\n", 6},
        {"ends_after_body", [] { Bytes b = Carried("kt72m_101.bin"); b.resize(4 + 0x200000); return b; },
         "##Sig read size error.\n", 7},
        {"one_byte_after_body", [] { Bytes b = Carried("kt72m_101.bin"); b.resize(5 + 0x200000); return b; },
         "##Sig read size error.\n", 7},
        {"signature_length_0", withSigLength(0), "##Sig size info is invalid[0].\n", 7},
        {"signature_length_142", withSigLength(142), "##Sig size info is invalid[142].\n", 7},
        {"signature_length_141", withSigLength(141), "", 8},
        {"signature_length_65535", withSigLength(65535), "##Sig size info is invalid[65535].\n", 7},
        {"changed_first_body_byte", change(4), "", 8},
        {"changed_last_body_byte", change(4 + 0x1FFFFF), "", 8},
        {"changed_revision", change(0x1EC01C), "", 8},
        {"changed_signature_byte", [] { Bytes b = Carried("kt72m_101.bin"); b[b.size() - 5] ^= 1; return b; }, "", 8},
        {"signature_length_one_more",
         [] { Bytes b = Carried("kt72m_101.bin"); b[4 + 0x200000 + 1]++; b.push_back(0); return b; }, "", 8},
        {"signature_length_one_less",
         [] { Bytes b = Carried("kt72m_101.bin"); b[4 + 0x200000 + 1]--; return b; }, "", 8},
        {"signature_missing_bytes",
         [] { Bytes b = Carried("kt72m_101.bin"); b.resize(b.size() - 3); return b; }, "", 8},
        {"bytes_appended", [] { Bytes b = Carried("kt72m_101.bin"); b.resize(b.size() + 100, 0xEE); return b; }, "", 0},
        {"signed_over_length_field_and_body",
         [] {
             Bytes body;
             SmallGenuine(64, &body);
             Bytes withLength = {0, 0, 0, 64};
             withLength.insert(withLength.end(), body.begin(), body.end());
             Bytes sig;
             std::string error;
             fwsign::SignBody(withLength, SignerKey(), &sig, &error);
             return fwsign::WrapContainer(body, sig);
         },
         "", 8},
        {"signature_of_another_image",
         [] {
             Bytes a = Carried("kt72m_101.bin"), b = Carried("kt72m_102.bin");
             a.resize(4 + 0x200000);
             a.insert(a.end(), b.begin() + 4 + 0x200000, b.end());
             return a;
         },
         "", 8},
    };
}

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class ChekvalTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { dir = MakeTempDir("chekval"); }
    void TearDown() override { RemoveTree(dir); }
    std::string dir;
};

TEST_P(ChekvalTest, ExitCodeAndOutput)
{
    const Case& c = GetParam();
    ASSERT_TRUE(fwsign::WriteFile(dir + "/" + kImage, c.content()));
    ProcessResult r = RunProcess({kChekval, kImage}, {}, dir);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(Images, ChekvalTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& i) { return i.param.name; });

TEST(ChekvalProgramTest, NoArgument)
{
    ProcessResult r = RunProcess({kChekval});
    EXPECT_EQ(r.out, "### fw_name is NULL value.\n");
    EXPECT_EQ(r.exitCode, 0xF001 & 0xFF);
}

TEST(ChekvalProgramTest, MissingFileNamedTwice)
{
    ProcessResult r = RunProcess({kChekval, "/nonexistent/FW.bin"});
    EXPECT_EQ(r.out, "/nonexistent/FW.bin open error\n/nonexistent/FW.bin open error\n");
    EXPECT_EQ(r.exitCode, 0xF005 & 0xFF);
}

TEST(ChekvalProgramTest, FurtherArgumentsAreIgnored)
{
    std::string dir = MakeTempDir("chekval-args");
    fwsign::WriteFile(dir + "/a.bin", Carried("kt72m_101.bin"));
    ProcessResult r = RunProcess({kChekval, "a.bin", "b.bin", "--x"}, {}, dir);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    RemoveTree(dir);
}

TEST(ChekvalProgramTest, PathLongerThanItsBufferIsRefusedNotCut)
{
    // 511 characters fit; 512 do not, and must not open the 511-character file.
    std::string dir = MakeTempDir("chekval-long");
    std::string name = std::string(200, 'a') + "/" + std::string(200, 'b') + "/";
    ASSERT_EQ(mkdir((dir + "/" + std::string(200, 'a')).c_str(), 0700), 0);
    ASSERT_EQ(mkdir((dir + "/" + name).c_str(), 0700), 0);
    name += std::string(511 - name.size(), 'c');
    ASSERT_EQ(name.size(), 511u);
    ASSERT_TRUE(fwsign::WriteFile(dir + "/" + name, Carried("kt72m_101.bin")));
    ProcessResult fits = RunProcess({kChekval, name}, {}, dir);
    EXPECT_EQ(fits.exitCode, 0) << fits.out;
    std::string longer = name + "d";
    ProcessResult r = RunProcess({kChekval, longer}, {}, dir);
    EXPECT_EQ(r.out, longer + " open error\n" + longer + " open error\n");
    EXPECT_EQ(r.exitCode, 0xF005 & 0xFF);
    RemoveTree(dir);
}

// The clock, through libfaketime on the chekval process.
struct ClockCase {
    const char* tz;
    const char* localTime;   // in tz
    bool holds;
};

void PrintTo(const ClockCase& c, std::ostream* os)
{
    *os << c.tz << " " << c.localTime;
}

class ChekvalClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ChekvalClockTest, ChainHoldsUpToTheSigningCertificatesExpiry)
{
    std::string dir = MakeTempDir("chekval-clock");
    fwsign::WriteFile(dir + "/FW.bin", Carried("kt72m_101.bin"));
    for (const std::string& file : {std::string("FW.bin"), std::string("missing.bin")}) {
        ProcessResult r = RunProcess(
            {"faketime", "-f", std::string("@") + GetParam().localTime, kChekval, file},
            {{"TZ", GetParam().tz}, {"ASAN_OPTIONS", "verify_asan_link_order=0"}}, dir);
        if (GetParam().holds) {
            EXPECT_EQ(r.exitCode, file == "FW.bin" ? 0 : 5) << r.out << r.err;
        } else {
            EXPECT_EQ(r.out, "### verification of the certificate(s) failed.\n");
            EXPECT_EQ(r.exitCode, 0xF002 & 0xFF);
        }
    }
    RemoveTree(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Clock, ChekvalClockTest,
    ::testing::Values(ClockCase{"UTC", "2031-10-22 06:32:37", true},
                      ClockCase{"UTC", "2031-10-22 06:32:38", false},
                      ClockCase{"UTC", "2017-05-01 12:00:00", true},
                      ClockCase{"UTC", "2018-02-12 06:32:36", true},
                      ClockCase{"UTC", "2040-01-01 00:00:00", false},
                      ClockCase{"Asia/Seoul", "2031-10-22 15:32:37", true},
                      ClockCase{"Asia/Seoul", "2031-10-22 15:32:38", false},
                      ClockCase{"America/New_York", "2031-10-22 02:32:37", true},
                      ClockCase{"America/New_York", "2031-10-22 02:32:38", false}));

}  // namespace
