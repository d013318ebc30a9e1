// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Civil dates and the two-year calendar's rows as the monitor and the agent count
// them. Month names are checked where the dialogs list them, days outside the
// two years where the dialogs' model refuses them.
#include <gtest/gtest.h>

#include <tuple>

#include "CalendarDate.h"

namespace {

// The way back (CivilFromDays) is checked by the agent's minute numbers.
TEST(CalendarDate, WeekdaysDayNumbersAndMonthLengths) {
    // clang-format off
    const int cases[][6] = {// y, m, d, weekday (0 = Sunday), days since 1970, days in the month
        {1970, 1, 1, 4, 0, 31}, {1969, 12, 31, 3, -1, 31}, {1900, 2, 28, 3, -25509, 28},
        {2000, 2, 29, 2, 11016, 29}, {2100, 2, 28, 0, 47540, 28}, {2024, 4, 30, 2, 19843, 30},
        {1600, 1, 1, 6, -135140, 31}};
    // clang-format on
    for (const auto& [y, m, d, weekday, days, length] : cases)
        EXPECT_EQ(std::tuple(WeekdayOf(y, m, d), DaysFromCivil(y, m, d), GetMonthDays(y, m)),
                  std::tuple(weekday, days, length))
            << y << "-" << m << "-" << d;
}

TEST(CalendarDate, RowsOfTheTwoYearCalendar) {
    // clang-format off
    const int cases[][5] = {// year, month, day, k, row in a calendar based on 2024
        {2024, 1, 2, 5, 11}, {2024, 2, 30, 0, 360}, {2025, 1, 1, 0, 2232}, {2025, 12, 31, 5, 4463}};
    // clang-format on
    for (const auto& [y, m, d, k, row] : cases) {
        const ScheduleDay day = ScheduleDayOf(2024, row);
        EXPECT_EQ(std::tuple(ScheduleIndexIn(2024, y, m, d, k), ScheduleIndex(2024, y, m, d, k),
                             day.year, day.month, day.day, day.k),
                  std::tuple(row, row, y, m, d, k));
    }
}

TEST(CalendarDate, RowParsing) {
    // clang-format off
    const std::tuple<const char*, int, int, int> cases[] = {
        // Minute runs to the line's end: atoi skips tabs before its digits, not a newline.
        {"1\t10\t30", 1, 10, 30}, {"7", 7, 0, 0}, {"260\t300\t-1", 4, 44, 255},
        {"\t5\t6", 0, 5, 6}, {"1\t2\t\t7", 1, 2, 7}, {"1\t2\t\n7", 1, 2, 0}};
    // clang-format on
    for (const auto& [line, button, hour, minute] : cases) {
        const ScheduleStr e = ParseScheduleRow(line);
        EXPECT_EQ(std::tuple(e.Button, e.Hour, e.Minute), std::tuple(button, hour, minute)) << line;
    }
}

} // namespace
