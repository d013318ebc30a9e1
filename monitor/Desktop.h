// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor's place on the desktop: the tray icon, the notifications and
// the preferences command.
#pragma once

#include "DesktopState.h"

class QImage;

// The tray's picture of a state at size px: a battery, filled to charge (%)
// where that tells something. lost: the state is only the last known one,
// dimmed under the mark of the lost link.
QImage TrayIconImage(TrayState state, int charge, int size, bool lost = false);

// After start-up: the tray icon when withTray (closing the main window then
// hides it there), the notifier, and the preferences command.
void StartDesktop(bool withTray);
// After each tick and read, once the panel has noted the values: the tray
// and the notifications follow the state.
void UpdateDesktop();
// Takes the tray and the notifier away; before the application goes.
void StopDesktop();
