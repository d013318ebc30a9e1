// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScheduleModel.h"

#include "Clock.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

int SelectYear = 0;
int SelectMonth = 0;
int SelectDay = 0;

namespace {

int users = 0;
int baseYear = 0;

int ClockYear() {
    DateTimeRec now;
    GetTime(&now);
    return now.year;
}

bool OnOrAfter(int y, int m, int d, int y0, int m0, int d0) {
    if (y != y0) return y > y0;
    if (m != m0) return m > m0;
    return d >= d0;
}

} // namespace

void AcquireCalendar() {
    LoadSchedule();
    if (PtSchedule == nullptr) return;
    baseYear = ClockYear();
    ++users;
}

SaveResult SaveCalendar(std::string* error) {
    // Stamped with the year the entries were loaded for: a window left open
    // across New Year saves last year's calendar, which the next search rolls.
    return WriteScheduleForYear(baseYear, error);
}

bool ReleaseCalendar() {
    if (users > 0) --users;
    if (users > 0) return false;
    FreeSchedule();
    return true;
}

void ForgetCalendarUser() {
    if (users > 0) --users;
}

int CalendarUsers() {
    return users;
}
int CalendarBaseYear() {
    return baseYear;
}

void ResetCalendarUsers() {
    users = 0;
    baseYear = 0;
}

int CalendarIndex(int year, int month, int day, int k) {
    return PtSchedule == nullptr ? -1 : ScheduleIndexIn(baseYear, year, month, day, k);
}

ScheduleStr CalendarEntry(int year, int month, int day, int k) {
    const int i = CalendarIndex(year, month, day, k);
    return i < 0 ? ScheduleStr{0, 0, 0} : PtSchedule[i];
}

int CollectEntries(const RowValues& rows, ScheduleStr SchRec[6]) {
    int count = 0;
    for (int r = 0; r < 6; ++r) {
        if (rows.action[r] == 1) continue;
        SchRec[count].Button = static_cast<unsigned char>(rows.action[r] - 1);
        SchRec[count].Hour = static_cast<unsigned char>(rows.hour[r] - 1);
        SchRec[count].Minute = static_cast<unsigned char>((rows.minute[r] - 1) * 5);
        ++count;
    }
    return count;
}

void SortEntries(ScheduleStr SchRec[6], int count) {
    for (int pass = 0; pass < count - 1; ++pass) {
        for (int i = 0; i < count - 1; ++i) {
            const ScheduleStr& a = SchRec[i];
            const ScheduleStr& b = SchRec[i + 1];
            if (a.Hour > b.Hour || (a.Hour == b.Hour && a.Minute > b.Minute)) {
                const ScheduleStr t = SchRec[i];
                SchRec[i] = SchRec[i + 1];
                SchRec[i + 1] = t;
            }
        }
    }
}

void StoreDay(int year, int month, int day, const ScheduleStr SchRec[6], int count) {
    if (CalendarIndex(year, month, day, 0) < 0) return;
    for (int k = 0; k < 6; ++k)
        PtSchedule[CalendarIndex(year, month, day, k)] =
            k < count ? SchRec[k] : ScheduleStr{0, 0, 0};
}

int FirstWeekday(int year, int month) {
    return WeekdayOf(year, month, 1);
}

void CopyDayForward(CopyMode mode, int year, int month, int day) {
    if (CalendarIndex(year, month, day, 0) < 0) return;
    const int fixWeek = WeekdayOf(year, month, day);
    for (int m = 0; m < 24; ++m) {
        const int Y = baseYear + m / 12;
        const int M = m % 12 + 1;
        switch (mode) {
        case CopyMode::Daily:
            for (int D = 1; D <= 31; ++D)
                if (OnOrAfter(Y, M, D, year, month, day))
                    CopyScheduleDate(baseYear, year, month, day, Y, M, D);
            break;
        case CopyMode::Weekly: {
            const int days = GetMonthDays(Y, M);
            for (int D = (fixWeek - WeekdayOf(Y, M, 1) + 7) % 7 + 1; D <= days; D += 7)
                if (OnOrAfter(Y, M, D, year, month, day))
                    CopyScheduleDate(baseYear, year, month, day, Y, M, D);
            break;
        }
        case CopyMode::Monthly:
            if (OnOrAfter(Y, M, day, year, month, day))
                CopyScheduleDate(baseYear, year, month, day, Y, M, day);
            break;
        }
    }
}
