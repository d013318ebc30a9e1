// Calendar arithmetic: month lengths, the weekday of a month's first day
// counted from today's weekday, and copying a day's six entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Schedule.h"
#include "file.h"

namespace {

using namespace corvanta_test;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// 0 = Sunday .. 6 = Saturday.
int Weekday(int y, int m, int d) {
    long days = DaysFromCivil(y, m, d);
    return static_cast<int>(((days % 7) + 7 + 4) % 7); // 1970-01-01 was a Thursday
}

class ScheduleMathTest : public CoreTest {};

TEST_F(ScheduleMathTest, GetMonthDays) {
    const int common[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int year : {2023, 2025, 2100, 1900, 2200, 2019}) {
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(GetMonthDays(year, m), common[m - 1]) << year << "-" << m;
    }
    for (int year : {2024, 2000, 2400, 2028, 1996}) {
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(GetMonthDays(year, m), m == 2 ? 29 : common[m - 1]) << year << "-" << m;
    }
}

TEST_F(ScheduleMathTest, GetTheWeekExamplesFromWednesday15May2024) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    EXPECT_EQ(GetTheWeek(2024, 5), 3); // 1 May 2024, a Wednesday
    EXPECT_EQ(GetTheWeek(2024, 6), 6); // Saturday
    EXPECT_EQ(GetTheWeek(2024, 1), 1); // Monday
    EXPECT_EQ(GetTheWeek(2025, 1), 3); // Wednesday
}

TEST_F(ScheduleMathTest, GetTheWeekMatchesTheCalendarFromManyTodays) {
    struct Today {
        int y, m, d;
    };
    const Today todays[] = {
        {2024, 5, 15}, {2024, 5, 1},   {2024, 1, 1},   {2024, 12, 31}, {2024, 2, 29},
        {2024, 3, 1},  {2023, 12, 31}, {2023, 1, 1},   {2023, 2, 28},  {2027, 12, 31},
        {2099, 6, 30}, {2100, 2, 28},  {1999, 12, 31}, {2000, 2, 29},  {2031, 3, 5},
        {2025, 7, 4},  {2026, 11, 30}, {2028, 2, 29},  {2030, 9, 17},  {2024, 8, 31},
    };
    for (const Today& t : todays) {
        SetTestTime(t.y, t.m, t.d, 0, 0, 0);
        for (int year = t.y; year <= t.y + 1; ++year) {
            for (int month = 1; month <= 12; ++month) {
                EXPECT_EQ(GetTheWeek(year, month), Weekday(year, month, 1))
                    << "today " << t.y << "-" << t.m << "-" << t.d << ", first of " << year << "-"
                    << month;
            }
        }
    }
}

TEST_F(ScheduleMathTest, GetTheWeekOutsideThisAndNextYearIsTheTrueWeekday) {
    // A schedule window open across New Year still shows last year.
    SetTestTime(2025, 1, 1, 0, 5, 0);
    for (int year : {2023, 2024, 2027, 2030}) {
        for (int month = 1; month <= 12; ++month)
            EXPECT_EQ(GetTheWeek(year, month), Weekday(year, month, 1)) << year << "-" << month;
    }
}

TEST_F(ScheduleMathTest, GetTheWeekOfTheCurrentMonthOnItsFirstDay) {
    for (int m = 1; m <= 12; ++m) {
        SetTestTime(2026, m, 1, 8, 0, 0);
        DateTimeRec now{};
        GetTime(&now);
        EXPECT_EQ(GetTheWeek(2026, m), now.dayOfWeek - 1) << m;
    }
}

TEST_F(ScheduleMathTest, ScheduleIndexFollowsTheRowRule) {
    struct Case {
        int curY, y, m, d, k, index;
    };
    const Case cases[] = {
        {2024, 2024, 1, 1, 0, 0},      {2024, 2024, 1, 1, 5, 5},      {2024, 2024, 1, 2, 0, 6},
        {2024, 2024, 2, 1, 0, 186},    {2024, 2024, 12, 31, 5, 2231}, {2024, 2025, 1, 1, 0, 2232},
        {2024, 2025, 12, 31, 5, 4463}, {2024, 2024, 5, 15, 2, 830},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScheduleIndex(c.curY, c.y, c.m, c.d, c.k), c.index)
            << c.y << "-" << c.m << "-" << c.d << " #" << c.k;
}

class CopyScheduleDateTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        SetTestTime(2024, 5, 15, 10, 0, 0);
        LoadSchedule(); // no file: an empty calendar
        ASSERT_NE(PtSchedule, nullptr);
        for (int r = 0; r < ScheduleRows; ++r)
            PtSchedule[r] =
                ScheduleStr{static_cast<unsigned char>(r % 7), static_cast<unsigned char>(r % 24),
                            static_cast<unsigned char>(r % 60)};
    }
};

TEST_F(CopyScheduleDateTest, CopiesSixEntriesIntoTheNextYearHalf) {
    const int src = ScheduleIndex(2024, 2024, 3, 10, 0);
    const int dst = ScheduleIndex(2024, 2025, 7, 4, 0);
    ASSERT_GE(dst, 2232);
    const ScheduleStr before = PtSchedule[dst - 1], after = PtSchedule[dst + 6];
    CopyScheduleDate(2024, 2024, 3, 10, 2025, 7, 4);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(PtSchedule[dst + k].Button, PtSchedule[src + k].Button) << k;
        EXPECT_EQ(PtSchedule[dst + k].Hour, PtSchedule[src + k].Hour) << k;
        EXPECT_EQ(PtSchedule[dst + k].Minute, PtSchedule[src + k].Minute) << k;
    }
    EXPECT_EQ(PtSchedule[dst - 1].Button, before.Button);
    EXPECT_EQ(PtSchedule[dst - 1].Minute, before.Minute);
    EXPECT_EQ(PtSchedule[dst + 6].Button, after.Button);
    EXPECT_EQ(PtSchedule[dst + 6].Minute, after.Minute);
}

TEST_F(CopyScheduleDateTest, CopiesBackFromTheNextYearAndOntoItself) {
    const int src = ScheduleIndex(2024, 2025, 12, 31, 0);
    const int dst = ScheduleIndex(2024, 2024, 1, 1, 0);
    EXPECT_EQ(src, 4458);
    CopyScheduleDate(2024, 2025, 12, 31, 2024, 1, 1);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(PtSchedule[dst + k].Minute, (src + k) % 60) << k;

    const int self = ScheduleIndex(2024, 2024, 6, 6, 0);
    CopyScheduleDate(2024, 2024, 6, 6, 2024, 6, 6);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(PtSchedule[self + k].Button, (self + k) % 7);
        EXPECT_EQ(PtSchedule[self + k].Minute, (self + k) % 60);
    }
}

} // namespace

namespace {

TEST_F(CopyScheduleDateTest, DaysOutsideTheTwoYearsAreNeverTouched) {
    // Outside the contract, but the calendar must never be indexed past its
    // 4464 entries (a window open across New Year passes such days).
    std::vector<ScheduleStr> before(PtSchedule, PtSchedule + ScheduleRows);
    CopyScheduleDate(2024, 2024, 1, 1, 2026, 1, 1);
    CopyScheduleDate(2024, 2024, 1, 1, 2023, 12, 31);
    CopyScheduleDate(2024, 2026, 6, 1, 2024, 1, 1);
    CopyScheduleDate(2024, 2023, 1, 1, 2024, 1, 1);
    CopyScheduleDate(2025, 2024, 1, 1, 2025, 1, 1);
    for (int r = 0; r < ScheduleRows; ++r) {
        ASSERT_EQ(PtSchedule[r].Button, before[r].Button) << r;
        ASSERT_EQ(PtSchedule[r].Minute, before[r].Minute) << r;
    }
}

TEST_F(CopyScheduleDateTest, AReleasedCalendarIsNeverTouched) {
    FreeSchedule();
    CopyScheduleDate(2024, 2024, 1, 1, 2024, 1, 2);
    WriteSchedule();
    EXPECT_FALSE(FileExists(Path(CalendarFileName)));
    EXPECT_EQ(flag_LoadSCH, 0);
}

} // namespace
