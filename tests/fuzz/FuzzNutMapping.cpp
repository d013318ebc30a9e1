// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping of upsd's variables on any answer ("name value" per line): a
// slot is reported exactly when one of its variables carries a plain
// number, numbers land within a tenth of their value, and no status bit is
// set that is not also declared available.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "NutMapping.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NutVariables vars;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; std::getline(in, line);)
        if (const std::size_t blank = line.find(' '); blank != std::string::npos)
            vars[line.substr(0, blank)] = line.substr(blank + 1);

    for (const auto& [name, value] : vars) {
        short tenths = 0;
        if (!NutTenths(value, &tenths)) continue;
        const double exact = std::strtod(value.c_str(), nullptr) * 10.0;
        const long long rounded =
            std::clamp<long long>(std::llround(std::clamp(exact, -1e9, 1e9)), SHRT_MIN, SHRT_MAX);
        FUZZ_CHECK(std::llabs(rounded - tenths) <= 1);
    }

    const NutMapped m = MapNutVariables(vars);
    const UpsReading& r = m.Reading;
    FUZZ_CHECK(r.Connected == !m.Waiting);
    if (m.Waiting) return 0;
    FUZZ_CHECK((r.Status & ~r.StatusAvail) == 0);
    std::int32_t slots = 0;
    for (std::size_t i = 0; i < NutSlotSourceCount; ++i) {
        const NutSlotSource& s = NutSlotSources[i];
        bool reported = false;
        for (const char* name : s.Names) {
            short v = 0;
            const auto it = name ? vars.find(name) : vars.end();
            if (it != vars.end() && NutTenths(it->second, &v)) {
                FUZZ_CHECK(r.ItemVal[s.Slot] == v); // the first one reported wins
                reported = true;
                break;
            }
        }
        FUZZ_CHECK(((r.SupportItem >> s.Slot) & 1) == reported);
        slots |= std::int32_t{1} << s.Slot;
    }
    FUZZ_CHECK((r.SupportItem & ~slots) == 0);
    for (int slot = 0; slot < ItemCount; ++slot)
        if (!((r.SupportItem >> slot) & 1)) FUZZ_CHECK(r.ItemVal[slot] == 0);
    return 0;
}
