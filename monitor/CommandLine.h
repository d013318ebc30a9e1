// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// corvanta-monitor [--folder DIR] [--snapshot FILE.png [--after SECONDS]]
//                  [--help] [--version]
#pragma once

#include <string>

struct MonitorOptions {
    std::string folder;   // empty: CORVANTA_FOLDER or the default folder
    std::string snapshot; // empty: run until quit
    double after = 3.0;   // seconds before the snapshot
};

enum class CommandLineResult { Run, Help, Version, Error };

// Parses the arguments after the program name. On Error, *message says why.
CommandLineResult ParseCommandLine(int argc, const char* const* argv, MonitorOptions* options,
                                   std::string* message);

std::string UsageText();
