// The main window's commands through the same paths a user's clicks take:
// tabs, meter selectors, menu items and the window's close box.
#include <QComboBox>
#include <QTabBar>
#include <cstring>

#include "CommandLine.h"
#include "FrontendTestSupport.h"
#include "Windows.h"
#include "file.h"
#include "menu.h"
#include "monitor.h"

namespace {

class MainWindowTest : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        PtUPSVal.SupportItem = (1 << 0) | (1 << 2) | (1 << 4) | (1 << 13);
        FillMeterSelectors();
        TakeRedraws();
    }
    // A choice in a pop-up as the user makes it.
    static void Choose(ControlRef popup, int item) {
        auto* combo = qobject_cast<QComboBox*>(popup);
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(item - 1);
        emit combo->activated(item - 1);
    }
};

} // namespace

TEST_F(MainWindowTest, TabsShowOnePaneAtATime) {
    auto* tabs = qobject_cast<QTabBar*>(MainControl("tabs", 128));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(lastTabIndex, 1);
    for (int selected : {2, 3, 1}) {
        tabs->setCurrentIndex(selected - 1); // as a click does
        EXPECT_EQ(lastTabIndex, selected);
        for (int i = 1; i <= 3; ++i) {
            ControlRef pane = MainControl("tabs", 128 + i);
            EXPECT_EQ(IsControlVisible(pane), i == selected) << selected << " " << i;
            EXPECT_EQ(IsControlEnabled(pane), i == selected) << selected << " " << i;
        }
    }
    // A hit on the tab already shown is not for this handler.
    ToolboxEvent hit;
    hit.eventClass = kEventClassControl;
    hit.eventKind = kEventControlHit;
    hit.control = tabs;
    EXPECT_EQ(HandleEventProc(nullptr, &hit, nullptr), eventNotHandledErr);
}

TEST_F(MainWindowTest, MeterSelectionWritesOnlyOnAChange) {
    PtUPSSts.Main_Meter[0] = 2;
    PtUPSSts.Main_Meter[1] = 2;
    FillMeterSelectors();
    Choose(MainControl("main", 150), 3);
    EXPECT_EQ(PtUPSSts.Main_Meter[0], 3);
    EXPECT_EQ(TakeRedraws(), std::vector<std::string>{"main_152"});
    const std::string settings = ReadFolderFile(SettingsFileName);
    EXPECT_EQ(settings, FormatUPSSts(PtUPSSts));
    EXPECT_EQ(ReadFolderFile(CommandFileName), "1\n0\n0\n");

    RemoveFolderFile(SettingsFileName);
    RemoveFolderFile(CommandFileName);
    Choose(MainControl("main", 150), 3); // the same item again
    EXPECT_FALSE(FolderFileExists(SettingsFileName));
    EXPECT_FALSE(FolderFileExists(CommandFileName));
    EXPECT_TRUE(TakeRedraws().empty());

    Choose(MainControl("main", 151), 4);
    EXPECT_EQ(PtUPSSts.Main_Meter[1], 4);
    EXPECT_EQ(TakeRedraws(), std::vector<std::string>{"main_153"});
    EXPECT_TRUE(FolderFileExists(SettingsFileName));
    EXPECT_EQ(ReadFolderFile(CommandFileName), "1\n0\n0\n");
}

TEST_F(MainWindowTest, MeterSelectionIsHandledEvenWithoutAChange) {
    PtUPSSts.Main_Meter[0] = 1;
    FillMeterSelectors();
    ToolboxEvent click;
    click.eventClass = kEventClassControl;
    click.eventKind = kEventControlClick;
    click.control = MainControl("main", 150);
    EXPECT_EQ(SendEventToEventTarget(&click, GetControlEventTarget(click.control)), noErr);
    EXPECT_FALSE(FolderFileExists(SettingsFileName));
}

TEST_F(MainWindowTest, CancelShutdownAlwaysWritesTheRequest) {
    EXPECT_TRUE(SelectMenuCommand(FourCharCode("cshu")));
    EXPECT_EQ(ReadFolderFile(CommandFileName), "0\n0\n1\n");
    EXPECT_EQ(flag_LoadCancelShutdown, 0);
}

TEST_F(MainWindowTest, QuitFromTheMenuEndsTheRun) {
    EXPECT_TRUE(SelectMenuCommand(kHICommandQuit));
    EXPECT_TRUE(ExitToShellRequested());
    EXPECT_EQ(MainWindow, nullptr);
}

TEST_F(MainWindowTest, ClosingTheMainWindowEndsTheRun) {
    WindowRef window = MainWindow;
    window->close();
    EXPECT_TRUE(ExitToShellRequested());
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_FALSE(IsValidWindowPtr(window));
}

