// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What tests reset in the core between cases. Production code never
// includes this header.
#pragma once

#include <string>

// Forgets the values reader's memory: first read, followed countdown, what
// the last read found.
void ResetReadUPSValState();

// Puts the agent's lock files in these folders instead of root's runtime
// folder and this user's own; an empty string puts that one back.
void SetAgentLockPlaces(const std::string& rootPlace, const std::string& ownPlace);

// Back to plain paths under CurDir, the folder's handle closed.
void StopFolderHandle();
