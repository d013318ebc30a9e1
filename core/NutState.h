// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// ZAN_NUT.DAT: what the agent on a Network UPS Tools server tells the monitor
// beyond the values record, which keeps its fixed size: the agent's role at
// the server, how many other computers are logged in to the UPS, whether the
// UPS's primary ordered this computer down, and why the server does not
// serve the agent as it should. Written by the agent only (replaced whole
// when it changes), absent for a simulated UPS.
#pragma once

#include <cstddef>
#include <string>

constexpr const char* NutStateFileName = "ZAN_NUT.DAT";
// A real one is a few short lines.
constexpr std::size_t NutStateFileCap = 4096;

enum class NutRole { Observer, Secondary, Primary };

struct NutState {
    NutRole Role = NutRole::Observer;
    // Other computers logged in to the UPS at the server; -1: not known.
    int Others = -1;
    // The UPS's primary ordered a forced shutdown and this computer obeys.
    bool Forced = false;
    // Why the server does not serve the agent as configured ("login refused
    // by the UPS server"); empty when it does. One line.
    std::string Problem;
    bool operator==(const NutState&) const = default;
};

// "role=primary\nothers=2\nforced=0\nproblem=\n"
std::string EncodeNutState(const NutState& s);
// Unknown keys are skipped (a newer agent may add some); false when the
// role is missing or a known value is malformed.
bool ParseNutState(const std::string& text, NutState* out);
const char* NutRoleName(NutRole role);
