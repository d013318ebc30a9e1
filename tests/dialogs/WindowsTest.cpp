// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The settings windows, the command-file chooser and the event log window,
// opened by their commands: what they show, and what OK and Cancel leave in
// memory, in the settings file and in the agent's request file.
#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextBrowser>
#include <QtTest/QTest>

#include "DialogTestSupport.h"

namespace {

using namespace dialogs_test;

class SettingsWindows : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        UPSSts& s = PtUPSSts;
        s.LowBatteryLevel = 37, s.LogEntry = 250, s.Command_Time = 45;
        std::strcpy(s.BR_Date_Last, "20071005"), std::strcpy(s.BR_Date_Next, "20100228");
        s.flag_Enable_Power_OSDelay = 1, s.Power_OSDelay = 601;
        s.flag_Enable_Battery_OSDelay = 2, s.Battery_OSDelay = 30;
        s.flag_Enable_Schedule_OSDelay = 0, s.Schedule_OSDelay = 3600;
        s.flag_EnableCommand = 1, std::strcpy(s.CommandFile, "/usr/local/bin/on-battery");
    }
};

// "id=text|id=text" as pairs.
std::vector<std::pair<int, std::string>> Pairs(const std::string& list) {
    std::vector<std::pair<int, std::string>> pairs;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, '|');)
        pairs.emplace_back(std::stoi(item), item.substr(item.find('=') + 1));
    return pairs;
}

// A text field's text, another control's value; and the other way.
std::string Shown(ControlRef c) {
    return qobject_cast<QLineEdit*>(c) ? GetControlText(c) : std::to_string(GetControlValue(c));
}
void Set(ControlRef c, const std::string& text) {
    qobject_cast<QLineEdit*>(c) ? SetControlText(c, text) : SetControlValue(c, std::stoi(text));
}

TEST_F(SettingsWindows, EachShowsTheSettingsAndOkStoresWhatTheUserChoseCancelNothing) {
    // The command, the window; what controls show and what is set in them
    // by ID; the settings file's lines by number, none for Cancel: then
    // nothing is stored, written or asked of the agent.
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"acti", "ActionsWindow", "", "129=3", ""},
        {"prop", "PropertyWindow", "130=7|131=10|133=5|135=2007|132=2|134=28|136=2010",
         "130=5|131=3|133=5|135=2009", "16=25|2=20090305|3=20100228"},
        {"logm", "LogManageWindow", "128=2", "128=3", "6=300"},
        // A flag holding 2 shows unticked, 601 s as 10 minutes.
        {"acti", "ActionsWindow",
         "128=1|132=0|136=0|141=1|129=21|133=2|137=31|143=/usr/local/bin/on-battery|144=45",
         "128=0|129=4|132=1|133=22|136=1|137=31|141=0|143=/opt/ups/notify me.sh|144=70000",
         "17=0|18=90|21=1|22=900|25=1|26=3600|29=0|30=/opt/ups/notify me.sh|31=4464"}};
    for (const auto& [command, name, shown, set, lines] : cases) {
        const bool cancel = !*lines;
        const UPSSts before = PtUPSSts;
        WindowRef w = Open(command, name);
        for (const auto& [id, text] : Pairs(shown))
            EXPECT_EQ(Shown(Control(w, command, id)), text) << command << id;
        for (const auto& [id, text] : Pairs(set))
            Set(Control(w, command, id), text);
        ASSERT_TRUE(ClickButton(w, cancel ? "not!" : "ok  "));
        EXPECT_FALSE(IsValidWindowPtr(w));
        EXPECT_EQ(std::memcmp(&before, &PtUPSSts, sizeof before) == 0, cancel) << command;
        EXPECT_EQ(NothingWritten(), cancel) << command;
        const std::vector<std::string> file = FileLines(SettingsFileName);
        for (const auto& [line, text] : Pairs(lines))
            EXPECT_EQ(file.at(static_cast<std::size_t>(line) - 1), text) << command << line;
        EXPECT_EQ(Requests(), cancel ? "" : "1\n0\n0\n");
    }
    EXPECT_EQ(PtUPSSts.LowBatteryLevel * 1000 + PtUPSSts.LogEntry, 25300);
}

