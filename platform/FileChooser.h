// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The file-open dialog: an application-modal Qt file dialog (Qt's own
// widgets, never the desktop's native one, so that it behaves the same on
// every display and tests can answer it). Running it returns at once; the
// dialog's life then goes through its event callback: a user action when the
// user opens or cancels, then the terminate message.
#pragma once

#include <string>
#include <vector>

#include "Toolbox.h"

struct NavDialog;
using NavDialogRef = NavDialog*;

using NavEventCallbackMessage = SInt32;
constexpr NavEventCallbackMessage kNavCBEvent = 0;
constexpr NavEventCallbackMessage kNavCBTerminate = 3;
constexpr NavEventCallbackMessage kNavCBUserAction = 12;

using NavUserAction = UInt32;
constexpr NavUserAction kNavUserActionNone = 0;
constexpr NavUserAction kNavUserActionCancel = 1;
constexpr NavUserAction kNavUserActionOpen = 2;

constexpr UInt32 kNavSupportPackages = 4096;
constexpr UInt32 kNavAllowOpenPackages = 8192;

enum WindowModality { kWindowModalityNone = 0, kWindowModalityAppModal = 2 };

struct NavDialogCreationOptions {
    UInt32 optionFlags = 0;
    WindowModality modality = kWindowModalityNone;
    std::string windowTitle;
};

struct NavCBRec {
    NavDialogRef context;
    NavUserAction userAction;
};
using NavCBRecPtr = NavCBRec*;

using NavCallBackUserData = void*;
using NavEventProcPtr = void (*)(NavEventCallbackMessage, NavCBRecPtr, NavCallBackUserData);
using NavEventUPP = NavEventProcPtr;

// A file reference is its full path here.
struct FSRef {
    std::string path;
};

// The reply of an Open: the chosen files.
struct NavReplyRecord {
    bool validRecord = false;
    std::vector<FSRef> selection;
};

constexpr OSStatus errAEDescNotFound = -1701;
constexpr OSStatus errFSRefTooLong = -2110;

OSStatus NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* outOptions);
// inEventProc receives the messages; the user data comes back with them.
OSStatus NavCreateGetFileDialog(const NavDialogCreationOptions* inOptions, NavEventUPP inEventProc,
                                NavCallBackUserData inClientData, NavDialogRef* outDialog);
// Shows the dialog and returns; the answer arrives through the callback.
OSStatus NavDialogRun(NavDialogRef inDialog);
// Closes and forgets the dialog (it goes once the current event is done).
void NavDialogDispose(NavDialogRef inDialog);
// The dialog's window (a QFileDialog), null once it is gone.
WindowRef NavDialogGetWindow(NavDialogRef inDialog);
NavUserAction NavDialogGetUserAction(NavDialogRef inDialog);
OSStatus NavDialogGetReply(NavDialogRef inDialog, NavReplyRecord* outReply);
OSStatus NavDisposeReply(NavReplyRecord* inReply);
// Item `index` (1-based) of the reply's selection.
OSStatus AEGetNthFSRef(const NavReplyRecord* reply, long index, FSRef* outRef);

// ---- tests answer the dialog as a user would ----
// Chooses the file and presses Open. False when the dialog is not running.
bool NavDialogChooseFile(NavDialogRef inDialog, const std::string& path);
bool NavDialogCancel(NavDialogRef inDialog);
