// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Inside the dialogs: the schedule window's hold on the shared calendar.
#pragma once

#include "Toolbox.h"

// Where the calendar view last placed day 1 and the last day (grid cells).
extern int BeginBlock;
extern int EndBlock;

// Loads the calendar for a new schedule window and counts the window in.
void OpenScheduleCalendar(WindowRef window);
