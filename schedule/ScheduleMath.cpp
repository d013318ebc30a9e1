// Calendar arithmetic: month lengths, the weekday a month begins on, and
// copying one day's entries.
#include "Clock.h"
#include "Schedule.h"
#include "file.h"

int GetMonthDays(int Year, int Month) {
    switch (Month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2: {
        bool leap = Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
        return leap ? 29 : 28;
    }
    default:
        return 31;
    }
}

namespace {

int DayOfYear(int Year, int Month, int Day) {
    int n = Day;
    for (int m = 1; m < Month; ++m)
        n += GetMonthDays(Year, m);
    return n;
}

} // namespace

int GetTheWeek(int Year, int Month) {
    // Counted from today's weekday on the clock rather than from an epoch.
    DateTimeRec now;
    GetTime(&now);
    if (Year < now.year || Year > now.year + 1) {
        // The count from today only reaches into next year; a window still
        // showing last year (open across New Year) needs the true weekday.
        return MakeDateTime(Year, Month, 1, 12, 0).dayOfWeek - 1;
    }
    const int w = now.dayOfWeek;
    const int T = DayOfYear(now.year, now.month, now.day);
    const int F = DayOfYear(Year, Month, 1);
    if (Year > now.year) {
        const int L = DayOfYear(now.year, 12, 31);
        return (w + (L - T) + F - 1) % 7;
    }
    if (Year == now.year && Month > now.month) return (w + ((F - T) % 7) - 1) % 7;
    return (w + 6 - ((T - F) % 7)) % 7;
}

int ScheduleIndex(int CurY, int Year, int Month, int Day, int k) {
    return ((Year - CurY) * 12 + Month - 1) * ScheduleRowsPerMonth + (Day - 1) * 6 + k;
}

void CopyScheduleDate(int CurY, int SrcY, int SrcM, int SrcD, int DstY, int DstM, int DstD) {
    if (PtSchedule == nullptr) return;
    const int src = ScheduleIndex(CurY, SrcY, SrcM, SrcD, 0);
    const int dst = ScheduleIndex(CurY, DstY, DstM, DstD, 0);
    // Days outside the two calendar years have no entries to copy from or to.
    if (src < 0 || dst < 0 || src + 6 > ScheduleRows || dst + 6 > ScheduleRows) return;
    for (int k = 0; k < 6; ++k)
        PtSchedule[dst + k] = PtSchedule[src + k];
}
