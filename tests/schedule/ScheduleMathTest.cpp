// Calendar arithmetic: month lengths, the weekday of a month's first day
// counted from today's weekday, the row of a day and copying its six entries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Schedule.h"
#include "file.h"

namespace {

using namespace corvanta_test;

class ScheduleMathTest : public CoreTest {};

TEST_F(ScheduleMathTest, GetMonthDays) {
    const int common[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (const auto& [year, leap] : {std::pair{2023, false},
                                     {2100, false},
                                     {1900, false},
                                     {2024, true},
                                     {2000, true},
                                     {2400, true}}) {
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(GetMonthDays(year, m), m == 2 && leap ? 29 : common[m - 1])
                << year << "-" << m;
    }
}

TEST_F(ScheduleMathTest, GetTheWeekIsTheTrueWeekdayFromAnyToday) {
    struct Today {
        int y, m, d;
    };
    const Today todays[] = {
        {2024, 5, 1},   {2024, 1, 1},  {2024, 12, 31}, {2024, 2, 29},  {2024, 3, 1},
        {2023, 12, 31}, {2023, 2, 28}, {2027, 12, 31}, {2099, 6, 30},  {2100, 2, 28},
        {1999, 12, 31}, {2000, 2, 29}, {2025, 1, 1},   {2026, 11, 30}, {2028, 2, 29},
    };
    for (const Today& t : todays) {
        SetTestTime(t.y, t.m, t.d, 0, 5, 0);
        for (int year = t.y - 1; year <= t.y + 2; ++year) {
            for (int month = 1; month <= 12; ++month) {
                EXPECT_EQ(GetTheWeek(year, month),
                          MakeDateTime(year, month, 1, 12, 0).dayOfWeek - 1)
                    << "today " << t.y << "-" << t.m << "-" << t.d << ", 1 " << year << "-"
                    << month;
            }
        }
    }
}

TEST_F(ScheduleMathTest, ScheduleIndexAndCopyScheduleDate) {
    EXPECT_EQ(ScheduleIndex(2024, 2024, 1, 1, 5), 5);
    EXPECT_EQ(ScheduleIndex(2024, 2024, 2, 1, 0), 186);
    EXPECT_EQ(ScheduleIndex(2024, 2024, 5, 15, 2), 830);
    EXPECT_EQ(ScheduleIndex(2024, 2025, 1, 1, 0), 2232);
    EXPECT_EQ(ScheduleIndex(2024, 2025, 12, 31, 5), 4463);

    SetTestTime(2024, 5, 15, 10, 0, 0);
    LoadSchedule(); // no file: an empty calendar
    struct Case {
        int curY, srcY, srcM, srcD, dstY, dstM, dstD;
        bool copies;
    };
    const Case cases[] = {
        {2024, 2024, 3, 10, 2025, 7, 4, true},  // into the next year
        {2024, 2025, 12, 31, 2024, 1, 1, true}, // back from its last day
        {2024, 2024, 6, 6, 2024, 6, 6, true},   // onto itself
        // Days outside the two years are never touched (a window open across
        // New Year passes such days): nothing past the 4464 entries.
        {2024, 2024, 1, 1, 2026, 1, 1, false},
        {2024, 2024, 1, 1, 2023, 12, 31, false},
        {2024, 2026, 6, 1, 2024, 1, 1, false},
        {2024, 2023, 1, 1, 2024, 1, 1, false},
        {2025, 2024, 1, 1, 2025, 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.srcY) + "-" + std::to_string(c.srcM) + "-" +
                     std::to_string(c.srcD) + " to " + std::to_string(c.dstY) + "-" +
                     std::to_string(c.dstM) + "-" + std::to_string(c.dstD));
        for (int r = 0; r < ScheduleRows; ++r)
            PtSchedule[r] =
                ScheduleStr{static_cast<unsigned char>(r % 7), static_cast<unsigned char>(r % 24),
                            static_cast<unsigned char>(r % 60)};
        std::vector<ScheduleStr> expected(PtSchedule, PtSchedule + ScheduleRows);
        if (c.copies) {
            const int src = ScheduleIndex(c.curY, c.srcY, c.srcM, c.srcD, 0);
            const int dst = ScheduleIndex(c.curY, c.dstY, c.dstM, c.dstD, 0);
            for (int k = 0; k < 6; ++k)
                expected[dst + k] = expected[src + k];
        }
        CopyScheduleDate(c.curY, c.srcY, c.srcM, c.srcD, c.dstY, c.dstM, c.dstD);
        static_assert(sizeof(ScheduleStr) == 3, "compared byte for byte");
        EXPECT_EQ(std::memcmp(PtSchedule, expected.data(), ScheduleRows * sizeof(ScheduleStr)), 0);
    }
    FreeSchedule();
    CopyScheduleDate(2024, 2024, 1, 1, 2024, 1, 2); // a released calendar: nothing happens
}

} // namespace
