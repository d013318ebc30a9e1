// What tests reset in the monitor between cases. Production code never
// includes this header.
#pragma once

// The tick and the status evaluation back to their start-of-run state:
// remembered minute -1, remembered status word 0.
void ResetMonitorState();
