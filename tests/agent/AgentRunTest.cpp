// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent second by second: the countdown, the events it logs, the files
// it writes, the calendar and the monitor's requests.
#include <climits>
#include <fcntl.h>

#include "AgentTestSupport.h"

namespace agent_test {
namespace {

constexpr std::int32_t A = UPS_ACFAIL, L = UPS_BATTLOW, AL = A | L;
constexpr std::int32_t X = -1; // the UPS does not answer this second

constexpr short Off = SHRT_MIN; // the delay is disabled in the settings
// Extras of a story: a command file /x/notify.sh and a shutdown command
// /x/halt.sh, no UPS turn-off, programs refused by the runner.
enum { Programs = 1, NoTurnOff = 2, Refuse = 4 };

struct Story {
    const char* name;
    short power, battery; // the delays in the settings
    int extras;
    std::vector<std::int32_t> status;   // the UPS's status word, one per second
    std::vector<short> downTime;        // the agent's countdown after each second
    std::vector<std::string> log = {};  // lines logged after the start; empty: not checked
    std::vector<std::string> done = {}; // "COUNTDOWN: what the agent did" in that second
    short commandTime = 60;
};

// clang-format off
const Story Stories[] = {
    {"PowerDelayOffLeavesItIdle", Off, 30, 0, {0, A, A}, {-1, -1, -1}},
    {"LowBatteryOnMainsDoesNothing", 180, 30, 0, {0, L, L}, {-1, -1, -1}},
    {"LowBatteryThenPowerFailureArmsTheBatteryDelay", 180, 30, 0, {L, AL}, {-1, 30}},
    {"BatteryDelayOffKeepsThePowerCountdown", 180, Off, 0, {0, A, AL}, {-1, 180, 179}},
    {"ArmingNeverLengthens", 20, 300, 0, {0, A, AL, AL}, {-1, 20, 19, 18}},
    {"NegativeDelayStartsNothing", -5, 30, 0, {0, A, A}, {-1, -1, -1}},
    {"AFlapRearmsAfresh", 180, 30, 0, {0, A, 0, A, A}, {-1, 180, -1, 180, 179}},
    {"CountdownRunsOnWhileTheLinkIsLost", 180, 30, 0, {0, A, X, X, X}, {-1, 180, 179, 178, 177}},
    {"EventsAreLoggedOncePerChangeInOrder", 180, 30, 0,
     {0, A, AL, AL, UPS_OVERLOAD, 0}, {-1, 180, 30, 29, -1, -1},
     {"Power failure: running on battery", "Shutdown countdown started: 180 s (power failure)",
      "Battery low", "Shutdown countdown shortened to 30 s (battery low)", "Power restored",
      "Shutdown countdown ended: power restored (battery low)", "Battery no longer low", "Overload",
      "Overload ended"}},
    {"ZeroDelayExpiresAtOnce", 0, 30, 0, {0, A, A}, {-1, 0, -1}, {}, {"0: off 60"}},
    {"CommandFileStartsCommandTimeBeforeTheEnd", 4, 30, Programs, {0, A, A, A, A, A}, {-1, 4, 3, 2, 1, 0},
     {}, {"2: run /x/notify.sh", "0: run /x/halt.sh now", "0: off 60"}, 2},
    {"CommandTimeZeroStartsItAtTheEndAndNothingRunsTwice", 2, 30, Programs | NoTurnOff, {0, A, A, A, A}, {-1, 2, 1, 0, -1},
     {}, {"0: run /x/notify.sh", "0: run /x/halt.sh now"}, 0},
    {"RefusedProgramsAreLoggedWithTheRunnersReason", 1, 30, Programs | Refuse, {0, A, A}, {-1, 1, 0},
     {"Power failure: running on battery", "Shutdown countdown started: 1 s (power failure)",
      "Command file refused: /x/notify.sh is writable by its group",
      "Shutdown countdown expired (power failure)",
      "Shutdown command refused: /x/halt.sh is writable by its group", "Turn off after 60"},
     {"0: off 60"}},
};
// clang-format on

class StoryTest : public AgentTest, public ::testing::WithParamInterface<Story> {};

TEST_P(StoryTest, FollowsTheStatusWord) {
    const Story& c = GetParam();
    WriteSettings([&](UPSSts& s) {
        s.Power_OSDelay = c.power == Off ? 180 : c.power;
        s.flag_Enable_Power_OSDelay = c.power != Off;
        s.Battery_OSDelay = c.battery == Off ? 30 : c.battery;
        s.flag_Enable_Battery_OSDelay = c.battery != Off;
        s.flag_EnableCommand = (c.extras & Programs) != 0, s.Command_Time = c.commandTime;
        CopyField(s.CommandFile, sizeof s.CommandFile, "/x/notify.sh");
        s.flag_Enable_Power_UPSDelay = !(c.extras & NoTurnOff);
    });
    ups.Answer = c.extras & Refuse ? StartResult::Refused : StartResult::Started;
    std::vector<short> seen;
    std::vector<std::string> done;
    std::size_t startLines = 0;
    for (std::size_t i = 0; i < c.status.size(); ++i) {
        ups.Next.Connected = c.status[i] != X;
        if (c.status[i] != X) ups.Next.Status = c.status[i];
        if (i == 0) {
            StartAgent(c.extras & Programs ? std::vector<std::string>{"/x/halt.sh", "now"}
                                           : std::vector<std::string>{});
            startLines = LogTexts().size();
        } else {
            Seconds(1);
        }
        seen.push_back(agent->DownTime());
        for (std::size_t d = done.size(); d < ups.Done.size(); ++d)
            done.push_back(std::to_string(seen.back()) + ": " + ups.Done[d]);
    }
    EXPECT_EQ(seen, c.downTime);
    EXPECT_EQ(done, c.done);
    std::vector<std::string> log = LogTexts();
    log.erase(log.begin(), log.begin() + static_cast<long>(startLines));
    EXPECT_EQ(c.log.empty() ? c.log : log, c.log);
}

INSTANTIATE_TEST_SUITE_P(Agent, StoryTest, ::testing::ValuesIn(Stories),
                         [](const auto& info) { return std::string(info.param.name); });

// Each write replaces the file whole; an idle second only renews its age.
TEST_F(AgentTest, ValuesAreReplacedAsSoonAsTheyChangeAndOnlyThen) {
    StartAgent();
    auto written = [&] {
        struct stat st {};
        ::stat(Path(ValuesFileName).c_str(), &st);
        return std::pair{st.st_ino, st.st_mtim.tv_sec > 0};
    };
    const timespec epoch[2] = {};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path(ValuesFileName).c_str(), epoch, 0), 0);
    const ino_t first = written().first;
    Seconds(1);
    EXPECT_EQ(written(), std::pair(first, true)) << "the heartbeat, no write";
    ups.FreshReading = ups.Next;
    ups.FreshReading->Status = A;
    agent->Refresh();
    EXPECT_NE(written().first, first);
    EXPECT_EQ((std::pair{ReadValues().DownTime, ReadValues().Items}),
              (std::pair<short, short>{180, 3}));
    ups.Next.Status = A;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 180) << "armed between the seconds: counted from the next one";
}

