// What the agent tests share: a private program folder on the test clock, a
// scripted UPS, a command runner that only records, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Agent.h"
#include "UpsSource.h"

namespace agent_test {

// A UPS whose next reading the test sets.
class FakeUps : public UpsSource {
  public:
    UpsReading Next;
    UpsRatings Rated{2300, 43, 240};
    std::vector<bool> SelfTests; // true: deep
    std::vector<int> TurnOffs;

    FakeUps();
    UpsReading Poll() override { return Next; }
    // A reading between the seconds, taken once by Fresh.
    bool HasFresh = false;
    UpsReading FreshReading;
    bool Fresh(UpsReading* out) override {
        *out = FreshReading;
        return std::exchange(HasFresh, false);
    }
    UpsRatings Ratings() const override { return Rated; }
    std::string Name() const override { return "test UPS"; }
    bool StartSelfTest(bool deep, std::string* note) override;
    bool TurnOffAfter(int seconds, std::string* note) override;
};

class FakeRunner : public CommandRunner {
  public:
    std::vector<std::vector<std::string>> Started;
    std::vector<std::string> Ending;
    StartResult Answer = StartResult::Started; // and Why, when not Started
    std::string Why;
    StartResult Start(const std::vector<std::string>& argv, const RunAs& as,
                      std::string* why) override;
    std::vector<std::string> Finished() override;
};

// Each test gets its own folder as CurDir and the test clock at
// 2026-03-10 14:00:00.
class AgentTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    const std::string& Folder() const { return folder_; }

    // Creates the agent (with the given shutdown command) and starts it.
    Agent& StartAgent(std::vector<std::string> shutdownCommand = {});
    // Advances the clock one second and steps, n times.
    void Seconds(int n);
    // Writes the settings file as the monitor does, from the defaults
    // changed by edit, with mode 0644.
    template <class Edit> void WriteSettings(Edit edit) {
        UPSSts s = DefaultSettings();
        edit(s);
        WriteSettingsRecord(s);
    }
    void WriteSettingsRecord(const UPSSts& s);
    static UPSSts DefaultSettings();
    // A request file with the three lines.
    void WriteRequest(int settings, int calendar, int cancel);
    // The log's lines without the two-character kind and the time stamp.
    std::vector<std::string> LogTexts() const;
    bool LogHas(const std::string& text) const;
    UPSVal ReadValues() const;

    FakeUps ups;
    FakeRunner runner;
    std::unique_ptr<Agent> agent;

  private:
    std::string folder_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text, int mode = 0644);
std::vector<std::string> SplitLines(const std::string& text);
// A calendar file text: base year, then 4464 rows, with the given entries
// set at (month slot 1..24, day, entry) positions.
struct CalendarEntry {
    int slot, day, entry, button, hour, minute;
};
std::string CalendarText(int baseYear, const std::vector<CalendarEntry>& entries);

} // namespace agent_test
