// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The tray and the desktop notifications: the tray's state and tooltip for
// agent values, and the notifications a power failure sends over a private
// session bus to a notification server of the test's own.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QFont>
#include <QKeyEvent>
#include <QPushButton>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "Desktop.h"
#include "DialogSupport.h"
#include "FrontendTestSupport.h"
#include "Preferences.h"

namespace {

// org.freedesktop.Notifications as a desktop offers it: records each Notify
// as "summary urgency replaced-id actions expire-timeout" and each
// CloseNotification as "close id", answers with an id.
class NotificationServer : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        const std::lock_guard lock(mutex); // the bus's thread may call
        QVariantList out;
        if (m.member() == QLatin1String("GetCapabilities")) {
            out << QStringList{QStringLiteral("body"), QStringLiteral("actions")};
        } else if (m.member() == QLatin1String("Notify")) {
            const QVariantList a = m.arguments();
            const uint replaces = a[1].toUInt();
            calls.push_back(
                a[3].toString().toStdString() + " " +
                std::to_string(qdbus_cast<QVariantMap>(a[6]).value("urgency").toUInt()) + " " +
                std::to_string(replaces) + " " + a[5].toStringList().join(',').toStdString() + " " +
                std::to_string(a[7].toInt()));
            out << (replaces ? replaces : ++lastId);
        } else if (m.member() == QLatin1String("CloseNotification")) {
            calls.push_back("close " + std::to_string(m.arguments()[0].toUInt()));
        }
        bus.send(m.createReply(out));
        return true;
    }
    std::size_t Count() {
        const std::lock_guard lock(mutex);
        return calls.size();
    }
    std::vector<std::string> calls;
    uint lastId = 0;
    std::mutex mutex;
};

bool Until(const std::function<bool()>& done) {
    const QDeadlineTimer limit(10000);
    while (!done() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return done();
}

} // namespace

class DesktopTest : public MonitorTest {
  protected:
    void TearDown() override {
        StopDesktop();
        MonitorTest::TearDown();
    }
};

TEST_F(DesktopTest, TrayFollowsTheValues) {
    StartDesktop(true);
    agent.SupportItem |= (1 << 2) | (1 << 15), agent.ItemVal[15] = 310;
    PtUPSSts.flag_Enable_Power_OSDelay = 1, PtUPSSts.Power_OSDelay = 161;
    // A lost link shows the last known state, dimmed under the lost mark.
    using enum TrayState;
    const auto argb = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32); };
    constexpr auto kLost = UPS_COMMERR | UPS_ACFAIL;
    // clang-format off
    const std::tuple<std::int32_t, short, short, TrayState, const char*> rows[] = {
        {0, 1000, 0, Charged, "On mains · 100% · load 31%"},
        {0, 870, 2700, Charging, "On mains · charging · 87% · load 31% · 45 min left"},
        {UPS_ACFAIL, 620, 0, ShutdownPending, "On battery · 62% · load 31% · shutdown in 02:41"},
        {UPS_BATTREPLACE, 1000, 0, ReplaceBattery, "On mains · replace battery · 100% · load 31%"},
        {kLost, 620, 0, ShutdownPending, "Communication lost · last known: on battery"},
        {UPS_ACFAIL | UPS_SHUTACT, 620, 0, ShuttingDown, "Shutting down"},
        {kLost | UPS_SHUTACT, 620, 0, ShuttingDown, "Communication lost · last known: on battery · shutting down"},
        {UPS_COMMERR, 1000, 0, Charged, "Communication lost · last known: on mains"}};
    // clang-format on
    for (const auto& [status, charge, runtime, state, tip] : rows) {
        agent.StatusFlag.AllSts = status, agent.ItemVal[2] = charge, agent.BattEstimate = runtime;
        const QSystemTrayIcon* tray = DesktopTrayIcon();
        ASSERT_TRUE(tray);
        QToolTip::showText(QPoint(50, 50), tray->toolTip()); // the pointer rests on the icon
        Feed('r');
        EXPECT_EQ(tray->toolTip().toStdString(), tip);
        EXPECT_EQ(QToolTip::text().toStdString(), tip) << "the tip shown follows";
        EXPECT_EQ(IsMenuCommandEnabled(nullptr, FourCharCode("cshu")), state == ShutdownPending)
            << "UPS > Cancel shutdown";
        const QImage want = TrayIconImage(state, state == Charged ? -1 : charge / 10, 32,
                                          (status & UPS_COMMERR) != 0);
        EXPECT_EQ(argb(tray->icon().pixmap(32).toImage()), argb(want)) << tip;
    }
    // Nothing ever read: nothing known to show.
    const UpsPicture never{PictureLink::Lost, UPS_COMMERR, -1, -1, -1, -1, false, {}, {}};
    EXPECT_EQ(TrayToolTip(never), "Communication lost");
    EXPECT_EQ(KnownStateOf(never), CommLost);
    // On battery with no countdown (its delay off), and over an hour left.
    const UpsPicture battery{PictureLink::Live, UPS_ACFAIL, 62, 31, 3930, -1, true, {}, {}};
    EXPECT_EQ(TrayStateOf(battery), OnBattery);
    EXPECT_EQ(TrayToolTip(battery), "On battery · 62% · load 31% · 1 h 05 min left");
    // Every state tells itself apart at the smallest tray size.
    for (int a = 0; a <= static_cast<int>(ShuttingDown); ++a)
        for (int b = 0; b < a; ++b)
            EXPECT_NE(TrayIconImage(TrayState(a), 50, 22), TrayIconImage(TrayState(b), 50, 22));
}

