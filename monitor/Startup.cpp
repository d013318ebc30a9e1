// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: settings, next scheduled events, the custom control classes, the
// menu bar and main window with the central handler, the tab pane, the timer.
#include <cstdio>

#include "Accessible.h"
#include "Controls.h"
#include "Events.h"
#include "Folder.h"
#include "FolderWatch.h"
#include "Schedule.h"
#include "Translation.h"
#include "Windows.h"
#include "file.h"
#include "menu.h"
#include "monitor.h"
#include "screen.h"

bool StartMonitor(bool showWindow) {
    // No shutdown is pending until someone says so.
    PtUPSVal.DownTime = -1;
    LoadUPSSts();
    LoadRatings();
    GetNext();
    RegisterCustomControls();
    InstallPanelAccessibility();
    MyCreateWindow("main", "MainMenu", "MainWindow", &MainWindow);
    if (!MainWindow) {
        std::fprintf(stderr, "corvanta-monitor: %s\n",
                     Translated("CommandLine",
                                "the main window cannot be built from the interface description")
                         .c_str());
        return false;
    }

    const EventTypeSpec appEvents[] = {{kEventClassCommand, kEventCommandProcess},
                                       {kEventClassApplication, kEventAppQuit}};
    InstallEventHandler(GetApplicationEventTarget(), HandleEventProc, 2, appEvents, nullptr,
                        nullptr);
    const EventTypeSpec windowEvents[] = {{kEventClassWindow, kEventWindowClose},
                                          {kEventClassWindow, kEventWindowDrawContent},
                                          {kEventClassControl, kEventControlClick}};
    InstallEventHandler(GetWindowEventTarget(MainWindow), HandleEventProc, 3, windowEvents,
                        MainWindow, nullptr);

    ControlRef tabs = MainControl(kTabControl);
    if (!tabs) {
        std::fprintf(stderr, "corvanta-monitor: %s\n",
                     Translated("CommandLine", "the main window has no tab control").c_str());
        return false;
    }
    const EventTypeSpec tabEvents[] = {{kEventClassControl, kEventControlHit}};
    InstallEventHandler(GetControlEventTarget(tabs), HandleEventProc, 1, tabEvents, nullptr,
                        nullptr);
    // The keys go to the tab control first: the window opens with none of
    // its readings framed.
    SetKeyboardFocus(MainWindow, tabs, kControlFocusNextPart);
    lastTabIndex = GetControlValue(tabs);
    SelectItemOfTabControl(tabs);
    FillMeterSelectors();

    // Read before the first frame: it shows the agent's values or the
    // waiting state, never a guess.
    ReadAndShowValues();
    if (showWindow) ShowWindow(MainWindow);
    InstallEventLoopTimer(GetCurrentEventLoop(), 0.0, kEventDurationSecond, MyTimer, nullptr,
                          nullptr);
    // A new values file is shown at once rather than at the next tick.
    WatchFolderFile(FolderFile("."), ValuesFileName, ReadAndShowValues);
    return true;
}
