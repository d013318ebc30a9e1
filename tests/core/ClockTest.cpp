// The clock: the test override, the derived weekday and moving across month,
// year and leap-day ends.
#include <gtest/gtest.h>

#include <ctime>

#include "Clock.h"
#include "CoreTestSupport.h"

namespace {

using corvanta_test::ResetCoreState;

class ClockTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetCoreState(); }
    void TearDown() override { ResetCoreState(); }
};

struct WeekdayCase {
    int year, month, day;
    int dayOfWeek; // 1 = Sunday .. 7 = Saturday
};

TEST_F(ClockTest, MakeDateTimeDerivesTheWeekday) {
    const WeekdayCase cases[] = {
        {2024, 5, 15, 4},  // Wednesday
        {2024, 5, 1, 4},   // Wednesday
        {2024, 2, 29, 5},  // Thursday
        {2000, 1, 1, 7},   // Saturday
        {2100, 3, 1, 2},   // Monday (2100 is no leap year)
        {2023, 12, 31, 1}, // Sunday
        {1970, 1, 1, 5},   // Thursday
        {2038, 1, 19, 3},  // Tuesday, past the 32-bit time_t end
        {2099, 12, 31, 5}, // Thursday
    };
    for (const WeekdayCase& c : cases) {
        DateTimeRec dt = MakeDateTime(c.year, c.month, c.day, 12, 34, 56);
        EXPECT_EQ(dt.year, c.year);
        EXPECT_EQ(dt.month, c.month);
        EXPECT_EQ(dt.day, c.day);
        EXPECT_EQ(dt.hour, 12);
        EXPECT_EQ(dt.minute, 34);
        EXPECT_EQ(dt.second, 56);
        EXPECT_EQ(dt.dayOfWeek, c.dayOfWeek) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST_F(ClockTest, GetTimeReturnsTheTestTime) {
    SetTestTime(2031, 3, 5, 7, 30, 15);
    EXPECT_TRUE(TestTimeActive());
    DateTimeRec dt{};
    GetTime(&dt);
    EXPECT_EQ(dt.year, 2031);
    EXPECT_EQ(dt.month, 3);
    EXPECT_EQ(dt.day, 5);
    EXPECT_EQ(dt.hour, 7);
    EXPECT_EQ(dt.minute, 30);
    EXPECT_EQ(dt.second, 15);
    EXPECT_EQ(dt.dayOfWeek, 4); // Wednesday
}

TEST_F(ClockTest, AdvanceMovesAcrossMonthYearAndLeapDay) {
    struct Case {
        int y, mo, d, h, mi, s;
        long seconds;
        int ey, emo, ed, eh, emi, es, edow;
    };
    const Case cases[] = {
        {2024, 12, 31, 23, 59, 30, 60, 2025, 1, 1, 0, 0, 30, 4},
        {2024, 1, 31, 23, 50, 0, 20 * 60, 2024, 2, 1, 0, 10, 0, 5},
        {2024, 2, 28, 23, 59, 59, 1, 2024, 2, 29, 0, 0, 0, 5},
        {2023, 2, 28, 23, 59, 59, 1, 2023, 3, 1, 0, 0, 0, 4},
        {2024, 3, 1, 0, 0, 0, -1, 2024, 2, 29, 23, 59, 59, 5},
        {2024, 5, 15, 10, 0, 0, 86400L * 366, 2025, 5, 16, 10, 0, 0, 6},
    };
    for (const Case& c : cases) {
        SetTestTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
        AdvanceTestTime(c.seconds);
        DateTimeRec dt{};
        GetTime(&dt);
        EXPECT_EQ(dt.year, c.ey);
        EXPECT_EQ(dt.month, c.emo);
        EXPECT_EQ(dt.day, c.ed);
        EXPECT_EQ(dt.hour, c.eh);
        EXPECT_EQ(dt.minute, c.emi);
        EXPECT_EQ(dt.second, c.es);
        EXPECT_EQ(dt.dayOfWeek, c.edow);
    }
}

TEST_F(ClockTest, ClearGoesBackToTheRealClock) {
    SetTestTime(1999, 1, 1, 0, 0, 0);
    ClearTestTime();
    EXPECT_FALSE(TestTimeActive());
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    DateTimeRec dt{};
    GetTime(&dt);
    // Tolerate a day change between the two reads.
    EXPECT_GE(dt.year, local.tm_year + 1900 - 1);
    EXPECT_LE(dt.year, local.tm_year + 1900 + 1);
    EXPECT_GE(dt.month, 1);
    EXPECT_LE(dt.month, 12);
    EXPECT_GE(dt.dayOfWeek, 1);
    EXPECT_LE(dt.dayOfWeek, 7);
    if (dt.day == local.tm_mday) {
        EXPECT_EQ(dt.dayOfWeek, local.tm_wday + 1);
    }
}

} // namespace
