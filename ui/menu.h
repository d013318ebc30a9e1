// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands, tabs and meter selectors, the About window, and
// the small text routines the windows share.
#pragma once

#include <string>

#include "Events.h"
#include "Toolbox.h"

extern WindowRef AboutWindow;
// Element 0 is the number of tab panes, then the numbers of the 'tabs' panes.
extern int tabList[4];
extern int lastTabIndex;

// The central handler of the application, the main window and its tab control.
OSStatus HandleEventProc(EventHandlerCallRef handlerRef, EventRef event, void* userData);
// Shows the pane of the selected tab, hides and disables the others.
void SelectItemOfTabControl(ControlRef tabControl);
// The user guide as HTML, which Help > User guide opens:
// <the program's folder>/../share/corvanta/guide/user-guide.html.
std::string UserGuidePath();
// The About window's close.
OSStatus AboutWindowEventHandler(EventHandlerCallRef handlerRef, EventRef event, void* userData);

// Fills both meter selectors with the names of the supported measurements
// and shows Main_Meter[0] and Main_Meter[1] in them.
void FillMeterSelectors();

// English month name of Mon (1..12) into buffer (10 bytes); any other number
// leaves buffer as it was.
void GetMonthStr(int Mon, char* buffer);
// C string to a length-prefixed string (at most 255 characters are taken).
void CStrToStr255(unsigned char* pStr, const char* cStr);
