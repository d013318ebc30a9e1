// Civil dates and the two-year calendar's rows as the monitor and the agent count
// them. Month names are checked where the dialogs list them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "CalendarDate.h"

namespace {

// Month lengths agree with the day numbers, which the table below pins.
TEST(CalendarDate, LeapYearsAndMonthLengths) {
    for (int year : {1900, 2000, 2023, 2024, 2100, 2400}) {
        EXPECT_EQ(IsLeapYear(year), year % 400 == 0 || (year % 4 == 0 && year % 100 != 0));
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(GetMonthDays(year, m),
                      DaysFromCivil(year + m / 12, m % 12 + 1, 1) - DaysFromCivil(year, m, 1))
                << year << "-" << m;
    }
}

// The way back (CivilFromDays) is checked by the agent's minute numbers.
TEST(CalendarDate, WeekdaysAndDayNumbers) {
    const int cases[][5] = {// y, m, d, weekday (0 = Sunday), days since 1970
                            {1970, 1, 1, 4, 0},       {1969, 12, 31, 3, -1},
                            {1900, 1, 1, 1, -25567},  {1900, 3, 1, 4, -25508},
                            {2000, 2, 29, 2, 11016},  {2000, 3, 1, 3, 11017},
                            {2024, 12, 31, 2, 20088}, {2025, 1, 1, 3, 20089},
                            {2100, 3, 1, 1, 47541},   {1600, 1, 1, 6, -135140}};
    for (const auto& c : cases) {
        EXPECT_EQ(WeekdayOf(c[0], c[1], c[2]), c[3]) << c[0] << "-" << c[1] << "-" << c[2];
        EXPECT_EQ(DaysFromCivil(c[0], c[1], c[2]), c[4]);
    }
}

TEST(CalendarDate, RowsOfTheTwoYearCalendar) {
    const int cases[][6] = {// year, month, day, k, row in a calendar based on 2024 (-1: none)
                            {2024, 1, 1, 0, 0},      {2024, 1, 2, 5, 11},   {2024, 2, 30, 0, 360},
                            {2024, 12, 31, 5, 2231}, {2025, 1, 1, 0, 2232}, {2025, 12, 31, 5, 4463},
                            {2023, 12, 31, 5, -1},   {2026, 1, 1, 0, -1},   {2024, 0, 1, 0, -1},
                            {2024, 13, 1, 0, -1},    {2024, 1, 32, 0, -1},  {2024, 1, 0, 0, -1},
                            {2024, 1, 1, 6, -1},     {2024, 1, 1, -1, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << "-" << c[1] << "-" << c[2] << " k " << c[3]);
        EXPECT_EQ(ScheduleIndexIn(2024, c[0], c[1], c[2], c[3]), c[4]);
        if (c[4] < 0) continue;
        EXPECT_EQ(ScheduleIndex(2024, c[0], c[1], c[2], c[3]), c[4]);
        const ScheduleDay d = ScheduleDayOf(2024, c[4]);
        EXPECT_EQ(std::tie(d.year, d.month, d.day, d.k), std::tie(c[0], c[1], c[2], c[3]));
    }
}

TEST(CalendarDate, RowParsing) {
    const std::tuple<const char*, int, int, int> cases[] = {
        // Minute runs to the line's end: atoi skips tabs before its digits, not a newline.
        {"1\t10\t30", 1, 10, 30},
        {"7", 7, 0, 0},
        {"", 0, 0, 0},
        {"a\tb\tc", 0, 0, 0},
        {"260\t300\t-1", 4, 44, 255},
        {"\t5\t6", 0, 5, 6},
        {"1\t2\t\t7", 1, 2, 7},
        {"1\t2\t\n7", 1, 2, 0}};
    for (const auto& [line, button, hour, minute] : cases) {
        const ScheduleStr e = ParseScheduleRow(line);
        EXPECT_EQ(std::tuple(e.Button, e.Hour, e.Minute), std::tuple(button, hour, minute)) << line;
    }
}

} // namespace
