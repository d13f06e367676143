#include <gtest/gtest.h>

#include "tests/drive/sim_fixture.h"

namespace {

class NotificationTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        AddDrive('E');
        DriveLetterTable[0] = 'E';
    }
};

TEST_F(NotificationTest, OneOpenTwoRequestsOffThenOn)
{
    testing::internal::CaptureStdout();
    EXPECT_TRUE(SetMediaChangeNotification(0, 1));
    EXPECT_TRUE(m.At('E').notificationOff);
    EXPECT_TRUE(SetMediaChangeNotification(0, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Lines("open "), std::vector<std::string>{"open \\\\.\\E: attr -> h1"});
    EXPECT_EQ(Lines("mcn "), (std::vector<std::string>{"mcn h1 prevent=1 -> ok",
                                                        "mcn h1 prevent=0 -> ok"}));
    EXPECT_FALSE(m.At('E').notificationOff);
    EXPECT_EQ(Count("type "), 0u);   // no drive-type check here
}

TEST_F(NotificationTest, FailedOpenReturnsFalseSilentlyAndIsTriedAgain)
{
    AddFault("open@1=error:5");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(SetMediaChangeNotification(0, 1));
    EXPECT_TRUE(SetMediaChangeNotification(0, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Count("open "), 2u);
    EXPECT_EQ(Count("debug "), 0u);
}

TEST_F(NotificationTest, FailedRequestKeepsTheHandle)
{
    AddFault("mcn@1=error:50");
    EXPECT_FALSE(SetMediaChangeNotification(0, 1));
    EXPECT_TRUE(SetMediaChangeNotification(0, 0));
    EXPECT_EQ(Count("open "), 1u);
}

TEST_F(NotificationTest, ItsHandleAndTheTransportsLiveSideBySide)
{
    TargetDriveIndex = 0;
    uint8_t zero[12] = {};
    IssueCommand(0, zero, nullptr, 0, 1, 5);
    SetMediaChangeNotification(0, 1);
    IssueCommand(0, zero, nullptr, 0, 1, 5);
    SetMediaChangeNotification(0, 0);
    EXPECT_EQ(Count("open "), 2u);
    EXPECT_EQ(Count("close "), 0u);
}

}  // namespace
