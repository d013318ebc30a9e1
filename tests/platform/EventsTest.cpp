// Handler chains, propagation and the default behaviour of the event layer.
#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Controls.h"
#include "Events.h"
#include "PlatformTesting.h"
#include "RunLoop.h"
#include "Windows.h"

namespace {

std::vector<std::string> gCalls;

struct Behaviour {
    std::string name;
    OSStatus result;
    bool callNext = false;
};

OSStatus Recorder(EventHandlerCallRef call, EventRef event, void* userData) {
    auto* b = static_cast<Behaviour*>(userData);
    gCalls.push_back(b->name);
    if (b->callNext) {
        CallNextEventHandler(call, event);
        gCalls.push_back(b->name + ":after");
    }
    (void)event;
    return b->result;
}

const EventTypeSpec kClick{kEventClassControl, kEventControlClick};
const EventTypeSpec kCommand{kEventClassCommand, kEventCommandProcess};
const EventTypeSpec kClose{kEventClassWindow, kEventWindowClose};

OSStatus SendClick(QWidget* control) {
    ToolboxEvent e;
    e.eventClass = kEventClassControl;
    e.eventKind = kEventControlClick;
    e.control = control;
    return SendEventToEventTarget(&e, GetControlEventTarget(control));
}

class EventsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gCalls.clear();
        window = new QWidget;
        control = new QWidget(window);
        control->setObjectName("main_150");
    }
    void TearDown() override { delete window; }
    QWidget* window = nullptr;
    QWidget* control = nullptr;
};

} // namespace

TEST(FourCharCode, FirstCharacterIsMostSignificant) {
    EXPECT_EQ(FourCharCode("prop"), 0x70726F70u);
    EXPECT_EQ(FourCharCode("ok  "), 0x6F6B2020u);
    EXPECT_EQ(FourCharCodeFromText("ok"), FourCharCode("ok  "));
    EXPECT_EQ(FourCharCodeText(FourCharCode("not!")), "not!");
}

TEST_F(EventsTest, NewestHandlerFirstAndHandledStops) {
    Behaviour older{"older", noErr}, newer{"newer", noErr};
    InstallEventHandler(GetControlEventTarget(control), Recorder, 1, &kClick, &older, nullptr);
    InstallEventHandler(GetControlEventTarget(control), Recorder, 1, &kClick, &newer, nullptr);
    EXPECT_EQ(SendClick(control), noErr);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"newer"}));
}

TEST_F(EventsTest, NotHandledPassesOnThenUpToWindowAndApplication) {
    Behaviour c1{"control-old", eventNotHandledErr}, c2{"control-new", eventNotHandledErr};
    Behaviour w{"window", eventNotHandledErr}, a{"app", eventNotHandledErr};
    InstallEventHandler(GetControlEventTarget(control), Recorder, 1, &kClick, &c1, nullptr);
    InstallEventHandler(GetControlEventTarget(control), Recorder, 1, &kClick, &c2, nullptr);
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &kClick, &w, nullptr);
    EventHandlerRef appRef = nullptr;
    InstallEventHandler(GetApplicationEventTarget(), Recorder, 1, &kClick, &a, &appRef);
    EXPECT_EQ(SendClick(control), eventNotHandledErr);
    RemoveEventHandler(appRef);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"control-new", "control-old", "window", "app"}));
}

TEST_F(EventsTest, HandlersSeeOnlyTheirEventTypes) {
    Behaviour cmd{"command-only", noErr};
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &kCommand, &cmd, nullptr);
    EXPECT_EQ(SendClick(control), eventNotHandledErr);
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(EventsTest, CallNextRunsTheRestOnceAndTheDispatcherStops) {
    Behaviour w{"window", noErr};
    Behaviour first{"first", eventNotHandledErr, true};
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &kClick, &w, nullptr);
    InstallEventHandler(GetControlEventTarget(control), Recorder, 1, &kClick, &first, nullptr);
    EXPECT_EQ(SendClick(control), eventNotHandledErr);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"first", "window", "first:after"}));
}