TEST_F(AgentTest, LoadBitsAndBatteryDate) {
    WriteSettings([](UPSSts& s) {
        s.LoadWarn = 80;
        s.LoadSeverity = 90;
        CopyField(s.BR_Date_Next, sizeof s.BR_Date_Next, "20260311");
    });
    StartAgent();
    // Tenths of a percent; 1500 unmeasured.
    const std::pair<short, std::int32_t> cases[] = {{800, UPS_LOADWARN},
                                                    {899, UPS_LOADWARN},
                                                    {900, UPS_LOADWARN | UPS_LOADSEVERITY},
                                                    {300, 0},
                                                    {1500, 0}};
    for (const auto& [load, bits] : cases) {
        ups.Next.ItemVal[15] = load;
        if (load == 1500) ups.Next.SupportItem &= ~(1 << 15);
        Seconds(1);
        EXPECT_EQ(ReadValues().StatusFlag.AllSts &
                      (UPS_LOADWARN | UPS_LOADSEVERITY | UPS_BATTREPLACE),
                  bits)
            << load;
    }
    EXPECT_TRUE(LogHas("Load 80 % at or above the warning level of 80 %"));
    SetTestTime(2026, 3, 11, 0, 0, 0);
    agent->Step();
    EXPECT_NE(ReadValues().StatusFlag.AllSts & UPS_BATTREPLACE, 0);
}

