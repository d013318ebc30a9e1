// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule engine: copying a day's rows within the two years; the next
// events (slot order before time, nothing at the current minute, day slots
// that do not exist, the next year); and the minute-wise check that starts a
// due shutdown's countdown once per run and rolls the calendar at New Year.

#include "CoreTestSupport.h"

namespace {

using namespace corvanta_test;

// "2024-05-10 14:30".
DateTimeStr At(const char* text) {
    DateTimeStr t{};
    std::sscanf(text, "%hd-%hd-%hd %hd:%hd", &t.Year, &t.Month, &t.Day, &t.Hour, &t.Minute);
    return t;
}
// Half a minute past: the minute under way counts as now.
void SetClock(const char* text) {
    const DateTimeStr t = At(text);
    SetTestTime(t.Year, t.Month, t.Day, t.Hour, t.Minute, 30);
}

class ScheduleTest : public CoreTest {
  protected:
    // Entries as "2024-05-15/0 1 18:00, ...": the day, its slot, the button
    // and the time.
    void WriteEntries(int baseYear, const std::string& entries) {
        std::vector<Row> rows = EmptyRows();
        std::istringstream in(entries + ",");
        int y, mo, d, k, b, h, mi;
        char sep;
        while (in >> y >> sep >> mo >> sep >> d >> sep >> k >> b >> h >> sep >> mi >> sep)
            rows.at(ScheduleIndex(baseYear, y, mo, d, k)) = Row{b, h, mi};
        WriteFileRaw(Path(CalendarFileName), CalendarText(baseYear, rows));
    }
    // The next event of a kind as shown: "None" or "MM/DD/YYYY hh:mm" (cut
    // to 16 characters), from its text and from its date, which must agree.
    static std::string Next(int kind) {
        const DateTimeStr& w = *Dates[kind - 1];
        char when[64] = "None";
        if (w.Year)
            std::snprintf(when, sizeof when, "%02d/%02d/%04d %02d:%02d", w.Month, w.Day, w.Year,
                          w.Hour, w.Minute);
        EXPECT_EQ(std::string(when).substr(0, 16), Texts[kind - 1]) << "kind " << kind;
        return Texts[kind - 1];
    }
    static constexpr std::array Dates{&NextShutdown, &NextRestart, &NextTest, &NextDeepTest};
    static constexpr std::array Texts{NextShutString, NextRestartString, NextTestString,
                                      NextDeepTestString};
};

TEST_F(ScheduleTest, CopyingADaysRowsWithinTheTwoYears) {
    LoadSchedule();                        // no file: an empty calendar
    for (int r = 0; r < ScheduleRows; ++r) // every row its own
        PtSchedule[r] = ScheduleStr{std::uint8_t(r % 256), std::uint8_t(r / 256), 0};
    std::vector<ScheduleStr> expected(PtSchedule, PtSchedule + ScheduleRows);
    // Base year, source y-m-d, target y-m-d, copies: days outside the two
    // years are never touched, nothing past the rows.
    // clang-format off
    const std::array<int, 8> cases[] = {
        {2024, 2024, 3, 10, 2025, 7, 4, 1}, {2024, 2024, 1, 1, 2026, 1, 1, 0},
        {2024, 2024, 1, 1, 2023, 12, 31, 0}, {2024, 2026, 6, 1, 2024, 1, 1, 0}};
    // clang-format on
    for (const auto& [base, sy, sm, sd, dy, dm, dd, copies] : cases) {
        const int src = ScheduleIndex(base, sy, sm, sd, 0),
                  dst = ScheduleIndex(base, dy, dm, dd, 0);
        if (copies) std::copy_n(expected.begin() + src, 6, expected.begin() + dst);
        CopyScheduleDate(base, sy, sm, sd, dy, dm, dd);
        EXPECT_EQ(std::memcmp(PtSchedule, expected.data(), ScheduleRows * sizeof(ScheduleStr)), 0)
            << sy << "-" << sm << "-" << sd << " to " << dy << "-" << dm << "-" << dd;
    }
    FreeSchedule();
    CopyScheduleDate(2024, 2024, 1, 1, 2024, 1, 2); // a released calendar: nothing happens
}

TEST_F(ScheduleTest, TheNextEventOfEachKind) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        // why, now, the entries of a calendar based on 2024, the next event of each kind
        {"today: slot order beats time, past slots and this minute give way", "2024-05-15 12:00",
         "2024-05-15/0 1 09:00, 2024-05-15/1 1 18:00, 2024-05-15/2 1 13:00, "
         "2024-05-15/3 2 12:00, 2024-05-15/4 3 12:01, 2024-05-20/2 2 08:30",
         "1 05/15/2024 18:00, 2 05/20/2024 08:30, 3 05/15/2024 12:01"},
        {"later days: slot order, days before today unread, long times cut", "2024-05-15 10:00",
         "2024-01-01/0 2 12:00, 2024-05-14/5 2 23:59, 2024-05-16/0 1 23:00, 2024-05-16/1 1 01:00, "
         "2024-05-17/0 3 123:200, 2024-05-17/1 4 07:255",
         "1 05/16/2024 23:00, 2 None, 3 05/17/2024 123:2, 4 05/17/2024 07:25"},
        {"day slots that do not exist are never found", "2024-01-10 10:00",
         "2024-02-30/0 1 08:00, 2024-02-31/5 2 08:00, 2024-04-31/0 3 08:00, 2025-02-29/0 4 08:00, "
         "2025-11-31/0 1 08:00, 2024-02-29/0 3 08:00, 2025-03-01/0 4 06:05",
         "1 None, 2 None, 3 02/29/2024 08:00, 4 03/01/2025 06:05"},
        {"the next year to its last row; buttons other than 1 to 4", "2024-12-31 23:00",
         "2024-12-31/0 5 23:30, 2024-12-31/1 4 23:30, 2025-01-01/0 3 00:05, "
         "2025-12-31/5 2 23:55, 2025-03-05/2 1 07:30, 2025-06-01/0 0 12:00",
         "1 03/05/2025 07:30, 2 12/31/2025 23:55, 3 01/01/2025 00:05, 4 12/31/2024 23:30"}};
    // clang-format on
    for (const auto& [why, now, entries, next] : cases) {
        SCOPED_TRACE(why);
        SetClock(now);
        WriteEntries(2024, entries);
        for (int i = 0; i < 4; ++i) // stale, so that every kind is seen written
            *Dates[i] = At("2000-01-01 01:01"), std::strcpy(Texts[i], "01/01/2000 01:01");
        GetNext();
        std::istringstream want(next);
        for (std::string item; std::getline(want >> std::ws, item, ',');)
            EXPECT_EQ(Next(item[0] - '0'), item.substr(2));
    }
    RemoveTree(Path(CalendarFileName));
    GetNext();
    EXPECT_EQ(Next(4), "12/31/2024 23:30") << "without a calendar file the previous events stay";
}

