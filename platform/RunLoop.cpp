// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunLoop.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <set>
#include <unistd.h>

#include "Events.h"
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

int gSignalPipe[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the pipe, which the
// loop reads as an ordinary event.
void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

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

void QuitOnTerminationSignals() {
    if (gSignalPipe[0] >= 0 || pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    // Owned by the application, so it goes before the application does.
    auto* notifier =
        new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char bytes[16];
        while (read(gSignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        if (!ExitToShellRequested()) ProcessHICommand(kHICommandQuit, nullptr);
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}
