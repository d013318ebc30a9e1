// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's word on its Network UPS Tools server (ZAN_NUT.DAT): its role,
// the other computers on the UPS, a forced shutdown and what the server
// refuses. No Qt.
#pragma once

#include <optional>

#include "NutState.h"

// After each read of the values: takes the file when it is a regular file of
// an agent's user and the values are live (a file a stopped agent left, or
// one beside a UPS that does not answer, says nothing). An unchanged file is
// not read again.
void ReadNutStatus();
// What the last ReadNutStatus believed; none for a simulated UPS, a foreign
// or malformed file, or values that are not live.
const std::optional<NutState>& NutStatusNow();
