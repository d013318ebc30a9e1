// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How the variables a Network UPS Tools server reports for one UPS become
// the agent's reading: status tokens to status bits, measurements to
// catalogue slots in tenths, nominal values to the ratings. Pure functions,
// so the whole table is tested without a server.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "UpsSource.h"

// One answer of LIST VAR: variable name to its value.
using NutVariables = std::map<std::string, std::string>;

// At or above this temperature (tenths of a degree Celsius) the UPS counts
// as overheated, whatever its own alarm says.
constexpr int NutOverheatTenths = 500;

// The status bits of the ups.status tokens alone ("OL CHRG", "OB LB", ...).
std::int32_t NutStatusBits(std::string_view status);

// A measurement text ("230.4", "-1.25", "100") in tenths, rounded half away
// from zero and held to the range of a short; false when it is no plain
// decimal number.
bool NutTenths(std::string_view text, short* out);

struct NutMapped {
    // ups.status reads WAIT (or is missing): the driver has no data yet, so
    // the UPS counts as not yet connected.
    bool Waiting = false;
    UpsReading Reading;
    UpsRatings Ratings;
};

NutMapped MapNutVariables(const NutVariables& vars);

// Catalogue slot of each NUT variable, for the README table and the tests:
// the first name a UPS reports wins for its slot.
struct NutSlotSource {
    int Slot;
    const char* Names[3]; // preferred first; unused entries are null
};
extern const NutSlotSource NutSlotSources[];
extern const std::size_t NutSlotSourceCount;
