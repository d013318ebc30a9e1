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

// The main window's controls, as its form names them ("main_155").
constexpr OSType kMainSignature = FourCharCode("main");
constexpr ControlID kCommunicationText{kMainSignature, 128};
constexpr ControlID kPowerSourceText{kMainSignature, 141};
constexpr ControlID kBatteryStatusText{kMainSignature, 142};
constexpr ControlID kBatteryGauge{kMainSignature, 155};
constexpr ControlID kBatteryFigure{kMainSignature, 157};
// The meter shows the first selector's choice; the second selector's choice
// is kept for the agent, which the note beside it says.
constexpr ControlID kMeterSelectors[2] = {{kMainSignature, 150}, {kMainSignature, 151}};
constexpr ControlID kMeter{kMainSignature, 152};
constexpr ControlID kMeterNote{kMainSignature, 153};
constexpr ControlID kLastReplacementDate{kMainSignature, 160};
constexpr ControlID kNextReplacementDate{kMainSignature, 161};
constexpr ControlID kNextShutdownText{kMainSignature, 162};
constexpr ControlID kCountdown{FourCharCode("tbut"), 128};
// The "Shutdown in" badge over the countdown.
constexpr ControlID kCountdownBadge{FourCharCode("cdic"), 128};
constexpr ControlID kTabControl{FourCharCode("tabs"), 128};
// The status lights 0 (communication lost) .. 6 (beeper on): each a lit and
// an unlit picture in one place, one of them shown.
constexpr int kStatusLights = 7;
constexpr ControlID LitLight(int n) {
    return {kMainSignature, 300 + n};
}
constexpr ControlID UnlitLight(int n) {
    return {kMainSignature, 320 + n};
}
// The month calendar of a schedule window.
constexpr ControlID kCalendar{FourCharCode("sche"), 128};

// That control of the main window, or none.
ControlRef MainControl(const ControlID& id);
// Redraws that control of the main window, if it exists.
void RedrawMainControl(const ControlID& id);

// Grid cells of the first and the last day of the month the calendar view
// drew last; the schedule window turns clicks into days with them.
extern int BeginBlock;
extern int EndBlock;

// Whether PtUPSVal holds the agent's current values: read from a fresh file
// and not flagged as a lost link. Otherwise the gauges show no figure.
bool ValuesAreLive();

// After each tick and read: notes whether any values were read since the
// start and whether the countdown just ran out, dims the status lights
// while the link is lost (they keep the last known state) and tells screen
// readers what changed.
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
// Full scale in whole units and the unit text ("V", "A", "%", "Hz", "C") of
// catalogue slot index on the meter.
void MeterScale(int index, int* MaxVal, const char** Unit);
// The analog meter of catalogue slot index.
void DrawMeter(ControlRef theControl, int index);
// The 20-segment battery gauge; Val in tenths of a percent.
void DrawBatteryLevel(ControlRef theControl, int Val);
// One bold line of text over the whole control.
void DrawCustString(ControlRef theControl, const char* PtString, int fontSize, int R, int G, int B,
                    short just = teFlushDefault);
// The month calendar of the schedule window whose kCalendar is drawn.
void DrawCustCalendar(WindowRef userData);
