// The property, log settings and actions windows opened by their commands:
// what they show, and what OK and Cancel do to the settings in memory, the
// settings file and the command file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <QWidget>

#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "Windows.h"
#include "file.h"

namespace {

using namespace dialogs_test;
using corvanta_test::FileExists;

class SettingsWindows : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        PtUPSSts.LowBatteryLevel = 37;
        std::strcpy(PtUPSSts.BR_Date_Last, "20071005");
        std::strcpy(PtUPSSts.BR_Date_Next, "20100228");
        PtUPSSts.LogEntry = 250;
        PtUPSSts.flag_Enable_Power_OSDelay = 1;
        PtUPSSts.Power_OSDelay = 601;
        PtUPSSts.flag_Enable_Battery_OSDelay = 2;
        PtUPSSts.Battery_OSDelay = 30;
        PtUPSSts.flag_Enable_Schedule_OSDelay = 0;
        PtUPSSts.Schedule_OSDelay = 3600;
        PtUPSSts.flag_EnableCommand = 1;
        std::strcpy(PtUPSSts.CommandFile, "/usr/local/bin/on-battery");
        PtUPSSts.Command_Time = 45;
    }

    WindowRef Open(const char* command, const std::string& name) {
        EXPECT_EQ(OpenDialogWindow(FourCharCodeFromText(command)), eventNotHandledErr);
        WindowRef w = OnlyWindow(name);
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }

    bool NothingWritten() const {
        return !FileExists(Path(SettingsFileName)) && !FileExists(Path(CommandFileName));
    }
};

TEST_F(SettingsWindows, PropertyWindowShowsTheSettings) {
    WindowRef w = Open("prop", "PropertyWindow");
    EXPECT_EQ(Items(w, "prop", 130).size(), 20u);
    EXPECT_EQ(Value(w, "prop", 130), 7); // 37 shows as 35
    EXPECT_EQ(Items(w, "prop", 131)[9], "October");
    EXPECT_EQ(Value(w, "prop", 131), 10);
    EXPECT_EQ(Value(w, "prop", 133), 5);
    EXPECT_EQ(Text(w, "prop", 135), "2007");
    EXPECT_EQ(Value(w, "prop", 132), 2);
    EXPECT_EQ(Value(w, "prop", 134), 28);
    EXPECT_EQ(Items(w, "prop", 134).size(), 31u);
    EXPECT_EQ(Text(w, "prop", 136), "2010");
}

TEST_F(SettingsWindows, PropertyOkStoresAndWritesEvenWithoutChanges) {
    WindowRef w = Open("prop", "PropertyWindow");
    ASSERT_TRUE(ClickButton(w, "ok  "));
    EXPECT_EQ(PtUPSSts.LowBatteryLevel, 35);
    EXPECT_STREQ(PtUPSSts.BR_Date_Last, "20071005");
    EXPECT_EQ(SettingsLine(Folder(), 16), "35");
    EXPECT_EQ(SettingsLine(Folder(), 2), "20071005");
    EXPECT_EQ(CommandFileText(Folder()), "1\n0\n0\n");
    EXPECT_FALSE(IsValidWindowPtr(w));
}

TEST_F(SettingsWindows, PropertyOkTakesWhatTheUserChose) {
    const struct {
        int level, month, day;
        const char* year;
        const char* stored;
    } cases[] = {
        {5, 3, 5, "2007", "20070305"},  // 25, March 5
        {20, 3, 5, "7", "00070305"},    // a short year is padded
        {1, 3, 5, "", "00000305"},      // no digits: year 0
        {1, 2, 31, "2008", "20080231"}, // not checked against the month
        {1, 3, 5, "12345", "20071005"}, // does not fit four digits: the old date stays
        {1, 3, 5, "123456", "20071005"}, {1, 3, 5, "-1", "20071005"},
    };
    for (const auto& c : cases) {
        std::strcpy(PtUPSSts.BR_Date_Last, "20071005");
        WindowRef w = Open("prop", "PropertyWindow");
        SetValue(w, "prop", 130, c.level);
        SetValue(w, "prop", 131, c.month);
        SetValue(w, "prop", 133, c.day);
        SetText(w, "prop", 135, c.year);
        ASSERT_EQ(ProcessHICommand(kHICommandOK, w), noErr);
        FlushDeletes();
        EXPECT_EQ(PtUPSSts.LowBatteryLevel, c.level * 5);
        EXPECT_STREQ(PtUPSSts.BR_Date_Last, c.stored) << c.year;
        EXPECT_EQ(SettingsLine(Folder(), 2), c.stored);
        EXPECT_STREQ(PtUPSSts.BR_Date_Next, "20100228");
    }
}

