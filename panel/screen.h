// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument panel: the eleven custom control classes of the main and
// schedule windows and their drawing.
#pragma once

#include "Events.h"
#include "QuickDraw.h"
#include "Toolbox.h"

// The main window once built: none before start-up and after Quit.
extern WindowRef MainWindow;
// Control (signature, number) of the main window, or none.
ControlRef MainControl(OSType signature, int number);
// Redraws that control of the main window, if it exists.
void RedrawMainControl(OSType signature, int number);

// Grid cells of the first and the last day of the month the calendar view
// drew last; the schedule window turns clicks into days with them.
extern int BeginBlock;
extern int EndBlock;

// Whether PtUPSVal holds the agent's current values: read from a fresh file
// and not flagged as a lost link. Otherwise the gauges show no figure.
bool ValuesAreLive();

// After each tick and read: notes whether any values were read since the
// start and whether the countdown just ran out, and dims the status lights
// while the link is lost (they keep the last known state).
void FollowValues();
// Whether the status word holds values once read: the last known ones while
// the link is lost.
bool ValuesKnown();
// Whether the computer is shutting down as far as the values tell: the agent
// says so (UPS_SHUTACT, kept as the last known state when the link goes), or
// the countdown ran out a moment ago and the agent's next values are not in.
bool ShuttingDown();

// Registers "Countdown" .. "Calendar" with CustEventHandler as their drawing.
void RegisterCustomControls();
// Draws a custom control by its title; always answers noErr.
OSStatus CustEventHandler(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void* inUserData);

void SetmyColor(RGBColor* rc, int red, int green, int blue);
// The analog meter of catalogue slot index.
void DrawMeter(ControlRef theControl, int index);
// The 20-segment battery gauge; Val in tenths of a percent.
void DrawBatteryLevel(ControlRef theControl, int Val);
// One bold line of text over the whole control.
void DrawCustString(ControlRef theControl, const char* PtString, int fontSize, int R, int G, int B);
// The month calendar of the schedule window whose control ('sche', 128) is drawn.
void DrawCustCalendar(WindowRef userData);
