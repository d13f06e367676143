#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/config.h"
#include "update/update.h"

namespace {

std::string Entry(const TargetConfiguration& c, uint8_t k)
{
    return std::string(RevisionTableEntry(&c, k), 4);
}

TEST(ConfigurationTest, RevisionTableEntries)
{
    const char* a[] = {"KT10", "KT11", "KT12", "KW10", "KW11", "KW12"};
    for (uint8_t k = 1; k <= 6; k++)
        EXPECT_EQ(Entry(kConfigurationKT72M, k), a[k - 1]);
    EXPECT_EQ(strlen(kConfigurationKT72M.RevisionTable), 24u);
    const char* b[] = {"1.00", "1.01", "1.02"};
    for (uint8_t k = 1; k <= 3; k++)
        EXPECT_EQ(Entry(kConfigurationRQ35VW41, k), b[k - 1]);
    EXPECT_EQ(strlen(kConfigurationRQ35VW41.RevisionTable), 12u);
}

TEST(ConfigurationTest, FamiliesResourcesAndRequiredRevisions)
{
    const TargetConfiguration& a = kConfigurationKT72M;
    ASSERT_EQ(a.familyCount, 2);
    EXPECT_EQ(a.families[0].imageResourceId, 101);
    EXPECT_EQ(Entry(a, a.families[0].imageRevisionEntry), "KT12");
    EXPECT_EQ(Entry(a, a.families[0].acceptedEntries[0]), "KT10");
    EXPECT_EQ(a.families[1].imageResourceId, 102);
    EXPECT_EQ(Entry(a, a.families[1].imageRevisionEntry), "KW12");
    const TargetConfiguration& b = kConfigurationRQ35VW41;
    ASSERT_EQ(b.familyCount, 1);
    ASSERT_EQ(b.families[0].acceptedCount, 2);
    EXPECT_EQ(Entry(b, b.families[0].acceptedEntries[0]), "1.01");
    EXPECT_EQ(Entry(b, b.families[0].acceptedEntries[1]), "1.00");
    EXPECT_EQ(Entry(b, b.families[0].imageRevisionEntry), "1.02");
}

TEST(ConfigurationTest, NeedlesAndTitles)
{
    EXPECT_EQ(strlen(kConfigurationKT72M.needle), 25u);
    EXPECT_STREQ(kConfigurationKT72M.needle, "VARNOLT Optical Drive   K");
    EXPECT_EQ(strlen(kConfigurationRQ35VW41.needle), 23u);
    EXPECT_STREQ(kConfigurationRQ35VW41.needle, "TOLVANEKBD-RE  RQ35VW41");
    EXPECT_STREQ(kConfigurationKT72M.title, "Varnolt FW Updater for KT72M\n\n");
    EXPECT_STREQ(kConfigurationRQ35VW41.title, "Varnolt FW Updater for RQ35VW41\n\n");
}

struct PercentCase {
    uint32_t count;
    int shown;
};

void PrintTo(const PercentCase& c, std::ostream* os)
{
    *os << c.count;
}

class PercentageTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(PercentageTest, CountToPercentage)
{
    EXPECT_EQ(ProgressPercentage(GetParam().count), GetParam().shown) << GetParam().count;
}

INSTANTIATE_TEST_SUITE_P(Counts, PercentageTest,
                         ::testing::Values(PercentCase{0, 0}, PercentCase{20971, 0},
                                           PercentCase{20972, 1}, PercentCase{0x8000, 1},
                                           PercentCase{0x100000, 50}, PercentCase{0x1FFFFF, 99},
                                           PercentCase{0x200000, 100}, PercentCase{0x400000, 200},
                                           PercentCase{5368709, 255}, PercentCase{5368710, 0},
                                           PercentCase{0xFFFFFFFFu, 0xFF & (int)(0xFFFFFFFFull * 100 / 2097152)}));

}  // namespace
