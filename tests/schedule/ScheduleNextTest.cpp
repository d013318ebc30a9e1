// The next scheduled events: slot order before time, nothing at the current
// minute, day slots that do not exist, the next year, texts and dates.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>
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

class ScheduleNextTest : public CoreTest {
  protected:
    // Writes a calendar of base year baseYear holding only the given entries.
    void WriteEntries(int baseYear, const std::vector<Entry>& entries) {
        std::vector<Row> rows = EmptyRows();
        for (const Entry& e : entries)
            rows.at(ScheduleIndex(baseYear, e.year, e.month, e.day, e.k)) = e.row;
        WriteFileRaw(Path(CalendarFileName), CalendarText(baseYear, rows));
    }
    static void ExpectDate(const DateTimeStr& d, int y, int mo, int day, int h, int mi) {
        EXPECT_EQ(d.Year, y);
        EXPECT_EQ(d.Month, mo);
        EXPECT_EQ(d.Day, day);
        EXPECT_EQ(d.Hour, h);
        EXPECT_EQ(d.Minute, mi);
    }
    static void ExpectNone(const DateTimeStr& d, const char* text) {
        ExpectDate(d, 0, 0, 0, 0, 0);
        EXPECT_STREQ(text, "None");
    }
};

TEST_F(ScheduleNextTest, TheStartStateIsNone) {
    ExpectNone(NextShutdown, NextShutString);
    ExpectNone(NextRestart, NextRestartString);
    ExpectNone(NextTest, NextTestString);
    ExpectNone(NextDeepTest, NextDeepTestString);
    EXPECT_EQ(flag_ScheduleShutdown, 0);
}

TEST_F(ScheduleNextTest, SlotOrderBeatsTimeWithinToday) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2024, 5, 15, 0, {1, 18, 0}}, {2024, 5, 15, 1, {1, 12, 0}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 5, 15, 18, 0);
    EXPECT_STREQ(NextShutString, "05/15/2024 18:00");
}

TEST_F(ScheduleNextTest, AnEarlierSlotInThePastGivesWayToALaterSlot) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2024, 5, 15, 0, {1, 9, 0}}, {2024, 5, 15, 3, {1, 11, 15}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 5, 15, 11, 15);
}

TEST_F(ScheduleNextTest, AnEntryAtTheCurrentMinuteIsNotInTheFuture) {
    SetTestTime(2024, 5, 15, 12, 0, 30);
    WriteEntries(2024, {{2024, 5, 15, 0, {1, 12, 0}}, {2024, 5, 20, 2, {1, 8, 30}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 5, 20, 8, 30);
    EXPECT_STREQ(NextShutString, "05/20/2024 08:30");

    WriteEntries(2024, {{2024, 5, 15, 0, {1, 12, 5}}, {2024, 5, 20, 2, {1, 8, 30}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 5, 15, 12, 5);
    EXPECT_STREQ(NextShutString, "05/15/2024 12:05");

    // An earlier hour with a later minute is in the past.
    WriteEntries(2024, {{2024, 5, 15, 0, {1, 11, 59}}});
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
    // The same hour, next minute.
    WriteEntries(2024, {{2024, 5, 15, 5, {1, 12, 1}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 5, 15, 12, 1);
}

TEST_F(ScheduleNextTest, LaterDaysTakeSlotOrderWhateverTheTime) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2024, 5, 16, 0, {1, 23, 0}}, {2024, 5, 16, 1, {1, 1, 0}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 5, 16, 23, 0);
    EXPECT_STREQ(NextShutString, "05/16/2024 23:00");
}

TEST_F(ScheduleNextTest, DaysBeforeTodayAreNeverLookedAt) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2024, 1, 1, 0, {1, 12, 0}}, {2024, 5, 14, 5, {1, 23, 59}}});
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
}

TEST_F(ScheduleNextTest, DaySlotsThatDoNotExistAreNeverFound) {
    SetTestTime(2024, 1, 10, 10, 0, 0);
    WriteEntries(2024, {{2024, 2, 30, 0, {1, 8, 0}},
                        {2024, 2, 31, 5, {2, 8, 0}},
                        {2024, 4, 31, 0, {3, 8, 0}},
                        {2025, 2, 29, 0, {4, 8, 0}}, // 2025 is no leap year
                        {2025, 11, 31, 0, {1, 8, 0}}});
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
    ExpectNone(NextRestart, NextRestartString);
    ExpectNone(NextTest, NextTestString);
    ExpectNone(NextDeepTest, NextDeepTestString);

    // 29 February exists in 2024.
    WriteEntries(2024, {{2024, 2, 29, 0, {4, 8, 0}}});
    GetNext();
    ExpectDate(NextDeepTest, 2024, 2, 29, 8, 0);
}

