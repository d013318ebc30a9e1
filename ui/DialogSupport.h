// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What every dialog does with its controls: fill a pop-up, read and set a
// control by its number, read the command of a command event.
#pragma once

#include <string>

#include "DialogTables.h"
#include "Events.h"
#include "Toolbox.h"
#include "file.h"

// Replaces the pop-up's items, sets its maximum and shows the item; with
// draw the control is redrawn at once.
void FillPopup(WindowRef window, OSType signature, SInt32 id, const ItemList& items, SInt32 value,
               bool draw);
void SetValueOf(WindowRef window, OSType signature, SInt32 id, SInt32 value, bool draw);
SInt32 ValueOf(WindowRef window, OSType signature, SInt32 id);
void SetTextOf(WindowRef window, OSType signature, SInt32 id, const std::string& text, bool draw);
std::string TextOf(WindowRef window, OSType signature, SInt32 id);
ControlRef ControlOf(WindowRef window, OSType signature, SInt32 id);

// The window's content rectangle, its top left at (0, 0).
Rect GetWindowContentBounds(WindowRef window);

// What a failed save is about, for the message.
enum class SavedWhat { Settings, Calendar };
// Tells the user, over window, what a save could not do and why (error names
// the file); true when it all went well. A window whose save failed stays
// open with what the user entered, to be fixed and saved again or cancelled.
bool ReportSave(WindowRef window, SaveResult result, const std::string& error, SavedWhat what);
// Saves next as the settings in force (WriteUPSSts) and reports a failure.
bool SaveSettings(WindowRef window, const UPSSts& next);

// The command ID of a command event, 0 for any other event.
UInt32 CommandOfEvent(EventRef event);

// The event lists the window commands attach their handlers for.
extern const EventTypeSpec kCloseList[1];
extern const EventTypeSpec kCommandList[1];
extern const EventTypeSpec kWindowMouseList[4];
// The same and the arrow keys on the calendar.
extern const EventTypeSpec kScheduleList[5];
