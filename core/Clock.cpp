// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

namespace {

bool testActive = false;
// The test clock is kept as civil time encoded like UTC, so no time zone or
// daylight-saving rule can shift the moment a test asked for.
std::time_t testTime = 0;
long testSleep = 0;

DateTimeRec FromTm(const std::tm& t) {
    DateTimeRec dt;
    dt.year = static_cast<short>(t.tm_year + 1900);
    dt.month = static_cast<short>(t.tm_mon + 1);
    dt.day = static_cast<short>(t.tm_mday);
    dt.hour = static_cast<short>(t.tm_hour);
    dt.minute = static_cast<short>(t.tm_min);
    dt.second = static_cast<short>(t.tm_sec);
    dt.dayOfWeek = static_cast<short>(t.tm_wday + 1);
    return dt;
}

std::time_t CivilToTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return timegm(&t);
}

} // namespace

std::time_t CurrentTime() {
    if (testActive) return testTime;
    // time() may lag the second boundary by a clock tick; the agent steps
    // just after each second and must not see the previous one.
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec;
}

void GetTime(DateTimeRec* dt) {
    const std::time_t now = CurrentTime();
    std::tm t{};
    if (testActive)
        gmtime_r(&now, &t);
    else
        localtime_r(&now, &t);
    *dt = FromTm(t);
}

void SetTestTime(int year, int month, int day, int hour, int minute, int second) {
    testTime = CivilToTime(year, month, day, hour, minute, second);
    testActive = true;
}

void AdvanceTestTime(long seconds) {
    if (!testActive) {
        DateTimeRec now;
        GetTime(&now);
        SetTestTime(now.year, now.month, now.day, now.hour, now.minute, now.second);
    }
    testTime += seconds;
}

void ClearTestTime() {
    testActive = false;
}

bool TestTimeActive() {
    return testActive;
}

long SleptSeconds() {
    timespec boot{}, mono{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    const long long gap =
        (boot.tv_sec - mono.tv_sec) * 1000LL + (boot.tv_nsec - mono.tv_nsec) / 1000000;
    return static_cast<long>(gap / 1000) + testSleep;
}

void AddTestSleep(long seconds) {
    testSleep += seconds;
}

DateTimeRec MakeDateTime(int year, int month, int day, int hour, int minute, int second) {
    std::time_t t = CivilToTime(year, month, day, hour, minute, second);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return FromTm(tm);
}
