// The countdown rules: what starts, shortens and ends it, when the command
// file and the shutdown command run.
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

#include "AgentTestSupport.h"
#include "Clock.h"
#include "file.h"

namespace agent_test {
namespace {

constexpr std::int32_t AC = UPS_ACFAIL;
constexpr std::int32_t LOW = UPS_BATTLOW;

struct CountdownCase {
    const char* name;
    std::function<void(UPSSts&)> settings;
    std::vector<std::int32_t> status; // the UPS's status word, one per second
    std::vector<short> downTime;      // the agent's countdown after each second
};

class CountdownTable : public AgentTest, public ::testing::WithParamInterface<CountdownCase> {};

TEST_P(CountdownTable, FollowsTheStatusWord) {
    const CountdownCase& c = GetParam();
    WriteSettings([&](UPSSts& s) {
        s.Power_OSDelay = 180;
        s.Battery_OSDelay = 30;
        if (c.settings) c.settings(s);
    });
    ups.Next.Status = c.status[0];
    StartAgent();
    std::vector<short> seen{agent->DownTime()};
    for (std::size_t i = 1; i < c.status.size(); ++i) {
        ups.Next.Status = c.status[i];
        Seconds(1);
        seen.push_back(agent->DownTime());
    }
    EXPECT_EQ(seen, c.downTime);
    // The values file carries the same figure.
    EXPECT_EQ(ReadValues().DownTime, seen.back());
}

const CountdownCase CountdownCases[] = {
    {"PowerFailureStartsAtPowerDelay", nullptr, {0, AC, AC, AC}, {-1, 180, 179, 178}},
    {"PowerFailureAtStartArmsAsAFreshOne", nullptr, {AC, AC}, {180, 179}},
    {"PowerDelayOffLeavesItIdle",
     [](UPSSts& s) { s.flag_Enable_Power_OSDelay = 0; },
     {0, AC, AC},
     {-1, -1, -1}},
    {"LowBatteryOnBatteryShortens", nullptr, {0, AC, AC | LOW, AC | LOW}, {-1, 180, 30, 29}},
    {"LowBatteryOnMainsDoesNothing", nullptr, {0, LOW, LOW}, {-1, -1, -1}},
    {"LowBatteryThenPowerFailureArmsTheBatteryDelay", nullptr, {LOW, AC | LOW}, {-1, 30}},
    {"BothInOneSecondTheShorterWins", nullptr, {0, AC | LOW, AC | LOW}, {-1, 30, 29}},
    {"BatteryDelayOffKeepsThePowerCountdown",
     [](UPSSts& s) { s.flag_Enable_Battery_OSDelay = 0; },
     {0, AC, AC | LOW},
     {-1, 180, 179}},
    {"ArmingNeverLengthens",
     [](UPSSts& s) {
         s.Power_OSDelay = 20;
         s.Battery_OSDelay = 300;
     },
     {0, AC, AC | LOW, AC | LOW},
     {-1, 20, 19, 18}},
    {"PowerReturnEndsIt", nullptr, {0, AC, AC | LOW, 0, 0}, {-1, 180, 30, -1, -1}},
    {"ExpiresAtZeroThenIdle",
     [](UPSSts& s) { s.Power_OSDelay = 2; },
     {0, AC, AC, AC, AC, AC},
     {-1, 2, 1, 0, -1, -1}},
    {"ZeroDelayExpiresAtOnce", [](UPSSts& s) { s.Power_OSDelay = 0; }, {0, AC, AC}, {-1, 0, -1}},
    {"NegativeDelayStartsNothing",
     [](UPSSts& s) { s.Power_OSDelay = -5; },
     {0, AC, AC},
     {-1, -1, -1}},
    {"AFlapRearmsAfresh", nullptr, {0, AC, 0, AC, AC}, {-1, 180, -1, 180, 179}},
};

INSTANTIATE_TEST_SUITE_P(Agent, CountdownTable, ::testing::ValuesIn(CountdownCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AgentTest, ExpiryWithoutShutdownCommandOnlyLogs) {
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 1; });
    StartAgent();
    ups.Next.Status = AC;
    Seconds(2);
    EXPECT_TRUE(runner.Started.empty());
    EXPECT_TRUE(LogHas("Shutdown countdown expired (power failure)"));
    EXPECT_TRUE(LogHas("No shutdown command given: the computer would shut down now"));
    // The UPS-side delay of a power failure follows.
    EXPECT_EQ(ups.TurnOffs, std::vector<int>{60});
}

TEST_F(AgentTest, ExpiryRunsTheShutdownCommandOnce) {
    WriteSettings([](UPSSts& s) {
        s.Power_OSDelay = 1;
        s.flag_Enable_Power_UPSDelay = 0;
    });
    StartAgent({Path("halt.sh"), "now"});
    ups.Next.Status = AC;
    Seconds(5);
    ASSERT_EQ(runner.Started.size(), 1u);
    EXPECT_EQ(runner.Started[0], (std::vector<std::string>{Path("halt.sh"), "now"}));
    EXPECT_TRUE(LogHas("Shutting down: " + Path("halt.sh") + " now"));
    EXPECT_TRUE(ups.TurnOffs.empty());
}

TEST_F(AgentTest, RefusedProgramsAreLoggedWithTheRunnersReason) {
    WriteSettings([](UPSSts& s) {
        s.Power_OSDelay = 1;
        s.flag_EnableCommand = 1;
        CopyField(s.CommandFile, sizeof s.CommandFile, "/x/notify.sh");
        s.Command_Time = 60;
    });
    runner.Answer = StartResult::Refused;
    runner.Why = "is writable by its group";
    StartAgent({"/x/halt.sh"});
    ups.Next.Status = AC;
    Seconds(2);
    EXPECT_TRUE(runner.Started.empty());
    EXPECT_TRUE(LogHas("Command file refused: /x/notify.sh is writable by its group"));
    EXPECT_TRUE(LogHas("Shutdown command refused: /x/halt.sh is writable by its group"));
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
    ups.FreshReading.Status = AC;
    ups.HasFresh = true;
    agent->Refresh();
    EXPECT_NE(written(), first);
    EXPECT_EQ(ReadValues().DownTime, 180);
    EXPECT_NE(ReadValues().StatusFlag.AllSts & AC, 0);
    EXPECT_TRUE(LogHas("Power failure: running on battery"));
    const ino_t second = written();
    ups.HasFresh = true; // the same reading again
    agent->Refresh();
    EXPECT_EQ(written(), second) << "unchanged values are left alone";

    ups.Next.Status = AC;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 180) << "armed between the seconds: counted from the next one";
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 179);
    EXPECT_EQ(ReadValues().DownTime, 179);
}

