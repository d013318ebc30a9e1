// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the command file: the chosen file's full path goes into the
// command-file field of the newest actions window; OK there stores it.
#include "Controls.h"
#include "DialogSupport.h"
#include "Dialogs.h"
#include "Windows.h"

NavDialogRef gOpenFileDialog = nullptr;

namespace {

NavEventUPP privateEventUPP = nullptr;

} // namespace

NavEventUPP GetNavFileEventUPP() {
    if (privateEventUPP == nullptr) privateEventUPP = MyNavFileEventProc;
    return privateEventUPP;
}

void HandleOpenFile() {
    if (gOpenFileDialog != nullptr) {
        if (WindowRef window = NavDialogGetWindow(gOpenFileDialog)) SelectWindow(window);
        return;
    }
    NavDialogCreationOptions options;
    NavGetDefaultDialogCreationOptions(&options);
    options.optionFlags |= kNavSupportPackages | kNavAllowOpenPackages;
    options.modality = kWindowModalityAppModal;
    if (NavCreateGetFileDialog(&options, GetNavFileEventUPP(), nullptr, &gOpenFileDialog) !=
        noErr) {
        gOpenFileDialog = nullptr;
        return;
    }
    if (NavDialogRun(gOpenFileDialog) != noErr) {
        NavDialogDispose(gOpenFileDialog);
        gOpenFileDialog = nullptr;
    }
}

void MyNavFileEventProc(NavEventCallbackMessage callbackSelector, NavCBRecPtr callbackParms,
                        NavCallBackUserData) {
    if (callbackParms == nullptr) return;
    switch (callbackSelector) {
    case kNavCBUserAction: {
        if (callbackParms->userAction != kNavUserActionOpen) break;
        NavReplyRecord reply;
        if (NavDialogGetReply(callbackParms->context, &reply) != noErr) break;
        FSRef ref;
        if (NavDialogGetUserAction(callbackParms->context) == kNavUserActionOpen &&
            AEGetNthFSRef(&reply, 1, &ref) == noErr) {
            // The whole path goes into the field, however long: the field is
            // not a fixed buffer, and OK refuses a path the settings cannot
            // hold instead of cutting it.
            // The newest actions window may have gone while an older one
            // asked for the chooser.
            ControlRef field = IsValidWindowPtr(ActionsWindow)
                                   ? ControlOf(ActionsWindow, FourCharCode("acti"), 143)
                                   : nullptr;
            if (field != nullptr) {
                SetControlText(field, ref.path);
                Draw1Control(field);
            }
        }
        NavDisposeReply(&reply);
        break;
    }
    case kNavCBTerminate:
        if (callbackParms->context == gOpenFileDialog) {
            NavDialogDispose(gOpenFileDialog);
            gOpenFileDialog = nullptr;
        }
        break;
    default:
        break;
    }
}
