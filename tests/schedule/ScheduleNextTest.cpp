// The next scheduled events: slot order before time, nothing at the current
// minute, day slots that do not exist, the next year, texts and dates.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Schedule.h"
#include "file.h"

namespace {

using namespace corvanta_test;

struct Entry {
    int year, month, day, k;
    Row row;
};

struct Found {
    int kind;           // ScheduleShutdown .. ScheduleDeepTest
    const char* text;   // "None" or "MM/DD/YYYY hh:mm"
    DateTimeStr when{}; // read from text when left empty
};

const DateTimeStr kNone{0, 0, 0, 0, 0};

class ScheduleNextTest : public CoreTest {
  protected:
    void WriteEntries(int baseYear, const std::vector<Entry>& entries) {
        std::vector<Row> rows = EmptyRows();
        for (const Entry& e : entries)
            rows.at(ScheduleIndex(baseYear, e.year, e.month, e.day, e.k)) = e.row;
        WriteFileRaw(Path(CalendarFileName), CalendarText(baseYear, rows));
    }
    static void Expect(const Found& f) {
        const DateTimeStr* when[] = {nullptr, &NextShutdown, &NextRestart, &NextTest,
                                     &NextDeepTest};
        const char* text[] = {nullptr, NextShutString, NextRestartString, NextTestString,
                              NextDeepTestString};
        SCOPED_TRACE("kind " + std::to_string(f.kind));
        const DateTimeStr& w = *when[f.kind];
        DateTimeStr e = f.when;
        if (e.Year == 0)
            std::sscanf(f.text, "%hd/%hd/%hd %hd:%hd", &e.Month, &e.Day, &e.Year, &e.Hour,
                        &e.Minute);
        auto key = [](const DateTimeStr& d) {
            return std::tuple(d.Year, d.Month, d.Day, d.Hour, d.Minute);
        };
        EXPECT_EQ(key(w), key(e));
        EXPECT_STREQ(text[f.kind], f.text);
    }
};

TEST_F(ScheduleNextTest, SearchRules) {
    struct Case {
        const char* why;
        DateTimeStr now;
        int base; // line 1 of the calendar
        std::vector<Entry> entries;
        std::vector<Found> found;
    };
    const Case cases[] = {
        {"today: slot order beats time",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 5, 15, 0, {1, 18, 0}}, {2024, 5, 15, 1, {1, 12, 0}}},
         {{1, "05/15/2024 18:00"}}},
        {"today: an earlier slot in the past gives way",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 5, 15, 0, {1, 9, 0}}, {2024, 5, 15, 3, {1, 11, 15}}},
         {{1, "05/15/2024 11:15"}}},
        {"the current minute is not in the future",
         {2024, 5, 15, 12, 0},
         2024,
         {{2024, 5, 15, 0, {1, 12, 0}},
          {2024, 5, 15, 1, {2, 11, 59}},
          {2024, 5, 15, 2, {3, 12, 1}},
          {2024, 5, 20, 2, {1, 8, 30}}},
         {{1, "05/20/2024 08:30"}, {2, "None"}, {3, "05/15/2024 12:01"}}},
        {"later days: slot order whatever the time",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 5, 16, 0, {1, 23, 0}}, {2024, 5, 16, 1, {1, 1, 0}}},
         {{1, "05/16/2024 23:00"}}},
        {"days before today are never looked at",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 1, 1, 0, {1, 12, 0}}, {2024, 5, 14, 5, {1, 23, 59}}},
         {{1, "None"}}},
        {"day slots that do not exist are never found",
         {2024, 1, 10, 10, 0},
         2024,
         {{2024, 2, 30, 0, {1, 8, 0}},
          {2024, 2, 31, 5, {2, 8, 0}},
          {2024, 4, 31, 0, {3, 8, 0}},
          {2025, 2, 29, 0, {4, 8, 0}},
          {2025, 11, 31, 0, {1, 8, 0}},
          {2024, 2, 29, 0, {3, 8, 0}},
          {2025, 3, 1, 0, {4, 6, 5}}},
         {{1, "None"}, {2, "None"}, {3, "02/29/2024 08:00"}, {4, "03/01/2025 06:05"}}},
        {"the next year to its last row, each kind its own button",
         {2024, 12, 31, 23, 0},
         2024,
         {{2024, 12, 31, 0, {5, 23, 30}},
          {2024, 12, 31, 1, {4, 23, 30}},
          {2025, 1, 1, 0, {3, 0, 5}},
          {2025, 12, 31, 5, {2, 23, 55}},
          {2025, 3, 5, 2, {1, 7, 30}}},
         {{1, "03/05/2025 07:30"},
          {2, "12/31/2025 23:55"},
          {3, "01/01/2025 00:05"},
          {4, "12/31/2024 23:30"}}},
        {"the last minute of the year",
         {2024, 12, 31, 23, 59},
         2024,
         {{2024, 12, 31, 0, {1, 23, 59}}, {2025, 1, 1, 5, {1, 0, 0}}},
         {{1, "01/01/2025 00:00"}}},
        {"buttons other than 1 to 4; 260 keeps its low 8 bits: 4",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 6, 1, 0, {0, 12, 0}},
          {2024, 6, 1, 1, {5, 12, 0}},
          {2024, 6, 1, 2, {255, 12, 0}},
          {2024, 6, 1, 3, {260, 12, 0}}},
         {{1, "None"}, {3, "None"}, {4, "06/01/2024 12:00"}}},
        {"three-digit times cut the text at 16 characters",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 5, 16, 0, {1, 123, 200}}, {2024, 5, 16, 1, {2, 7, 255}}},
         {{1, "05/16/2024 123:2", {2024, 5, 16, 123, 200}},
          {2, "05/16/2024 07:25", {2024, 5, 16, 7, 255}}}},
        {"a year-old calendar is rolled on the way",
         {2025, 3, 1, 10, 0},
         2024,
         {{2024, 3, 2, 0, {1, 8, 0}}, {2025, 3, 2, 0, {1, 9, 45}}},
         {{1, "03/02/2025 09:45"}}},
        {"a two-year-old calendar gives none",
         {2025, 3, 1, 10, 0},
         2023,
         {{2024, 3, 2, 0, {1, 8, 0}}},
         {{1, "None"}}},
        {"a future calendar gives none",
         {2025, 3, 1, 10, 0},
         2026,
         {{2026, 3, 2, 0, {1, 8, 0}}},
         {{1, "None"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SetTestTime(c.now.Year, c.now.Month, c.now.Day, c.now.Hour, c.now.Minute, 30);
        WriteEntries(c.base, c.entries);
        for (DateTimeStr* w : {&NextShutdown, &NextRestart, &NextTest, &NextDeepTest})
            *w = DateTimeStr{2000, 1, 1, 1, 1};
        for (char* t : {NextShutString, NextRestartString, NextTestString, NextDeepTestString})
            std::strcpy(t, "stale");
        GetNext();
        for (const Found& f : c.found)
            Expect(f);
        EXPECT_EQ(FileExists(Path(CalendarFileName)),
                  c.base >= c.now.Year - 1 && c.base <= c.now.Year);
    }
}

TEST_F(ScheduleNextTest, NoCalendarFileKeepsThePreviousValues) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2024, 6, 1, 0, {1, 12, 0}}});
    GetNext();
    std::remove(Path(CalendarFileName).c_str());
    GetNext();
    Expect({1, "06/01/2024 12:00"});
    Expect({3, "None"});
}

TEST_F(ScheduleNextTest, AFailedRollFindsNothingAndTheNextSearchTriesAgain) {
    // A non-empty folder under the roll's temporary name blocks the roll: the
    // year-old rows must not be read as this year's.
    SetTestTime(2024, 5, 15, 10, 0, 0);
    ASSERT_EQ(mkdir(Path(CalendarTempFileName).c_str(), 0755), 0);
    WriteFileRaw(Path(CalendarTempFileName) + "/inside", "x");
    WriteEntries(
        2023,
        {{2023, 1, 1, 1, {1, 23, 0}}, {2023, 5, 16, 2, {2, 6, 0}}, {2024, 6, 1, 0, {3, 12, 0}}});
    GetNext();
    Expect({1, "None"});
    Expect({2, "None"});
    Expect({3, "None"});
    EXPECT_EQ(SplitLines(ReadFile(Path(CalendarFileName))).at(0), "2023");

    RemoveTree(Path(CalendarTempFileName));
    GetNext();
    Expect({3, "06/01/2024 12:00"});
    Expect({2, "None"});
    EXPECT_EQ(SplitLines(ReadFile(Path(CalendarFileName))).at(0), "2024");
}

} // namespace
