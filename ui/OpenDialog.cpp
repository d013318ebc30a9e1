// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The window commands of the menu: each creates its window from the
// interface description, attaches its handlers, fills it and shows it.
#include "DialogSupport.h"
#include "Dialogs.h"
#include "HistoryWindow.h"
#include "ScheduleWindow.h"
#include "Windows.h"

namespace {

WindowRef CreateDialog(const char* name) {
    WindowRef window = nullptr;
    MyCreateWindow("main", nullptr, name, &window);
    return window;
}

// A window already open comes to the front instead of a second copy, whose
// OK would overwrite what the first one stored.
bool RaiseOpenWindow(const char* name) {
    WindowRef open = FindWindowNamed(name);
    if (open) SelectWindow(open);
    return open != nullptr;
}

OSStatus Attach(WindowRef window, EventHandlerUPP handler, const EventTypeSpec* list,
                std::size_t count, void* userData) {
    return InstallEventHandler(GetWindowEventTarget(window), handler, count, list, userData,
                               nullptr);
}

} // namespace

OSStatus OpenDialogWindow(std::uint32_t commandID) {
    switch (commandID) {
    case FourCharCode("prop"): {
        if (RaiseOpenWindow("PropertyWindow")) return eventNotHandledErr;
        WindowRef window = CreateDialog("PropertyWindow");
        if (!window) return eventNotHandledErr;
        Attach(window, PropertyWindowEventHandler, kCommandList, 1, window);
        FillPropertyWindow(window);
        ShowWindow(window);
        return eventNotHandledErr;
    }
    case FourCharCode("logm"): {
        if (RaiseOpenWindow("LogManageWindow")) return eventNotHandledErr;
        WindowRef window = CreateDialog("LogManageWindow");
        if (!window) return eventNotHandledErr;
        Attach(window, LogManageWindowEventHandler, kCommandList, 1, window);
        FillLogManageWindow(window);
        ShowWindow(window);
        return eventNotHandledErr;
    }
    case FourCharCode("sche"): {
        if (RaiseOpenWindow("ScheduleWindow")) return eventNotHandledErr;
        WindowRef window = CreateDialog("ScheduleWindow");
        if (!window) return eventNotHandledErr;
        Attach(window, ScheduleWindowEventHandler, kCommandList, 1, window);
        Attach(window, ScheduleProc, kScheduleList, 5, window);
        OpenScheduleCalendar(window);
        FillScheduleWindow(window);
        ShowWindow(window);
        return eventNotHandledErr;
    }
    case FourCharCode("acti"): {
        if (RaiseOpenWindow("ActionsWindow")) return eventNotHandledErr;
        WindowRef window = CreateDialog("ActionsWindow");
        if (!window) return eventNotHandledErr;
        ActionsWindow = window;
        Attach(window, ActionsWindowEventHandler, kCommandList, 1, window);
        FillActionsWindow(window);
        ShowWindow(window);
        return eventNotHandledErr;
    }
    case FourCharCode("elog"): {
        if (LogWindow != nullptr) {
            SelectWindow(LogWindow);
            return eventNotHandledErr;
        }
        LogWindow = CreateDialog("EventLogWindow");
        if (!LogWindow) return eventNotHandledErr;
        const OSStatus status = Attach(LogWindow, LogWindowEventHandler, kCloseList, 1, LogWindow);
        SetLogControls();
        Attach(LogWindow, ListIPProc, kWindowMouseList, 4, nullptr);
        if (ListIP != nullptr) {
            LSetDrawingMode(true, ListIP);
            ShowWindow(LogWindow);
            SelectWindow(LogWindow);
        }
        return status;
    }
    case FourCharCode("hist"):
        OpenHistoryWindow();
        return eventNotHandledErr;
    default:
        return eventNotHandledErr;
    }
}