TEST_F(MainWindowTest, OneAboutWindowAtATime) {
    ToolboxEvent about;
    about.eventClass = kEventClassCommand;
    about.eventKind = kEventCommandProcess;
    about.hasCommand = true;
    about.command.commandID = FourCharCode("absa");
    EXPECT_EQ(HandleEventProc(nullptr, &about, nullptr), noErr);
    WindowRef first = AboutWindow;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(HandleEventProc(nullptr, &about, nullptr), eventNotHandledErr);
    EXPECT_TRUE(SelectMenuCommand(FourCharCode("absa")));
    EXPECT_EQ(AboutWindow, first);
    EXPECT_EQ(CountWindowsNamed("AboutWindow"), 1);

    first->close();
    EXPECT_EQ(AboutWindow, nullptr);
    EXPECT_EQ(CountWindowsNamed("AboutWindow"), 0);
    FlushDeletes();
    EXPECT_TRUE(SelectMenuCommand(FourCharCode("absa")));
    EXPECT_NE(AboutWindow, nullptr);
    EXPECT_EQ(CountWindowsNamed("AboutWindow"), 1);
    EXPECT_FALSE(ExitToShellRequested()); // its close is not the main window's
}

TEST_F(MainWindowTest, OtherCommandsAreNotHandled) {
    ToolboxEvent other;
    other.eventClass = kEventClassCommand;
    other.eventKind = kEventCommandProcess;
    other.hasCommand = true;
    other.command.commandID = FourCharCode("zzzz");
    EXPECT_EQ(HandleEventProc(nullptr, &other, nullptr), eventNotHandledErr);
    ToolboxEvent draw;
    draw.eventClass = kEventClassWindow;
    draw.eventKind = kEventWindowDrawContent;
    EXPECT_EQ(HandleEventProc(nullptr, &draw, MainWindow), eventNotHandledErr);
}

TEST(TextRoutines, MonthNames) {
    const char* names[] = {"January", "February", "March",     "April",   "May",      "June",
                           "July",    "August",   "September", "October", "November", "December"};
    char buffer[16];
    for (int m = 1; m <= 12; ++m) {
        GetMonthStr(m, buffer);
        EXPECT_STREQ(buffer, names[m - 1]);
    }
    for (int m : {0, 13, -1}) {
        std::strcpy(buffer, "keep");
        GetMonthStr(m, buffer);
        EXPECT_STREQ(buffer, "keep");
    }
}

TEST(TextRoutines, LengthPrefixedStrings) {
    unsigned char p[256];
    CStrToStr255(p, "");
    EXPECT_EQ(p[0], 0);
    CStrToStr255(p, "three");
    EXPECT_EQ(p[0], 5);
    EXPECT_EQ(std::memcmp(p + 1, "three", 5), 0);
    const std::string longText(300, 'x');
    CStrToStr255(p, longText.c_str());
    EXPECT_EQ(p[0], 255);
}

TEST(CommandLineTest, OptionsAndErrors) {
    struct Case {
        std::vector<const char*> args;
        CommandLineResult result;
        const char* folder;
        const char* snapshot;
        double after;
    };
    const Case cases[] = {
        {{}, CommandLineResult::Run, "", "", 3},
        {{"--folder", "/tmp/x"}, CommandLineResult::Run, "/tmp/x", "", 3},
        {{"--folder=/tmp/y", "--snapshot", "a.png"}, CommandLineResult::Run, "/tmp/y", "a.png", 3},
        {{"--snapshot", "a.png", "--after", "0.5"}, CommandLineResult::Run, "", "a.png", 0.5},
        {{"--after=7", "--snapshot=b.png"}, CommandLineResult::Run, "", "b.png", 7},
        {{"--help"}, CommandLineResult::Help, "", "", 3},
        {{"--version"}, CommandLineResult::Version, "", "", 3},
        {{"--bogus"}, CommandLineResult::Error, "", "", 3},
        {{"stray"}, CommandLineResult::Error, "", "", 3},
        {{"--folder"}, CommandLineResult::Error, "", "", 3},
        {{"--folder="}, CommandLineResult::Error, "", "", 3},
        {{"--snapshot", "a.png", "--after", "-1"}, CommandLineResult::Error, "", "a.png", 3},
        {{"--snapshot", "a.png", "--after", "soon"}, CommandLineResult::Error, "", "a.png", 3},
        {{"--snapshot", "a.png", "--after", "1e3"}, CommandLineResult::Error, "", "a.png", 3},
        {{"--snapshot", "a.png", "--after", "inf"}, CommandLineResult::Error, "", "a.png", 3},
        {{"--after", "2"}, CommandLineResult::Error, "", "", 2},
        {{"--help=yes"}, CommandLineResult::Error, "", "", 3},
    };
    for (const Case& c : cases) {
        MonitorOptions options;
        std::string message;
        const auto result =
            ParseCommandLine(static_cast<int>(c.args.size()), c.args.data(), &options, &message);
        const std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(result, c.result) << what;
        if (result == CommandLineResult::Error) {
            EXPECT_FALSE(message.empty()) << what;
            continue;
        }
        EXPECT_EQ(options.folder, c.folder) << what;
        EXPECT_EQ(options.snapshot, c.snapshot) << what;
        EXPECT_DOUBLE_EQ(options.after, c.after) << what;
    }
}
