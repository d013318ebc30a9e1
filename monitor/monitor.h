// The monitoring core: start-up, the one-second tick, status evaluation,
// status lights and the shutdown countdown, with the process-wide window
// references of the front end.
#pragma once

#include "RunLoop.h"
#include "Toolbox.h"
#include "Ups.h"

extern WindowRef MainWindow;
extern WindowRef AboutWindow;
// Element 0 is the number of tab panes, then the numbers of the 'tabs' panes.
extern int tabList[4];
extern int lastTabIndex;

// Start-up up to the run loop: settings, next events, classes, the menu bar
// and main window with their handlers, the shown tab pane and the timer.
// CurDir must already be fixed. False (with a message on stderr) when the
// main window cannot be built from the interface description.
bool StartMonitor();

// One tick of the repeating timer.
void MyTimer(EventLoopTimerRef inTimer, void* param);
// The read-and-evaluate part of the tick, without the countdown's second:
// at start-up and whenever the agent replaces the values file.
void ReadAndShowValues();

void CheckStatus();
void SetStatusLight(int OnNum, int OffNum);
void CountDown();

// Back to the start-of-run state of the tick and the status evaluation
// (tests): remembered minute -1, remembered status word 0.
void ResetMonitorState();
