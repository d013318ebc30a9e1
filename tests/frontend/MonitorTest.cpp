// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor's status evaluation and its one-second tick: the lights, the
// countdown and the redraws for sequences of status words and agent values.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QTabBar>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CommandLine.h"
#include "CoreTesting.h"
#include "Folder.h"
#include "FrontendTestSupport.h"
#include "HistoryWindow.h"
#include "NutState.h"

TEST_F(MonitorTest, StatusSequences) {
    // Status words and what each showed, with the delays of 180 s for a power
    // failure and 60 s for a low battery. A low battery on mains is remembered:
    // a power failure does not light it. Power return ends the countdown and
    // forgets the low battery: the next one is news. A failure only starts a
    // countdown or shortens it. A lost link redraws the whole window.
    constexpr std::int32_t A = UPS_ACFAIL, L = UPS_BATTLOW;
    // clang-format off
    const std::pair<std::int32_t, const char*> steps[] = {
        {L, "-1 [] main_142 tbut_128"}, {L | A, "180 [1] main_141 tbut_128"},
        {0, "-1 [] main_142 tbut_128 main_141 tbut_128"},
        {A | UPS_TESTING, "180 [1] main_141 tbut_128"}, {A | L, "60 [12] main_142 tbut_128"},
        {L, "-1 [2] main_141 tbut_128"}, {L, "-1 [2] main_142 tbut_128"},
        {0, "-1 [] main_142 tbut_128"}, {A | L, "60 [12] main_142 tbut_128 main_141 tbut_128"},
        {UPS_COMMERR | A | L, "60 [012] window"}, {A, "60 [1] main_142 tbut_128 window"},
        {UPS_BEEPER | UPS_OVERHEAT | UPS_OVERLOAD, "-1 [456] main_141 tbut_128"},
        {UPS_BATTREPLACE, "-1 [3] main_142"}, {0, "-1 [] main_142"}};
    // clang-format on
    PtUPSSts.flag_Enable_Power_OSDelay = PtUPSSts.flag_Enable_Battery_OSDelay = 1;
    PtUPSSts.Power_OSDelay = 180, PtUPSSts.Battery_OSDelay = 60;
    for (const auto& [status, want] : steps) {
        PtUPSVal.StatusFlag.AllSts = status;
        CheckStatus();
        EXPECT_EQ(Shown(), want) << status;
    }
}

TEST_F(MonitorTest, TicksAndReads) {
    // The communication text, while the link is open, then what changed.
    EXPECT_EQ(Feed('t'), "-1 [] main_128");
    agent.ItemVal[4] = 2310;
    EXPECT_EQ(Feed('t'), "-1 [] main_128 main_152");
    // Fewer measurements: the selectors follow, the meter falls back to slot 0.
    agent.SupportItem = 1 << 2;
    EXPECT_EQ(Feed('t'), "-1 [] main_128 main_152");
    agent.flag_OpenUPS = 0;
    EXPECT_EQ(Feed('t'), "-1 [] ");
    agent.flag_OpenUPS = 1;
    agent.StatusFlag.AllSts = UPS_ACFAIL;
    // The agent's figure is followed (the core reconciles it with ours), and
    // the tick takes a second; a read between ticks does not.
    const std::tuple<short, char, const char*> steps[] = {
        {100, 't', "99 [1] main_128 main_141 tbut_128 tbut_128"},
        {110, 'r', "110 [1] main_128 tbut_128"},
        {-1, 'r', "-1 [1] main_128 tbut_128"}, // the agent ends it
        {50, 't', "49 [1] main_128 tbut_128"}};
    for (const auto& [down, act, want] : steps) {
        agent.DownTime = down;
        EXPECT_EQ(Feed(act), want);
    }
    // The power returns while the agent still counts down for a cause the
    // power did not end: its figure stands.
    agent.StatusFlag.AllSts = 0;
    agent.DownTime = 30;
    EXPECT_EQ(Feed('t'), "29 [] main_128 main_141 tbut_128 tbut_128");
    // No second goes while the link is down.
    agent.flag_OpenUPS = 0;
    EXPECT_EQ(Feed('t'), "29 [] ");
}

