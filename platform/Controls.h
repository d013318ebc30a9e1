// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Windows and controls by control ID. A control is the widget whose
// objectName is "<signature>_<number>" (e.g. "main_152"); a pop-up is a
// QComboBox (value = 1-based item, 0 = no item), a check box a QCheckBox, an
// edit text a QLineEdit, a tab control a QTabBar (value = 1-based tab), a
// custom control a widget of a registered class whose title is its class name.
#pragma once

#include <string>

#include "Toolbox.h"

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl);
OSStatus GetControlID(ControlRef control, ControlID* outId);
WindowRef GetControlOwner(ControlRef control);

SInt32 GetControlValue(ControlRef control);
// Pinned to the control's range as the platform does (a pop-up to 0..items).
void SetControlValue(ControlRef control, SInt32 value);
SInt32 GetControlMaximum(ControlRef control);
void SetControlMaximum(ControlRef control, SInt32 maximum);

// Shows or hides the control itself; with draw set it is redrawn at once.
OSStatus SetControlVisibility(ControlRef control, bool visible, bool draw);
bool IsControlVisible(ControlRef control);
OSStatus EnableControl(ControlRef control);
OSStatus DisableControl(ControlRef control);
bool IsControlEnabled(ControlRef control);
// The control that takes the keys whenever its window is active; part
// kControlFocusNoPart takes the focus away from it.
constexpr SInt16 kControlFocusNoPart = 0;
constexpr SInt16 kControlFocusNextPart = -1;
OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, SInt16 part);

// The title as a length-prefixed string (custom controls: their class name).
void GetControlTitle(ControlRef control, Str255 title);
std::string GetControlTitleText(ControlRef control);
void SetControlTitle(ControlRef control, const unsigned char* title); // length-prefixed
void SetControlTitleWithCFString(ControlRef control, const std::string& title);

// Text of an edit field or a static text, UTF-8.
std::string GetControlText(ControlRef control);
void SetControlText(ControlRef control, const std::string& text);

// The control's rectangle in its window's coordinates.
Rect* GetControlBounds(ControlRef control, Rect* bounds);

// Pop-up items: the menu of a pop-up is the pop-up itself.
MenuRef GetControlPopupMenuRef(ControlRef control);
UInt16 CountMenuItems(MenuRef menu);
void DeleteMenuItems(MenuRef menu, UInt16 firstItem, UInt32 numItems);
void AppendMenuItemText(MenuRef menu, const std::string& text);
std::string GetMenuItemText(MenuRef menu, UInt16 item);

// Redraw requests go through Qt's update machinery.
void Draw1Control(ControlRef control);
void DrawControls(WindowRef window);

// "main_152" style name of a control, "" for anything else.
std::string ControlName(ControlRef control);