// Which row holds a date is the core's; here the minute arithmetic and the
// year the agent asks about.
TEST_F(AgentTest, CalendarActsAtTheMinuteOfAnEntryForThisYear) {
    const struct {
        const char* name;
        int baseYear, slot, day, hour, minute; // the shutdown entry
        int start[6];
        long jump; // seconds after the start
        bool fires;
    } cases[] = {
        {"a year-old file's second half", 2025, 15, 10, 14, 1, {2026, 3, 10, 14, 0, 59}, 1, true},
        {"across new year", 2026, 13, 1, 0, 0, {2026, 12, 31, 23, 59, 59}, 1, true},
        {"stalled eight minutes", 2026, 3, 10, 14, 5, {2026, 3, 10, 14, 0, 0}, 13 * 60, true},
        {"stalled two hours", 2026, 3, 10, 14, 5, {2026, 3, 10, 14, 0, 0}, 2 * 3600, false},
        {"not yet", 2026, 3, 10, 14, 5, {2026, 3, 10, 14, 0, 0}, 4 * 60 + 59, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(
            Path(CalendarFileName),
            CalendarWith(c.baseYear, {{c.slot, c.day, 0, ScheduleShutdown, c.hour, c.minute}}));
        SetTestTime(c.start[0], c.start[1], c.start[2], c.start[3], c.start[4], c.start[5]);
        StartAgent();
        EXPECT_EQ(agent->DownTime(), -1);
        AdvanceTestTime(c.jump);
        agent->Step();
        EXPECT_EQ(agent->DownTime(), c.fires ? 300 : -1);
    }
}

TEST_F(AgentTest, CalendarEntryKindsAndTheirSettings) {
    WriteFile(Path(CalendarFileName), CalendarWith(2026, {{3, 10, 0, ScheduleTest, 14, 2},
                                                          {3, 10, 1, ScheduleDeepTest, 14, 3},
                                                          {3, 10, 5, 9, 14, 4},
                                                          {3, 10, 3, ScheduleShutdown, 14, 5}}));
    WriteSettings([](UPSSts& s) { s.flag_Enable_Schedule_OSDelay = 0; });
    StartAgent();
    Seconds(6 * 60);
    EXPECT_EQ(ups.Done, (std::vector<std::string>{"test", "deep test"}));
    EXPECT_TRUE(LogHas("Scheduled shutdown countdown is off in the settings"));
    EXPECT_EQ(agent->DownTime(), -1);
    // A minute is never acted on twice, even when the clock is set back.
    SetTestTime(2026, 3, 10, 14, 1, 30);
    Seconds(90);
    EXPECT_EQ(ups.Done.size(), 2u);
}

// Each cause keeps its own deadline: the power's return ends only the power
// failure and the low battery, the first deadline expires and clears them all.
TEST_F(AgentTest, CountdownKeepsEachCauseUntilItsOwnEnd) {
    const struct {
        const char* name;
        int power, battery, back; // seconds of the failure, the low battery, the return; -1 never
        int powerS, batteryS, schedS; // the delays; the schedule arms at second 60, -1 not
        int runAt, off, leftAtBack;   // when the shutdown command runs (-1 never), its UPS delay
        const char* line = nullptr;   // logged on the way
    } cases[] = {
        // clang-format off
        {"power, battery, schedule", 50, 55, 80, 40, 45, 90, 150, 93, 70,
         "Shutdown countdown ended: power restored; scheduled shutdown remains: 70 s (power failure)"},
        {"power, schedule, battery", 50, 65, 68, 20, 30, 20, 80, 93, 12,
         "Shutdown countdown stays at 10 s; scheduled shutdown kept: 20 s (power failure)"},
        {"battery, power, schedule", 40, 45, 70, 60, 30, 50, 110, 93, 40},
        {"battery, schedule, power", 40, 50, 78, 100, 30, 25, 85, 93, 7},
        {"schedule, power, battery", 55, 58, 65, 20, 30, 10, 70, 93, 5},
        {"schedule, battery, power: all cleared at the expiry", 50, 55, -1, 100, 20, 10, 70, 93, -1},
        {"power causes only", 50, 55, 80, 40, 45, -1, -1, 0, -1,
         "Shutdown countdown ended: power restored (power failure)"},
        {"the first deadline decides the UPS delay", 50, 55, -1, 40, 45, 90, 90, 91, -1},
        {"a tie goes to the low battery", 50, 50, -1, 20, 20, -1, 70, 92, -1},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettings([&](UPSSts& s) {
            s.Power_OSDelay = static_cast<short>(c.powerS);
            s.Battery_OSDelay = static_cast<short>(c.batteryS);
            s.Schedule_OSDelay = static_cast<short>(c.schedS);
            s.flag_Enable_Schedule_OSDelay = c.schedS >= 0;
            s.Power_UPSDelay = 91, s.Battery_UPSDelay = 92, s.Schedule_UPSDelay = 93;
        });
        WriteFile(Path(CalendarFileName),
                  CalendarWith(2026, {{3, 10, 0, ScheduleShutdown, 14, 1}}));
        SetTestTime(2026, 3, 10, 14, 0, 0);
        ups.Next.Status = 0;
        ups.Done.clear();
        StartAgent({"/x/halt.sh"});
        int ranAt = -1, left = -1;
        for (int t = 1; t <= 200; ++t) {
            const bool onBattery = t >= c.power && (c.back < 0 || t < c.back);
            ups.Next.Status = onBattery ? A | (t >= c.battery ? L : 0) : 0;
            Seconds(1);
            if (ranAt < 0 && !ups.Done.empty()) ranAt = t;
            if (t == c.back) left = agent->DownTime();
        }
        EXPECT_EQ(std::tie(ranAt, left), std::tie(c.runAt, c.leftAtBack));
        const std::vector<std::string> none, ran{"run /x/halt.sh", "off " + std::to_string(c.off)};
        EXPECT_EQ(ups.Done, c.runAt < 0 ? none : ran);
        EXPECT_TRUE(!c.line || LogHas(c.line)) << testing::PrintToString(LogTexts());
    }
}

// From the started shutdown command on, the values file says the computer
// is shutting down, up to the last one; a failed command takes it back.
TEST_F(AgentTest, ShutdownActiveFromTheStartedCommandUntilItFails) {
    const struct {
        StartResult answer;
        int exit;    // the command's exit status, seen the second after; -1 still running
        bool upsFsd; // the UPS reports a forced shutdown itself
        bool active;
    } cases[] = {{StartResult::Started, -1, false, true}, {StartResult::Started, 0, false, true},
                 {StartResult::Started, 1, false, false}, {StartResult::Refused, -1, false, false},
                 {StartResult::Failed, -1, false, false}, {StartResult::Failed, -1, true, true}};
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 1; });
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer) * 10 + c.exit);
        ::unlink(Path(LogFileName).c_str());
        ups.Answer = c.answer;
        ups.Next.Status = 0;
        StartAgent({"/x/halt.sh"});
        ups.Next.Status = A | (c.upsFsd ? UPS_SHUTACT : 0);
        Seconds(2);
        if (c.exit >= 0) ups.Ended = {{"/x/halt.sh", "/x/halt.sh ended", c.exit != 0}};
        Seconds(1);
        for (bool stopped : {false, true}) {
            if (stopped) agent->Stop();
            const UPSVal v = ReadValues();
            EXPECT_EQ(v.StatusFlag.AllSts & UPS_SHUTACT, c.active ? UPS_SHUTACT : 0) << stopped;
            EXPECT_NE(v.StatusAvail.AllSts & UPS_SHUTACT, 0);
            EXPECT_EQ((std::pair<int, int>{v.DownTime, v.flag_OpenUPS}),
                      (std::pair<int, int>{-1, stopped ? 0 : 1}));
        }
        EXPECT_EQ(LogHas("Shutdown command failed: /x/halt.sh ended"), c.exit > 0);
    }
}