struct CommandTiming {
    const char* name;
    short commandTime;
    short delay;
    int startsAtSecond; // seconds after the power failure; -1: never
};

class CommandFileTiming : public AgentTest, public ::testing::WithParamInterface<CommandTiming> {};

TEST_P(CommandFileTiming, StartsCommandTimeBeforeTheEnd) {
    const CommandTiming& c = GetParam();
    WriteSettings([&](UPSSts& s) {
        s.Power_OSDelay = c.delay;
        s.flag_EnableCommand = 1;
        CopyField(s.CommandFile, sizeof s.CommandFile, Path("notify.sh").c_str());
        s.Command_Time = c.commandTime;
    });
    StartAgent();
    ups.Next.Status = AC;
    int startedAt = -1;
    for (int t = 0; t <= c.delay + 2; ++t) {
        Seconds(1);
        if (startedAt < 0 && !runner.Started.empty()) startedAt = t;
    }
    EXPECT_EQ(startedAt, c.startsAtSecond);
    ASSERT_LE(runner.Started.size(), 1u) << "the command file runs once per countdown";
    if (!runner.Started.empty()) {
        EXPECT_EQ(runner.Started[0], std::vector<std::string>{Path("notify.sh")});
    }
}

const CommandTiming CommandTimings[] = {
    {"TenSecondsBefore", 10, 30, 20},
    {"AtOnceWhenLessIsLeft", 60, 30, 0},
    {"AtTheEnd", 0, 5, 5},
};

INSTANTIATE_TEST_SUITE_P(Agent, CommandFileTiming, ::testing::ValuesIn(CommandTimings),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace agent_test
