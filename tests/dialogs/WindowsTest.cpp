// The settings windows, the command-file chooser and the event log window,
// opened by their commands: what they show, and what OK and Cancel leave in
// memory, in the settings file and in the agent's request file.
#include <sys/stat.h>

#include <QFileDialog>
#include <QLineEdit>
#include <cstring>
#include <sstream>

#include "DialogTestSupport.h"
#include "QuickDraw.h"

namespace {

using namespace dialogs_test;

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
    static WindowRef Open(const char* command, const std::string& name) {
        EXPECT_EQ(OpenDialogWindow(FourCharCodeFromText(command)), eventNotHandledErr);
        const std::vector<WindowRef> all = WindowsNamed(name);
        EXPECT_TRUE(all.size() == 1 && all[0]->isVisible()) << name;
        return all.empty() ? nullptr : all[0];
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

TEST_F(SettingsWindows, EachShowsTheSettingsAndOkStoresWhatTheUserChose) {
    const std::string tooLong = "/" + std::string(254, 'p');
    const struct {
        const char* command;
        const char* name;
        std::string shown, set, lines; // controls by ID, then settings file lines
    } cases[] = {
        {"prop", "PropertyWindow", "130=7|131=10|133=5|135=2007|132=2|134=28|136=2010",
         "130=5|131=3|133=5|135=2025", "16=25|2=20250305|3=20100228"},
        {"logm", "LogManageWindow", "128=2", "128=3", "6=300"},
        // A flag holding 2 shows unticked, 601 s as 10 minutes.
        {"acti", "ActionsWindow",
         "128=1|132=0|136=0|141=1|129=21|133=2|137=31|143=/usr/local/bin/on-battery|144=45",
         "128=0|129=4|132=1|133=22|136=1|137=31|141=0|143=/opt/ups/notify me.sh|144=70000",
         "17=0|18=90|21=1|22=900|25=1|26=3600|29=0|30=/opt/ups/notify me.sh|31=4464"},
        // A path that does not fit keeps the old one; 254 bytes still fit.
        {"acti", "ActionsWindow", "", "143=" + tooLong + "|144=", "30=/opt/ups/notify me.sh|31=0"},
        {"acti", "ActionsWindow", "", "143=" + tooLong.substr(1), "30=" + tooLong.substr(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        WindowRef w = Open(c.command, c.name);
        for (const auto& [id, text] : Pairs(c.shown)) {
            ControlRef control = Control(w, c.command, id);
            EXPECT_EQ(qobject_cast<QLineEdit*>(control) ? GetControlText(control)
                                                        : std::to_string(GetControlValue(control)),
                      text)
                << id;
        }
        for (const auto& [id, text] : Pairs(c.set)) {
            ControlRef control = Control(w, c.command, id);
            if (qobject_cast<QLineEdit*>(control))
                SetControlText(control, text);
            else
                SetControlValue(control, std::stoi(text));
        }
        ASSERT_TRUE(ClickButton(w, "ok  "));
        EXPECT_FALSE(IsValidWindowPtr(w));
        for (const auto& [line, text] : Pairs(c.lines))
            EXPECT_EQ(Line(static_cast<std::size_t>(line)), text) << line;
        EXPECT_EQ(Requests(), "1\n0\n0\n");
        FlushDeletes();
    }
    EXPECT_EQ(PtUPSSts.LowBatteryLevel * 1000 + PtUPSSts.LogEntry, 25300);
    EXPECT_EQ(PtUPSSts.Command_Time, 0);
}

TEST_F(SettingsWindows, CancelAndOtherCommandsChangeNothing) {
    const UPSSts before = PtUPSSts;
    for (auto [sig, name, popup, field] : {std::tuple{"prop", "PropertyWindow", 130, 135},
                                           {"logm", "LogManageWindow", 128, 0},
                                           {"acti", "ActionsWindow", 129, 143}}) {
        WindowRef w = Open(sig, name);
        SetValue(w, sig, popup, 3);
        if (field) SetControlText(Control(w, sig, field), "1999");
        ASSERT_TRUE(ClickButton(w, "not!"));
        FlushDeletes();
        EXPECT_TRUE(WindowsNamed(name).empty()) << name;
    }
    WindowRef w = Open("prop", "PropertyWindow");
    EXPECT_EQ(ProcessHICommand(FourCharCode("zzzz"), w), eventNotHandledErr);
    EXPECT_TRUE(IsValidWindowPtr(w));
    EXPECT_EQ(OpenDialogWindow(FourCharCode("zzzz")), eventNotHandledErr);
    EXPECT_EQ(OpenDialogWindow(FourCharCode("absa")), eventNotHandledErr);
    EXPECT_EQ(OpenDialogWindow(FourCharCode("prop")), eventNotHandledErr);
    EXPECT_EQ(WindowsNamed("PropertyWindow").size(), 2u); // a second window
    EXPECT_EQ(std::memcmp(&before, &PtUPSSts, sizeof before), 0);
    EXPECT_TRUE(NothingWritten());
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

TEST_F(SettingsWindows, AChosenCommandFileReachesTheFieldAndOnlyOkStoresIt) {
    const std::string chosen = Path("notify.sh");
    corvanta_test::WriteFileRaw(chosen, "#!/bin/sh\n");
    WindowRef w = Open("acti", "ActionsWindow");
    ASSERT_TRUE(ClickButton(w, "brow"));
    auto* dialog = qobject_cast<QFileDialog*>(NavDialogGetWindow(gOpenFileDialog));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible() && dialog->windowModality() == Qt::ApplicationModal);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    NavDialogRef first = gOpenFileDialog;
    EXPECT_EQ(ProcessHICommand(FourCharCode("brow"), w), noErr);
    EXPECT_EQ(gOpenFileDialog, first); // still the one
    ASSERT_TRUE(NavDialogCancel(gOpenFileDialog));
    EXPECT_EQ(Text(w, "acti", 143), "/usr/local/bin/on-battery");
    ClickButton(w, "brow");
    ASSERT_TRUE(NavDialogChooseFile(gOpenFileDialog, chosen));
    EXPECT_EQ(gOpenFileDialog, nullptr);
    EXPECT_EQ(Text(w, "acti", 143), chosen);
    EXPECT_TRUE(NothingWritten());
    ASSERT_TRUE(ClickButton(w, "ok  "));
    EXPECT_EQ(Line(30), chosen);
    // A path for an actions window that has gone is dropped.
    w = Open("acti", "ActionsWindow");
    ClickButton(w, "brow");
    NavDialogRef dialogOfGone = gOpenFileDialog;
    DisposeWindow(w);
    FlushDeletes();
    ASSERT_TRUE(NavDialogChooseFile(dialogOfGone, Path("other.sh")));
    EXPECT_EQ(std::string(PtUPSSts.CommandFile), chosen);
}

std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (SInt32 r = 0; r < GetListRowCount(ListIP); ++r)
        rows.push_back(GetListCellText(ListIP, Cell{r, 0}));
    return rows;
}

using EventLogWindow = DialogTest;

TEST_F(EventLogWindow, OneWindowNewestLineOnTopReadAgainOnlyAfterItsClose) {
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr); // no log yet: an empty list
    ASSERT_NE(ListIP, nullptr);
    EXPECT_TRUE(Rows().empty() && LogWindow->isVisible());
    LogWindow->close(); // the title bar's close button goes through the handlers
    EXPECT_EQ(LogWindow, nullptr);
    EXPECT_EQ(ListIP, nullptr);
    FlushDeletes();
    corvanta_test::WriteFileRaw(Path(LogFileName), "1 one\n2 two\n3 three\n");
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr);
    WindowRef first = LogWindow;
    EXPECT_TRUE(GetListDrawingMode(ListIP));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"three", "two", "one"}));
    // The list keeps a 10-pixel margin and room for its scroll bar.
    Rect r = GetListViewBounds(ListIP);
    EXPECT_EQ((std::array<int, 4>{r.top, r.left, r.bottom, r.right}),
              (std::array<int, 4>{10, 10, first->height() - 10, first->width() - 26}));
    corvanta_test::WriteFileRaw(Path(LogFileName), "  a\n  b\n");
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), eventNotHandledErr);
    EXPECT_EQ(WindowsNamed("EventLogWindow"), std::vector<WindowRef>{first});
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Send(first, kEventClassWindow, kEventWindowClose), noErr);
    EXPECT_FALSE(IsValidWindowPtr(first));
    FlushDeletes();
    EXPECT_EQ(OpenDialogWindow(FourCharCode("elog")), noErr);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"b", "a"}));
    // Presses in the list go to it, drawing frames it, other events are swallowed.
    FlushDeletes();
    r = GetListViewBounds(ListIP);
    EXPECT_EQ(MouseDown(LogWindow, static_cast<short>(r.left + 20), static_cast<short>(r.top + 27)),
              noErr);
    EXPECT_EQ(GetListSelectedRow(ListIP), 1);
    EXPECT_EQ(MouseDown(LogWindow, static_cast<short>(r.right + 8), static_cast<short>(r.top + 5)),
              noErr);
    // Outside the list and its scroll bar the click goes on unhandled.
    EXPECT_EQ(MouseDown(LogWindow, 3, 3), eventNotHandledErr);
    EXPECT_EQ(MouseDown(LogWindow, static_cast<short>(r.right + 20), 50), eventNotHandledErr);
    RecordingPort port;
    {
        PortGuard guard(&port);
        EXPECT_EQ(Send(LogWindow, kEventClassWindow, kEventWindowDrawContent), noErr);
    }
    ASSERT_EQ(port.ops.size(), 1u);
    const Rect f = port.ops[0].rect;
    EXPECT_EQ(port.ops[0].kind, DrawOp::Frame);
    EXPECT_EQ((std::array<int, 4>{f.top, f.left, f.bottom, f.right}),
              (std::array<int, 4>{r.top - 1, r.left - 1, r.bottom + 1, r.right + 1}));
    EXPECT_EQ(Send(LogWindow, kEventClassControl, kEventControlClick), noErr);
}

} // namespace
