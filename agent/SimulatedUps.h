// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A UPS that plays a scenario, one second per Poll.
#pragma once

#include <cstdint>

#include "Scenario.h"
#include "UpsSource.h"

class SimulatedUps : public UpsSource {
  public:
    explicit SimulatedUps(Scenario scenario);

    UpsReading Poll() override;
    UpsRatings Ratings() const override { return scenario_.Ratings; }
    std::string Name() const override { return "simulated UPS"; }
    bool StartSelfTest(bool deep, std::string* note) override;
    bool TurnOffAfter(int seconds, std::string* note) override;

    // Seconds played so far.
    long Elapsed() const { return tick_; }

  private:
    struct Ramp {
        bool Active = false;
        int From = 0, To = 0, Start = 0, Seconds = 0;
    };
    void ApplyStep(const ScenarioStep& step, int t);
    int NextNoise(int amplitude);

    Scenario scenario_;
    long tick_ = 0;
    std::size_t next_ = 0; // next step of the current cycle
    bool linkUp_ = true;
    std::int32_t status_ = 0;
    int base_[ItemCount] = {};
    int noise_[ItemCount] = {};
    Ramp ramps_[ItemCount];
    int testSecondsLeft_ = 0;
    std::uint32_t seed_ = 12345;
};