namespace {
// The values file as written the given seconds before the clock.
void Age(long seconds) {
    const timespec when{CurrentTime() - seconds, 0};
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, FolderFile(ValuesFileName).c_str(), times, 0), 0);
}
} // namespace

TEST_F(MonitorTest, NoVerdictThatWasNotRead) {
    // Values as old as the limit (10 s) are believed; older ones are not.
    Age(10);
    Tick();
    EXPECT_EQ(Said("main", {128}), "#007000 14b 'Connected'");
    Age(14);
    Shown();
    Tick();
    EXPECT_EQ(Shown() + Said("main", {128}), "-1 [0] window#f00000 14b 'Disconnect'");
    EXPECT_EQ(GetWindowStatusText(MainWindow), "no update for 14 s");
    // A start beside an old file: the file goes and nothing shows a verdict
    // until the agent writes.
    Age(11);
    TearDown();
    SetTestTime(2026, 3, 10, 12, 0, 0);
    ResetMonitorState();
    ResetReadUPSValState();
    PtUPSVal = UPSVal{};
    ASSERT_TRUE(StartMonitor());
    EXPECT_NE(::access(FolderFile(ValuesFileName).c_str(), F_OK), 0);
    EXPECT_EQ(Said("main", {128, 141, 142, 157}),
              "#707070 12b 'Waiting for the agent\u2026' '' '' 14b '--'");
    Tick();
    AdvanceTestTime(10);
    Tick(); // the agent may still be starting
    EXPECT_EQ(GetWindowStatusText(MainWindow), "");
    AdvanceTestTime(1);
    Tick();
    EXPECT_EQ(GetWindowStatusText(MainWindow), "no values from the agent");
}

TEST_F(MonitorTest, AFreshFileOfAnAgentsUserIsBelievedAndEveryLossSaysWhy) {
    const std::string folder = CurDir;
    const passwd* pw = ::getpwuid(65534);
    const std::string nobody = pw ? pw->pw_name : "65534";
    const auto log = [](const std::string& text) {
        std::FILE* f = std::fopen(FolderFile(LogFileName).c_str(), "a");
        std::fprintf(f, "E 2026/03/10 12:00:00 %s\n", text.c_str());
        std::fclose(f);
    };
    // {what happens, then a tick ('t', or 'f': the values written first),
    // the communication text and the status bar}.
    const std::tuple<std::function<void()>, char, const char*, std::string> steps[] = {
        {[&] { agentLock.Release(); }, 't', "'Disconnect'", "agent not running"},
        {[] {}, 'f', "'Connected'", ""}, // a writer without our lock
        {[] { (void)!::chown(FolderFile(ValuesFileName).c_str(), 65534, 65534); }, 't',
         "'Disconnect'", "values written by user " + nobody + " ignored"},
        {[] { Age(11); }, 't', "'Disconnect'", "agent not running"},
        {[&] { agent.flag_OpenUPS = 0, agent.StatusFlag.AllSts = UPS_COMMERR; }, 'f',
         "'Disconnect'", "agent running, UPS not answering"},
        {[&] { log("Communication with the UPS lost: upsd refused"); }, 't', "'Disconnect'",
         "agent running, UPS not answering: upsd refused"},
        {[&] { log("Communication with the UPS restored"); }, 't', "'Disconnect'",
         "agent running, UPS not answering"},
        {[&] { std::filesystem::remove_all(folder); }, 't', "'Disconnect'",
         "program folder " + folder + " not found"}};
    for (const auto& [act, tick, shown, why] : steps) {
        if (::geteuid() != 0 && why.starts_with("values written")) continue; // no chown
        act();
        tick == 'f' ? (void)Feed('t') : Tick();
        EXPECT_EQ(Said("main", {128}).substr(12), shown) << why;
        EXPECT_EQ(GetWindowStatusText(MainWindow), why);
    }
    // A writer without our lock is shown from the first frame.
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    agent.flag_OpenUPS = 1, agent.StatusFlag.AllSts = 0;
    Feed('t');
    TearDown();
    ResetReadUPSValState();
    ASSERT_TRUE(StartMonitor());
    EXPECT_EQ(Said("main", {128}).substr(12), "'Connected'");
}

