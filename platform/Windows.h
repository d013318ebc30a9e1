// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Windows and the menu bar from the interface description (Qt Designer .ui
// files compiled in as resources under :/ui/), and what the front end does
// with a window afterwards.
#pragma once

#include <string>

#include "Toolbox.h"

struct NibReference;
using IBNibRef = NibReference*;

// "main" is the one description; it names the folder of .ui files.
OSStatus CreateNibReference(const std::string& nibName, IBNibRef* outNibRef);
// Builds the menu bar; it joins the next main window created.
OSStatus SetMenuBarFromNib(IBNibRef nibRef, const std::string& menuName);
OSStatus CreateWindowFromNib(IBNibRef nibRef, const std::string& windowName, WindowRef* outWindow);
void DisposeNibReference(IBNibRef nibRef);

// Opens the description, sets the menu bar when a menu name is given and
// creates the named window into *MyWinRef; a failing step leaves *MyWinRef as
// it was. Null names are skipped.
void MyCreateWindow(const char* NibString, const char* MenuString, const char* WinString,
                    WindowRef* MyWinRef);

// A window other than the main window is a dialog of it: a child of the main
// window, centred over it when first shown, and of fixed size unless its
// description marks it "resizable". In a dialog, Escape presses Cancel or
// Close (or closes a window without either) and Enter presses the focused
// button or OK.
void ShowWindow(WindowRef window);
// The window the dialogs belong to (the main window); null before it exists.
WindowRef GetDialogOwner();
// Brings the window to the front.
void SelectWindow(WindowRef window);
// The message of the window's status bar (a main window's, when its
// description gives it one); an empty text clears it.
void SetWindowStatusText(WindowRef window, const std::string& text);
std::string GetWindowStatusText(WindowRef window);

// Kept by the window registry (Registry.cpp), which the event layer uses too.
// Removes the window at once (its handlers go with it).
void DisposeWindow(WindowRef window);
// Whether the window exists and has not been disposed of.
bool IsValidWindowPtr(WindowRef window);
// The window's name in the description ("MainWindow", ...).
std::string GetWindowName(WindowRef window);
// Live windows created from the description with that name.
int CountWindowsNamed(const std::string& windowName);
// A live window with that name, null when none is open.
WindowRef FindWindowNamed(const std::string& windowName);

// The menu bar set from the description, if any (tests trigger its items).
QWidget* GetMenuBar();
// The menu bar's items that send the command (menu null: the whole menu
// bar) can be chosen, or are greyed out; a greyed item sends nothing.
void EnableMenuCommand(MenuRef menu, OSType commandID);
void DisableMenuCommand(MenuRef menu, OSType commandID);
bool IsMenuCommandEnabled(MenuRef menu, OSType commandID);
// Triggers the menu item that sends the command, as a user's choice would.
// False when no item sends it.
bool SelectMenuCommand(OSType commandID);