// Each kind of dialog, opened twice over the main window: one copy, centred,
// of fixed size but for the log, as the main window is; then a key pressed in it.
TEST_F(SettingsWindows, DialogsAsOnTheDesktopEscapeCancelsEnterConfirms) {
    SetTestTime(2026, 12, 31, 23, 59);
    WindowRef main = nullptr;
    MyCreateWindow("main", nullptr, "MainWindow", &main);
    main->setGeometry(200, 100, 520, 448), main->show();
    EXPECT_EQ(main->minimumSize(), main->maximumSize()); // laid out by hand: one size
    // Of one size, nothing offers to resize it.
    const auto resizes = [](QWidget* w) {
        const QStatusBar* bar = w->findChild<QStatusBar*>();
        return !w->windowFlags().testFlag(Qt::CustomizeWindowHint) ||
               w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint) ||
               (bar && bar->isSizeGripEnabled());
    };
    EXPECT_FALSE(resizes(main));
    EXPECT_TRUE(main->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    // The command, the window, the control with the focus (0: the window
    // itself), the key; whether the next case finds it open, the file the key
    // had written, if any.
    const std::tuple<const char*, std::string, int, Qt::Key, bool, const char*> cases[] = {
        {"prop", "PropertyWindow", 135, Qt::Key_Return, false, SettingsFileName},
        {"logm", "LogManageWindow", 128, Qt::Key_Enter, false, SettingsFileName},
        {"acti", "ActionsWindow", 144, Qt::Key_Escape, false, nullptr},
        {"sche", "ScheduleWindow", 0, Qt::Key_Return, true, nullptr},
        {"sche", "ScheduleWindow", 141, Qt::Key_Escape, false, CalendarFileName}, // its Close
        {"absa", "AboutWindow", 0, Qt::Key_Return, true, nullptr},
        {"absa", "AboutWindow", 0, Qt::Key_Escape, false, nullptr},
        {"elog", "EventLogWindow", 0, Qt::Key_Escape, false, nullptr}};
    for (const auto& [command, name, field, key, stays, written] : cases) {
        Command(command), Command(command);
        ASSERT_EQ(WindowsNamed(name).size(), 1u) << command;
        WindowRef w = WindowsNamed(name).at(0);
        EXPECT_EQ(w->parentWidget(), main);
        EXPECT_EQ(w->geometry().center(), main->geometry().center()) << command;
        EXPECT_EQ(w->minimumSize() == w->maximumSize(), name != "EventLogWindow");
        EXPECT_EQ(resizes(w), name == "EventLogWindow");
        QTest::keyClick(field ? Control(w, command, field) : w, key);
        EXPECT_EQ(IsValidWindowPtr(w), stays) << command << key;
        EXPECT_EQ(corvanta_test::FileExists(Path(CommandFileName)), written != nullptr);
        EXPECT_TRUE(!written || std::remove(Path(written).c_str()) == 0) << command;
        std::remove(Path(CommandFileName).c_str());
    }
    EXPECT_EQ(AboutWindow, nullptr);
}

TEST_F(SettingsWindows, AChosenCommandFileReachesTheFieldOfAWindowStillOpen) {
    const std::string chosen = Path("notify.sh");
    corvanta_test::WriteFileRaw(chosen, "#!/bin/sh\n");
    WindowRef w = Open("acti", "ActionsWindow");
    ASSERT_TRUE(ClickButton(w, "brow"));
    ASSERT_TRUE(NavDialogChooseFile(gOpenFileDialog, chosen));
    EXPECT_EQ(GetControlText(Control(w, "acti", 143)), chosen);
    EXPECT_TRUE(NothingWritten());
    // A path for an actions window that has gone is dropped.
    ClickButton(w, "brow");
    NavDialogRef dialogOfGone = gOpenFileDialog;
    DisposeWindow(w);
    FlushDeletes();
    ASSERT_TRUE(NavDialogChooseFile(dialogOfGone, Path("other.sh")));
    EXPECT_EQ(std::string(PtUPSSts.CommandFile), "/usr/local/bin/on-battery");
}

