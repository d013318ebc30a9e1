// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// corvanta-monitor [--folder DIR] [--hidden] [--snapshot FILE.png [--after SECONDS]]
//                  [--help] [--version]
#pragma once

#include <string>

struct MonitorOptions {
    std::string folder;   // empty: CORVANTA_FOLDER or the default folder
    std::string snapshot; // empty: run until quit
    double after = 3.0;   // seconds before the snapshot
    bool hidden = false;  // start in the tray, the main window closed
};

enum class CommandLineResult { Run, Help, Version, Error };

// Parses the arguments after the program name. On Error, *message says why.
CommandLineResult ParseCommandLine(int argc, const char* const* argv, MonitorOptions* options,
                                   std::string* message);

std::string UsageText();

// Whether the main window opens at start-up: always, unless asked to start
// hidden where a tray can bring it back.
bool OpensMainWindow(const MonitorOptions& options, bool trayAvailable);
