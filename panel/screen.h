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
