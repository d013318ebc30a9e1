// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What tests reset in the windows layer between cases. Production code never
// includes this header.
#pragma once

// Forgets every schedule window and the calendar they shared.
void ResetScheduleWindows();

#include <string>
// Where Help > User guide looks; empty: beside the program again.
void SetUserGuidePath(const std::string& path);
