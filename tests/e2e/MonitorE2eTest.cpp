// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The real agent and the real monitor together on a private folder: what the
// monitor shows is read from its snapshot, what they exchange from the files.

#include "E2eSupport.h"

namespace e2e {
namespace {

using std::chrono::milliseconds;

std::string FailsAt(int second) {
    return std::string(OnMains) + std::to_string(second) + " status +ACFAIL\n" +
           std::to_string(second) + " set InputVoltage 0\n";
}

class MonitorE2e : public E2eTest {
  protected:
    void Start(const std::string& scenario, const std::map<std::string, std::string>& env = {}) {
        StartAgent(scenario, {}, env);
        ASSERT_TRUE(WaitForValues(Open));
    }
};

TEST_F(MonitorE2e, SettingsSaveReachesTheAgentWhichUsesTheNewDelay) {
    Start(FailsAt(8));
    Child& early = StartMonitor("early.png", 10);
    Child& late = StartMonitor("late.png", 12);
    std::this_thread::sleep_for(seconds(2));
    // What the monitor does on OK in its Actions window.
    DefaultUPSSts(&PtUPSSts);
    PtUPSSts.Power_OSDelay = 50;
    WriteUPSSts();
    ASSERT_TRUE(WaitFor([&] { return LogHas("Settings reloaded"); }, seconds(3)));
    ASSERT_TRUE(WaitForValues(Counting, seconds(8)));
    EXPECT_LE(Values().DownTime, 50);
    EXPECT_TRUE(LogHas("Shutdown countdown started: 50 s (power failure)"));
    const QImage a = Snapshot(early, "early.png"), b = Snapshot(late, "late.png");
    // Under a minute left: the countdown is drawn in the alarm colour, and runs.
    for (const QImage& image : {a, b}) {
        EXPECT_EQ(StatusNames(image), "good caution good "); // Connected, Battery, Normal
        EXPECT_GT(CountColour(image, CountdownBox, Alarm), 40);
        EXPECT_EQ(CountColour(image, CountdownBox, Plain), 0);
    }
    EXPECT_NE(a.copy(CountdownBox), b.copy(CountdownBox)) << "the countdown runs";
}

TEST_F(MonitorE2e, CancelEndsTheCountdownOnBothSides) {
    Start(FailsAt(1));
    Child& monitor = StartMonitor("cancel.png", 6);
    ASSERT_TRUE(WaitForValues(Counting));
    std::this_thread::sleep_for(seconds(1));
    // The monitor's Cancel shutdown command.
    flag_LoadCancelShutdown = 1;
    WriteCommand();
    ASSERT_TRUE(WaitForValues(Idle, seconds(3)));
    QImage image = Snapshot(monitor, "cancel.png");
    EXPECT_EQ(StatusNames(image), "good caution good ") << "still on battery";
    for (QRgb c : {Plain, Alarm, Badge}) // no digits, no "Shutdown in" badge
        EXPECT_EQ(CountColour(image, CountdownBox, c), 0);
    EXPECT_EQ(Values().DownTime, -1) << "the outage goes on, the countdown stays off";
    EXPECT_TRUE(LogHas("Shutdown countdown cancelled by the user"));
}

TEST_F(MonitorE2e, CalendarShutdownStartsTheCountdownAtItsMinute) {
    // 10 March 2026, 14:30, in a calendar saved for 2026.
    const std::string calendar = corvanta_test::CalendarWith(2026, {{3, 10, 0, 1, 14, 30}});
    WriteFile(Path(CalendarFileName), calendar);
    Start(OnMains, {{"CORVANTA_TEST_TIME", "2026-03-10 14:29:57"}});
    EXPECT_EQ(Values().DownTime, -1);
    Child& monitor = StartMonitor("calendar.png", 6);
    ASSERT_TRUE(WaitForValues(Counting, seconds(8)));
    EXPECT_GE(Values().DownTime, 298);
    EXPECT_TRUE(LogHas("W 2026/03/10 14:30:00 Scheduled shutdown at 14:30"));
    EXPECT_TRUE(LogHas("Shutdown countdown started: 300 s (scheduled shutdown)"));
    QImage image = Snapshot(monitor, "calendar.png");
    EXPECT_EQ(StatusNames(image), "good good good ");
    EXPECT_GT(CountColour(image, CountdownBox, Plain), 40) << "five minutes left, in plain";
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), calendar) << "the agent never rewrites it";
}

TEST_F(MonitorE2e, KilledOrHungAgentShowsDisconnect) {
    // Killed: its last values file stays, its lock goes with it.
    Start(OnMains);
    Child& killed = StartMonitor("killed.png", 3);
    std::this_thread::sleep_for(milliseconds(1500));
    WaitExit(agent_, seconds(5), SIGKILL);
    // Disconnect, Unknown, Unknown, well within the default 10 s limit.
    EXPECT_EQ(StatusNames(Snapshot(killed, "killed.png")), "alarm alarm alarm ");

    // Hung (stopped): the lock stays held, the file stops changing.
    ASSERT_EQ(::mkdir(Path("Corvanta").c_str(), 0700), 0);
    WriteFile(Path("Corvanta/corvanta-monitor.conf"), "[Values]\nStaleSeconds=3\n");
    // Stopped once its values are there, so that the monitor's snapshot
    // comes well past the limit however slowly either of them started.
    Start(OnMains);
    ::kill(agent_.Pid, SIGSTOP);
    Child& hung = StartMonitor("hung.png", 6);
    QImage image = Snapshot(hung, "hung.png");
    ::kill(agent_.Pid, SIGCONT);
    EXPECT_EQ(StatusNames(image), "alarm alarm alarm ");
    EXPECT_EQ(CountColour(image, Gauge, GaugeGreen), 0) << "an empty gauge";
}

} // namespace
} // namespace e2e
