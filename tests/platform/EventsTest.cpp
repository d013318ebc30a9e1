// The event layer: handler chains and propagation, commands from buttons and
// menus, the default close and quit, the repeating timer and the folder watch.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "PlatformTestSupport.h"

namespace {

std::vector<std::string> gCalls;

struct Handler {
    std::string name;
    char target; // 'c' the control, 'w' its window, 'a' the application
    OSStatus result;
    bool callNext = false;
    bool commandOnly = false;
};

OSStatus Recorder(EventHandlerCallRef call, EventRef event, void* userData) {
    auto* h = static_cast<Handler*>(userData);
    gCalls.push_back(h->name);
    if (h->callNext) {
        CallNextEventHandler(call, event);
        gCalls.push_back(h->name + ":after");
    }
    return h->result;
}

const EventTypeSpec kClick{kEventClassControl, kEventControlClick};
const EventTypeSpec kCommand{kEventClassCommand, kEventCommandProcess};

// Waits for real timer or file events, at most five seconds.
void ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace

TEST(Events, FourCharCodesPutTheFirstCharacterHighest) {
    EXPECT_EQ(FourCharCode("prop"), 0x70726F70u);
    EXPECT_EQ(FourCharCodeFromText("ok"), FourCharCode("ok  "));
    EXPECT_EQ(FourCharCodeText(FourCharCode("not!")), "not!");
}

TEST(Events, HandlersRunNewestFirstThenUpToWindowAndApplication) {
    const struct {
        const char* what;
        std::vector<Handler> handlers; // in the order installed
        OSStatus result;
        std::vector<std::string> calls;
    } cases[] = {
        {"handled stops", {{"old", 'c', noErr}, {"new", 'c', noErr}}, noErr, {"new"}},
        {"not handled goes up",
         {{"c1", 'c', eventNotHandledErr},
          {"c2", 'c', eventNotHandledErr},
          {"w", 'w', eventNotHandledErr},
          {"a", 'a', eventNotHandledErr}},
         eventNotHandledErr,
         {"c2", "c1", "w", "a"}},
        {"other event types", {{"cmd", 'w', noErr, false, true}}, eventNotHandledErr, {}},
        {"call next runs the rest once",
         {{"w", 'w', noErr}, {"first", 'c', eventNotHandledErr, true}},
         eventNotHandledErr,
         {"first", "w", "first:after"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gCalls.clear();
        QWidget window;
        auto* control = new QWidget(&window);
        control->setObjectName("main_150");
        std::vector<Handler> handlers = c.handlers;
        std::vector<EventHandlerRef> refs(handlers.size());
        for (std::size_t i = 0; i < handlers.size(); ++i) {
            Handler& h = handlers[i];
            EventTargetRef target = h.target == 'c'   ? GetControlEventTarget(control)
                                    : h.target == 'w' ? GetWindowEventTarget(&window)
                                                      : GetApplicationEventTarget();
            InstallEventHandler(target, Recorder, 1, h.commandOnly ? &kCommand : &kClick, &h,
                                &refs[i]);
        }
        ToolboxEvent e;
        e.eventClass = kEventClassControl;
        e.eventKind = kEventControlClick;
        e.control = control;
        EXPECT_EQ(SendEventToEventTarget(&e, GetControlEventTarget(control)), c.result);
        EXPECT_EQ(gCalls, c.calls);
        for (EventHandlerRef ref : refs)
            RemoveEventHandler(ref);
        // Parameters by type: the control is there, a command is not.
        ControlRef got = nullptr;
        HICommand command{};
        EXPECT_EQ(GetEventParameter(&e, kEventParamDirectObject, typeControlRef, nullptr,
                                    sizeof got, nullptr, &got),
                  noErr);
        EXPECT_EQ(got, control);
        EXPECT_EQ(GetEventParameter(&e, kEventParamDirectObject, typeHICommand, nullptr,
                                    sizeof command, nullptr, &command),
                  eventParameterNotFoundErr);
        EXPECT_EQ(GetEventParameter(&e, kEventParamDirectObject, typeControlRef, nullptr, 1,
                                    nullptr, &got),
                  paramErr);
    }
}

TEST(Events, ButtonsAndMenuItemsSendTheirCommands) {
    gCalls.clear();
    WindowRef window = nullptr;
    MyCreateWindow("main", "MainMenu", "LogManageWindow", &window);
    ASSERT_NE(window, nullptr);
    Handler w{"window", 'w', eventNotHandledErr}, a{"app", 'a', noErr};
    EventHandlerRef refs[2] = {};
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &kCommand, &w, &refs[0]);
    InstallEventHandler(GetApplicationEventTarget(), Recorder, 1, &kCommand, &a, &refs[1]);
    window->findChild<QPushButton*>("okButton")->click();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"window", "app"}));
    RemoveEventHandler(refs[0]);
    RemoveEventHandler(refs[1]);
    static HICommand last;
    auto catcher = [](EventHandlerCallRef, EventRef event, void*) -> OSStatus {
        GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof(HICommand),
                          nullptr, &last);
        return noErr;
    };
    InstallEventHandler(GetApplicationEventTarget(), catcher, 1, &kCommand, nullptr, &refs[1]);
    for (const char* code : {"absa", "prop", "logm", "sche", "acti", "elog", "cshu"}) {
        last = {};
        EXPECT_TRUE(SelectMenuCommand(FourCharCodeFromText(code))) << code;
        EXPECT_EQ(last.commandID, FourCharCodeFromText(code)) << code;
    }
    RemoveEventHandler(refs[1]);
    DisposeWindow(window);
}