TEST_F(DesktopTest, NoticesFollowTheirCauses) {
    NotificationServer server;
    const QString name = QStringLiteral("org.freedesktop.Notifications"),
                  path = QStringLiteral("/org/freedesktop/Notifications");
    QDBusConnection bus = QDBusConnection::connectToBus(
        QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("server"));
    ASSERT_TRUE(bus.registerService(name));
    ASSERT_TRUE(bus.registerVirtualObject(path, &server));
    QSettings().remove(QStringLiteral("Tray/HideNoticeShown"));
    const auto start = [] { return StartDesktop(true), Until(DesktopNotifierReady); };
    ASSERT_TRUE(start());
    RemoveAllEventLoopTimers(); // the test's Feed is the tick
    PtUPSSts.flag_Enable_Power_OSDelay = 0, PtUPSSts.flag_Enable_Battery_OSDelay = 1;
    PtUPSSts.Battery_OSDelay = 62;
    const auto feed = [&](std::int32_t status) { agent.StatusFlag.AllSts = status, Feed('t'); };
    feed(UPS_ACFAIL);
    agent.StatusFlag.AllSts = UPS_ACFAIL | UPS_BATTLOW, agent.DownTime = 62;
    for (int i = 0; i < 3; ++i)
        Feed('t'); // the third crosses into the last minute
    ASSERT_TRUE(Until([&] { return server.Count() == 4; }));
    // The user cancels from the notification; the agent drops its countdown.
    bus.send(QDBusMessage::createSignal(path, name, QStringLiteral("ActionInvoked"))
             << 3u << QStringLiteral("cancel-shutdown"));
    QFile command(QString::fromStdString(FolderFile(CommandFileName)));
    ASSERT_TRUE(Until([&] { return command.exists(); }) && command.open(QIODevice::ReadOnly));
    EXPECT_EQ(command.readAll().mid(4), "1\n");
    agent.DownTime = -1;
    Feed('t');
    // Closing the main window leaves it in the tray, said once.
    QWidget* window = MainWindow;
    for (int i = 0; i < 2; ++i)
        window->close();
    EXPECT_FALSE(ExitToShellRequested());
    EXPECT_FALSE(window->isVisible());
    // The power returns under an overload, then fails with the shutdown
    // under way: each notice replaces or closes the one of its cause.
    for (auto [status, count] : {std::pair{UPS_OVERLOAD, 9}, {UPS_ACFAIL | UPS_SHUTACT, 12}}) {
        feed(status);
        ASSERT_TRUE(Until([&] { return server.Count() == std::size_t(count); }));
    }
    // Started again: the hiding is not told twice.
    StopDesktop();
    ASSERT_TRUE(start());
    window->show(), window->close();
    feed(0);
    ASSERT_TRUE(Until([&] { return server.Count() == 16; }));
    // The UPS's primary orders the shutdown: the agent's file alone says so.
    ASSERT_TRUE(
        WriteFileAtomic(FolderFile(NutStateFileName), "role=secondary\nothers=1\nforced=1"));
    feed(0);
    ASSERT_TRUE(Until([&] { return server.Count() == 17; }));
    EXPECT_EQ(DesktopTrayIcon()->toolTip(),
              "Shutting down · Secondary · 1 other computer on this UPS");
    // clang-format off
    const std::vector<std::string> want = {
        "Power failure 2 0  -1", "Battery low 2 0  -1",
        "Shutdown pending 1 0 cancel-shutdown,Cancel shutdown 0",
        "Shutdown in less than a minute 2 3 cancel-shutdown,Cancel shutdown 0",
        "Shutdown cancelled 1 3  -1", "Corvanta UPS Monitor keeps running 1 0  -1",
        "Power restored 1 1  -1", "close 2", "Overload 2 0  -1", "Power failure 2 1  -1",
        "Shutting down 2 3  0", "close 5", "Power failure 2 0  -1", "Shutting down 2 0  0",
        "Power restored 1 6  -1", "close 7",
        "The UPS's primary orders this computer to shut down now 2 0  0"};
    // clang-format on
    // Notices of different causes may pass each other (one waits for the id
    // it replaces).
    for (int from : {9, 14})
        std::sort(server.calls.begin() + from, server.calls.begin() + from + (from == 9 ? 3 : 2));
    EXPECT_EQ(server.calls, want);
    bus.unregisterObject(path);
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
}

