// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the agent tests share: the core's private folder, on the test clock,
// a scripted UPS that also records the programs the agent starts, and file
// helpers. Header only: the agent layer's one test-support file.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Agent.h"
#include "CoreTestSupport.h"
#include "UpsSource.h"

namespace agent_test {

using corvanta_test::CalendarWith;
using corvanta_test::FileExists;
using corvanta_test::ReadFile;
using corvanta_test::SplitLines;

inline void WriteFile(const std::string& path, const std::string& text, int mode = 0644) {
    corvanta_test::WriteFileRaw(path, text);
    ::chmod(path.c_str(), static_cast<mode_t>(mode));
}

// A UPS whose next reading the test sets, and a runner that only records.
// Done lists what the agent had done, in order: "run PROGRAM ARGS...",
// "off SECONDS", "test", "deep test". FreshReading is handed out once.
class FakeUps : public UpsSource, public CommandRunner {
  public:
    UpsReading Next{true, 0, (1 << 2) | (1 << 4) | (1 << 15), 0, 0, {0, 0, 1000, 0, 2300}};
    std::vector<std::string> Done;
    std::optional<UpsReading> FreshReading;
    StartResult Answer = StartResult::Started; // and Why, when not Started
    std::string Why = "is writable by its group";
    std::optional<UpsSharing> Share; // a UPS shared through a server
    bool Resyncs = false;            // Resync() asks for a fresh reading

    FakeUps() { Next.ItemVal[15] = 300; }
    UpsReading Poll() override { return Next; }
    bool Fresh(UpsReading* out) override {
        if (!FreshReading) return false;
        *out = *std::exchange(FreshReading, std::nullopt);
        return true;
    }
    UpsRatings Ratings() const override { return {2300, 43, 240}; }
    std::string Name() const override { return "test UPS"; }
    bool StartSelfTest(bool deep, std::string* note) override {
        Done.push_back(deep ? "deep test" : "test");
        return *note = "test", true;
    }
    bool TurnOffAfter(int seconds, std::string* note) override {
        Done.push_back("off " + std::to_string(seconds));
        return *note = "turn off after " + std::to_string(seconds), true;
    }
    StartResult Start(const std::vector<std::string>& argv, const RunAs&,
                      std::string* why) override {
        std::string line = "run";
        for (const auto& a : argv)
            line += " " + a;
        if (Answer == StartResult::Started) Done.push_back(line);
        *why = Why;
        return Answer;
    }
    std::vector<ProgramEnd> Finished() override { return std::exchange(Ended, {}); }
    std::vector<ProgramEnd> Ended; // handed out at the next step
    std::optional<UpsSharing> Sharing() const override { return Share; }
    void OrderOthersDown() override {
        Done.push_back("order");
        if (Share) Share->OrderAnswered = Share->Ordered = true;
    }
    bool Resync() override { return Resyncs; }
};

// The core's private folder, and the clock at 2026-03-10 14:00:00.
class AgentTest : public corvanta_test::CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        SetTestTime(2026, 3, 10, 14, 0, 0);
    }
    void TearDown() override {
        agent.reset();
        CoreTest::TearDown();
    }

    // Creates the agent on the fake UPS (and its runner unless given one),
    // starts it and takes the first step.
    Agent& StartAgent(std::vector<std::string> shutdownCommand = {}, CommandRunner* run = nullptr) {
        agent = std::make_unique<Agent>(ups, run ? *run : ups,
                                        AgentOptions{std::move(shutdownCommand), nullptr, stderr});
        agent->Start();
        agent->Step();
        return *agent;
    }
    // Advances the clock one second and steps, n times.
    void Seconds(int n) {
        for (int i = 0; i < n; ++i) {
            AdvanceTestTime(1);
            agent->Step();
        }
    }
    // The settings file as the monitor writes it: the defaults changed by edit.
    template <class Edit> void WriteSettings(Edit edit) {
        UPSSts s{};
        DefaultUPSSts(&s);
        edit(s);
        WriteFile(Path(SettingsFileName), FormatUPSSts(s));
    }
    // The log's lines without the kind and the time stamp.
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const auto& line : SplitLines(ReadFile(Path(LogFileName))))
            texts.push_back(line.size() > 22 ? line.substr(22) : std::string());
        return texts;
    }
    bool LogHas(const std::string& text) const {
        return std::ranges::any_of(
            LogTexts(), [&](const std::string& t) { return t.find(text) != std::string::npos; });
    }
    UPSVal ReadValues() const {
        std::string bytes = ReadFile(Path(ValuesFileName));
        EXPECT_EQ(bytes.size(), static_cast<std::size_t>(UPSValImageSize));
        UPSVal v{};
        if (bytes.size() == UPSValImageSize)
            DecodeUPSVal(reinterpret_cast<const std::uint8_t*>(bytes.data()), &v);
        return v;
    }

    FakeUps ups;
    std::unique_ptr<Agent> agent;
};

} // namespace agent_test
