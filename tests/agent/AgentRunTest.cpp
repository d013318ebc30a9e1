// The agent second by second: the countdown, the events it logs, the files
// it writes, the calendar and the monitor's requests.
#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

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
    std::vector<std::string> done = {}; // programs run and UPS turn-offs, in that order
};

// clang-format off
const Story Stories[] = {
    {"PowerFailureStartsAtPowerDelay", 180, 30, 0, {0, A, A, A}, {-1, 180, 179, 178},
     {"Power failure: running on battery", "Shutdown countdown started: 180 s (power failure)"}},
    {"PowerFailureAtStartArmsAsAFreshOne", 180, 30, 0, {A, A}, {180, 179}},
    {"PowerDelayOffLeavesItIdle", Off, 30, 0, {0, A, A}, {-1, -1, -1}},
    {"LowBatteryOnBatteryShortens", 180, 30, 0, {0, A, AL, AL}, {-1, 180, 30, 29}},
    {"LowBatteryOnMainsDoesNothing", 180, 30, 0, {0, L, L}, {-1, -1, -1}},
    {"LowBatteryThenPowerFailureArmsTheBatteryDelay", 180, 30, 0, {L, AL}, {-1, 30}},
    {"BothInOneSecondTheShorterWins", 180, 30, 0, {0, AL, AL}, {-1, 30, 29}},
    {"BatteryDelayOffKeepsThePowerCountdown", 180, Off, 0, {0, A, AL}, {-1, 180, 179}},
    {"ArmingNeverLengthens", 20, 300, 0, {0, A, AL, AL}, {-1, 20, 19, 18}},
    {"PowerReturnEndsIt", 180, 30, 0, {0, A, AL, 0, 0}, {-1, 180, 30, -1, -1}},
    {"ExpiresAtZeroThenIdle", 2, 30, 0, {0, A, A, A, A, A}, {-1, 2, 1, 0, -1, -1}, {}, {"off 60"}},
    {"ZeroDelayExpiresAtOnce", 0, 30, 0, {0, A, A}, {-1, 0, -1}, {}, {"off 60"}},
    {"NegativeDelayStartsNothing", -5, 30, 0, {0, A, A}, {-1, -1, -1}},
    {"AFlapRearmsAfresh", 180, 30, 0, {0, A, 0, A, A}, {-1, 180, -1, 180, 179}},
    {"CountdownRunsOnWhileTheLinkIsLost", 180, 30, 0, {0, A, X, X, X}, {-1, 180, 179, 178, 177}},
    {"LostAndRestoredCommunication", 180, 30, 0, {0, X, X, 0}, {-1, -1, -1, -1},
     {"Communication with the UPS lost", "Communication with the UPS restored"}},
    {"EventsAreLoggedOncePerChangeInOrder", 180, 30, 0,
     {0, A, AL, AL, UPS_OVERLOAD | UPS_OVERHEAT, UPS_BATTREPLACE, 0}, {-1, 180, 30, 29, -1, -1, -1},
     {"Power failure: running on battery", "Shutdown countdown started: 180 s (power failure)",
      "Battery low", "Shutdown countdown shortened to 30 s (battery low)", "Power restored",
      "Shutdown countdown ended: power restored", "Battery no longer low", "Overload", "Overheat",
      "Battery needs to be replaced", "Overload ended", "Temperature back to normal",
      "Battery replacement no longer requested"}},
    {"ExpiryWithoutShutdownCommandOnlyLogs", 1, 30, 0, {0, A, A}, {-1, 1, 0},
     {"Power failure: running on battery", "Shutdown countdown started: 1 s (power failure)",
      "Shutdown countdown expired (power failure)",
      "No shutdown command given: the computer would shut down now", "Turn off after 60"},
     {"off 60"}},
    {"ExpiryRunsTheCommandFileAndTheShutdownCommandOnce", 1, 30, Programs | NoTurnOff,
     {0, A, A, A, A}, {-1, 1, 0, -1, -1},
     {"Power failure: running on battery", "Shutdown countdown started: 1 s (power failure)",
      "Command file started: /x/notify.sh as user 0", "Shutdown countdown expired (power failure)",
      "Shutting down: /x/halt.sh now"},
     {"run /x/notify.sh", "run /x/halt.sh now"}},
    {"RefusedProgramsAreLoggedWithTheRunnersReason", 1, 30, Programs | Refuse, {0, A, A}, {-1, 1, 0},
     {"Power failure: running on battery", "Shutdown countdown started: 1 s (power failure)",
      "Command file refused: /x/notify.sh is writable by its group",
      "Shutdown countdown expired (power failure)",
      "Shutdown command refused: /x/halt.sh is writable by its group", "Turn off after 60"},
     {"off 60"}},
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
        s.flag_EnableCommand = (c.extras & Programs) != 0;
        CopyField(s.CommandFile, sizeof s.CommandFile, "/x/notify.sh");
        s.Command_Time = 60;
        s.flag_Enable_Power_UPSDelay = !(c.extras & NoTurnOff);
    });
    ups.Answer = c.extras & Refuse ? StartResult::Refused : StartResult::Started;
    ups.Why = "is writable by its group";
    auto play = [&](std::int32_t status) {
        ups.Next.Connected = status != X;
        ups.Next.ItemVal[4] = status == X ? 0 : 2300; // not taken while the UPS does not answer
        if (status != X) ups.Next.Status = status;
    };
    play(c.status[0]);
    StartAgent(c.extras & Programs ? std::vector<std::string>{"/x/halt.sh", "now"}
                                   : std::vector<std::string>{});
    const std::size_t startLines = LogTexts().size();
    std::vector<short> seen{agent->DownTime()};
    for (std::size_t i = 1; i < c.status.size(); ++i) {
        play(c.status[i]);
        Seconds(1);
        seen.push_back(agent->DownTime());
    }
    EXPECT_EQ(seen, c.downTime);
    const bool lost = c.status.back() == X;
    UPSVal v = ReadValues();
    EXPECT_EQ(v.DownTime, seen.back()) << "the values file carries the same figures";
    EXPECT_EQ(
        (std::vector<int>{v.flag_OpenUPS, v.SupportItem, v.Items, v.ItemVal[2], v.ItemVal[4],
                          v.StatusFlag.AllSts & UPS_COMMERR}),
        (std::vector<int>{!lost, ups.Next.SupportItem, 3, 1000, 2300, lost ? UPS_COMMERR : 0}));
    EXPECT_EQ(lost ? v.StatusFlag.AllSts & UPS_COMMERR : v.StatusFlag.AllSts,
              lost ? UPS_COMMERR : ups.Next.Status);
    std::vector<std::string> log = LogTexts();
    log.erase(log.begin(), log.begin() + static_cast<long>(startLines));
    EXPECT_EQ(c.log.empty() ? c.log : log, c.log);
    EXPECT_EQ(ups.Done, c.done);
    // Stopping leaves a values file that claims no UPS.
    agent->Stop();
    v = ReadValues();
    EXPECT_EQ((std::vector<int>{v.flag_OpenUPS, v.StatusFlag.AllSts & UPS_COMMERR, v.DownTime}),
              (std::vector<int>{0, UPS_COMMERR, -1}));
    EXPECT_EQ(LogTexts().back(), "Agent stopped");
}

