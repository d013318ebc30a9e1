// The real agent on a private folder, driven through its files and signals
// exactly as the monitor drives it.
#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <thread>

#include "CoreTestSupport.h"
#include "E2eSupport.h"
#include "Folder.h"
#include "file.h"

namespace e2e {
namespace {

using std::chrono::seconds;

// On mains for two seconds, then the mains fails for good.
const char* const FailAfterTwo = "ratings 230 4.3 24\n"
                                 "0 set InputVoltage 230\n"
                                 "0 set BatteryLevel 100\n"
                                 "0 set OutputLoading 30\n"
                                 "2 status +ACFAIL\n"
                                 "2 set InputVoltage 0\n";

const char* const OnMains = "ratings 230 4.3 24\n"
                            "0 set InputVoltage 230\n"
                            "0 set BatteryLevel 100\n";

TEST_F(E2eTest, AgentWritesValuesRatingsAndLog) {
    StartAgent(OnMains);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    UPSVal v = Values();
    EXPECT_EQ(v.ItemVal[4], 2300);
    EXPECT_EQ(v.ItemVal[2], 1000);
    EXPECT_EQ(v.SupportItem, (1 << 2) | (1 << 4));
    EXPECT_EQ(v.DownTime, -1);
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "2300\n43\n240\n");
    EXPECT_TRUE(LogHas(" Agent 0.1.0 started with the simulated UPS"));
    // A monitor deletes a stale values file when it starts; it comes back.
    std::remove(Path(ValuesFileName).c_str());
    EXPECT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(3)));
}

TEST_F(E2eTest, PowerFailureStartsTheCountdownAndIsLogged) {
    StartAgent(FailAfterTwo);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime >= 0; }, seconds(6)));
    UPSVal v = Values();
    EXPECT_NE(v.StatusFlag.AllSts & UPS_ACFAIL, 0);
    EXPECT_GE(v.DownTime, 178);
    EXPECT_LE(v.DownTime, 180);
    // It runs: two seconds later it is lower.
    short first = v.DownTime;
    ASSERT_TRUE(
        WaitForValues([&](const UPSVal& x) { return x.DownTime <= first - 2; }, seconds(4)));
    std::vector<std::string> lines = Lines(ReadFile(Path(LogFileName)));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 2), "W ");
    EXPECT_EQ(lines[lines.size() - 2].substr(22), "Power failure: running on battery");
    EXPECT_EQ(lines.back().substr(22), "Shutdown countdown started: 180 s (power failure)");
}

TEST_F(E2eTest, SettingsSavedAsTheMonitorSavesThemReachTheAgent) {
    StartAgent("0 set InputVoltage 230\n6 status +ACFAIL\n");
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    // The monitor's own save: the settings file, then the request file.
    DefaultUPSSts(&PtUPSSts);
    PtUPSSts.Power_OSDelay = 25;
    WriteUPSSts();
    ASSERT_TRUE(WaitFor([&] { return LogHas("Settings reloaded"); }, seconds(3)));
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime >= 0; }, seconds(8)));
    EXPECT_LE(Values().DownTime, 25);
    EXPECT_GE(Values().DownTime, 23);
    EXPECT_TRUE(LogHas("Shutdown countdown started: 25 s (power failure)"));
}

TEST_F(E2eTest, CancelEndsTheCountdown) {
    StartAgent(FailAfterTwo);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime >= 0; }, seconds(6)));
    flag_LoadCancelShutdown = 1;
    WriteCommand();
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime == -1; }, seconds(3)));
    EXPECT_TRUE(LogHas("Shutdown countdown cancelled by the user"));
    // The outage goes on, the countdown stays off.
    std::this_thread::sleep_for(seconds(2));
    EXPECT_EQ(Values().DownTime, -1);
    EXPECT_NE(Values().StatusFlag.AllSts & UPS_ACFAIL, 0);
}

TEST_F(E2eTest, CalendarShutdownStartsTheCountdownAtItsMinute) {
    // 10 March 2026, 14:30, in a calendar saved for 2026.
    const std::string text = CalendarWithEntry(2026, 3, 10, "1\t14\t30");
    WriteFile(Path(CalendarFileName), text);
    StartAgent(OnMains, {}, {{"CORVANTA_TEST_TIME", "2026-03-10 14:29:57"}});
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    EXPECT_EQ(Values().DownTime, -1);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime >= 0; }, seconds(8)));
    EXPECT_GE(Values().DownTime, 298);
    EXPECT_TRUE(LogHas("W 2026/03/10 14:30:00 Scheduled shutdown at 14:30"));
    EXPECT_TRUE(LogHas("Shutdown countdown started: 300 s (scheduled shutdown)"));
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), text) << "the agent never rewrites the calendar";
}

TEST_F(E2eTest, HangupReloadsAndTermEndsCleanly) {
    StartAgent(OnMains);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    ::kill(agent_.Pid, SIGHUP);
    ASSERT_TRUE(
        WaitFor([&] { return LogHas("Settings file missing: keeping the settings in force"); },
                seconds(3)));
    EXPECT_EQ(Terminate(agent_, seconds(3)), 0);
    UPSVal v = Values();
    EXPECT_EQ(v.flag_OpenUPS, 0);
    EXPECT_NE(v.StatusFlag.AllSts & UPS_COMMERR, 0);
    EXPECT_TRUE(LogHas("Agent stopped"));
}