TEST_F(DesktopTest, PreferencesWindow) {
    StartDesktop(false);
    const std::string entry = AutostartEntryPath(), system = dir.path().toStdString() + "/xdg",
                      folder = entry.substr(0, entry.rfind('/'));
    setenv("XDG_CONFIG_DIRS", system.c_str(), 1);
    // The key (Escape, OK), the limit typed, Start at login ticked, what is
    // planted (a system entry 's', a file where the autostart folder goes
    // 'f'); whether the window closed, the limit in force, the user's entry
    // ('-' none, 'r' runs the monitor hidden, 'h' turns the system's off).
    // clang-format off
    const std::tuple<Qt::Key, const char*, bool, char, bool, int, char> cases[] = {
        {Qt::Key_Escape, "30", true, ' ', true, 10, '-'}, {Qt::Key_Return, "1", true, ' ', false, 10, '-'},
        {Qt::Key_Return, "3601", false, ' ', false, 10, '-'}, {Qt::Key_Return, "30", true, ' ', true, 30, 'r'},
        {Qt::Key_Return, "30", false, 's', true, 30, 'h'}, {Qt::Key_Return, "2", true, 's', true, 2, 'r'},
        {Qt::Key_Return, "3600", false, ' ', true, 3600, '-'}, {Qt::Key_Return, "30", true, 'f', false, 3600, '-'}};
    // clang-format on
    for (const auto& [key, stale, atLogin, plant, closes, limit, own] : cases) {
        SCOPED_TRACE(std::string(stale) + plant);
        std::filesystem::remove_all(system);
        if (plant == 's') std::filesystem::create_directories(system + "/autostart");
        if (plant == 's')
            std::ofstream(system + "/autostart/corvanta-monitor.desktop") << "[Desktop Entry]\n";
        if (plant == 'f') std::filesystem::remove_all(folder), std::ofstream(folder) << "";
        const bool fresh = CountWindowsNamed("PreferencesWindow") == 0;
        ASSERT_TRUE(SelectMenuCommand(FourCharCode("pref")));
        QWidget* w = FindWindowNamed("PreferencesWindow");
        ASSERT_TRUE(w);
        EXPECT_TRUE(!fresh || ValueOf(w, FourCharCode("pref"), 134) == StartsAtLogin());
        SetValueOf(w, FourCharCode("pref"), 130, 0, false);
        SetValueOf(w, FourCharCode("pref"), 134, atLogin, false);
        SetTextOf(w, FourCharCode("pref"), 133, stale, false);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &press);
        EXPECT_EQ(CountWindowsNamed("PreferencesWindow"), closes ? 0 : 1);
        EXPECT_EQ(NoticeWanted(NoticeGroup::Link), limit == 10);
        EXPECT_EQ(Preferences().staleSeconds, limit);
        std::ifstream in(entry);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(text.empty() ? '-' : text.find("Hidden=true") != text.npos ? 'h' : 'r', own);
        EXPECT_TRUE(own != 'r' || text.find("\nExec=corvanta-monitor --hidden\n") != text.npos);
        EXPECT_EQ(StartsAtLogin(), own == 'r' || (own == '-' && plant == 's'));
    }
    std::filesystem::remove(folder);
    for (QWidget* w = FindWindowNamed("PreferencesWindow"); w; w = nullptr)
        DisposeWindow(w);
    unsetenv("XDG_CONFIG_DIRS");
    SavePreferences(MonitorPreferences{});
}

TEST_F(DesktopTest, APassedReplacementDateIsToldAsTheDate) {
    // The next replacement date (the clock says 2026-03-10); the notice of
    // the flag raised by the agent on the date, or by the UPS.
    const std::pair<const char*, const char*> cases[] = {
        {"20260310", "Battery replacement was due on 2026-03-10."},
        {"20260311", "The UPS asks for a new battery."},
        {"", "The UPS asks for a new battery."}};
    for (const auto& [date, body] : cases) {
        std::strcpy(PtUPSSts.BR_Date_Next, date);
        UpsPicture p = PictureNow();
        p.link = PictureLink::Live, p.status = UPS_BATTREPLACE;
        EXPECT_EQ(NoticeDetector().Step(p, 0).at(0).body, body) << date;
    }
}