// Renamed under the running programs, with another folder made under the
// old name: the folder is still read where it went, and the status bar
// says it moved.
TEST_F(MonitorTest, AFolderMovedFromUnderItsNameIsReadWhereItWentAndSaidSo) {
    const std::string folder = CurDir, moved = folder + ".moved";
    UseFolderHandle(true);
    ASSERT_EQ(std::rename(folder.c_str(), moved.c_str()), 0);
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    agent.ItemVal[2] = 777;
    Feed('t');
    EXPECT_EQ(Said("main", {128}).substr(12) + " " + std::to_string(PtUPSVal.ItemVal[2]),
              "'Connected' 777");
    EXPECT_EQ(GetWindowStatusText(MainWindow),
              "program folder " + folder + " was moved or renamed: still read where it went");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    StopFolderHandle();
    std::filesystem::remove(folder);
    std::rename(moved.c_str(), folder.c_str());
}

TEST_F(MonitorTest, TheRoleAtTheUpsServerIsInTheStatusBar) {
    const std::string refused = "login refused by the UPS server",
                      path = FolderFile(NutStateFileName);
    // {the agent's file, how it stands ('l' a link to it, 'o' another user's,
    // 'x' beside a UPS that does not answer), the status bar}.
    // clang-format off
    const std::tuple<std::string, char, std::string> rows[] = {
        {"role=primary\nothers=2\nforced=0\nproblem=\n", ' ', "Primary · 2 other computers on this UPS"},
        {"role=secondary\nothers=1\nproblem=" + refused + "\n", ' ', refused + "; Secondary · 1 other computer on this UPS"},
        {"role=primary\nothers=0\n", ' ', "Primary · no other computer on this UPS"}, {"role=secondary\n", ' ', "Secondary"},
        {"role=observer\nothers=3\n", ' ', "Not logged in to the UPS server: a primary will not wait for this computer"},
        {"role=primary\n", 'l', ""}, {"role=primary\n", 'o', ""}, {"role=primary\n", 'x', "agent running, UPS not answering"}};
    // clang-format on
    for (const auto& [text, how, want] : rows) {
        if (how == 'o' && ::geteuid() != 0) continue; // no chown
        std::filesystem::remove(path);
        ASSERT_TRUE(WriteFileAtomic(how == 'l' ? path + ".real" : path, text));
        if (how == 'l') std::filesystem::create_symlink(path + ".real", path);
        if (how == 'o') (void)!::chown(path.c_str(), 65534, 65534);
        agent.flag_OpenUPS = how != 'x', agent.StatusFlag.AllSts = how == 'x' ? UPS_COMMERR : 0;
        Feed('t');
        EXPECT_EQ(GetWindowStatusText(MainWindow), want) << text;
    }
}

TEST_F(MonitorTest, HistoryMenuItemOpensOneWindowOverTheMainWindow) {
    ASSERT_TRUE(StartMonitor());
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(SelectMenuCommand(FourCharCode("hist")));
    ASSERT_NE(CurrentHistoryWindow(), nullptr);
    EXPECT_EQ(CurrentHistoryWindow()->parentWidget(), MainWindow);
    EXPECT_EQ(MainWindow->findChildren<HistoryWindow*>().size(), 1);
    delete CurrentHistoryWindow();
}