INSTANTIATE_TEST_SUITE_P(Agent, StoryTest, ::testing::ValuesIn(Stories),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AgentTest, CommandFileStartsCommandTimeBeforeTheEnd) {
    const struct {
        short commandTime, delay;
        int startsAtSecond; // seconds after the power failure
    } cases[] = {{10, 30, 20}, {60, 30, 0}, {0, 5, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandTime);
        WriteSettings([&](UPSSts& s) {
            s.Power_OSDelay = c.delay;
            s.flag_EnableCommand = 1;
            CopyField(s.CommandFile, sizeof s.CommandFile, Path("notify.sh").c_str());
            s.Command_Time = c.commandTime;
        });
        ups.Done.clear();
        ups.Next.Status = 0;
        StartAgent();
        ups.Next.Status = A;
        int startedAt = -1;
        for (int t = 0; t <= c.delay + 2; ++t) {
            Seconds(1);
            if (startedAt < 0 && !ups.Done.empty()) startedAt = t;
        }
        EXPECT_EQ(startedAt, c.startsAtSecond);
        EXPECT_EQ(ups.Done, (std::vector<std::string>{"run " + Path("notify.sh"), "off 60"}))
            << "the command file runs once per countdown";
    }
}

TEST_F(AgentTest, ValuesAreWrittenAsSoonAsTheyChangeAndOnlyThen) {
    StartAgent();
    struct stat st {};
    auto written = [&] {
        ::stat(Path(ValuesFileName).c_str(), &st);
        return st.st_ino; // each write replaces the file
    };
    const ino_t first = written();
    // An idle second renews the file's age only: the heartbeat, no write.
    const timespec epoch[2] = {{0, 0}, {0, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path(ValuesFileName).c_str(), epoch, 0), 0);
    Seconds(1);
    EXPECT_EQ(written(), first);
    EXPECT_GT(st.st_mtim.tv_sec, 0);
    agent->Refresh();
    EXPECT_EQ(written(), first) << "nothing new, nothing written";
    ups.FreshReading = ups.Next;
    ups.FreshReading.Status = A;
    ups.HasFresh = true;
    agent->Refresh();
    EXPECT_NE(written(), first);
    EXPECT_EQ(ReadValues().DownTime, 180);
    EXPECT_NE(ReadValues().StatusFlag.AllSts & A, 0);
    const std::vector<std::string> lines = SplitLines(ReadFile(Path(LogFileName)));
    EXPECT_EQ(lines[lines.size() - 2], "W 2026/03/10 14:00:01 Power failure: running on battery");
    EXPECT_EQ(lines.front().substr(0, 22), "I 2026/03/10 14:00:00 ");
    const ino_t second = written();
    ups.HasFresh = true; // the same reading again
    agent->Refresh();
    EXPECT_EQ(written(), second) << "unchanged values are left alone";
    ups.Next.Status = A;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 180) << "armed between the seconds: counted from the next one";
    Seconds(1);
    EXPECT_EQ(ReadValues().DownTime, 179);
}

