// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What tests reset in the monitor between cases. Production code never
// includes this header.
#pragma once

// The tick and the status evaluation back to their start-of-run state:
// remembered minute -1, remembered status word 0.
void ResetMonitorState();

class QSystemTrayIcon;
// The tray icon StartDesktop made, if any.
QSystemTrayIcon* DesktopTrayIcon();
// Whether the notification service has answered (or is known to be missing).
bool DesktopNotifierReady();
