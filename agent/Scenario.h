// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Scenarios of the simulated UPS: timed steps of status changes and
// measurement values, read from a small text format (see agent/README.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "UpsSource.h"

enum class StepKind {
    Set,    // Item := Value
    Ramp,   // Item moves linearly to Value over Seconds
    Noise,  // Item jitters by up to Value around its set value (0: steady)
    Status, // Status bits: SetMask on, ClearMask off
    Link,   // Value 1: the UPS answers, 0: it does not
    End,    // the cycle ends here and starts again from 0
    Sleep,  // the computer sleeps Value seconds here (suspend, hibernate)
};

struct ScenarioStep {
    int Time = 0; // seconds from the start of the cycle
    StepKind Kind = StepKind::Set;
    int Item = 0;
    int Value = 0; // tenths of the unit for Set, Ramp and Noise
    int Seconds = 0;
    std::int32_t SetMask = 0;
    std::int32_t ClearMask = 0;
    int Line = 0; // line of the scenario text, for messages
};

struct Scenario {
    std::vector<ScenarioStep> Steps; // in time order
    int Length = 0;                  // cycle length in seconds; 0: play once and hold
    UpsRatings Ratings;
    int FullRuntime = 0; // seconds a full battery lasts; 0: no estimate reported
    std::int32_t SupportItem = 0;
    std::int32_t StatusAvail = 0;
};

// Parses scenario text. On error returns false with "line N: what" in *error.
bool ParseScenario(const std::string& text, Scenario* out, std::string* error);
// Reads and parses a scenario file; errors name the file.
bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error);
// The built-in scenario: mains, power failure, battery drained to low,
// recovery, about three minutes, then again.
const char* DefaultScenarioText();

// Status bit by its name without the UPS_ prefix ("ACFAIL"); 0 when unknown.
std::int32_t StatusMaskByName(const std::string& name);
// Catalogue slot by number ("4") or by name without blanks, any case
// ("InputVoltage"); -1 when unknown.
int ItemByName(const std::string& name);
// "230.5" -> 2305 tenths; false when not a number with at most one decimal
// or when it does not fit a short.
bool ParseTenths(const std::string& text, int* tenths);
