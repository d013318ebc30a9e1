// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Civil dates and the layout of the two-year calendar file: the calendar
// arithmetic the monitor and the agent share, each piece once. No clock here.
#pragma once

#include "Ups.h"

// ---- civil dates (Gregorian, also before 1582) ----
bool IsLeapYear(int year);
// Days in the month; 31 for a month number outside 1..12.
int GetMonthDays(int Year, int Month);
// Days since 1 January 1970 (negative before it), and back.
long DaysFromCivil(int year, int month, int day);
struct CivilDate {
    int year, month, day;
};
CivilDate CivilFromDays(long days);
// 0 = Sunday .. 6 = Saturday.
int WeekdayOf(int year, int month, int day);
// "January" .. "December"; nullptr for any other number.
const char* MonthName(int month);

// ---- the two-year calendar (ZAN_CALENDAR.DAT) ----
// Its rows run through 24 months of 31 days of ScheduleEntriesPerDay entries
// each, from January of the base year; days like 30 February keep their
// (empty) rows.

// Row of entry k of the day in a calendar based on CurY. No range check: a
// month 13 of the base year is January of the next, as the file search uses.
int ScheduleIndex(int CurY, int Year, int Month, int Day, int k);
// The same, or -1 when the year is not one of the two, or the month, day or
// entry is out of range.
int ScheduleIndexIn(int CurY, int Year, int Month, int Day, int k);
// The day and entry of a row.
struct ScheduleDay {
    int year, month, day, k;
};
ScheduleDay ScheduleDayOf(int CurY, int index);

// One row "Button<TAB>Hour<TAB>Minute" as the agent reads it: each field as
// atoi reads it, kept to its low 8 bits; a missing field is 0. Minute runs
// to the line's end, so tabs before its digits are skipped.
ScheduleStr ParseScheduleRow(const char* line);
