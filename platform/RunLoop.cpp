#include "RunLoop.h"

#include <QApplication>
#include <QTimer>
#include <cmath>
#include <set>

#include "PlatformTesting.h"

struct EventLoop {};

struct EventLoopTimer {
    QTimer timer;
    EventLoopTimerUPP proc = nullptr;
    void* userData = nullptr;
    int intervalMs = 0;
    bool fired = false;
};

namespace {

EventLoop gMainLoop;
bool gQuitRequested = false;
bool gExitRequested = false;
std::set<EventLoopTimer*> gTimers;

int ToMs(double seconds) {
    return seconds <= 0 ? 0 : static_cast<int>(std::lround(seconds * 1000));
}

} // namespace

EventLoopRef GetCurrentEventLoop() {
    return &gMainLoop;
}

OSStatus InstallEventLoopTimer(EventLoopRef, double fireDelay, double interval,
                               EventLoopTimerUPP proc, void* userData,
                               EventLoopTimerRef* outTimer) {
    if (!proc) return paramErr;
    auto* t = new EventLoopTimer; // lives until RemoveEventLoopTimer or the end of the run
    t->proc = proc;
    t->userData = userData;
    t->intervalMs = ToMs(interval);
    t->timer.setSingleShot(true);
    t->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&t->timer, &QTimer::timeout, [t] {
        if (!t->fired) {
            t->fired = true;
            // After the first firing the timer repeats at its interval.
            if (t->intervalMs > 0) {
                t->timer.setSingleShot(false);
                t->timer.start(t->intervalMs);
            }
        }
        t->proc(t, t->userData);
    });
    t->timer.start(ToMs(fireDelay));
    gTimers.insert(t);
    if (outTimer) *outTimer = t;
    return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer) {
    if (!timer) return paramErr;
    timer->timer.stop();
    gTimers.erase(timer);
    delete timer;
    return noErr;
}

void RunApplicationEventLoop() {
    if (gQuitRequested) return;
    QApplication::exec();
}

void QuitApplicationEventLoop() {
    gQuitRequested = true;
    QCoreApplication::exit(0);
}

void ExitToShell() {
    gExitRequested = true;
    QuitApplicationEventLoop();
}

bool ExitToShellRequested() {
    return gExitRequested;
}

void ResetExitToShellRequest() {
    gExitRequested = false;
    gQuitRequested = false;
}

void RemoveAllEventLoopTimers() {
    for (EventLoopTimer* t : gTimers) {
        t->timer.stop();
        delete t;
    }
    gTimers.clear();
}
