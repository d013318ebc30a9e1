// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
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
    // [Agent] ServiceUser: the user (name or number) an agent of the system
    // runs as instead of root; its values file is believed too. Set in the
    // file only.
    std::string serviceUser;
};

// Reads the preferences and puts the stale limit and the service user in
// force.
void LoadPreferences();
// Stores them and puts them in force. When the preferences file cannot be
// written nothing changes and *error (if given) says where and why.
bool SavePreferences(const MonitorPreferences& prefs, std::string* error = nullptr);
const MonitorPreferences& Preferences();
bool NoticeWanted(NoticeGroup group);
// [Tray] HideNoticeShown: the notice that the monitor keeps running in the
// tray was shown once, ever; kept apart from the preferences window's values.
bool HideNoticeShown();
void NoteHideNoticeShown();

// Opens the preferences window, or raises the open one.
void OpenPreferencesWindow();