TEST_F(EventsTest, ParametersByType) {
    ToolboxEvent e;
    e.eventClass = kEventClassControl;
    e.eventKind = kEventControlClick;
    e.control = control;
    ControlRef got = nullptr;
    EXPECT_EQ(GetEventParameter(&e, kEventParamDirectObject, typeControlRef, nullptr, sizeof(got),
                                nullptr, &got),
              noErr);
    EXPECT_EQ(got, control);
    HICommand command{};
    EXPECT_EQ(GetEventParameter(&e, kEventParamDirectObject, typeHICommand, nullptr,
                                sizeof(command), nullptr, &command),
              eventParameterNotFoundErr);
    EXPECT_EQ(
        GetEventParameter(&e, kEventParamDirectObject, typeControlRef, nullptr, 1, nullptr, &got),
        paramErr);
    EXPECT_EQ(GetEventClass(&e), kEventClassControl);
    EXPECT_EQ(GetEventKind(&e), kEventControlClick);
}

TEST(WindowEvents, ButtonCommandGoesToItsWindowThenTheApplication) {
    gCalls.clear();
    WindowRef window = nullptr;
    MyCreateWindow("main", nullptr, "LogManageWindow", &window);
    ASSERT_NE(window, nullptr);
    Behaviour w{"window", eventNotHandledErr}, a{"app", noErr};
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &kCommand, &w, nullptr);
    EventHandlerRef appRef = nullptr;
    InstallEventHandler(GetApplicationEventTarget(), Recorder, 1, &kCommand, &a, &appRef);
    auto* ok = window->findChild<QPushButton*>("okButton");
    ASSERT_NE(ok, nullptr);
    ok->click();
    RemoveEventHandler(appRef);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"window", "app"}));
    DisposeWindow(window);
}

namespace {
HICommand gLastCommand{};
OSStatus CommandCatcher(EventHandlerCallRef, EventRef event, void*) {
    GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof(HICommand),
                      nullptr, &gLastCommand);
    return noErr;
}
} // namespace

TEST(WindowEvents, MenuItemsSendTheirCommandsToTheApplication) {
    WindowRef window = nullptr;
    MyCreateWindow("main", "MainMenu", "MainWindow", &window);
    ASSERT_NE(window, nullptr);
    EventHandlerRef ref = nullptr;
    InstallEventHandler(GetApplicationEventTarget(), CommandCatcher, 1, &kCommand, nullptr, &ref);
    for (const char* code : {"absa", "prop", "logm", "sche", "acti", "elog", "cshu"}) {
        gLastCommand = {};
        const OSType command = FourCharCodeFromText(code);
        EXPECT_TRUE(SelectMenuCommand(command)) << code;
        EXPECT_EQ(gLastCommand.commandID, command) << code;
    }
    RemoveEventHandler(ref);
    DisposeWindow(window);
}

TEST(WindowEvents, UnhandledCloseDisposesAndHandledCloseKeepsTheWindow) {
    WindowRef window = nullptr;
    MyCreateWindow("main", nullptr, "AboutWindow", &window);
    ASSERT_NE(window, nullptr);
    window->show();
    Behaviour keep{"keep", noErr};
    EventHandlerRef ref = nullptr;
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &kClose, &keep, &ref);
    window->close();
    EXPECT_TRUE(IsValidWindowPtr(window));
    EXPECT_TRUE(window->isVisible());
    RemoveEventHandler(ref);
    window->close();
    EXPECT_FALSE(IsValidWindowPtr(window));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CountWindowsNamed("AboutWindow"), 0);
}

TEST(WindowEvents, UnhandledQuitEndsTheRunLoop) {
    ResetExitToShellRequest();
    EXPECT_EQ(ProcessHICommand(kHICommandQuit, nullptr), noErr);
    // The quit request makes a later RunApplicationEventLoop return at once.
    RunApplicationEventLoop();
    ResetExitToShellRequest();
}
