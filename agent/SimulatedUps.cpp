// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimulatedUps.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "Clock.h"

namespace {
// How long the simulated self test shows UPS_TESTING.
constexpr int SelfTestSeconds = 10;
} // namespace

SimulatedUps::SimulatedUps(Scenario scenario) : scenario_(std::move(scenario)) {}

void SimulatedUps::ApplyStep(const ScenarioStep& step, int t) {
    switch (step.Kind) {
    case StepKind::Set:
        base_[step.Item] = step.Value;
        ramps_[step.Item].Active = false;
        break;
    case StepKind::Ramp:
        ramps_[step.Item] = {true, base_[step.Item], step.Value, t, step.Seconds};
        break;
    case StepKind::Noise:
        noise_[step.Item] = step.Value;
        break;
    case StepKind::Status:
        status_ = (status_ & ~step.ClearMask) | step.SetMask;
        break;
    case StepKind::Link:
        linkUp_ = step.Value != 0;
        break;
    case StepKind::Sleep:
        AddTestSleep(step.Value);
        break;
    case StepKind::End:
        break;
    }
}

int SimulatedUps::NextNoise(int amplitude) {
    // A fixed-seed generator keeps runs repeatable.
    seed_ = seed_ * 1103515245u + 12345u;
    int span = 2 * amplitude + 1;
    return static_cast<int>((seed_ >> 8) % static_cast<std::uint32_t>(span)) - amplitude;
}

UpsReading SimulatedUps::Poll() {
    int t;
    if (scenario_.Length > 0) {
        t = static_cast<int>(tick_ % scenario_.Length);
        if (t == 0 && tick_ > 0) {
            next_ = 0;
            for (auto& r : ramps_)
                r.Active = false;
        }
    } else {
        t = static_cast<int>(std::min<long>(tick_, INT_MAX));
    }
    while (next_ < scenario_.Steps.size() && scenario_.Steps[next_].Time <= t)
        ApplyStep(scenario_.Steps[next_++], t);
    ++tick_;

    UpsReading r;
    r.Connected = linkUp_;
    if (!linkUp_) r.Problem = "the scenario disconnects the UPS";
    r.SupportItem = scenario_.SupportItem;
    r.StatusAvail = scenario_.StatusAvail | UPS_TESTING;
    r.Status = status_;
    if (testSecondsLeft_ > 0) {
        r.Status |= UPS_TESTING;
        --testSecondsLeft_;
    }
    for (int i = 0; i < ItemCount; ++i) {
        Ramp& ramp = ramps_[i];
        if (ramp.Active) {
            int done = std::min(t - ramp.Start, ramp.Seconds);
            base_[i] = ramp.From + static_cast<int>(static_cast<long long>(ramp.To - ramp.From) *
                                                    done / ramp.Seconds);
            if (done >= ramp.Seconds) ramp.Active = false;
        }
        int v = base_[i];
        if (noise_[i] > 0) v += NextNoise(noise_[i]);
        r.ItemVal[i] = static_cast<short>(std::clamp(v, SHRT_MIN, SHRT_MAX));
    }
    // The time left follows the charge: good enough to drive the monitor.
    constexpr int BatteryLevelSlot = 2;
    if (scenario_.FullRuntime > 0 && ((r.SupportItem >> BatteryLevelSlot) & 1))
        r.BattEstimate = static_cast<short>(std::clamp(
            scenario_.FullRuntime * std::clamp<int>(r.ItemVal[BatteryLevelSlot], 0, 1000) / 1000, 0,
            SHRT_MAX));
    return r;
}

bool SimulatedUps::StartSelfTest(bool deep, std::string* note) {
    testSecondsLeft_ = deep ? 3 * SelfTestSeconds : SelfTestSeconds;
    *note = deep ? "simulated deep test" : "simulated quick test";
    return true;
}

bool SimulatedUps::TurnOffAfter(int seconds, std::string* note) {
    *note = "the simulated UPS would turn its output off after " + std::to_string(seconds) +
            " s and back on when the mains returns";
    return true;
}