// The monitor shows the reason of the last such line.
TEST_F(AgentTest, LostLinkLogsItsReasonOncePerChange) {
    const struct {
        std::vector<const char*> seconds; // the reason of each second; null: the UPS answers
        std::vector<std::string> log;     // "Communication with the UPS ..."
    } cases[] = {
        {{"", "", ""}, {"lost"}},
        {{"refused", "refused", nullptr, "refused"},
         {"lost: refused", "restored", "lost: refused"}},
        {{"refused", "", "stale", "stale", "refused"},
         {"lost: refused", "lost: stale", "lost: refused"}},
    };
    for (const auto& c : cases) {
        StartAgent();
        ::unlink(Path(LogFileName).c_str());
        for (const char* reason : c.seconds) {
            ups.Next.Connected = reason == nullptr;
            ups.Next.Problem = reason ? reason : "";
            Seconds(1);
        }
        std::vector<std::string> seen;
        for (const std::string& t : LogTexts())
            if (t.starts_with("Communication with the UPS ")) seen.push_back(t.substr(27));
        EXPECT_EQ(seen, c.log);
        ups.Next.Connected = true;
    }
}

// Reload and cancel through the request file are seen end to end; here that
// the file is deleted once read and that lines other than "1" ask nothing.
TEST_F(AgentTest, RequestsAskOnlyWithAOneAndMissingSettingsLinesKeepTheirDefaults) {
    StartAgent();
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 15; });
    for (const char* t : {"0\n0\n1\n", "2\n0\n0\n", "", "x1\n"}) {
        WriteFile(Path(CommandFileName), t);
        Seconds(1);
        EXPECT_FALSE(FileExists(Path(CommandFileName)));
    }
    EXPECT_TRUE(LogHas("Cancel request: no shutdown countdown running"));
    EXPECT_EQ(agent->Settings().Power_OSDelay, 180);
    // Never a zero delay from a line the file lacks.
    WriteFile(Path(SettingsFileName), "1\n");
    StartAgent();
    EXPECT_EQ(agent->Settings().Power_OSDelay, 180);
}

