// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// corvanta-agent --history-report: the outage table of the power history,
// read without disturbing an agent that is writing it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "CalendarDate.h"

// Prints the outages since the local midnight that starts since (all of them
// without it) up to now: an aligned table with the totals under it, or CSV.
// The history is opened as HistoryDb checks it (the program folder's through
// the folder's handle) and read under its time budget, with at most as many
// rows as the History window reads. Problems go to err. Returns the exit
// status: 0, or 1 when the history cannot be read, is not the agent's, or is
// too large to read in time.
int PrintHistoryReport(const std::string& folder, std::optional<CivilDate> since, std::int64_t now,
                       bool csv, std::FILE* out, std::FILE* err);