TEST_F(SettingsWindows, CancelChangesNothingInEveryWindow) {
    const UPSSts before = PtUPSSts;
    const struct {
        const char* command;
        const char* name;
        SInt32 popup;
        SInt32 field;
    } windows[] = {{"prop", "PropertyWindow", 130, 135},
                   {"logm", "LogManageWindow", 128, 0},
                   {"acti", "ActionsWindow", 129, 143}};
    for (const auto& win : windows) {
        const char* cmd = win.command;
        WindowRef w = Open(cmd, win.name);
        SetValue(w, cmd, win.popup, 3);
        if (win.field) SetText(w, cmd, win.field, "1999");
        ASSERT_TRUE(ClickButton(w, "not!"));
        FlushDeletes();
        EXPECT_TRUE(WindowsNamed(win.name).empty());
    }
    EXPECT_EQ(std::memcmp(&before, &PtUPSSts, sizeof before), 0);
    EXPECT_TRUE(NothingWritten());
}

TEST_F(SettingsWindows, OtherCommandsAreNotHandled) {
    WindowRef w = Open("prop", "PropertyWindow");
    EXPECT_EQ(ProcessHICommand(FourCharCode("zzzz"), w), eventNotHandledErr);
    EXPECT_TRUE(IsValidWindowPtr(w));
    EXPECT_EQ(OpenDialogWindow(FourCharCode("zzzz")), eventNotHandledErr);
    EXPECT_EQ(OpenDialogWindow(FourCharCode("absa")), eventNotHandledErr);
    // A second property command opens a second window.
    EXPECT_EQ(OpenDialogWindow(FourCharCode("prop")), eventNotHandledErr);
    EXPECT_EQ(WindowsNamed("PropertyWindow").size(), 2u);
    EXPECT_TRUE(NothingWritten());
}

TEST_F(SettingsWindows, LogSettingsShowAndStoreTheEntries) {
    WindowRef w = Open("logm", "LogManageWindow");
    EXPECT_EQ(Items(w, "logm", 128).size(), 10u);
    EXPECT_EQ(Value(w, "logm", 128), 2); // 250 shows as 200
    SetValue(w, "logm", 128, 3);
    ASSERT_TRUE(ClickButton(w, "ok  "));
    EXPECT_EQ(PtUPSSts.LogEntry, 300);
    EXPECT_EQ(SettingsLine(Folder(), 6), "300");
    EXPECT_EQ(CommandFileText(Folder()), "1\n0\n0\n");
    EXPECT_FALSE(IsValidWindowPtr(w));
}

TEST_F(SettingsWindows, ActionsWindowShowsTheSettings) {
    WindowRef w = Open("acti", "ActionsWindow");
    EXPECT_EQ(ActionsWindow, w);
    EXPECT_EQ(Value(w, "acti", 128), 1);
    EXPECT_EQ(Value(w, "acti", 132), 0); // a flag holding 2 shows unticked
    EXPECT_EQ(Value(w, "acti", 136), 0);
    EXPECT_EQ(Value(w, "acti", 141), 1);
    EXPECT_EQ(Items(w, "acti", 129).size(), 31u);
    EXPECT_EQ(Value(w, "acti", 129), 21); // 601 s shows as 10 minutes
    EXPECT_EQ(Value(w, "acti", 133), 2);
    EXPECT_EQ(Value(w, "acti", 137), 31);
    EXPECT_EQ(Text(w, "acti", 143), "/usr/local/bin/on-battery");
    EXPECT_EQ(Text(w, "acti", 144), "45");
}

