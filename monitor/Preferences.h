// The front end's own preferences, kept with QSettings in the user's
// configuration folder (Corvanta/corvanta-monitor.conf), apart from the
// settings file that the agent reads.
#pragma once

#include "DesktopState.h"
#include "file.h"

struct MonitorPreferences {
    // [Notify] Power, Battery, Link, Shutdown: which notifications are shown.
    bool notify[4] = {true, true, true, true};
    // [Tray] HideOnClose: closing the main window hides it to the tray.
    bool hideToTray = true;
    // [Values] StaleSeconds: how long the values file may stay unchanged
    // before the link counts as lost.
    int staleSeconds = DefaultStaleSeconds;
};

// Reads the preferences and puts the stale limit in force.
void LoadPreferences();
// Stores them and puts them in force.
void SavePreferences(const MonitorPreferences& prefs);
const MonitorPreferences& Preferences();
bool NoticeWanted(NoticeGroup group);

// Opens the preferences window, or raises the open one.
void OpenPreferencesWindow();
