// The minute-wise scheduled check: when a scheduled shutdown comes due and
// starts the countdown, once per run; the New Year roll; missed ticks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Schedule.h"
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
    // One minute tick at the given moment: the check, then the search, as the
    // tick runs them.
    void Tick(int y, int mo, int d, int h, int mi) {
        SetTestTime(y, mo, d, h, mi, 0);
        CheckScheduleUPS();
        GetNext();
    }
    void CheckAt(int y, int mo, int d, int h, int mi) {
        SetTestTime(y, mo, d, h, mi, 0);
        CheckScheduleUPS();
    }
    void WriteShutdowns(int baseYear, const std::vector<DateTimeStr>& at) {
        std::vector<Row> rows = EmptyRows();
        int k = 0;
        for (const DateTimeStr& a : at)
            rows.at(ScheduleIndex(baseYear, a.Year, a.Month, a.Day, k++ % 6)) =
                Row{1, a.Hour, a.Minute};
        WriteFileRaw(Path(CalendarFileName), CalendarText(baseYear, rows));
    }
};

TEST_F(ScheduleCheckTest, DueAtItsMinuteStartsTheCountdown) {
    StartYear = 2024;
    NextShutdown = DateTimeStr{2024, 5, 10, 14, 30};
    CheckAt(2024, 5, 10, 14, 29);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_EQ(flag_ScheduleShutdown, 0);
    CheckAt(2024, 5, 10, 14, 30);
    EXPECT_EQ(PtUPSVal.DownTime, 300);
    EXPECT_NE(flag_ScheduleShutdown, 0);
}

TEST_F(ScheduleCheckTest, ARunningCountdownIsOnlyShortened) {
    struct Case {
        short running, expected;
    };
    const Case cases[] = {{100, 100}, {400, 300}, {300, 300},   {301, 300},
                          {0, 0},     {-1, 300},  {-32768, 300}};
    for (const Case& c : cases) {
        ResetScheduleState();
        StartYear = 2024;
        NextShutdown = DateTimeStr{2024, 5, 10, 14, 30};
        PtUPSVal.DownTime = c.running;
        CheckAt(2024, 5, 10, 14, 30);
        EXPECT_EQ(PtUPSVal.DownTime, c.expected) << "running " << c.running;
    }
}

TEST_F(ScheduleCheckTest, TheEnableFlagIsNotConsulted) {
    PtUPSSts.flag_Enable_Schedule_OSDelay = 0;
    PtUPSSts.Schedule_OSDelay = 45;
    StartYear = 2024;
    NextShutdown = DateTimeStr{2024, 5, 10, 14, 30};
    CheckAt(2024, 5, 10, 14, 31);
    EXPECT_EQ(PtUPSVal.DownTime, 45);
}

TEST_F(ScheduleCheckTest, OnlyOncePerRun) {
    StartYear = 2024;
    NextShutdown = DateTimeStr{2024, 5, 10, 14, 30};
    CheckAt(2024, 5, 10, 14, 30);
    ASSERT_EQ(PtUPSVal.DownTime, 300);
    PtUPSVal.DownTime = -1; // cancelled
    NextShutdown = DateTimeStr{2024, 5, 10, 18, 0};
    CheckAt(2024, 5, 10, 18, 0);
    EXPECT_EQ(PtUPSVal.DownTime, -1) << "a second scheduled shutdown is passed over";
    CheckAt(2024, 5, 10, 18, 1);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
}

TEST_F(ScheduleCheckTest, NoNextShutdownNothingHappens) {
    StartYear = 2024;
    NextShutdown = DateTimeStr{0, 0, 0, 0, 0};
    CheckAt(2024, 5, 10, 14, 30);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_EQ(flag_ScheduleShutdown, 0);
}