TEST_F(AgentTest, LogKeepsTheNewestLinesAndNeverWritesThroughAPlantedLink) {
    // The limit comes from the settings; a margin past it, the log is
    // trimmed to the newest lines.
    WriteSettings([](UPSSts& s) { s.LogEntry = 5; });
    StartAgent();
    for (int i = 1; i <= 20; ++i) {
        ups.Next.Status = i % 2 ? UPS_OVERLOAD : 0;
        Seconds(1);
    }
    EXPECT_LE(LogTexts().size(), static_cast<std::size_t>(5 + AgentLog::Margin(5)));
    EXPECT_EQ(LogTexts().back(), "Overload ended");
    // A link planted under the name is replaced, its target neither read nor written.
    AgentLog log(Path(LogFileName));
    WriteFile(Path("victim"), "precious\n");
    ::unlink(Path(LogFileName).c_str());
    ASSERT_EQ(::symlink(Path("victim").c_str(), Path(LogFileName).c_str()), 0);
    ASSERT_TRUE(log.Append(LogKind::Info, "hello"));
    EXPECT_EQ(ReadFile(Path("victim")), "precious\n");
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"hello"});
    // Control characters become blanks; a line never grows past what the
    // monitor reads in one piece.
    ASSERT_TRUE(log.Append(LogKind::Alarm, "two\nlines\tand\rmore" + std::string(400, 'a')));
    EXPECT_EQ(SplitLines(ReadFile(Path(LogFileName))).back(),
              "E 2026/03/10 14:00:20 two lines and more" + std::string(214, 'a'));
}

