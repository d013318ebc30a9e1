// A user's session: every window opened from the menu bar of the main
// window, something changed in each and confirmed, and the files the UPS
// agent reads checked after each step.
#include <gtest/gtest.h>

#include <QComboBox>

#include "Clock.h"
#include <QWidget>

#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "Windows.h"
#include "file.h"

namespace {

using namespace dialogs_test;
using corvanta_test::ReadFile;
using corvanta_test::RowOf;
using corvanta_test::SplitLines;

// Stands in for the main window's handler, which hands every window command
// to OpenDialogWindow.
OSStatus MenuCommands(EventHandlerCallRef, EventRef event, void*) {
    HICommand command{};
    if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                          nullptr, &command) != noErr)
        return eventNotHandledErr;
    return OpenDialogWindow(command.commandID);
}

class Walkthrough : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTestTime(2026, 6, 10, 9, 0); // a Wednesday
        LoadUPSSts();                   // no file yet: the defaults
        MyCreateWindow("main", "MainMenu", "MainWindow", &mainWindow);
        ASSERT_NE(mainWindow, nullptr);
        ShowWindow(mainWindow);
        const EventTypeSpec commands[] = {{kEventClassCommand, kEventCommandProcess}};
        InstallEventHandler(GetApplicationEventTarget(), MenuCommands, 1, commands, nullptr,
                            &handler);
    }
    void TearDown() override {
        RemoveEventHandler(handler);
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

    WindowRef mainWindow = nullptr;
    EventHandlerRef handler = nullptr;
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

    // Schedule: a shutdown at 21:15 every Wednesday from today.
    w = Choose("sche", "ScheduleWindow");
    ASSERT_NE(w, nullptr);
    SetValue(w, "sche", 131, 2);
    SetValue(w, "sche", 141, 22);
    SetValue(w, "sche", 151, 4);
    ASSERT_TRUE(ClickButton(w, "week"));
    ASSERT_TRUE(ClickButton(w, "not!"));
    const std::vector<std::string> calendar = SplitLines(ReadFile(Path(CalendarFileName)));
    ASSERT_EQ(calendar.size(), 4465u);
    EXPECT_EQ(calendar[0], "2026");
    EXPECT_EQ(calendar[1 + RowOf(6, 10, 0)], "1\t21\t15");
    EXPECT_EQ(calendar[1 + RowOf(6, 17, 0)], "1\t21\t15");
    EXPECT_EQ(calendar[1 + RowOf(12 + 6, 9, 0)], "1\t21\t15"); // 9 June 2027, a Wednesday
    EXPECT_EQ(calendar[1 + RowOf(6, 3, 0)], "0\t0\t0");
    EXPECT_EQ(calendar[1 + RowOf(6, 11, 0)], "0\t0\t0");
    EXPECT_EQ(Requests(), "0\n1\n0\n");
    EXPECT_STREQ(NextShutString, "06/10/2026 21:15");

    // Event log: the newest line on top; closing it from the menu's window.
    corvanta_test::WriteFileRaw(Path(LogFileName), "  power failure\n  power restored\n");
    EXPECT_TRUE(SelectMenuCommand(FourCharCode("elog")));
    ASSERT_NE(LogWindow, nullptr);
    EXPECT_EQ(GetListCellText(ListIP, Cell{0, 0}), "power restored");
    EXPECT_EQ(GetListCellText(ListIP, Cell{1, 0}), "power failure");
    LogWindow->close();
    EXPECT_EQ(LogWindow, nullptr);

    // Nothing of the main window went, and the settings on disk load back.
    EXPECT_TRUE(IsValidWindowPtr(mainWindow));
    const UPSSts inMemory = PtUPSSts;
    LoadUPSSts();
    EXPECT_EQ(FormatUPSSts(PtUPSSts), FormatUPSSts(inMemory));
}

} // namespace
