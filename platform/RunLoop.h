// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The application's run loop and its repeating timer.
#pragma once

#include "Toolbox.h"

struct EventLoop;
using EventLoopRef = EventLoop*;
struct EventLoopTimer;
using EventLoopTimerRef = EventLoopTimer*;
using EventLoopTimerProcPtr = void (*)(EventLoopTimerRef, void*);
using EventLoopTimerUPP = EventLoopTimerProcPtr;

constexpr double kEventDurationSecond = 1.0;

EventLoopRef GetCurrentEventLoop();
// First firing after fireDelay seconds, then every interval seconds (0: once).
OSStatus InstallEventLoopTimer(EventLoopRef loop, double fireDelay, double interval,
                               EventLoopTimerUPP proc, void* userData, EventLoopTimerRef* outTimer);
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);

// Dispatches events and timer firings until the loop is asked to quit.
void RunApplicationEventLoop();
void QuitApplicationEventLoop();
// Ends the run: the loop stops and start-up's caller returns. In tests, where
// no loop runs, only the request is noted.
void ExitToShell();
bool ExitToShellRequested();
// Stops and removes every installed timer (tests that start afresh).
void RemoveAllEventLoopTimers();
// SIGTERM, SIGINT and SIGHUP send the application's Quit command, so the run
// ends the way the menu's Quit ends it. Once, before the loop runs.
void QuitOnTerminationSignals();
