// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor's reader of the agent's word on its UPS server, on any bytes:
// what it takes, written again and read back, says the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "NutState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NutState state;
    if (!ParseNutState(std::string(reinterpret_cast<const char*>(data), size), &state)) return 0;
    const std::string text = EncodeNutState(state);
    NutState again;
    if (!ParseNutState(text, &again) || EncodeNutState(again) != text) std::abort();
    return 0;
}
