// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The secondary windows: property, log settings, schedule, actions and event
// log, with their filling, handlers and the command-file chooser.
#pragma once

#include <cstdint>

#include "Events.h"
#include "FileChooser.h"
#include "List.h"
#include "Toolbox.h"

// Opens the window of a window command ('prop', 'logm', 'sche', 'acti',
// 'elog', 'hist'): creates it, attaches its handlers, fills it and shows it. Returns
// what the main window's handler reports for the command, and
// eventNotHandledErr for any other command.
OSStatus OpenDialogWindow(std::uint32_t commandID);

// The newest actions window (the chooser writes into it) and the one event
// log window with its list; none until opened.
extern WindowRef ActionsWindow;
extern WindowRef LogWindow;
extern ListHandle ListIP;

// ---- filling ----
void FillPropertyWindow(WindowRef window);
void FillLogManageWindow(WindowRef window);
void FillScheduleWindow(WindowRef window);
void FillActionsWindow(WindowRef window);
void SetScheduleControls(WindowRef wr);
void SetLogControls();

// ---- handlers ----
OSStatus PropertyWindowEventHandler(EventHandlerCallRef handlerRef, EventRef event, void* userData);
OSStatus ActionsWindowEventHandler(EventHandlerCallRef handlerRef, EventRef event, void* userData);
OSStatus ScheduleWindowEventHandler(EventHandlerCallRef handlerRef, EventRef event, void* userData);
OSStatus ScheduleProc(EventHandlerCallRef handlerRef, EventRef event, void* userData);
OSStatus LogWindowEventHandler(EventHandlerCallRef handlerRef, EventRef event, void* userData);
OSStatus ListIPProc(EventHandlerCallRef handlerRef, EventRef event, void* userData);
OSStatus LogManageWindowEventHandler(EventHandlerCallRef handlerRef, EventRef event,
                                     void* userData);

// ---- the command-file chooser ----
void HandleOpenFile();
NavEventUPP GetNavFileEventUPP();
void MyNavFileEventProc(NavEventCallbackMessage callbackSelector, NavCBRecPtr callbackParms,
                        NavCallBackUserData callbackUD);
// The open chooser, or none.
extern NavDialogRef gOpenFileDialog;