// A UPS that feeds other computers: the primary's order obeyed at once (an
// observer only counts down), and as the primary, the others awaited
// (HOSTSYNC 4 s) before this one goes.
TEST_F(AgentTest, ForcedShutdownAmongTheComputersOfOneUps) {
    constexpr std::int32_t F = UPS_SHUTACT;
    using R = NutRole;
    const struct {
        std::optional<NutRole> role;      // none: a UPS of its own
        std::vector<std::int32_t> status; // one per second from 1
        int othersLeave;                  // the second the others log out; -1 never
        std::vector<std::string> done;    // "SECOND: what"
        const char* line;
    } cases[] = {
        // clang-format off
        {R::Secondary, {0, A, A | F}, -1, {"3: run /x/halt.sh"}, "Forced shutdown ordered by the UPS's primary"},
        {R::Observer, {0, A, A | F}, -1, {"4: run /x/halt.sh", "4: off 60"}, nullptr},
        {std::nullopt, {0, A, A | F}, -1, {"4: run /x/halt.sh", "4: off 60"}, nullptr},
        {R::Primary, {0, AL}, 6, {"4: order", "6: run /x/halt.sh", "6: off 60"},
         "All other computers logged out after 2 s"},
        {R::Primary, {0, AL}, -1, {"4: order", "8: run /x/halt.sh", "8: off 60"},
         "Host sync time of 4 s over: still logged in: 10.0.0.2"},
        {R::Primary, {0, AL}, 0, {"4: order", "4: run /x/halt.sh", "4: off 60"},
         "Forced shutdown set at the UPS server: no other computer logged in"},
        {R::Secondary, {0, AL}, -1, {"4: run /x/halt.sh", "4: off 60"}, nullptr},
        // clang-format on
    };
    WriteSettings([](UPSSts& s) { s.Battery_OSDelay = 2, s.Power_OSDelay = 2; });
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.done));
        ::unlink(Path(LogFileName).c_str());
        WriteFile(Path(NutStateFileName), "role=primary\nothers=9\n");
        ups.Done.clear();
        ups.Next.Status = 0;
        ups.Share.reset();
        if (c.role)
            ups.Share = UpsSharing{
                {*c.role, 1, false, ""}, "ups", "ups@host", true, false, false, "", {"10.0.0.2"}};
        AgentOptions options{{"/x/halt.sh"}, nullptr, stderr};
        options.HostSync = 4;
        agent = std::make_unique<Agent>(ups, ups, options);
        agent->Start();
        agent->Step();
        std::vector<std::string> done;
        for (int t = 1; t <= 9; ++t) {
            ups.Next.Status = c.status[std::min<std::size_t>(t, c.status.size()) - 1];
            if (ups.Share && t >= c.othersLeave && c.othersLeave >= 0) ups.Share->State.Others = 0;
            Seconds(1);
            for (const std::string& d : std::exchange(ups.Done, {}))
                done.push_back(std::to_string(t) + ": " + d);
        }
        EXPECT_EQ(done, c.done);
        EXPECT_TRUE(!c.line || LogHas(c.line)) << testing::PrintToString(LogTexts());
        // The monitor learns of the order obeyed; a UPS of its own leaves no file.
        NutState state;
        const bool file = ParseNutState(ReadFile(Path(NutStateFileName)), &state);
        EXPECT_EQ(file, c.role.has_value());
        EXPECT_EQ(state.Forced, c.role == R::Secondary && c.line);
    }
}

// Waking from a sleep, a countdown about to run out waits for the UPS to be
// read again: here the mains came back meanwhile.
TEST_F(AgentTest, AfterASleepTheCountdownWaitsForAFreshReading) {
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 2; });
    ups.Resyncs = true;
    StartAgent({"/x/halt.sh"});
    ups.Next.Status = A;
    Seconds(2);
    ASSERT_EQ(agent->DownTime(), 1);
    AddTestSleep(30);
    ups.Next.Connected = false;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 1);
    ups.Next = {true, 0, 1 << 2, 0, 0, {0, 0, 1000}};
    Seconds(1);
    EXPECT_EQ(std::pair(agent->DownTime(), ups.Done),
              std::pair(short{-1}, std::vector<std::string>{}));
    EXPECT_TRUE(LogHas("Resumed after 30 s asleep"));
}

} // namespace
} // namespace agent_test
