// The real agent and the real monitor together on a private folder: what the
// monitor shows is read from its snapshot, what they exchange from the files.
#include <QImage>
#include <csignal>
#include <sys/stat.h>
#include <thread>

#include "E2eSupport.h"
#include "Folder.h"
#include "SnapshotReading.h"
#include "file.h"

namespace e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const char* const OnMains = "ratings 230 4.3 24\n"
                            "0 set InputVoltage 230\n"
                            "0 set OutputLoading 30\n"
                            "0 set BatteryLevel 100\n";

std::string FailsAt(int second) {
    return std::string(OnMains) + std::to_string(second) + " status +ACFAIL\n" +
           std::to_string(second) + " set InputVoltage 0\n";
}

class MonitorE2e : public MonitorSnapshotTest {
  protected:
    void AgentRunning() {
        ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    }
};

TEST_F(MonitorE2e, ConnectedAndNormalFromTheFirstFrame) {
    StartAgent(OnMains);
    AgentRunning();
    // The first frame, taken as soon as the event loop runs, is already true.
    Child& monitor = StartMonitor("normal.png", 0);
    QImage image = Snapshot(monitor, "normal.png");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(StatusNames(image), "good good good "); // Connected, Normal, Normal
    EXPECT_EQ(CountColour(image, CountdownBox, Plain), 0) << "no countdown shown";
    EXPECT_GT(CountColour(image, QRect(145, 95, 110, 40), GaugeGreen), 100) << "a full gauge";
}

TEST_F(MonitorE2e, PowerFailureShowsBatteryAndARunningCountdown) {
    StartAgent(FailsAt(1));
    AgentRunning();
    Child& early = StartMonitor("early.png", 5);
    Child& late = StartMonitor("late.png", 7);
    QImage a = Snapshot(early, "early.png");
    QImage b = Snapshot(late, "late.png");
    ASSERT_FALSE(a.isNull() || b.isNull());
    EXPECT_EQ(StatusNames(a), "good caution good "); // Connected, Battery, Normal
    EXPECT_EQ(StatusNames(b), "good caution good ");
    EXPECT_GT(CountColour(a, CountdownBox, Plain), 40) << "countdown digits";
    EXPECT_GT(CountColour(b, CountdownBox, Plain), 40);
    EXPECT_NE(a.copy(CountdownBox), b.copy(CountdownBox)) << "the countdown runs";
    UPSVal v = Values();
    EXPECT_GT(v.DownTime, 160);
    EXPECT_LT(v.DownTime, 180);
    EXPECT_TRUE(LogHas("Power failure: running on battery"));
    EXPECT_TRUE(LogHas("Shutdown countdown started: 180 s (power failure)"));
}

TEST_F(MonitorE2e, SettingsSaveReachesTheAgentWhichUsesTheNewDelay) {
    StartAgent(FailsAt(8));
    AgentRunning();
    Child& monitor = StartMonitor("delay.png", 10);
    std::this_thread::sleep_for(seconds(2));
    // What the monitor does on OK in its Actions window.
    DefaultUPSSts(&PtUPSSts);
    PtUPSSts.Power_OSDelay = 50;
    WriteUPSSts();
    ASSERT_TRUE(WaitFor([&] { return LogHas("Settings reloaded"); }, seconds(3)));
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime >= 0; }, seconds(8)));
    EXPECT_LE(Values().DownTime, 50);
    EXPECT_TRUE(LogHas("Shutdown countdown started: 50 s (power failure)"));
    QImage image = Snapshot(monitor, "delay.png");
    ASSERT_FALSE(image.isNull());
    // Under a minute left: the countdown is drawn in the alarm colour.
    EXPECT_GT(CountColour(image, CountdownBox, Alarm), 40);
    EXPECT_EQ(CountColour(image, CountdownBox, Plain), 0);
}

TEST_F(MonitorE2e, CancelEndsTheCountdownOnBothSides) {
    StartAgent(FailsAt(1));
    AgentRunning();
    Child& monitor = StartMonitor("cancel.png", 6);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime >= 0; }, seconds(5)));
    std::this_thread::sleep_for(seconds(1));
    // The monitor's Cancel shutdown command.
    flag_LoadCancelShutdown = 1;
    WriteCommand();
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime == -1; }, seconds(3)));
    QImage image = Snapshot(monitor, "cancel.png");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(StatusNames(image), "good caution good ") << "still on battery";
    EXPECT_EQ(CountColour(image, CountdownBox, Plain), 0) << "no countdown digits";
    EXPECT_EQ(CountColour(image, CountdownBox, Alarm), 0);
    EXPECT_EQ(CountColour(image, CountdownBox, Badge), 0) << "no \"Shutdown in\" badge";
    EXPECT_TRUE(LogHas("Shutdown countdown cancelled by the user"));
}

TEST_F(MonitorE2e, CalendarShutdownStartsTheCountdownAtItsMinute) {
    WriteFile(Path(CalendarFileName), CalendarWithEntry(2026, 3, 10, "1\t14\t30"));
    StartAgent(OnMains, {}, {{"CORVANTA_TEST_TIME", "2026-03-10 14:29:57"}});
    AgentRunning();
    Child& monitor = StartMonitor("calendar.png", 6);
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.DownTime >= 0; }, seconds(8)));
    EXPECT_TRUE(LogHas("W 2026/03/10 14:30:00 Scheduled shutdown at 14:30"));
    QImage image = Snapshot(monitor, "calendar.png");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(StatusNames(image), "good good good ");
    EXPECT_GT(CountColour(image, CountdownBox, Plain), 40) << "five minutes left, in plain";
}

TEST_F(MonitorE2e, KilledOrHungAgentShowsDisconnect) {
    // Killed: its last values file stays, its lock goes with it.
    StartAgent(OnMains);
    AgentRunning();
    Child& killed = StartMonitor("killed.png", 3);
    std::this_thread::sleep_for(milliseconds(1500));
    ::kill(agent_.Pid, SIGKILL);
    WaitExit(agent_, seconds(5));
    QImage image = Snapshot(killed, "killed.png");
    ASSERT_FALSE(image.isNull());
    // Disconnect, Unknown, Unknown, well within the default 10 s limit.
    EXPECT_EQ(StatusNames(image), "alarm alarm alarm ");

    // Hung (stopped): the lock stays held, the file stops changing.
    ASSERT_EQ(::mkdir(Path("Corvanta").c_str(), 0700), 0);
    WriteFile(Path("Corvanta/corvanta-monitor.conf"), "[Values]\nStaleSeconds=3\n");
    StartAgent(OnMains);
    AgentRunning();
    Child& hung = StartMonitor("hung.png", 6);
    std::this_thread::sleep_for(seconds(1));
    ::kill(agent_.Pid, SIGSTOP);
    image = Snapshot(hung, "hung.png");
    ::kill(agent_.Pid, SIGCONT);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(StatusNames(image), "alarm alarm alarm ");
    EXPECT_EQ(CountColour(image, QRect(145, 95, 110, 40), GaugeGreen), 0) << "an empty gauge";
}

} // namespace
} // namespace e2e
