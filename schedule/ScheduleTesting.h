// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What tests reset in the schedule layer between cases. Production code
// never includes this header.
#pragma once

// The scheduled checks back to their start-of-run state.
void ResetScheduleState();
// The schedule window's calendar back to no users and no calendar.
void ResetCalendarUsers();
