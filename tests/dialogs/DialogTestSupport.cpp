#include "DialogTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "ScheduleModel.h"
#include "ScheduleWindow.h"
#include "UiTesting.h"
#include "Windows.h"
#include "file.h"

namespace dialogs_test {

namespace {

void CloseEverything() {
    if (gOpenFileDialog) {
        NavDialogDispose(gOpenFileDialog);
        gOpenFileDialog = nullptr;
    }
    if (ListIP) LDispose(ListIP);
    ListIP = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (IsValidWindowPtr(w)) DisposeWindow(w);
    FlushDeletes();
    LogWindow = nullptr;
    ActionsWindow = nullptr;
    ResetScheduleWindows();
    SelectYear = SelectMonth = SelectDay = 0;
    BeginBlock = EndBlock = 0;
}

} // namespace

void DialogTest::SetUp() {
    corvanta_test::CoreTest::SetUp();
    CloseEverything();
}

void DialogTest::TearDown() {
    CloseEverything();
    corvanta_test::CoreTest::TearDown();
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::vector<WindowRef> WindowsNamed(const std::string& name) {
    std::vector<WindowRef> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (IsValidWindowPtr(w) && GetWindowName(w) == name) found.push_back(w);
    return found;
}

WindowRef OnlyWindow(const std::string& name) {
    std::vector<WindowRef> found = WindowsNamed(name);
    EXPECT_EQ(found.size(), 1u) << name;
    return found.empty() ? nullptr : found.front();
}

ControlRef Control(WindowRef window, const char* signature, SInt32 id) {
    const ControlID cid{FourCharCodeFromText(signature), id};
    ControlRef control = nullptr;
    EXPECT_EQ(GetControlByID(window, &cid, &control), noErr) << signature << " " << id;
    return control;
}

SInt32 Value(WindowRef window, const char* signature, SInt32 id) {
    return GetControlValue(Control(window, signature, id));
}

void SetValue(WindowRef window, const char* signature, SInt32 id, SInt32 value) {
    SetControlValue(Control(window, signature, id), value);
}

std::string Text(WindowRef window, const char* signature, SInt32 id) {
    return GetControlText(Control(window, signature, id));
}

void SetText(WindowRef window, const char* signature, SInt32 id, const std::string& text) {
    SetControlText(Control(window, signature, id), text);
}

std::vector<std::string> Items(WindowRef window, const char* signature, SInt32 id) {
    MenuRef menu = GetControlPopupMenuRef(Control(window, signature, id));
    std::vector<std::string> items;
    for (UInt16 i = 1; i <= CountMenuItems(menu); ++i)
        items.push_back(GetMenuItemText(menu, i));
    return items;
}

bool ClickButton(WindowRef window, const char* command) {
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (b->property("command").toString().toStdString() == command) {
            b->click();
            return true;
        }
    }
    return false;
}

OSStatus MouseDown(WindowRef window, short h, short v) {
    ToolboxEvent down;
    down.eventClass = kEventClassMouse;
    down.eventKind = kEventMouseDown;
    down.window = window;
    down.hasMouse = true;
    down.mouse = Point{v, h};
    return SendEventToEventTarget(&down, GetWindowEventTarget(window));
}

OSStatus CloseBox(WindowRef window) {
    ToolboxEvent close;
    close.eventClass = kEventClassWindow;
    close.eventKind = kEventWindowClose;
    close.window = window;
    return SendEventToEventTarget(&close, GetWindowEventTarget(window));
}

std::string SettingsLine(const std::string& folder, int line) {
    const std::vector<std::string> lines =
        corvanta_test::SplitLines(corvanta_test::ReadFile(folder + "/" + SettingsFileName));
    return line >= 1 && static_cast<std::size_t>(line) <= lines.size()
               ? lines[static_cast<std::size_t>(line - 1)]
               : std::string("<missing>");
}

std::string CommandFileText(const std::string& folder) {
    return corvanta_test::ReadFile(folder + "/" + CommandFileName);
}

} // namespace dialogs_test
