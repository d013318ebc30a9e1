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

// Starting at login, through the desktop's autostart entries: the user's
// own $XDG_CONFIG_HOME/autostart/corvanta-monitor.desktop (default
// ~/.config/autostart), which overrides an entry of the same name that the
// package puts in the system's ($XDG_CONFIG_DIRS, default /etc/xdg).
std::string AutostartEntryPath();
// Whether the desktop starts the monitor at login: the user's entry when
// there is one (unless it says Hidden=true), else the system's.
bool StartsAtLogin();
// Writes the user's entry (atomically; Exec=corvanta-monitor --hidden), or
// takes it away: removed, or where the system has an entry, written with
// Hidden=true. False, with *error saying where and why, when it cannot be.
bool SetStartAtLogin(bool start, std::string* error);

// Opens the preferences window, or raises the open one.
void OpenPreferencesWindow();
