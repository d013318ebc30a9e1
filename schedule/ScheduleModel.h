// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule window's work on the in-memory calendar, without any window:
// who holds the calendar, the year it was loaded for, reading a day, and
// collecting, sorting, packing and copying a day's entries.
#pragma once

#include <string>

#include "Ups.h"
#include "file.h"

// ---- the calendar shared by the open schedule windows ----
// Loads the calendar (LoadSchedule) for one more window and takes the clock's
// year as the calendar's base year. Every open window shares PtSchedule.
void AcquireCalendar();
// Writes the calendar stamped with the base year it was loaded for.
SaveResult SaveCalendar(std::string* error);
// Called when a window that saved goes: lets the memory go when no other
// window still uses it. Returns whether the memory was released.
bool ReleaseCalendar();
// A window that went without saving (its close box) only stops counting.
void ForgetCalendarUser();
int CalendarUsers();
// The year of the calendar's first twelve months.
int CalendarBaseYear();

// The day selected in the schedule window, which the calendar view draws.
extern int SelectYear;
extern int SelectMonth;
extern int SelectDay;

// ---- days ----
// Index of entry k of the day in PtSchedule, or -1 when there is no calendar
// or the day lies outside its 24 months.
int CalendarIndex(int year, int month, int day, int k);
// Entry k of the day, empty when outside the calendar.
ScheduleStr CalendarEntry(int year, int month, int day, int k);

// Pop-up values of the six rows as the window reads them (1-based items).
struct RowValues {
    int action[6];
    int hour[6];
    int minute[6];
};

// Rows whose action is not "None" (value 1), in row order; returns the count.
int CollectEntries(const RowValues& rows, ScheduleStr SchRec[6]);
// Ascending by hour, then minute; equal times keep their order.
void SortEntries(ScheduleStr SchRec[6], int count);
// Entries 0..count-1 of the day from SchRec, the rest empty. Does nothing
// for a day outside the calendar.
void StoreDay(int year, int month, int day, const ScheduleStr SchRec[6], int count);

enum class CopyMode { Daily, Weekly, Monthly };
// Copies the day to the later days of the 24 months the mode names.
void CopyDayForward(CopyMode mode, int year, int month, int day);

// Weekday of the first of the month (0 = Sunday), right for any year.
int FirstWeekday(int year, int month);
