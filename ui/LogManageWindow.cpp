// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The log settings window: how many entries the agent keeps in its log.
#include "DialogSupport.h"
#include "Dialogs.h"
#include "Windows.h"
#include "file.h"

namespace {

constexpr OSType kLogm = FourCharCode("logm");

} // namespace

void FillLogManageWindow(WindowRef window) {
    FillPopup(window, kLogm, 128, LogEntryItems(), LogEntryItem(PtUPSSts.LogEntry), true);
}

OSStatus LogManageWindowEventHandler(EventHandlerCallRef, EventRef event, void* userData) {
    auto window = static_cast<WindowRef>(userData);
    switch (CommandOfEvent(event)) {
    case kHICommandOK: {
        UPSSts next = PtUPSSts;
        next.LogEntry = LogEntryOfItem(ValueOf(window, kLogm, 128));
        if (SaveSettings(window, next)) DisposeWindow(window);
        return noErr;
    }
    case kHICommandCancel:
        DisposeWindow(window);
        return noErr;
    default:
        return eventNotHandledErr;
    }
}
