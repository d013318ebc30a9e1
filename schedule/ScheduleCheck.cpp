// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The minute-wise check: the yearly roll of the calendar and the start of a
// due scheduled shutdown's countdown.
#include "Clock.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

Boolean flag_ScheduleShutdown = 0;

void CheckScheduleUPS() {
    DateTimeRec now;
    GetTime(&now);
    if (now.year != StartYear) {
        StartYear = now.year;
        SchedulePlus1Year();
    }
    if (NextShutdown.Year == 0) return;
    const long dueMinute =
        (NextShutdown.Day - 1) * 1440L + NextShutdown.Hour * 60L + NextShutdown.Minute;
    const long nowMinute = (now.day - 1) * 1440L + now.hour * 60L + now.minute;
    const bool due =
        NextShutdown.Year == now.year && NextShutdown.Month <= now.month && dueMinute <= nowMinute;
    if (!due || flag_ScheduleShutdown) return;
    flag_ScheduleShutdown = 1;
    if (PtUPSVal.DownTime < 0 || PtUPSVal.DownTime > PtUPSSts.Schedule_OSDelay)
        PtUPSVal.DownTime = PtUPSSts.Schedule_OSDelay;
}

void ResetScheduleState() {
    CloseSchedule();
    StartYear = 0;
    flag_ScheduleShutdown = 0;
    NextShutdown = NextRestart = NextTest = NextDeepTest = DateTimeStr{0, 0, 0, 0, 0};
    CopyField(NextShutString, 17, "None");
    CopyField(NextRestartString, 17, "None");
    CopyField(NextTestString, 17, "None");
    CopyField(NextDeepTestString, 17, "None");
}