TEST_F(AgentTest, LoadBitsBatteryDateAndRatings) {
    WriteSettings([](UPSSts& s) {
        s.LoadWarn = 80;
        s.LoadSeverity = 90;
        CopyField(s.BR_Date_Next, sizeof s.BR_Date_Next, "20260311");
    });
    StartAgent();
    const struct {
        short load; // tenths of a percent
        bool measured, warn, severe;
    } cases[] = {{799, true, false, false},  {800, true, true, false}, {899, true, true, false},
                 {900, true, true, true},    {1200, true, true, true}, {300, true, false, false},
                 {1500, false, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.load);
        ups.Next.ItemVal[15] = c.load;
        if (!c.measured) ups.Next.SupportItem &= ~(1 << 15);
        Seconds(1);
        std::int32_t s = ReadValues().StatusFlag.AllSts;
        EXPECT_EQ((s & UPS_LOADWARN) != 0, c.warn);
        EXPECT_EQ((s & UPS_LOADSEVERITY) != 0, c.severe);
        EXPECT_EQ(s & UPS_BATTREPLACE, 0);
    }
    EXPECT_TRUE(LogHas("Load 80 % at or above the warning level of 80 %"));
    EXPECT_TRUE(LogHas("Load 90 % at or above the severe level of 90 %"));
    EXPECT_TRUE(LogHas("Load back below the warning level"));
    SetTestTime(2026, 3, 11, 0, 0, 0);
    agent->Step();
    EXPECT_NE(ReadValues().StatusFlag.AllSts & UPS_BATTREPLACE, 0);
    EXPECT_TRUE(LogHas("Battery replacement date 2026/03/11 reached"));
    // The ratings in tenths; removed by someone, written again within the minute.
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "2300\n43\n240\n");
    ::unlink(Path(RatingFileName).c_str());
    Seconds(60);
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "2300\n43\n240\n");
    ups.Rated = {1200, 80, 120};
    Seconds(1);
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "1200\n80\n120\n");
}

