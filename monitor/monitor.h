// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The monitoring core: start-up, the one-second tick, status evaluation,
// status lights and the shutdown countdown.
#pragma once

#include "RunLoop.h"
#include "Toolbox.h"
#include "Ups.h"
#include "menu.h"
#include "screen.h"

// Start-up up to the run loop: settings, next events, classes, the menu bar
// and main window with their handlers, the shown tab pane and the timer.
// CurDir must already be fixed. False (with a message on stderr) when the
// main window cannot be built from the interface description. The main
// window is shown unless showWindow is false (started hidden in the tray).
bool StartMonitor(bool showWindow = true);

// One tick of the repeating timer.
void MyTimer(EventLoopTimerRef inTimer, void* param);
// The read-and-evaluate part of the tick, without the countdown's second:
// at start-up and whenever the agent replaces the values file.
void ReadAndShowValues();

void CheckStatus();
// Shows one picture of a status light and hides the other.
void SetStatusLight(const ControlID& shown, const ControlID& hidden);
void CountDown();