TEST_F(ScheduleTest, WhenAShutdownIsDueAndWhatItDoesToTheCountdown) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*, short, short> cases[] = {
        // why, the next shutdown, now, countdown running, countdown after
        {"at its minute", "2024-05-10 14:30", "2024-05-10 14:30", -1, 300},
        {"a minute early", "2024-05-10 14:30", "2024-05-10 14:29", -1, -1},
        {"missed ticks, same month", "2024-05-10 14:30", "2024-05-11 00:00", -1, 300},
        {"a month early", "2024-05-10 14:30", "2024-04-30 23:59", -1, -1},
        {"minute of month 44,635 > 10", "2024-01-31 23:55", "2024-02-01 00:10", -1, -1},
        {"earlier month, smaller minute", "2024-03-01 10:00", "2024-04-05 00:00", -1, 300},
        {"the year differs", "2024-12-31 23:55", "2025-01-01 00:10", -1, -1},
        {"no next shutdown", "0-0-0 0:0", "2024-05-10 14:30", -1, -1},
        {"a running 0 stays", "2024-05-10 14:30", "2024-05-10 14:30", 0, 0},
        {"a running 301 is shortened", "2024-05-10 14:30", "2024-05-10 14:30", 301, 300}};
    // clang-format on
    PtUPSSts.Schedule_OSDelay = 300;
    for (const auto& [why, next, now, running, after] : cases) {
        SCOPED_TRACE(why);
        ResetScheduleState();
        SetClock(now);
        StartYear = At(now).Year, NextShutdown = At(next), PtUPSVal.DownTime = running;
        CheckScheduleUPS();
        EXPECT_EQ(PtUPSVal.DownTime, after);
        EXPECT_EQ(flag_ScheduleShutdown != 0, after != -1);
    }
}

TEST_F(ScheduleTest, TicksRollTheCalendarAtNewYearAndFireAShutdownOncePerRun) {
    PtUPSSts.Schedule_OSDelay = 300, PtUPSVal.DownTime = -1;
    WriteEntries(2024, "2024-12-31/0 1 23:55, 2025-01-02/0 1 08:00, 2025-01-03/0 1 08:00");
    SetClock("2024-12-31 23:45");
    GetNext(); // at start
    const auto checkAt = [](const char* now) { SetClock(now), CheckScheduleUPS(); };
    // Missed ticks across New Year: the check alone rolls, before any search,
    // and the shutdown of last year never fires.
    checkAt("2025-01-01 00:10");
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_TRUE(ReadFile(Path(CalendarFileName)) ==
                CalendarWith(2025, {{1, 2, 0, 1, 8, 0}, {1, 3, 0, 1, 8, 0}}));
    GetNext();
    checkAt("2025-01-02 08:00");
    GetNext();
    EXPECT_EQ(PtUPSVal.DownTime, 300);
    PtUPSVal.DownTime = -1; // cancelled
    checkAt("2025-01-03 08:00");
    EXPECT_EQ(PtUPSVal.DownTime, -1) << "once per run";
}

} // namespace
