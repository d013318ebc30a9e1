// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's reading of the monitor's calendar ZAN_CALENDAR.DAT. The file
// belongs to the monitor; the agent only reads it, by the base year on its
// first line: the first 2232 rows are that year, the next 2232 the year
// after. So a year-old file still schedules this year from its second
// half, and an older or a future file schedules nothing.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "Ups.h"

class AgentCalendar {
  public:
    enum class LoadResult { Loaded, Missing, Refused };
    // Reads the file; on Missing or Refused the calendar is left empty, and
    // *why says what was wrong with a refused file.
    LoadResult Load(const std::string& path, uid_t folderOwner, std::string* why);
    void Clear();

    int BaseYear() const { return baseYear_; }
    // The entry k (0..5) of the given civil day; an empty entry when the
    // day lies outside the two years of the file.
    ScheduleStr Entry(int year, int month, int day, int k) const;
    // How many non-empty entries the calendar holds.
    int Count() const;

  private:
    int baseYear_ = 0;
    std::vector<ScheduleStr> rows_;
};
