// What tests reset in the windows layer between cases. Production code never
// includes this header.
#pragma once

// Forgets every schedule window and the calendar they shared.
void ResetScheduleWindows();