TEST_F(ScheduleCheckTest, DueMeansSameYearEarlierOrSameMonthAndMinuteOfMonthReached) {
    struct Case {
        DateTimeStr next;
        int y, mo, d, h, mi;
        bool due;
        const char* why;
    };
    const Case cases[] = {
        {{2024, 5, 10, 14, 30}, 2024, 5, 10, 14, 30, true, "at its minute"},
        {{2024, 5, 10, 14, 30}, 2024, 5, 10, 14, 29, false, "a minute early"},
        {{2024, 5, 10, 14, 30}, 2024, 5, 11, 0, 0, true, "missed ticks in the same month"},
        {{2024, 5, 10, 14, 30}, 2024, 4, 30, 23, 59, false, "a month early"},
        {{2024, 1, 31, 23, 55}, 2024, 2, 1, 0, 10, false, "minute of the month 44,635 > 10"},
        {{2024, 3, 1, 10, 0}, 2024, 4, 5, 0, 0, true, "an earlier month with a smaller minute"},
        {{2024, 12, 31, 23, 55}, 2025, 1, 1, 0, 10, false, "the year differs"},
        {{2025, 1, 1, 0, 0}, 2024, 12, 31, 23, 59, false, "next year"},
        {{2024, 5, 1, 0, 0}, 2024, 5, 1, 0, 0, true, "first minute of the month"},
    };
    for (const Case& c : cases) {
        ResetScheduleState();
        StartYear = c.y;
        NextShutdown = c.next;
        PtUPSVal.DownTime = -1;
        CheckAt(c.y, c.mo, c.d, c.h, c.mi);
        EXPECT_EQ(PtUPSVal.DownTime, c.due ? 300 : -1) << c.why;
        EXPECT_EQ(flag_ScheduleShutdown != 0, c.due) << c.why;
    }
}

TEST_F(ScheduleCheckTest, TicksOfARunFindAndFireTheShutdown) {
    SetTestTime(2024, 5, 10, 14, 0, 0);
    WriteShutdowns(2024, {{2024, 5, 10, 14, 30}, {2024, 5, 10, 18, 0}});
    GetNext(); // at start
    EXPECT_EQ(NextShutdown.Hour, 14);
    Tick(2024, 5, 10, 14, 29);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    Tick(2024, 5, 10, 14, 30);
    EXPECT_EQ(PtUPSVal.DownTime, 300);
    EXPECT_EQ(NextShutdown.Hour, 18) << "the search moves past the current minute";
    PtUPSVal.DownTime = -1;
    Tick(2024, 5, 10, 18, 0);
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

TEST_F(ScheduleCheckTest, MissedTicksAcrossNewYearRollFirstAndDoNotFire) {
    SetTestTime(2024, 12, 31, 23, 50, 0);
    WriteShutdowns(2024, {{2024, 12, 31, 23, 55}, {2025, 1, 2, 8, 0}});
    GetNext();
    ASSERT_EQ(NextShutdown.Year, 2024);
    ASSERT_EQ(StartYear, 2024);
    Tick(2025, 1, 1, 0, 10);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_EQ(StartYear, 2025);
    const std::vector<std::string> lines = SplitLines(ReadFile(Path(CalendarFileName)));
    ASSERT_EQ(lines.size(), 4465u);
    EXPECT_EQ(lines[0], "2025");
    EXPECT_EQ(lines[1 + ScheduleIndex(2025, 2025, 1, 2, 1)], "1\t8\t0");
    EXPECT_EQ(NextShutdown.Year, 2025);
    EXPECT_EQ(NextShutdown.Day, 2);
}

TEST_F(ScheduleCheckTest, TheFirstTickOfTheYearRollsEvenWithoutAShutdown) {
    SetTestTime(2024, 12, 31, 23, 59, 0);
    std::vector<Row> rows = EmptyRows();
    rows[2232] = Row{3, 4, 5};
    WriteFileRaw(Path(CalendarFileName), CalendarText(2024, rows));
    StartYear = 2024;
    NextShutdown = DateTimeStr{0, 0, 0, 0, 0};
    CheckAt(2025, 1, 1, 0, 0);
    EXPECT_EQ(StartYear, 2025);
    std::vector<Row> rolled = EmptyRows();
    rolled[0] = Row{3, 4, 5};
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), CalendarText(2025, rolled));
    // The next tick in the same year does not roll again.
    CheckAt(2025, 1, 1, 0, 1);
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), CalendarText(2025, rolled));
}

TEST_F(ScheduleCheckTest, AFailedRollCountsAsHandled) {
    StartYear = 2024;
    CheckAt(2025, 1, 1, 0, 0); // no calendar file at all
    EXPECT_EQ(StartYear, 2025);
    EXPECT_TRUE(ListFolder(Folder()).empty());
}

} // namespace
