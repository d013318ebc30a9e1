// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Local wall-clock time as the monitor and the agent see it, with an override
// so tests can put the program on any date and time.
#pragma once

#include <ctime>

struct DateTimeRec {
    short year;
    short month;     // 1..12
    short day;       // 1..31
    short hour;      // 0..23
    short minute;    // 0..59
    short second;    // 0..59
    short dayOfWeek; // 1 = Sunday .. 7 = Saturday
};

// The current local date and time (or the test clock when one is set).
void GetTime(DateTimeRec* dt);

// The same moment in seconds since the epoch, comparable with file times
// (under the test clock: the test moment read as UTC).
std::time_t CurrentTime();

// Test clock: from now on GetTime returns this moment (the weekday is derived).
void SetTestTime(int year, int month, int day, int hour, int minute, int second = 0);
// Moves the test clock forward (or back) by the given number of seconds.
void AdvanceTestTime(long seconds);
// Back to the real clock.
void ClearTestTime();
bool TestTimeActive();

// Seconds the computer has spent asleep (suspended, hibernated) since it
// started, as the gap between its boot-time and monotonic clocks, plus the
// sleeps tests add.
long SleptSeconds();
// Tests and simulations: the computer slept this long just now.
void AddTestSleep(long seconds);

// A DateTimeRec for the given civil date and time, weekday filled in.
DateTimeRec MakeDateTime(int year, int month, int day, int hour, int minute, int second = 0);
