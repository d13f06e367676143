// The Windows programs of one cross build, run under Wine. Started by that
// build's CTest, which names the build in KORVEL_WIN_BUILD.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/process.h"
#include "tests/update/sim_run.h"

namespace {

std::string Env(const char* name)
{
    const char* v = getenv(name);
    return v != nullptr ? v : "";
}

// What the Windows C run-time writes for a text written in text mode.
std::string Crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string WindowsPath(const std::string& unixPath)
{
    std::string out = "Z:";
    for (char c : unixPath)
        out += c == '/' ? '\\' : c;
    return out;
}

class WineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        build = Env("KORVEL_WIN_BUILD");
        if (build.empty())
            GTEST_SKIP() << "run by a Windows build's CTest (KORVEL_WIN_BUILD unset)";
        bool pe32 = RunProcess({"sh", "-c", "file -b '" + build + "/chekval.exe' | grep -q 'PE32+'"})
                        .exitCode != 0;
        // A kernel booted without 32-bit emulation runs no 32-bit Wine loader.
        if (pe32 && RunProcess({"/usr/lib/wine/wine", "--version"}).exitCode != 0)
            GTEST_SKIP() << "this kernel runs no 32-bit programs (ia32_emulation off), so the i686 "
                            "build cannot run under Wine here";
        dir = MakeTempDir("wine");
    }
    void TearDown() override { RemoveTree(dir); }

    ProcessResult Wine(const std::string& exe, std::vector<std::string> args)
    {
        std::vector<std::string> argv = {Env("KORVEL_WINE_RUN"), Env("KORVEL_WINEPREFIX"),
                                         build + "/" + exe};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, {}, dir);
    }

    std::vector<std::string> Trace(const std::string& path)
    {
        std::vector<std::string> lines = ReadLines(path);
        for (std::string& l : lines)
            if (!l.empty() && l.back() == '\r')
                l.pop_back();
        return lines;
    }

    bool Has(const std::vector<std::string>& lines, const std::string& line)
    {
        for (const std::string& l : lines)
            if (l == line)
                return true;
        return false;
    }

    std::vector<std::string> LeftInTemp()
    {
        std::vector<std::string> left;
        ProcessResult r = RunProcess({"sh", "-c", "ls -d " + Env("KORVEL_WINEPREFIX") +
                                                      "/drive_c/users/*/AppData/Local/Temp/korvel-* "
                                                      "2>/dev/null"});
        if (!r.out.empty())
            left.push_back(r.out);
        return left;
    }

    std::string build;
    std::string dir;
};

TEST_F(WineTest, ChekvalVerdicts)
{
    std::vector<uint8_t> image = ReadBytes(Env("KORVEL_IMAGES_DIR") + "/kt72m_101.bin");
    WriteBytes(dir + "/genuine.bin", image);
    image[4 + 0x1234] ^= 0x08;
    WriteBytes(dir + "/changed.bin", image);
    WriteBytes(dir + "/empty.bin", {});

    ProcessResult genuine = Wine("chekval.exe", {"genuine.bin"});
    EXPECT_EQ(genuine.out, "");
    EXPECT_EQ(genuine.exitCode, 0);
    // Wine hands a Linux parent only the low 8 bits of 0xF008, 0xF005, 0xF006.
    ProcessResult changed = Wine("chekval.exe", {"changed.bin"});
    EXPECT_EQ(changed.out, "");
    EXPECT_EQ(changed.exitCode, 0x08);
    ProcessResult missing = Wine("chekval.exe", {"missing.bin"});
    EXPECT_EQ(missing.out, Crlf("missing.bin open error\nmissing.bin open error\n"));
    EXPECT_EQ(missing.exitCode, 0x05);
    ProcessResult empty = Wine("chekval.exe", {"empty.bin"});
    EXPECT_EQ(empty.out, Crlf("##empty.bin read size error.\n"));
    EXPECT_EQ(empty.exitCode, 0x06);
}

TEST_F(WineTest, CompleteUpdateStartsTheEmbeddedVerifierFromTheTemporaryFolder)
{
    std::string trace = dir + "/trace.txt";
    ProcessResult r = Wine("korvel-sim-kt72m.exe", {"--drive", "E", "--trace", WindowsPath(trace)});
    EXPECT_EQ(r.out, Crlf("Varnolt FW Updater for KT72M\n\nTarget Drive : VARNOLT Optical Drive   KT11\n\n"
                          "FW Updating : 0 %\rFW Updating : 12 %\rFW Updating : 25 %\rFW Updating : 37 %\r"
                          "FW Updating : 50 %\rFW Updating : 62 %\rFW Updating : 75 %\rFW Updating : 87 %\r"
                          "FW Updating : 100 %\n\nFW Updating Completed. \n\n"
                          "After FW Updating : VARNOLT Optical Drive   KT12\n\nPress Any Key...\n"));
    EXPECT_EQ(r.exitCode, 0);
    std::vector<std::string> lines = Trace(trace);
    EXPECT_TRUE(Has(lines, "spawn CHEKVAL.EXE FW.bin -> ok"));
    EXPECT_TRUE(Has(lines, "exit-code 0"));
    EXPECT_TRUE(Has(lines, "file delete FW.bin -> ok"));
    EXPECT_TRUE(Has(lines, "file delete CHEKVAL.EXE -> ok"));
    EXPECT_TRUE(Has(lines, "folder remove -> ok"));
    EXPECT_TRUE(Has(lines, "end E: notification=on tray=open firmware=KT12 pieces=128"));
    EXPECT_TRUE(LeftInTemp().empty());
}

TEST_F(WineTest, SignatureFailureWaitsForAKeyAndLeavesNothing)
{
    std::vector<uint8_t> image = ReadBytes(Env("KORVEL_IMAGES_DIR") + "/rq35vw41_101.bin");
    image[4 + 0x10] ^= 0x01;
    WriteBytes(dir + "/corrupt.bin", image);
    std::string trace = dir + "/trace.txt";
    ProcessResult r = Wine("korvel-sim-rq35vw41.exe",
                           {"--drive", "E", "--resource", "101=file:" + WindowsPath(dir + "/corrupt.bin"),
                            "--trace", WindowsPath(trace)});
    EXPECT_EQ(r.out, Crlf("Varnolt FW Updater for RQ35VW41\n\nTarget Drive : TOLVANEKBD-RE  RQ35VW41 1.01\n\n"
                          "May be corrupted FW file\n"));
    EXPECT_EQ(r.exitCode, 5);
    std::vector<std::string> lines = Trace(trace);
    // A Windows parent sees the verifier's whole result code.
    EXPECT_TRUE(Has(lines, "exit-code 61448"));
    EXPECT_TRUE(Has(lines, "key"));
    EXPECT_TRUE(Has(lines, "file delete CHEKVAL.EXE -> ok"));
    EXPECT_TRUE(LeftInTemp().empty());
}

TEST_F(WineTest, RealProgramsFindNoCdromLetterInAFreshPrefix)
{
    for (const char* exe : {"korvel-kt72m.exe", "korvel-rq35vw41.exe"}) {
        ProcessResult r = Wine(exe, {"ignored", "arguments"});
        EXPECT_EQ(r.out, Crlf("There is no target drive.(Model Name Not Match)\n")) << exe;
        EXPECT_EQ(r.exitCode, 1) << exe;
    }
}

}  // namespace