// The clock stands at 14:00:00 unless the case says otherwise.
TEST_F(AgentTest, CalendarActsAtTheMinuteOfAnEntryForThisYear) {
    const struct {
        const char* name;
        int baseYear, slot, day, hour, minute; // the shutdown entry
        int start[6];
        long jump; // seconds after the start
        bool fires;
    } cases[] = {
        {"this year's first half", 2026, 3, 10, 14, 1, {2026, 3, 10, 14, 0, 59}, 1, true},
        {"a year-old file's second half", 2025, 15, 10, 14, 1, {2026, 3, 10, 14, 0, 59}, 1, true},
        {"a year-old file's first half", 2025, 3, 10, 14, 1, {2026, 3, 10, 14, 0, 59}, 1, false},
        {"two years old", 2024, 15, 10, 14, 1, {2026, 3, 10, 14, 0, 59}, 1, false},
        {"a future file", 2027, 3, 10, 14, 1, {2026, 3, 10, 14, 0, 59}, 1, false},
        {"next year's half", 2026, 15, 10, 14, 1, {2026, 3, 10, 14, 0, 59}, 1, false},
        {"across new year", 2026, 13, 1, 0, 0, {2026, 12, 31, 23, 59, 59}, 1, true},
        {"to the minute", 2026, 3, 10, 14, 5, {2026, 3, 10, 14, 0, 0}, 5 * 60, true},
        {"stalled eight minutes", 2026, 3, 10, 14, 5, {2026, 3, 10, 14, 0, 0}, 13 * 60, true},
        {"stalled two hours", 2026, 3, 10, 14, 5, {2026, 3, 10, 14, 0, 0}, 2 * 3600, false},
        {"not yet", 2026, 3, 10, 14, 5, {2026, 3, 10, 14, 0, 0}, 4 * 60 + 59, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text =
            CalendarText(c.baseYear, {{c.slot, c.day, 0, ScheduleShutdown, c.hour, c.minute}});
        WriteFile(Path(CalendarFileName), text);
        SetTestTime(c.start[0], c.start[1], c.start[2], c.start[3], c.start[4], c.start[5]);
        StartAgent();
        EXPECT_EQ(agent->DownTime(), -1);
        AdvanceTestTime(c.jump);
        agent->Step();
        EXPECT_EQ(agent->DownTime(), c.fires ? 300 : -1);
        EXPECT_EQ(ReadFile(Path(CalendarFileName)), text) << "the calendar is the monitor's";
    }
}

TEST_F(AgentTest, CalendarEntryKindsAndTheirSettings) {
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleTest, 14, 2},
                                                          {3, 10, 1, ScheduleDeepTest, 14, 3},
                                                          {3, 10, 2, ScheduleRestart, 14, 4},
                                                          {3, 10, 5, 9, 14, 4},
                                                          {3, 10, 3, ScheduleShutdown, 14, 5}}));
    WriteSettings([](UPSSts& s) { s.flag_Enable_Schedule_OSDelay = 0; });
    StartAgent();
    Seconds(6 * 60);
    EXPECT_EQ(ups.Done, (std::vector<std::string>{"test", "deep test"}));
    EXPECT_TRUE(LogHas("Scheduled self test at 14:02 started (test)"));
    EXPECT_TRUE(LogHas("Scheduled deep self test at 14:03 started (test)"));
    EXPECT_TRUE(LogHas("Scheduled restart at 14:04"));
    EXPECT_TRUE(LogHas("Scheduled shutdown at 14:05"));
    EXPECT_TRUE(LogHas("Scheduled shutdown countdown is off in the settings"));
    EXPECT_EQ(agent->DownTime(), -1);
    // A minute is never acted on twice, even when the clock is set back.
    SetTestTime(2026, 3, 10, 14, 1, 30);
    Seconds(90);
    EXPECT_EQ(ups.Done.size(), 2u);
}

