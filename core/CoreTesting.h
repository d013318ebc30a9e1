// What tests reset in the core between cases. Production code never
// includes this header.
#pragma once

// Forgets the values reader's memory: first read, followed countdown, what
// the last read found.
void ResetReadUPSValState();
