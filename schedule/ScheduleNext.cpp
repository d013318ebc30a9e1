// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The next scheduled shutdown, restart, test and deep test, searched in the
// calendar file from the current minute on.
#include <cstdio>
#include <initializer_list>

#include "Clock.h"
#include "Schedule.h"
#include "file.h"

DateTimeStr NextShutdown, NextRestart, NextTest, NextDeepTest;
char NextShutString[17] = "None";
char NextRestartString[17] = "None";
char NextTestString[17] = "None";
char NextDeepTestString[17] = "None";

namespace {

struct NextSlot {
    DateTimeStr* when;
    char* text;
};

NextSlot SlotOf(int But) {
    switch (But) {
    case ScheduleShutdown:
        return {&NextShutdown, NextShutString};
    case ScheduleRestart:
        return {&NextRestart, NextRestartString};
    case ScheduleTest:
        return {&NextTest, NextTestString};
    case ScheduleDeepTest:
        return {&NextDeepTest, NextDeepTestString};
    default:
        return {nullptr, nullptr};
    }
}

// A kind's slot: the entry at the calendar row found, or none (found < 0).
void Fill(NextSlot slot, int year, int found, const ScheduleStr& entry) {
    if (found >= 0) {
        const ScheduleDay d = ScheduleDayOf(year, found);
        slot.when->Year = static_cast<short>(d.year);
        slot.when->Month = static_cast<short>(d.month);
        slot.when->Day = static_cast<short>(d.day);
        slot.when->Hour = entry.Hour;
        slot.when->Minute = entry.Minute;
        char text[64];
        std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d", slot.when->Month,
                      slot.when->Day, slot.when->Year, slot.when->Hour, slot.when->Minute);
        CopyField(slot.text, 17, text);
    } else {
        *slot.when = DateTimeStr{0, 0, 0, 0, 0};
        CopyField(slot.text, 17, "None");
    }
}

// Fills each kind's slot with its first entry from the current minute on,
// in one pass over the calendar: the agent and the monitor ask every minute,
// and a calendar with nothing to find is read to its end.
void FindNext(std::initializer_list<int> buttons) {
    struct Wanted {
        int button;
        NextSlot slot;
        int found;
        ScheduleStr entry;
    };
    Wanted wanted[4];
    int count = 0;
    for (const int But : buttons) {
        const NextSlot slot = SlotOf(But);
        if (slot.when != nullptr && count < 4) wanted[count++] = {But, slot, -1, {}};
    }
    if (count == 0) return;

    DateTimeRec now;
    GetTime(&now);
    const int s = ScheduleIndex(now.year, now.year, now.month, now.day, 0);
    if (!OpenRSchedule()) return;

    int left = count;
    const auto take = [&](const ScheduleStr* e, int row) {
        for (int i = 0; i < count; ++i)
            if (wanted[i].found < 0 && e->Button == wanted[i].button) {
                wanted[i].found = row;
                wanted[i].entry = *e;
                --left;
            }
    };
    // Today: only entries still in the future, in slot order.
    for (int k = 0; k < 6 && left > 0; ++k) {
        const ScheduleStr* e = k == 0 ? GetSchedule(now.month, now.day, 0) : GetNextSchedule();
        bool later = e->Hour > now.hour || (e->Hour == now.hour && e->Minute > now.minute);
        if (later) take(e, s + k);
    }
    // Later days up to the end of next year, skipping slots like 30 February;
    // the first is the slot after today's (a day 32 is the next month's first).
    for (int r = s + 6; r < ScheduleRows && left > 0; ++r) {
        const ScheduleStr* e =
            r == s + 6 ? GetSchedule(now.month, now.day + 1, 0) : GetNextSchedule();
        const ScheduleDay d = ScheduleDayOf(now.year, r);
        if (d.day <= GetMonthDays(d.year, d.month)) take(e, r);
    }

    for (int i = 0; i < count; ++i)
        Fill(wanted[i].slot, now.year, wanted[i].found, wanted[i].entry);
    CloseSchedule();
}

} // namespace

void GetNextScheduleTime(int But) {
    FindNext({But});
}

void GetNext() {
    FindNext({ScheduleShutdown, ScheduleRestart, ScheduleTest, ScheduleDeepTest});
}
