// The calendar as the agent reads it: by its base year, never rewritten, and
// acted on at the minute of each entry.
#include <sys/stat.h>

#include "AgentTestSupport.h"
#include "Clock.h"
#include "file.h"

namespace agent_test {
namespace {

// The clock stands at 2026-03-10 14:00:00 (AgentTest).
struct BaseYearCase {
    const char* name;
    int baseYear;
    int slot; // month slot of 10 March 2026 in a file of that base year
    bool schedules;
};

class CalendarBaseYear : public AgentTest, public ::testing::WithParamInterface<BaseYearCase> {};

TEST_P(CalendarBaseYear, SchedulesOnlyWhenTheFileCoversThisYear) {
    const BaseYearCase& c = GetParam();
    std::string text = CalendarText(c.baseYear, {{c.slot, 10, 0, ScheduleShutdown, 14, 1}});
    WriteFile(Path(CalendarFileName), text);
    SetTestTime(2026, 3, 10, 14, 0, 59);
    StartAgent();
    EXPECT_EQ(agent->DownTime(), -1);
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), c.schedules ? 300 : -1);
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), text) << "the calendar is the monitor's";
}

const BaseYearCase BaseYearCases[] = {
    {"ThisYearFirstHalf", 2026, 3, true},
    {"YearOldFileSecondHalf", 2025, 15, true},
    {"YearOldFileFirstHalfIsPast", 2025, 3, false},
    {"TwoYearsOld", 2024, 15, false},
    {"FutureFile", 2027, 3, false},
    {"NextYearHalfIsNotThisYear", 2026, 15, false},
};

INSTANTIATE_TEST_SUITE_P(Agent, CalendarBaseYear, ::testing::ValuesIn(BaseYearCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AgentTest, EntryKindsAtTheirMinute) {
    WriteFile(Path(CalendarFileName), CalendarText(2026, {
                                                             {3, 10, 0, ScheduleTest, 14, 2},
                                                             {3, 10, 1, ScheduleDeepTest, 14, 3},
                                                             {3, 10, 2, ScheduleRestart, 14, 4},
                                                             {3, 10, 5, 9, 14, 4},
                                                         }));
    StartAgent();
    Seconds(5 * 60);
    EXPECT_EQ(ups.SelfTests, (std::vector<bool>{false, true}));
    EXPECT_TRUE(LogHas("Scheduled self test at 14:02 started (test)"));
    EXPECT_TRUE(LogHas("Scheduled deep self test at 14:03 started (test)"));
    EXPECT_TRUE(LogHas("Scheduled restart at 14:04"));
    EXPECT_EQ(agent->DownTime(), -1);
}

TEST_F(AgentTest, ScheduledShutdownHonoursItsSettings) {
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleShutdown, 14, 1}}));
    WriteSettings([](UPSSts& s) { s.flag_Enable_Schedule_OSDelay = 0; });
    StartAgent();
    Seconds(60);
    EXPECT_EQ(agent->DownTime(), -1);
    EXPECT_TRUE(LogHas("Scheduled shutdown at 14:01"));
    EXPECT_TRUE(LogHas("Scheduled shutdown countdown is off in the settings"));
}

TEST_F(AgentTest, ScheduledShutdownIsNotEndedByPowerReturnButShortensNothingLonger) {
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleShutdown, 14, 1}}));
    WriteSettings([](UPSSts& s) {
        s.Schedule_OSDelay = 100;
        s.Power_OSDelay = 180;
    });
    StartAgent();
    Seconds(60);
    ASSERT_EQ(agent->DownTime(), 100);
    ups.Next.Status = UPS_ACFAIL;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 99) << "a power failure never lengthens it";
    ups.Next.Status = 0;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 98) << "the mains has nothing to do with a scheduled shutdown";
    Seconds(98);
    EXPECT_TRUE(LogHas("Shutdown countdown expired (scheduled shutdown)"));
    EXPECT_EQ(ups.TurnOffs, std::vector<int>{90});
}

TEST_F(AgentTest, CalendarSaveIsReadOnRequest) {
    StartAgent();
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleShutdown, 14, 2}}));
    WriteRequest(0, 1, 0);
    Seconds(1);
    EXPECT_TRUE(LogHas("Calendar reloaded: 1 scheduled entries from 2026"));
    Seconds(119);
    EXPECT_EQ(agent->DownTime(), 300);
}

struct ClockJump {
    const char* name;
    long seconds; // jump after reaching 14:00:00 (the entry is at 14:05)
    bool fires;
};

class CalendarClockJumps : public AgentTest, public ::testing::WithParamInterface<ClockJump> {};

TEST_P(CalendarClockJumps, MissedMinutesAreCaughtUpOnlyWhenRecent) {
    const ClockJump& c = GetParam();
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleShutdown, 14, 5}}));
    StartAgent();
    AdvanceTestTime(c.seconds);
    agent->Step();
    EXPECT_EQ(agent->DownTime() >= 0, c.fires);
}

const ClockJump ClockJumps[] = {
    {"ToTheMinute", 5 * 60, true},
    {"StalledEightMinutes", 13 * 60, true},
    {"StalledTwoHours", 2 * 3600, false},
    {"NotYet", 4 * 60 + 59, false},
};

INSTANTIATE_TEST_SUITE_P(Agent, CalendarClockJumps, ::testing::ValuesIn(ClockJumps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AgentTest, AMinuteIsNeverActedOnTwice) {
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleTest, 14, 1}}));
    StartAgent();
    Seconds(90);
    SetTestTime(2026, 3, 10, 14, 0, 30); // the clock is set back
    Seconds(90);
    EXPECT_EQ(ups.SelfTests.size(), 1u);
}

TEST_F(AgentTest, CalendarAcrossNewYearUsesTheSecondHalf) {
    SetTestTime(2026, 12, 31, 23, 59, 59);
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{13, 1, 0, ScheduleShutdown, 0, 0}}));
    StartAgent();
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 300);
}

TEST_F(AgentTest, CalendarOthersCanWriteIsRefused) {
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleShutdown, 14, 1}}),
              0646);
    StartAgent();
    Seconds(60);
    EXPECT_EQ(agent->DownTime(), -1);
    EXPECT_TRUE(LogHas("Calendar refused: ZAN_CALENDAR.DAT is writable by other users"));
}

TEST(AgentMinutes, RoundTripOverLeapDaysAndYears) {
    const int dates[][5] = {
        {1970, 1, 1, 0, 0}, {2024, 2, 29, 23, 59}, {2026, 12, 31, 23, 59},
        {2027, 1, 1, 0, 0}, {2100, 3, 1, 12, 30},
    };
    for (const auto& d : dates) {
        long m = MinuteNumber(d[0], d[1], d[2], d[3], d[4]);
        DateTimeRec t = DateTimeOfMinute(m);
        EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute}),
                  (std::vector<int>{d[0], d[1], d[2], d[3], d[4]}));
    }
    EXPECT_EQ(MinuteNumber(1970, 1, 2, 0, 0), 1440);
    EXPECT_EQ(MinuteNumber(2027, 1, 1, 0, 0) - MinuteNumber(2026, 12, 31, 23, 59), 1);
}

} // namespace
} // namespace agent_test