TEST_F(AgentTest, ScheduledShutdownIsNotEndedByPowerReturnButShortensNothingLonger) {
    WriteSettings([](UPSSts& s) {
        s.Schedule_OSDelay = 100;
        s.Power_OSDelay = 180;
    });
    StartAgent();
    // Saved by the monitor while the agent runs: read on request.
    WriteFile(Path(CalendarFileName), CalendarText(2026, {{3, 10, 0, ScheduleShutdown, 14, 1}}));
    WriteRequest(0, 1, 0);
    Seconds(60);
    EXPECT_TRUE(LogHas("Calendar reloaded: 1 scheduled entries from 2026"));
    ASSERT_EQ(agent->DownTime(), 100);
    ups.Next.Status = A;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 99) << "a power failure never lengthens it";
    ups.Next.Status = 0;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 98) << "the mains has nothing to do with a scheduled shutdown";
    Seconds(98);
    EXPECT_TRUE(LogHas("Shutdown countdown expired (scheduled shutdown)"));
    EXPECT_EQ(ups.Done, std::vector<std::string>{"off 90"});
}

TEST_F(AgentTest, SettingsAreReadOnRequestOrSignalAndKeptWhenTheFileGoes) {
    for (bool signal : {false, true}) {
        SCOPED_TRACE(signal);
        ups.Next.Status = 0;
        StartAgent();
        WriteSettings([&](UPSSts& s) { s.Power_OSDelay = signal ? 42 : 15; });
        if (signal) agent->RequestReload();
        if (!signal) WriteRequest(1, 0, 0);
        ups.Next.Status = A;
        Seconds(1);
        EXPECT_EQ(agent->DownTime(), signal ? 42 : 15);
        EXPECT_FALSE(corvanta_test::FileExists(Path(CommandFileName))) << "read, then deleted";
        EXPECT_TRUE(LogHas("Settings reloaded"));
    }
    ::unlink(Path(SettingsFileName).c_str());
    WriteRequest(1, 0, 0);
    Seconds(1);
    EXPECT_EQ(agent->Settings().Power_OSDelay, 42);
    EXPECT_TRUE(LogHas("Settings file missing: keeping the settings in force"));
    // A short file keeps the defaults of its missing lines, never a zero delay.
    UPSSts defaults{};
    DefaultUPSSts(&defaults);
    std::string text = FormatUPSSts(defaults);
    std::size_t cut = 0;
    for (int i = 0; i < 17; ++i) // everything up to flag_Enable_Power_OSDelay
        cut = text.find('\n', cut) + 1;
    WriteFile(Path(SettingsFileName), text.substr(0, cut));
    StartAgent();
    EXPECT_EQ(agent->Settings().Power_OSDelay, 180);
    EXPECT_EQ(agent->Settings().LowBatteryLevel, 20);
}

TEST_F(AgentTest, CancelEndsTheCountdownAndOtherRequestLinesAskNothing) {
    StartAgent();
    WriteRequest(0, 0, 1);
    Seconds(1);
    EXPECT_TRUE(LogHas("Cancel request: no shutdown countdown running"));
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 15; });
    for (const char* t : {"0\n0\n0\n", "2\n0\n0\n", "", "\n\n\n", "x1\n"}) {
        WriteFile(Path(CommandFileName), t);
        Seconds(1);
        EXPECT_FALSE(corvanta_test::FileExists(Path(CommandFileName)));
    }
    EXPECT_FALSE(LogHas("Settings reloaded"));
    ups.Next.Status = A;
    Seconds(3);
    ASSERT_EQ(agent->DownTime(), 178);
    WriteRequest(0, 0, 1);
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), -1);
    EXPECT_EQ(ReadValues().DownTime, -1);
    EXPECT_TRUE(LogHas("Shutdown countdown cancelled by the user"));
    // The outage goes on; only a new event arms again.
    Seconds(5);
    EXPECT_EQ(agent->DownTime(), -1);
    ups.Next.Status = AL;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 30);
}