TEST_F(ScheduleNextTest, TheNextYearIsSearchedToItsLastRow) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2025, 1, 10, 0, {1, 0, 0}}});
    GetNext();
    ExpectDate(NextShutdown, 2025, 1, 10, 0, 0);
    EXPECT_STREQ(NextShutString, "01/10/2025 00:00");

    WriteEntries(2024, {{2025, 12, 31, 5, {2, 23, 55}}});
    GetNext();
    ExpectDate(NextRestart, 2025, 12, 31, 23, 55);
    EXPECT_STREQ(NextRestartString, "12/31/2025 23:55");
}

TEST_F(ScheduleNextTest, EachKindFindsItsOwnButton) {
    SetTestTime(2024, 12, 31, 23, 0, 0);
    WriteEntries(2024, {{2024, 12, 31, 0, {5, 23, 30}},
                        {2024, 12, 31, 1, {4, 23, 30}},
                        {2025, 1, 1, 0, {3, 0, 5}},
                        {2025, 1, 1, 1, {2, 0, 0}},
                        {2025, 3, 5, 2, {1, 7, 30}},
                        {2025, 3, 6, 0, {0, 7, 30}}});
    GetNext();
    ExpectDate(NextDeepTest, 2024, 12, 31, 23, 30);
    EXPECT_STREQ(NextDeepTestString, "12/31/2024 23:30");
    ExpectDate(NextTest, 2025, 1, 1, 0, 5);
    EXPECT_STREQ(NextTestString, "01/01/2025 00:05");
    ExpectDate(NextRestart, 2025, 1, 1, 0, 0);
    EXPECT_STREQ(NextRestartString, "01/01/2025 00:00");
    ExpectDate(NextShutdown, 2025, 3, 5, 7, 30);
    EXPECT_STREQ(NextShutString, "03/05/2025 07:30");

    // GetNextScheduleTime recomputes one kind only.
    WriteEntries(2024, {});
    GetNextScheduleTime(3);
    ExpectNone(NextTest, NextTestString);
    ExpectDate(NextRestart, 2025, 1, 1, 0, 0);
}

TEST_F(ScheduleNextTest, ButtonsOtherThanOneToFourAreNeverFound) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    std::vector<Entry> entries;
    for (int b : {0, 5, 6, 255, 260})
        entries.push_back({2024, 6, 1, static_cast<int>(entries.size()), {b, 12, 0}});
    WriteEntries(2024, entries);
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
    ExpectNone(NextRestart, NextRestartString);
    ExpectNone(NextTest, NextTestString);
    // 260 keeps its low 8 bits: 4, a deep test.
    ExpectDate(NextDeepTest, 2024, 6, 1, 12, 0);
}

TEST_F(ScheduleNextTest, AnEmptyCalendarGivesNoneForAllKinds) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    NextShutdown = DateTimeStr{2024, 6, 1, 1, 1};
    std::strcpy(NextShutString, "06/01/2024 01:01");
    WriteEntries(2024, {});
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
    ExpectNone(NextRestart, NextRestartString);
    ExpectNone(NextTest, NextTestString);
    ExpectNone(NextDeepTest, NextDeepTestString);
}

TEST_F(ScheduleNextTest, NoCalendarFileKeepsThePreviousValues) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2024, 6, 1, 0, {1, 12, 0}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 6, 1, 12, 0);
    std::remove(Path(CalendarFileName).c_str());
    GetNext();
    ExpectDate(NextShutdown, 2024, 6, 1, 12, 0);
    EXPECT_STREQ(NextShutString, "06/01/2024 12:00");
    ExpectNone(NextTest, NextTestString);
}

