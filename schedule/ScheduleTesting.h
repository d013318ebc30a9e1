// What tests reset in the schedule layer between cases. Production code
// never includes this header.
#pragma once

// The scheduled checks back to their start-of-run state.
void ResetScheduleState();
// The schedule window's calendar back to no users and no calendar.
void ResetCalendarUsers();