TEST_F(AgentTest, LogGrowsByAMarginThenKeepsTheNewestLines) {
    AgentLog log(Path(LogFileName));
    for (int limit : {0, -3, 100}) {
        log.SetLimit(limit);
        EXPECT_EQ(log.Limit(), limit > 0 ? limit : 1000) << "below one keeps the default";
    }
    log.SetLimit(5);
    const int full = 5 + AgentLog::Margin(5);
    auto lines = [&] { return SplitLines(ReadFile(Path(LogFileName))); };
    for (int i = 1; i <= full; ++i)
        ASSERT_TRUE(log.Append(LogKind::Info, "event " + std::to_string(i)));
    EXPECT_EQ(lines().size(), static_cast<std::size_t>(full)) << "appended, not rewritten";
    ASSERT_TRUE(log.Append(LogKind::Info, "event " + std::to_string(full + 1)));
    ASSERT_EQ(lines().size(), 5u);
    EXPECT_EQ(lines().front().substr(22), "event " + std::to_string(full - 3));
    EXPECT_EQ(lines().back().substr(22), "event " + std::to_string(full + 1));
    // Someone else's file under the name: counted anew, never appended blind;
    // an overlong line is cut to the longest the agent writes.
    std::string other;
    for (int i = 0; i < full; ++i)
        other += "I 2020/01/01 00:00:00 other " + std::to_string(i) + "\n";
    WriteFile(Path(LogFileName), other + std::string(1000, 'x') + "\nno line feed");
    ASSERT_TRUE(log.Append(LogKind::Info, "mine"));
    EXPECT_EQ(lines(), (std::vector<std::string>{lines()[0], lines()[1], std::string(254, 'x'),
                                                 "no line feed", lines()[4]}));
    EXPECT_EQ(lines()[1].substr(22), "other " + std::to_string(full - 1));
    EXPECT_EQ(lines()[4].substr(22), "mine");
}

TEST_F(AgentTest, LogEntrySettingTrimsTheLog) {
    WriteSettings([](UPSSts& s) { s.LogEntry = 100; });
    StartAgent();
    for (int i = 0; i < 120; ++i) {
        ups.Next.Status = i % 2 ? 0 : UPS_OVERLOAD;
        Seconds(1);
    }
    std::vector<std::string> texts = LogTexts();
    EXPECT_GE(texts.size(), 100u);
    EXPECT_LE(texts.size(), static_cast<std::size_t>(100 + AgentLog::Margin(100)));
    EXPECT_EQ(texts.back(), "Overload ended");
}

TEST_F(AgentTest, LogNeverWritesThroughAPlantedLink) {
    WriteFile(Path("victim"), "precious\n");
    ASSERT_EQ(::symlink(Path("victim").c_str(), Path(LogFileName).c_str()), 0);
    AgentLog log(Path(LogFileName));
    ASSERT_TRUE(log.Append(LogKind::Info, "hello"));
    EXPECT_EQ(ReadFile(Path("victim")), "precious\n");
    std::vector<std::string> lines = SplitLines(ReadFile(Path(LogFileName)));
    ASSERT_EQ(lines.size(), 1u) << "the link's target is not read into the log either";
    EXPECT_EQ(lines[0].substr(22), "hello");
}

TEST_F(AgentTest, FailedWritesReachStandardErrorOncePerConditionAndWhenTheyWorkAgain) {
    std::FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);
    AgentOptions options;
    options.Errors = errors;
    agent = std::make_unique<Agent>(ups, ups, options);
    agent->Start();
    agent->Step();
    // As on a full disk: neither the values file nor the log can be written.
    corvanta_test::WithFileSizeLimit(100, [&] {
        ups.Next.Status = UPS_ACFAIL;
        Seconds(3);
        ups.Next.Status = 0;
        Seconds(2);
    });
    Seconds(2);
    std::rewind(errors);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, errors))
        text += buffer;
    std::fclose(errors);
    const std::string values = "the values file " + Path(ValuesFileName);
    const std::string log = "the event log " + Path(LogFileName);
    EXPECT_EQ(SplitLines(text), (std::vector<std::string>{
                                    "corvanta-agent: cannot write " + log + ": File too large",
                                    "corvanta-agent: cannot write " + values + ": File too large",
                                    "corvanta-agent: " + values + " is written again",
                                    "corvanta-agent: " + log + " is written again"}));
    EXPECT_TRUE(LogHas("Values file written again"));
}

} // namespace
} // namespace agent_test