TEST_F(ScheduleNextTest, ThreeDigitTimesCutTheTextAt16Characters) {
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteEntries(2024, {{2024, 5, 16, 0, {1, 123, 200}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 5, 16, 123, 200);
    EXPECT_STREQ(NextShutString, "05/16/2024 123:2");

    WriteEntries(2024, {{2024, 5, 16, 0, {2, 7, 255}}});
    GetNext();
    EXPECT_STREQ(NextRestartString, "05/16/2024 07:25");
    EXPECT_EQ(NextRestart.Minute, 255);
}

TEST_F(ScheduleNextTest, ATruncatedCalendarFindsNothingPastItsEnd) {
    // A calendar cut short (100 rows: 1 to 17 January) searched in May: the
    // January rows must not be taken for May's.
    SetTestTime(2024, 5, 15, 10, 0, 0);
    std::vector<Row> rows = EmptyRows();
    rows[1] = Row{1, 23, 0}; // 1 January, slot 1
    rows[8] = Row{2, 6, 0};  // 2 January, slot 2
    rows.resize(100);
    WriteFileRaw(Path(CalendarFileName), CalendarText(2024, rows));
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
    ExpectNone(NextRestart, NextRestartString);
}

TEST_F(ScheduleNextTest, AYearOldCalendarIsRolledOnTheWay) {
    SetTestTime(2025, 3, 1, 10, 0, 0);
    // Written in 2024: its second half is 2025.
    WriteEntries(2024, {{2024, 3, 2, 0, {1, 8, 0}}, {2025, 3, 2, 0, {1, 9, 45}}});
    GetNext();
    ExpectDate(NextShutdown, 2025, 3, 2, 9, 45);
    EXPECT_EQ(SplitLines(ReadFile(Path(CalendarFileName))).at(0), "2025");
    EXPECT_EQ(StartYear, 2025);
}

TEST_F(ScheduleNextTest, AFailedRollFindsNothingAndTheNextSearchTriesAgain) {
    // A non-empty folder under the roll's temporary name blocks the roll. The
    // year-old rows must then not be read as this year's.
    SetTestTime(2024, 5, 15, 10, 0, 0);
    ASSERT_EQ(mkdir(Path(CalendarTempFileName).c_str(), 0755), 0);
    WriteFileRaw(Path(CalendarTempFileName) + "/inside", "x");
    std::vector<Row> rows = EmptyRows();
    rows[1] = Row{1, 23, 0};                                  // 1 January 2023, slot 1
    rows[8] = Row{2, 6, 0};                                   // 2 January 2023, slot 2
    rows[ScheduleIndex(2023, 2024, 6, 1, 0)] = Row{3, 12, 0}; // 1 June 2024
    WriteFileRaw(Path(CalendarFileName), CalendarText(2023, rows));
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
    ExpectNone(NextRestart, NextRestartString);
    ExpectNone(NextTest, NextTestString);
    EXPECT_EQ(SplitLines(ReadFile(Path(CalendarFileName))).at(0), "2023");

    RemoveTree(Path(CalendarTempFileName));
    GetNext();
    ExpectDate(NextTest, 2024, 6, 1, 12, 0);
    ExpectNone(NextShutdown, NextShutString);
}

TEST_F(ScheduleNextTest, AnOutdatedCalendarIsDeletedAndGivesNone) {
    SetTestTime(2025, 3, 1, 10, 0, 0);
    NextShutdown = DateTimeStr{2025, 4, 1, 1, 1};
    WriteEntries(2023, {{2024, 3, 2, 0, {1, 8, 0}}});
    GetNext();
    ExpectNone(NextShutdown, NextShutString);
    EXPECT_FALSE(FileExists(Path(CalendarFileName)));
}

TEST_F(ScheduleNextTest, TodayAtTheLastMinuteOfTheYear) {
    SetTestTime(2024, 12, 31, 23, 59, 0);
    WriteEntries(2024, {{2024, 12, 31, 0, {1, 23, 59}}, {2025, 1, 1, 5, {1, 0, 0}}});
    GetNext();
    ExpectDate(NextShutdown, 2025, 1, 1, 0, 0);
    EXPECT_STREQ(NextShutString, "01/01/2025 00:00");
}

TEST_F(ScheduleNextTest, NextYearSlotsFollowTheNextYearsMonthLengths) {
    // Today in a leap year; 29 February of the next (common) year is skipped,
    // 29 February of this year is found.
    SetTestTime(2024, 1, 5, 10, 0, 0);
    WriteEntries(2024, {{2025, 2, 29, 0, {1, 6, 0}}, {2025, 3, 1, 0, {1, 6, 5}}});
    GetNext();
    ExpectDate(NextShutdown, 2025, 3, 1, 6, 5);

    SetTestTime(2023, 1, 5, 10, 0, 0);
    WriteEntries(2023, {{2024, 2, 29, 0, {1, 6, 0}}, {2024, 3, 1, 0, {1, 6, 5}}});
    GetNext();
    ExpectDate(NextShutdown, 2024, 2, 29, 6, 0);
}

} // namespace
