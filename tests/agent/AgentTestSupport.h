// What the agent tests share: a private program folder on the test clock, a
// scripted UPS that also records the programs the agent starts, and file
// helpers. Header only: the agent layer's one test-support file.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "Agent.h"
#include "Clock.h"
#include "CoreTestSupport.h"
#include "Folder.h"
#include "UpsSource.h"
#include "file.h"

namespace agent_test {

using corvanta_test::ReadFile;
using corvanta_test::SplitLines;

inline void WriteFile(const std::string& path, const std::string& text, int mode = 0644) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ::chmod(path.c_str(), static_cast<mode_t>(mode));
}

// A calendar file: base year, then every row, with the given entries set at
// (month slot 1..24, day, entry) positions.
struct CalendarEntry {
    int slot, day, entry, button, hour, minute;
};
inline std::string CalendarText(int baseYear, const std::vector<CalendarEntry>& entries) {
    std::vector<ScheduleStr> rows(ScheduleRows, ScheduleStr{0, 0, 0});
    for (const auto& e : entries)
        rows[static_cast<std::size_t>((e.slot - 1) * ScheduleRowsPerMonth + (e.day - 1) * 6 +
                                      e.entry)] = {static_cast<unsigned char>(e.button),
                                                   static_cast<unsigned char>(e.hour),
                                                   static_cast<unsigned char>(e.minute)};
    std::string text = std::to_string(baseYear) + "\n";
    for (const auto& r : rows)
        text += std::to_string(r.Button) + "\t" + std::to_string(r.Hour) + "\t" +
                std::to_string(r.Minute) + "\n";
    return text;
}

// A UPS whose next reading the test sets, and a runner that only records.
// Done lists what the agent had done, in order: "run PROGRAM ARGS...",
// "off SECONDS", "test", "deep test". Fresh hands out FreshReading once per
// HasFresh.
class FakeUps : public UpsSource, public CommandRunner {
  public:
    UpsReading Next{true, 0, (1 << 2) | (1 << 4) | (1 << 15), 0, 0, {0, 0, 1000, 0, 2300}};
    UpsRatings Rated{2300, 43, 240};
    std::vector<std::string> Done;
    bool HasFresh = false;
    UpsReading FreshReading;
    StartResult Answer = StartResult::Started; // and Why, when not Started
    std::string Why;

    FakeUps() { Next.ItemVal[15] = 300; }
    UpsReading Poll() override { return Next; }
    bool Fresh(UpsReading* out) override {
        *out = FreshReading;
        return std::exchange(HasFresh, false);
    }
    UpsRatings Ratings() const override { return Rated; }
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
    std::vector<std::string> Finished() override { return {}; }
};

// Each test gets its own folder as CurDir and the clock at 2026-03-10 14:00:00.
class AgentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/corvanta-agent-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        folder_ = tmpl;
        std::string error;
        ASSERT_TRUE(SetCurDir(folder_.c_str(), &error)) << error;
        SetTestTime(2026, 3, 10, 14, 0, 0);
    }
    void TearDown() override {
        agent.reset();
        ClearTestTime();
        corvanta_test::RemoveTree(folder_);
    }
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    const std::string& Folder() const { return folder_; }

    // Creates the agent on source (the fake UPS by default), starts it and
    // takes the first step.
    Agent& StartAgent(std::vector<std::string> shutdownCommand = {}, UpsSource* source = nullptr,
                      CommandRunner* run = nullptr) {
        AgentOptions options;
        options.ShutdownCommand = std::move(shutdownCommand);
        options.Version = "test";
        agent = std::make_unique<Agent>(source ? *source : ups, run ? *run : ups, options);
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
    template <class Edit> void WriteSettings(Edit edit, int mode = 0644) {
        UPSSts s{};
        DefaultUPSSts(&s);
        edit(s);
        WriteFile(Path(SettingsFileName), FormatUPSSts(s), mode);
    }
    void WriteRequest(int settings, int calendar, int cancel, int mode = 0644) {
        WriteFile(Path(CommandFileName),
                  std::to_string(settings) + "\n" + std::to_string(calendar) + "\n" +
                      std::to_string(cancel) + "\n",
                  mode);
    }
    // The log's lines without the kind and the time stamp.
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const auto& line : SplitLines(ReadFile(Path(LogFileName))))
            texts.push_back(line.size() > 22 ? line.substr(22) : std::string());
        return texts;
    }
    bool LogHas(const std::string& text) const {
        for (const auto& t : LogTexts())
            if (t.find(text) != std::string::npos) return true;
        return false;
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

  private:
    std::string folder_;
};

} // namespace agent_test
