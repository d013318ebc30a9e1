// A user's session with the running monitor: every window opened from the
// menu bar of the main window, something changed in each and confirmed, and
// the files the UPS agent reads checked after each step.
#include <gtest/gtest.h>

#include <QWidget>

#include "Clock.h"
#include "Controls.h"
#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "MonitorTesting.h"
#include "ObjectClass.h"
#include "PlatformTesting.h"
#include "QuickDraw.h"
#include "RunLoop.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "Windows.h"
#include "file.h"
#include "monitor.h"
#include "screen.h"

namespace {

using namespace dialogs_test;
using corvanta_test::ReadFile;
using corvanta_test::RowOf;
using corvanta_test::SplitLines;

class Walkthrough : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTestTime(2026, 6, 10, 9, 0); // a Wednesday
        ResetMonitorState();
        ResetExitToShellRequest();
        ASSERT_TRUE(StartMonitor());
        MyTimer(nullptr, nullptr);
    }
    void TearDown() override {
        RemoveAllEventLoopTimers();
        RemoveAllEventHandlers(GetApplicationEventTarget());
        MainWindow = AboutWindow = nullptr;
        DialogTest::TearDown();
    }
    WindowRef Choose(const char (&command)[5], const std::string& name) {
        EXPECT_TRUE(SelectMenuCommand(FourCharCode(command))) << command;
        std::vector<WindowRef> all = WindowsNamed(name);
        EXPECT_EQ(all.size(), 1u) << name;
        return all.empty() ? nullptr : all.front();
    }
    std::string Settings(int line) const { return SettingsLine(Folder(), line); }
    std::string Requests() const { return CommandFileText(Folder()); }
};

TEST_F(Walkthrough, EveryWindowFromTheMenuChangesWhatTheAgentReads) {
    // Property: level 25 %, last replacement 5 March 2025.
    WindowRef w = Choose("prop", "PropertyWindow");
    ASSERT_NE(w, nullptr);
    SetValue(w, "prop", 130, 5);
    SetValue(w, "prop", 131, 3);
    SetValue(w, "prop", 133, 5);
    SetText(w, "prop", 135, "2025");
    ASSERT_TRUE(ClickButton(w, "ok  "));
    EXPECT_EQ(Settings(16), "25");
    EXPECT_EQ(Settings(2), "20250305");
    EXPECT_EQ(Requests(), "1\n0\n0\n");

    // Log settings: 500 entries.
    w = Choose("logm", "LogManageWindow");
    ASSERT_NE(w, nullptr);
    SetValue(w, "logm", 128, 5);
    ASSERT_TRUE(ClickButton(w, "ok  "));
    EXPECT_EQ(Settings(6), "500");
    EXPECT_EQ(Settings(16), "25");

    // Actions: 15 minutes after a power failure, a command file chosen.
    corvanta_test::WriteFileRaw(Path("on-battery.sh"), "#!/bin/sh\n");
    w = Choose("acti", "ActionsWindow");
    ASSERT_NE(w, nullptr);
    SetValue(w, "acti", 128, 1);
    SetValue(w, "acti", 129, 22);
    SetValue(w, "acti", 141, 1);
    ASSERT_TRUE(ClickButton(w, "brow"));
    ASSERT_TRUE(NavDialogChooseFile(gOpenFileDialog, Path("on-battery.sh")));
    ASSERT_TRUE(ClickButton(w, "ok  "));
    EXPECT_EQ(Settings(17), "1");
    EXPECT_EQ(Settings(18), "900");
    EXPECT_EQ(Settings(29), "1");
    EXPECT_EQ(Settings(30), Path("on-battery.sh"));
    EXPECT_EQ(Settings(6), "500");

    // Schedule: the calendar view is drawn, the 17th clicked, and a shutdown
    // at 21:15 set for every Wednesday from then on.
    w = Choose("sche", "ScheduleWindow");
    ASSERT_NE(w, nullptr);
    ControlRef calendar = Control(w, "sche", 128);
    RecordingPort port;
    ASSERT_EQ(SendControlDrawEvent(calendar, &port), noErr);
    EXPECT_EQ(BeginBlock, 1); // 1 June 2026 is a Monday
    EXPECT_EQ(EndBlock, 30);
    Rect b;
    GetControlBounds(calendar, &b);
    const int cw = (b.right - b.left) / 7, ch = (b.bottom - b.top) / 7;
    MouseDown(w, static_cast<short>(b.left + 3 * cw + 5), static_cast<short>(b.top + 3 * ch + 5));
    EXPECT_EQ(SelectDay, 17);
    SetValue(w, "sche", 131, 2);
    SetValue(w, "sche", 141, 22);
    SetValue(w, "sche", 151, 4);
    ASSERT_TRUE(ClickButton(w, "week"));
    ASSERT_TRUE(ClickButton(w, "not!"));
    const std::vector<std::string> calendarFile = SplitLines(ReadFile(Path(CalendarFileName)));
    ASSERT_EQ(calendarFile.size(), 4465u);
    EXPECT_EQ(calendarFile[0], "2026");
    EXPECT_EQ(calendarFile[1 + RowOf(6, 10, 0)], "0\t0\t0");
    EXPECT_EQ(calendarFile[1 + RowOf(6, 17, 0)], "1\t21\t15");
    EXPECT_EQ(calendarFile[1 + RowOf(6, 24, 0)], "1\t21\t15");
    EXPECT_EQ(calendarFile[1 + RowOf(6, 18, 0)], "0\t0\t0");
    EXPECT_EQ(calendarFile[1 + RowOf(12 + 6, 9, 0)], "1\t21\t15"); // 9 June 2027, a Wednesday
    EXPECT_EQ(Requests(), "0\n1\n0\n");
    EXPECT_STREQ(NextShutString, "06/17/2026 21:15");

    // Event log: the newest line on top; its close box ends it.
    corvanta_test::WriteFileRaw(Path(LogFileName), "  power failure\n  power restored\n");
    EXPECT_TRUE(SelectMenuCommand(FourCharCode("elog")));
    ASSERT_NE(LogWindow, nullptr);
    EXPECT_EQ(GetListCellText(ListIP, Cell{0, 0}), "power restored");
    EXPECT_EQ(GetListCellText(ListIP, Cell{1, 0}), "power failure");
    LogWindow->close();
    EXPECT_EQ(LogWindow, nullptr);

    // The monitor runs on; the settings on disk load back as they are in force.
    MyTimer(nullptr, nullptr);
    EXPECT_TRUE(IsValidWindowPtr(MainWindow));
    EXPECT_FALSE(ExitToShellRequested());
    const UPSSts inMemory = PtUPSSts;
    LoadUPSSts();
    EXPECT_EQ(FormatUPSSts(PtUPSSts), FormatUPSSts(inMemory));
}

} // namespace