TEST(NoticeDetector, OneNoticePerChange) {
    // Link (W, L live, X lost), status, countdown, seconds later: the notices,
    // "-" and the kind for one taken back. Nothing is said before the first
    // values, or of the power while the link is lost; a countdown ended by
    // the power or by running out is not a cancellation. kOrder stands for
    // the primary's order in the agent's file, not for a status bit.
    constexpr auto kFail = UPS_ACFAIL, kLow = UPS_ACFAIL | UPS_BATTLOW, kOrder = UPS_EPO;
    const char* const kOrdered = "The UPS's primary orders this computer to shut down now/2";
    const std::optional<NutState> order = NutState{NutRole::Secondary, -1, true, ""}, none;
    constexpr auto kShut = UPS_ACFAIL | UPS_SHUTACT;
    using K = NoticeKind;
    constexpr auto L = PictureLink::Live, X = PictureLink::Lost;
    // clang-format off
    const std::tuple<PictureLink, std::int32_t, int, long, const char*> steps[] = {
        {X, 0, -1, 0, ""}, {L, 0, -1, 0, ""}, {L, kFail, -1, 0, "Power failure/2"},
        {L, kFail, 30, 0, "Shutdown pending/2"}, {L, kFail, -1, 5, "Shutdown cancelled/1"},
        {X, kFail, -1, 5, "Communication lost/1"}, {X, 0, -1, 5, ""},
        {L, kLow, 100, 200, "Communication restored/1 Battery low/2 Shutdown pending/1"},
        {L, kLow, 59, 1, "Shutdown in less than a minute/2"}, {L, kLow, 58, 1, ""},
        {L, 0, -1, 1, "Power restored/1 -BatteryLow -Countdown"},
        {L, UPS_BATTREPLACE, 0, 1, "Replace battery/1 Shutdown pending/2"},
        {L, UPS_BATTREPLACE, -1, 1, "-Countdown"},
        {L, UPS_OVERLOAD | UPS_OVERHEAT, -1, 1, "Overload/2 Overheat/2"},
        {L, UPS_OVERHEAT, -1, 1, "-Overload"},
        {L, kShut | UPS_OVERHEAT, 20, 1, "Power failure/2 Shutting down/2"},
        {X, kShut, -1, 1, "Communication lost/1"},
        {L, kShut, -1, 1, "Communication restored/1 -Overheat"}, {L, kShut | kOrder, -1, 1, kOrdered},
        {L, kFail, 40, 1, "Shutdown pending/2"}, {L, kShut | kOrder, -1, 1, kOrdered},
        {L, kShut | kOrder, -1, 1, ""}};
    const std::map<K, std::string> taken{{K::CountdownOver, "Countdown"},
        {K::BatteryLow, "BatteryLow"}, {K::Overload, "Overload"}, {K::Overheat, "Overheat"}};
    // clang-format on
    NoticeDetector detector;
    long clock = 0;
    for (const auto& [link, status, down, later, want] : steps) {
        std::string said;
        const UpsPicture p{
            link, status & ~kOrder, -1, -1, -1, down, true, status & kOrder ? order : none, {}};
        for (const Notice& n : detector.Step(p, clock += later))
            said += (said.empty() ? "" : " ") + (n.summary.empty()
                                                     ? "-" + taken.at(n.kind)
                                                     : n.summary + "/" + std::to_string(n.urgency));
        EXPECT_EQ(said, want) << status << " " << down;
    }
}

// A private session bus for the whole run, before Qt can look for one; it
// starts no service of the machine's, so no notification reaches a desktop.
int main(int argc, char** argv) {
    // The preferences a test stores stay out of the user's configuration.
    const QTemporaryDir home;
    setenv("XDG_CONFIG_HOME", home.path().toLocal8Bit().constData(), 1);
    const std::string config = home.filePath("bus.conf").toStdString();
    std::ofstream(config) << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                             "<policy context='default'><allow send_destination='*'/>"
                             "<allow receive_sender='*'/><allow own='*'/></policy></busconfig>";
    const std::string start =
        "dbus-daemon --config-file=" + config + " --nofork --print-address=1 --print-pid=1";
    std::FILE* daemon = popen(start.c_str(), "r");
    char address[512] = "", pid[32] = "";
    if (!daemon || !std::fgets(address, sizeof address, daemon) ||
        !std::fgets(pid, sizeof pid, daemon))
        return std::fputs("desktop_tests: dbus-daemon does not start\n", stderr), 1;
    address[std::strcspn(address, "\n")] = '\0';
    setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int result = [&] { // the application gone before its bus
        QApplication app(argc, argv);
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans")));
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }();
    kill(static_cast<pid_t>(std::atol(pid)), SIGTERM);
    pclose(daemon);
    return result;
}
