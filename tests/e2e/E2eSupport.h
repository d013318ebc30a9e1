// What the end-to-end tests share: real processes on a private program
// folder, and readers for the files they exchange.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

#include "Ups.h"

namespace e2e {

// A child process; its standard output and error go to a file.
struct Child {
    pid_t Pid = -1;
    std::string Output;
};

Child Spawn(const std::vector<std::string>& argv, const std::string& outputFile,
            const std::map<std::string, std::string>& env = {});
// Sends SIGTERM and waits up to the given time; returns the exit status, or
// -1 when it had to be killed (SIGKILL) or did not exit normally.
int Terminate(Child& child, std::chrono::milliseconds wait = std::chrono::seconds(5));
// Waits for the child to exit by itself; -1 on timeout (then it is killed).
int WaitExit(Child& child, std::chrono::milliseconds wait);
bool Alive(const Child& child);
// Resident memory in kB (VmRSS), -1 when unknown.
long RssKb(pid_t pid);

// Polls the predicate every 50 ms until it holds or the time is up.
bool WaitFor(const std::function<bool()>& ok, std::chrono::milliseconds wait);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
std::vector<std::string> Lines(const std::string& text);
// A calendar file for the given base year, empty but for one row: entry 0 of
// the given month and day of that year.
std::string CalendarWithEntry(int year, int month, int day, const std::string& row);

// Reads the values file; the result is the number of bytes read (-1: none).
int ReadValues(const std::string& path, UPSVal* val);

// Each test runs in its own folder, which is also CurDir, so the core's own
// writers (WriteUPSSts, WriteCommand, ...) write there as the monitor does.
class E2eTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    const std::string& Folder() const { return folder_; }

    // Starts the agent on the folder with a scenario text (written to a
    // file), extra arguments and environment.
    Child& StartAgent(const std::string& scenario, std::vector<std::string> extra = {},
                      const std::map<std::string, std::string>& env = {});
    UPSVal Values() const;
    bool LogHas(const std::string& text) const;
    // Waits until the values file satisfies the predicate.
    bool WaitForValues(const std::function<bool(const UPSVal&)>& ok,
                       std::chrono::milliseconds wait);

    std::vector<Child*> children_;
    Child agent_;

  private:
    std::string folder_;
};

extern const char* const AgentBinary;
extern const char* const MonitorBinary; // empty when the monitor is not built

} // namespace e2e