TEST_F(SettingsWindows, ActionsOkStoresEveryControl) {
    WindowRef w = Open("acti", "ActionsWindow");
    SetValue(w, "acti", 128, 0);
    SetValue(w, "acti", 129, 4);
    SetValue(w, "acti", 132, 1);
    SetValue(w, "acti", 133, 22);
    SetValue(w, "acti", 136, 1);
    SetValue(w, "acti", 137, 31);
    SetValue(w, "acti", 141, 0);
    SetText(w, "acti", 143, "/opt/ups/notify me.sh");
    SetText(w, "acti", 144, "70000");
    ASSERT_TRUE(ClickButton(w, "ok  "));
    EXPECT_EQ(PtUPSSts.flag_Enable_Power_OSDelay, 0);
    EXPECT_EQ(PtUPSSts.Power_OSDelay, 90);
    EXPECT_EQ(PtUPSSts.flag_Enable_Battery_OSDelay, 1);
    EXPECT_EQ(PtUPSSts.Battery_OSDelay, 900);
    EXPECT_EQ(PtUPSSts.flag_Enable_Schedule_OSDelay, 1);
    EXPECT_EQ(PtUPSSts.Schedule_OSDelay, 3600);
    EXPECT_EQ(PtUPSSts.flag_EnableCommand, 0);
    EXPECT_STREQ(PtUPSSts.CommandFile, "/opt/ups/notify me.sh");
    EXPECT_EQ(PtUPSSts.Command_Time, 4464); // low 16 bits of 70000
    const struct {
        int line;
        const char* text;
    } lines[] = {{17, "0"},   {18, "90"},   {21, "1"}, {22, "900"},
                 {25, "1"},   {26, "3600"}, {29, "0"}, {30, "/opt/ups/notify me.sh"},
                 {31, "4464"}};
    for (const auto& l : lines)
        EXPECT_EQ(SettingsLine(Folder(), l.line), l.text) << l.line;
    EXPECT_EQ(CommandFileText(Folder()), "1\n0\n0\n");
    EXPECT_FALSE(IsValidWindowPtr(w));
}

TEST_F(SettingsWindows, ActionsOkRoundsOddDelaysAndKeepsAPathThatDoesNotFit) {
    PtUPSSts.Power_OSDelay = 100;
    PtUPSSts.Battery_OSDelay = 4000;
    WindowRef w = Open("acti", "ActionsWindow");
    SetText(w, "acti", 143, "/" + std::string(254, 'p'));
    SetText(w, "acti", 144, "");
    ASSERT_EQ(ProcessHICommand(kHICommandOK, w), noErr);
    EXPECT_EQ(PtUPSSts.Power_OSDelay, 90);
    EXPECT_EQ(PtUPSSts.Battery_OSDelay, 3600);
    EXPECT_STREQ(PtUPSSts.CommandFile, "/usr/local/bin/on-battery");
    EXPECT_EQ(SettingsLine(Folder(), 30), "/usr/local/bin/on-battery");
    EXPECT_EQ(PtUPSSts.Command_Time, 0);
    FlushDeletes();
    // 254 bytes still fit.
    w = Open("acti", "ActionsWindow");
    const std::string longest = "/" + std::string(253, 'q');
    SetText(w, "acti", 143, longest);
    ASSERT_EQ(ProcessHICommand(kHICommandOK, w), noErr);
    EXPECT_EQ(std::string(PtUPSSts.CommandFile), longest);
    EXPECT_EQ(SettingsLine(Folder(), 30), longest);
}

TEST_F(SettingsWindows, AFailedSettingsWriteStillClosesAndKeepsTheValues) {
    // A folder standing where the settings file goes cannot be replaced.
    ASSERT_EQ(::mkdir(Path(SettingsFileName).c_str(), 0700), 0);
    WindowRef w = Open("logm", "LogManageWindow");
    SetValue(w, "logm", 128, 7);
    ASSERT_EQ(ProcessHICommand(kHICommandOK, w), noErr);
    EXPECT_EQ(PtUPSSts.LogEntry, 700);
    EXPECT_FALSE(IsValidWindowPtr(w));
    EXPECT_FALSE(corvanta_test::FileExists(Path(CommandFileName)));
    ::rmdir(Path(SettingsFileName).c_str());
}

} // namespace