TEST(Events, UnhandledCloseDisposesAndUnhandledQuitEndsTheRunLoop) {
    WindowRef window = nullptr;
    MyCreateWindow("main", nullptr, "AboutWindow", &window);
    window->show();
    Handler keep{"keep", 'w', noErr};
    EventHandlerRef ref = nullptr;
    const EventTypeSpec close{kEventClassWindow, kEventWindowClose};
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &close, &keep, &ref);
    window->close();
    EXPECT_TRUE(IsValidWindowPtr(window) && window->isVisible());
    RemoveEventHandler(ref);
    window->close();
    EXPECT_FALSE(IsValidWindowPtr(window));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CountWindowsNamed("AboutWindow"), 0);
    ResetExitToShellRequest();
    EXPECT_EQ(ProcessHICommand(kHICommandQuit, nullptr), noErr);
    RunApplicationEventLoop(); // returns at once: the quit was requested
    ResetExitToShellRequest();
}

TEST(Events, TheTimerFiresAtOnceThenRepeats) {
    static int firings = 0;
    int mine = 0;
    EventLoopTimerRef timer = nullptr;
    auto count = [](EventLoopTimerRef, void* data) { ++firings, ++*static_cast<int*>(data); };
    ASSERT_EQ(InstallEventLoopTimer(GetCurrentEventLoop(), 0.0, 0.02, count, &mine, &timer), noErr);
    ProcessUntil([] { return firings >= 3; });
    RemoveEventLoopTimer(timer);
    EXPECT_GE(firings, 3);
    EXPECT_EQ(mine, firings);
}

TEST(Events, TheFolderWatchReportsItsOwnFileOnce) {
    QTemporaryDir dir;
    const std::string at = dir.path().toStdString() + "/";
    int seen = 0;
    ASSERT_TRUE(WatchFolderFile(dir.path().toStdString(), "watched", [&] { ++seen; }));
    std::fclose(std::fopen((at + "other").c_str(), "wb"));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 200);
    EXPECT_EQ(seen, 0);
    std::fclose(std::fopen((at + "watched.tmp").c_str(), "wb"));
    ASSERT_EQ(std::rename((at + "watched.tmp").c_str(), (at + "watched").c_str()), 0);
    std::remove((at + "watched").c_str());
    ProcessUntil([&] { return seen > 0; });
    StopWatchingFolderFile();
    EXPECT_EQ(seen, 1) << "one call for the queued events of one file";
}