using EventLogWindow = DialogTest;

TEST_F(EventLogWindow, OneWindowNewestLineOnTop) {
    corvanta_test::WriteFileRaw(Path(LogFileName), "E one\nW two\nI three\nExyz\n");
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr);
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), eventNotHandledErr); // still the one
    EXPECT_EQ(GetListCellText(ListIP, Cell{1, 0}) + "|" + GetListCellText(ListIP, Cell{3, 0}),
              "three|one");
    // Icons by the agent's kind letter; a line without the blank is no alarm.
    std::string icons;
    for (SInt32 r = 0; r < 4; ++r)
        icons += std::to_string(GetListCellIcon(ListIP, Cell{r, 0})) + " ";
    EXPECT_EQ(icons, "-1 -1 2 0 ");
    // The list grows with the window; the selected lines copy in order.
    const short right = GetListViewBounds(ListIP).right;
    LogWindow->resize(LogWindow->width() + 50, LogWindow->height());
    EXPECT_EQ(GetListViewBounds(ListIP).right, right + 50);
    QTest::keySequence(GetListWidget(ListIP), QKeySequence::SelectAll);
    QTest::keySequence(GetListWidget(ListIP), QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "yz\nthree\ntwo\none\n");
    LogWindow->close(); // the title bar's close goes through the handlers
    EXPECT_EQ(ListIP, nullptr);
}

} // namespace

// Every menu and item can be reached from the keyboard, each by its own
// letter; Help > User guide opens the guide, or says where it should be.
TEST_F(SettingsWindows, MenusHaveTheirOwnKeysAndHelpOpensTheGuide) {
    WindowRef main = nullptr;
    MyCreateWindow("main", "MainMenu", "MainWindow", &main);
    std::string keys;
    for (QAction* menu : static_cast<QMenuBar*>(GetMenuBar())->actions()) {
        keys += QKeySequence::mnemonic(menu->text()).toString().toStdString() + ":";
        for (QAction* item : menu->menu()->actions())
            if (!item->isSeparator())
                keys += QKeySequence::mnemonic(item->text()).toString().toStdString().back() +
                        (item->shortcut().isEmpty()
                             ? ""
                             : "(" + item->shortcut().toString().toStdString() + ")");
        keys += " ";
    }
    EXPECT_EQ(keys, "Alt+M:HPQ(Ctrl+Q) Alt+S:PASL Alt+U:EC Alt+H:U(F1)A ");
    QTextBrowser browser; // stands for the desktop's browser
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "setSource");
    const std::string guide = Path("guide.html");
    SetUserGuidePath(guide);
    for (bool there : {false, true}) {
        if (there) corvanta_test::WriteFileRaw(guide, "<p>guide</p>");
        Command("help");
        auto* alert = main->findChild<QMessageBox*>();
        EXPECT_EQ(alert ? alert->text().toStdString()
                        : browser.source().toLocalFile().toStdString(),
                  there ? guide : "The user guide cannot be opened: " + guide + " is missing.");
        delete alert;
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    SetUserGuidePath("");
}

TEST_F(SettingsWindows, ANextReplacementBeforeTheLastIsRefused) {
    WindowRef w = Open("prop", "PropertyWindow");
    SetControlText(Control(w, "prop", 136), "2007"); // 2007-02-28, before 2007-10-05
    ASSERT_TRUE(ClickButton(w, "ok  "));
    ASSERT_TRUE(w->findChild<QMessageBox*>());
    EXPECT_EQ(w->findChild<QMessageBox*>()->text().toStdString(),
              "The next battery replacement (2007-02-28) cannot come before the last one "
              "(2007-10-05).");
    EXPECT_TRUE(IsValidWindowPtr(w) && NothingWritten());
}
