// The minute-wise scheduled check: when a scheduled shutdown comes due and
// starts the countdown, once per run; the New Year roll; missed ticks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

namespace {

using namespace corvanta_test;

class ScheduleCheckTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        PtUPSSts.Schedule_OSDelay = 300;
        PtUPSSts.flag_Enable_Schedule_OSDelay = 1;
        PtUPSVal.DownTime = -1;
    }
    static void CheckAt(int y, int mo, int d, int h, int mi) {
        SetTestTime(y, mo, d, h, mi, 0);
        CheckScheduleUPS();
    }
    // One minute tick: the check, then the search, as the tick runs them.
    static void Tick(int y, int mo, int d, int h, int mi) {
        CheckAt(y, mo, d, h, mi);
        GetNext();
    }
    void WriteShutdowns(int baseYear, const std::vector<DateTimeStr>& at) {
        std::vector<Row> rows = EmptyRows();
        for (const DateTimeStr& a : at)
            rows.at(ScheduleIndex(baseYear, a.Year, a.Month, a.Day, 0)) = Row{1, a.Hour, a.Minute};
        WriteFileRaw(Path(CalendarFileName), CalendarText(baseYear, rows));
    }
};

TEST_F(ScheduleCheckTest, WhenTheShutdownIsDueAndWhatItDoesToTheCountdown) {
    struct Case {
        const char* why;
        DateTimeStr next, now;
        short running, osDelay, enabled, expected;
    };
    const DateTimeStr may10{2024, 5, 10, 14, 30};
    const Case cases[] = {
        {"at its minute", may10, may10, -1, 300, 1, 300},
        {"a minute early", may10, {2024, 5, 10, 14, 29}, -1, 300, 1, -1},
        {"missed ticks, same month", may10, {2024, 5, 11, 0, 0}, -1, 300, 1, 300},
        {"a month early", may10, {2024, 4, 30, 23, 59}, -1, 300, 1, -1},
        {"minute of month 44,635 > 10", {2024, 1, 31, 23, 55}, {2024, 2, 1, 0, 10}, -1, 300, 1, -1},
        {"earlier month, smaller minute", {2024, 3, 1, 10, 0}, {2024, 4, 5, 0, 0}, -1, 300, 1, 300},
        {"the year differs", {2024, 12, 31, 23, 55}, {2025, 1, 1, 0, 10}, -1, 300, 1, -1},
        {"next year", {2025, 1, 1, 0, 0}, {2024, 12, 31, 23, 59}, -1, 300, 1, -1},
        {"no next shutdown", {0, 0, 0, 0, 0}, may10, -1, 300, 1, -1},
        {"a running 100 stays", may10, may10, 100, 300, 1, 100},
        {"a running 0 stays", may10, may10, 0, 300, 1, 0},
        {"a running 300 stays", may10, may10, 300, 300, 1, 300},
        {"a running 400 is shortened", may10, may10, 400, 300, 1, 300},
        {"a running 301 is shortened", may10, may10, 301, 300, 1, 300},
        {"any negative is no countdown", may10, may10, -32768, 300, 1, 300},
        {"the enable flag is not consulted", may10, {2024, 5, 10, 14, 31}, -1, 45, 0, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ResetScheduleState();
        StartYear = c.now.Year;
        NextShutdown = c.next;
        PtUPSVal.DownTime = c.running;
        PtUPSSts.Schedule_OSDelay = c.osDelay;
        PtUPSSts.flag_Enable_Schedule_OSDelay = c.enabled;
        CheckAt(c.now.Year, c.now.Month, c.now.Day, c.now.Hour, c.now.Minute);
        EXPECT_EQ(PtUPSVal.DownTime, c.expected);
        // Every case that is not due has no countdown and keeps it.
        EXPECT_EQ(flag_ScheduleShutdown != 0, c.expected != -1);
    }
}

TEST_F(ScheduleCheckTest, TicksOfARunFireTheFirstShutdownOnly) {
    SetTestTime(2024, 5, 10, 14, 0, 0);
    WriteShutdowns(2024, {{2024, 5, 10, 14, 30}, {2024, 5, 11, 18, 0}});
    GetNext(); // at start
    Tick(2024, 5, 10, 14, 29);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    Tick(2024, 5, 10, 14, 30);
    EXPECT_EQ(PtUPSVal.DownTime, 300);
    EXPECT_EQ(NextShutdown.Day, 11) << "the search moves past the current minute";
    PtUPSVal.DownTime = -1; // cancelled
    Tick(2024, 5, 11, 18, 0);
    EXPECT_EQ(PtUPSVal.DownTime, -1) << "once per run";
}

TEST_F(ScheduleCheckTest, MissedTicksAcrossAMonthEndDoNotFire) {
    SetTestTime(2024, 1, 31, 23, 50, 0);
    WriteShutdowns(2024, {{2024, 1, 31, 23, 55}, {2024, 2, 3, 9, 0}});
    GetNext();
    ASSERT_EQ(NextShutdown.Day, 31);
    Tick(2024, 2, 1, 0, 10);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_EQ(flag_ScheduleShutdown, 0);
    EXPECT_EQ(NextShutdown.Month, 2);
    EXPECT_EQ(NextShutdown.Day, 3);
}

TEST_F(ScheduleCheckTest, MissedTicksAcrossNewYearRollTheCalendarOnceAndDoNotFire) {
    SetTestTime(2024, 12, 31, 23, 50, 0);
    WriteShutdowns(2024, {{2024, 12, 31, 23, 55}, {2025, 1, 2, 8, 0}});
    GetNext();
    ASSERT_EQ(NextShutdown.Year, 2024);
    CheckAt(2025, 1, 1, 0, 10); // the check alone rolls, before any search
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_EQ(StartYear, 2025);
    std::vector<Row> rolled = EmptyRows();
    rolled[ScheduleIndex(2025, 2025, 1, 2, 0)] = Row{1, 8, 0};
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), CalendarText(2025, rolled));
    GetNext();
    EXPECT_EQ(NextShutdown.Year, 2025);
    EXPECT_EQ(NextShutdown.Day, 2);
    CheckAt(2025, 1, 1, 0, 11); // the same year: no second roll
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), CalendarText(2025, rolled));

    // Without any calendar the roll finds nothing and counts as done.
    std::remove(Path(CalendarFileName).c_str());
    CheckAt(2026, 1, 1, 0, 0);
    EXPECT_EQ(StartYear, 2026);
    EXPECT_TRUE(ListFolder(Folder()).empty());
}

} // namespace
