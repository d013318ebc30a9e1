// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The weekday a month begins on, and copying one day's entries.
#include "Schedule.h"
#include "file.h"

int GetTheWeek(int Year, int Month) {
    return WeekdayOf(Year, Month, 1);
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
