// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarDate.h"

#include "file.h"

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int GetMonthDays(int Year, int Month) {
    switch (Month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return IsLeapYear(Year) ? 29 : 28;
    default:
        return 31;
    }
}

// Both directions count in eras of 400 years from 1 March of year 0, so that
// the leap day falls at the end of each counted year.
long DaysFromCivil(int year, int month, int day) {
    const long y = year - (month <= 2);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(long days) {
    const long z = days + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (month <= 2)), month,
            static_cast<int>(doy - (153 * mp + 2) / 5 + 1)};
}

int WeekdayOf(int year, int month, int day) {
    // 1 January 1970 was a Thursday.
    return static_cast<int>((DaysFromCivil(year, month, day) % 7 + 11) % 7);
}

const char* MonthName(int month) {
    static const char* const names[12] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
    return month >= 1 && month <= 12 ? names[month - 1] : nullptr;
}

int ScheduleIndex(int CurY, int Year, int Month, int Day, int k) {
    return ((Year - CurY) * 12 + Month - 1) * ScheduleRowsPerMonth +
           (Day - 1) * ScheduleEntriesPerDay + k;
}

int ScheduleIndexIn(int CurY, int Year, int Month, int Day, int k) {
    if (Year < CurY || Year > CurY + 1 || Month < 1 || Month > 12 || Day < 1 || Day > 31 || k < 0 ||
        k >= ScheduleEntriesPerDay)
        return -1;
    return ScheduleIndex(CurY, Year, Month, Day, k);
}

ScheduleDay ScheduleDayOf(int CurY, int index) {
    return {CurY + index / ScheduleRowsPerYear, index / ScheduleRowsPerMonth % 12 + 1,
            index / ScheduleEntriesPerDay % 31 + 1, index % ScheduleEntriesPerDay};
}

ScheduleStr ParseScheduleRow(const char* line) {
    ScheduleStr e;
    e.Button = AtoiByte(StringToken(line, '\t'));
    e.Hour = AtoiByte(StringToken(nullptr, '\t'));
    e.Minute = AtoiByte(StringToken(nullptr, '\n'));
    return e;
}