TEST_F(E2eTest, ExpiryRunsTheShutdownCommand) {
    std::string whyNot;
    const std::string programs = corvanta_test::MakeProgramFolder(&whyNot);
    if (programs.empty()) GTEST_SKIP() << whyNot;
    const std::string halt = programs + "/halt.sh";
    WriteFile(halt, "#!/bin/sh\necho \"$1\" > " + Path("halted") + "\n");
    ASSERT_EQ(::chmod(halt.c_str(), 0755), 0);
    DefaultUPSSts(&PtUPSSts);
    PtUPSSts.Power_OSDelay = 2;
    WriteFile(Path(SettingsFileName), FormatUPSSts(PtUPSSts));
    StartAgent(FailAfterTwo, {"--shutdown-command", halt + " now"});
    EXPECT_TRUE(WaitFor([&] { return ReadFile(Path("halted")) == "now\n"; }, seconds(10)));
    EXPECT_TRUE(WaitFor([&] { return LogHas("Shutting down: " + halt + " now"); }, seconds(3)));
    EXPECT_TRUE(WaitFor([&] { return LogHas(halt + " ended with exit status 0"); }, seconds(3)));
    corvanta_test::RemoveTree(programs);
}

TEST_F(E2eTest, SignalsEndTheAgentCleanlyOrLeaveItRunning) {
    StartAgent(OnMains);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    // Signals that would end it by default without the last values file.
    for (int sig : {SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGRTMIN + 1,
                    SIGPIPE, SIGXFSZ})
        ::kill(agent_.Pid, sig);
    ::unlink(Path(ValuesFileName).c_str());
    EXPECT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)))
        << "still stepping after them";
    for (int sig : {SIGINT, SIGQUIT}) {
        SCOPED_TRACE(sig);
        if (agent_.Pid <= 0) StartAgent(OnMains);
        ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
        ::kill(agent_.Pid, sig);
        EXPECT_EQ(WaitExit(agent_, seconds(5)), 0);
        EXPECT_EQ(Values().flag_OpenUPS, 0) << "the last values file says disconnected";
    }
}

TEST_F(E2eTest, OneAgentPerFolderEvenAfterItsFilesAreDeleted) {
    StartAgent(OnMains);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    // The lock is on the folder itself: nothing in it can be removed to free it.
    for (const char* name : {"ZAN_AGENT.LCK", ValuesFileName, LogFileName, RatingFileName})
        ::unlink(Path(name).c_str());
    Child second = Spawn({AgentBinary, "--folder", Folder(), "--simulate"}, Path("second.out"));
    EXPECT_EQ(WaitExit(second, seconds(5)), 1);
    EXPECT_NE(ReadFile(Path("second.out")).find("another agent is already running on " + Folder()),
              std::string::npos);
    EXPECT_TRUE(Alive(agent_));
}

TEST_F(E2eTest, BadCommandLinesExitWithTwo) {
    WriteFile(Path("bad.scn"), "0 explode\n");
    WriteFile(Path("open.sh"), "#!/bin/sh\n");
    ::chmod(Path("open.sh").c_str(), 0777);
    struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        std::string message;
    } cases[] = {
        {{}, {}, "corvanta-agent: no UPS given: use --simulate"},
        {{"--simulate", "--speed", "2"}, {}, "corvanta-agent: unknown option '--speed'"},
        {{"--simulate", Path("bad.scn")}, {}, "line 1: unknown command 'explode'"},
        {{"--simulate", Path("none.scn")}, {}, "none.scn: cannot be read"},
        {{"--simulate", "--shutdown-command", Path("open.sh")},
         {},
         "--shutdown-command: " + Path("open.sh")},
        {{"--simulate", "--folder", std::string(300, 'x')},
         {},
         "corvanta-agent: the program folder"},
        {{"--simulate"}, {{"CORVANTA_TEST_TIME", "yesterday"}}, "CORVANTA_TEST_TIME: expected"},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::vector<std::string> argv{AgentBinary};
        if (std::find(c.args.begin(), c.args.end(), "--folder") == c.args.end())
            argv.insert(argv.end(), {"--folder", Folder()});
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string out = Path("bad" + std::to_string(n++) + ".out");
        Child child = Spawn(argv, out, c.env);
        EXPECT_EQ(WaitExit(child, seconds(5)), 2) << c.message;
        std::string text = ReadFile(out);
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        EXPECT_NE(text.find("corvanta-agent"), std::string::npos) << text;
    }
    Child help = Spawn({AgentBinary, "--help"}, Path("help.out"));
    EXPECT_EQ(WaitExit(help, seconds(5)), 0);
    EXPECT_EQ(ReadFile(Path("help.out")).rfind("Usage: corvanta-agent", 0), 0u);
}

} // namespace
} // namespace e2e