TEST_F(MonitorTest, SpeaksTheSystemLocalesLanguage) {
    // CTest runs this under LANG=C and again under German and French (the
    // locales need not be installed: Qt reads LANG itself). The form, its tab
    // titles, the menu, a catalogue name from the core, the help, drawn
    // status words, dates and the meter's reading, as the window shows them;
    // and a message the core composes.
    // clang-format off
    const std::map<QString, std::string> want = {
        {"C", "Communication:|Status Meter Maintenance|&Monitor|Input Voltage|usage:|"
              "'Connected' #000000 '2007-10-05' '2026-03-11 08:05' '230.5V'|"
              "the program folder must not be empty"},
        {"de_DE", "Verbindung:|Status Messgerät Wartung|&Monitor|Eingangsspannung|Aufruf:|"
                  "'Verbunden' #000000 '05.10.2007' '11.03.2026 08:05' '230,5V'|"
                  "der Programmordner darf nicht leer sein"},
        {"fr_FR", "Communication\u00a0:|État Mesures Maintenance|&Moniteur|Tension d’entrée|"
                  "usage\u00a0:|'Connecté' #000000 '05/10/2007' '11/03/2026 08:05' '230,5V'|"
                  "le dossier du programme ne doit pas être vide"}};
    // clang-format on
    const auto* tabs = qobject_cast<QTabBar*>(MainControl(kTabControl));
    const auto* meter = qobject_cast<QComboBox*>(MainControl(kMeterSelectors[0]));
    ASSERT_TRUE(tabs && meter && GetMenuBar());
    agent.ItemVal[4] = 2305;
    Feed('t');
    std::strcpy(PtUPSSts.BR_Date_Last, "20071005");
    NextShutdown = DateTimeStr{2026, 3, 11, 8, 5};
    std::string texts = Said("main", {128, 160, 162}), reading = Said("main", {152});
    texts = texts.substr(texts.find('\'')) + reading.substr(reading.rfind(" '"));
    const std::string usage = UsageText();
    std::string refused;
    EXPECT_FALSE(SetCurDir("", &refused));
    const QString shown =
        MainWindow->findChild<QLabel*>("caption_Communication")->text() + '|' + tabs->tabText(0) +
        ' ' + tabs->tabText(1) + ' ' + tabs->tabText(2) + '|' +
        GetMenuBar()->actions().value(0)->text() + '|' + meter->itemText(1) + '|' +
        QString::fromStdString(usage.substr(0, usage.find(':') + 1) + '|' + texts + '|' + refused);
    EXPECT_EQ(shown.toStdString(), want.at(QLocale::system().name()));
}

TEST(CommandLine, BadLinesAreRefusedWithAMessage) {
    // The lines that run are the end-to-end tests' own.
    // clang-format off
    const std::vector<const char*> lines[] = {
        {"--bogus"}, {"stray"}, {"--folder"}, {"--folder="}, {"--help=yes"}, {"--hidden=1"}, {"--after", "2"},
        {"--snapshot", "a.png", "--after", "-1"}, {"--snapshot", "a.png", "--after", "1e3"}};
    // clang-format on
    for (const auto& args : lines) {
        MonitorOptions o;
        std::string message;
        EXPECT_EQ(ParseCommandLine(static_cast<int>(args.size()), args.data(), &o, &message),
                  CommandLineResult::Error)
            << args[0];
        EXPECT_FALSE(message.empty()) << args[0];
    }
}

TEST(CommandLine, HiddenKeepsTheMainWindowClosedOnlyWhereATrayCanBringItBack) {
    // The arguments, whether a tray exists; whether the main window opens.
    const std::tuple<std::vector<const char*>, bool, bool> lines[] = {
        {{"--hidden"}, true, false},
        {{"--hidden"}, false, true},
        {{}, true, true},
        {{"--folder", "/x", "--hidden"}, true, false}};
    for (const auto& [args, tray, opens] : lines) {
        MonitorOptions o;
        std::string message;
        ASSERT_EQ(ParseCommandLine(static_cast<int>(args.size()), args.data(), &o, &message),
                  CommandLineResult::Run);
        EXPECT_EQ(OpensMainWindow(o, tray), opens) << args.size() << tray;
    }
}
