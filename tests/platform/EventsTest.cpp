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

// A handler as "<target><answer><name>": target c (the control), w (its
// window) or a (the application); answer + handled, - not handled, > not
// handled after calling the next handlers, ! handled but installed for
// commands only.
OSStatus Recorder(EventHandlerCallRef call, EventRef event, void* userData) {
    const std::string& how = *static_cast<std::string*>(userData);
    gCalls.push_back(how.substr(2));
    if (how[1] == '>') {
        CallNextEventHandler(call, event);
        gCalls.push_back(how.substr(2) + ":after");
    }
    return how[1] == '+' || how[1] == '!' ? noErr : eventNotHandledErr;
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
    using Strings = std::vector<std::string>;
    const struct {
        Strings handlers; // in the order installed
        OSStatus result;
        Strings calls;
    } cases[] = {
        {{"c+old", "c+new"}, noErr, {"new"}},
        {{"c-c1", "c-c2", "w-w", "a-a"}, eventNotHandledErr, {"c2", "c1", "w", "a"}},
        {{"w!cmd"}, eventNotHandledErr, {}},
        {{"w+w", "c>first"}, eventNotHandledErr, {"first", "w", "first:after"}},
    };
    for (const auto& c : cases) {
        gCalls.clear();
        QWidget window;
        auto* control = new QWidget(&window);
        Strings handlers = c.handlers;
        std::vector<EventHandlerRef> refs(handlers.size());
        for (std::size_t i = 0; i < handlers.size(); ++i)
            InstallEventHandler(handlers[i][0] == 'c'   ? GetControlEventTarget(control)
                                : handlers[i][0] == 'w' ? GetWindowEventTarget(&window)
                                                        : GetApplicationEventTarget(),
                                Recorder, 1, handlers[i][1] == '!' ? &kCommand : &kClick,
                                &handlers[i], &refs[i]);
        ToolboxEvent e;
        e.eventClass = kEventClassControl;
        e.eventKind = kEventControlClick;
        e.control = control;
        EXPECT_EQ(SendEventToEventTarget(&e, GetControlEventTarget(control)), c.result);
        EXPECT_EQ(gCalls, c.calls) << c.handlers[0];
        for (EventHandlerRef ref : refs)
            RemoveEventHandler(ref);
        // Parameters by type and size: the control is there, a command is not.
        auto get = [&](OSType type, std::size_t size, void* out) {
            return GetEventParameter(&e, kEventParamDirectObject, type, nullptr, size, nullptr,
                                     out);
        };
        ControlRef got = nullptr;
        HICommand command{};
        EXPECT_EQ(get(typeControlRef, sizeof got, &got), noErr);
        EXPECT_EQ(got, control);
        EXPECT_EQ(get(typeHICommand, sizeof command, &command), eventParameterNotFoundErr);
        EXPECT_EQ(get(typeControlRef, 1, &got), paramErr);
    }
}

TEST(Events, ButtonsAndMenuItemsSendTheirCommands) {
    gCalls.clear();
    WindowRef window = nullptr;
    MyCreateWindow("main", "MainMenu", "LogManageWindow", &window);
    ASSERT_NE(window, nullptr);
    std::string w = "w-window", a = "a+app";
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
    std::string keep = "w+keep";
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
    static int firings;
    firings = 0;
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
