// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The scenario parser on any text: a scenario it accepts is well formed
// (steps in time order, items in the catalogue, no bit the agent keeps for
// itself) and plays without fault; one it refuses names the line.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "Scenario.h"
#include "SimulatedUps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scenario scenario;
    std::string error;
    if (!ParseScenario(std::string(reinterpret_cast<const char*>(data), size), &scenario, &error)) {
        FUZZ_CHECK(error.rfind("line ", 0) == 0);
        return 0;
    }
    constexpr std::int32_t AgentBits = UPS_COMMERR | UPS_LOADWARN | UPS_LOADSEVERITY;
    int last = 0;
    for (const auto& step : scenario.Steps) {
        FUZZ_CHECK(step.Time >= last);
        last = step.Time;
        if (step.Kind == StepKind::Set || step.Kind == StepKind::Ramp ||
            step.Kind == StepKind::Noise)
            FUZZ_CHECK(step.Item >= 0 && step.Item < ItemCount);
        FUZZ_CHECK(((step.SetMask | step.ClearMask) & AgentBits) == 0);
    }
    FUZZ_CHECK(scenario.Length == 0 || scenario.Length >= last);

    // Two cycles (bounded), so every ramp, noise and the wrap are played.
    SimulatedUps ups(scenario);
    const long polls = std::min<long>(2L * (scenario.Length ? scenario.Length : last) + 3, 2000);
    for (long i = 0; i < polls; ++i)
        FUZZ_CHECK((ups.Poll().Status & AgentBits) == 0);
    return 0;
}
