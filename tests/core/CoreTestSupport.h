// What every core and schedule test shares: a private program folder per test,
// the process-wide records put back to their start-of-run state, and small
// helpers to read and plant files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Ups.h"

namespace corvanta_test {

// Puts every process-wide record of corvanta_core back to its start-of-run
// state (zero records, no calendar, no test clock, request flags cleared).
void ResetCoreState();

// A fixture that gives each test its own mkdtemp folder as CurDir, resets the
// global state before and after, and removes the folder afterwards.
class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // "<folder>/<name>"
    std::string Path(const std::string& name) const;
    std::string Folder() const { return folder_; }

  private:
    std::string folder_;
};

bool FileExists(const std::string& path);
bool IsSymlink(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFileRaw(const std::string& path, const std::string& bytes);
// The names inside a folder, sorted, "." and ".." left out.
std::vector<std::string> ListFolder(const std::string& folder);
// Splits text at '\n'; a final piece without a line feed is kept as a line.
std::vector<std::string> SplitLines(const std::string& text);
void RemoveTree(const std::string& path);

// One calendar row as the file carries it.
struct Row {
    int button, hour, minute;
};
// The text of a calendar file: line 1 the base year, then one row per entry
// of rows (formatted "%d\t%d\t%d\n").
std::string CalendarText(int baseYear, const std::vector<Row>& rows);
// 4464 empty rows.
std::vector<Row> EmptyRows();
// Row index of (month slot 1..24, day 1..31, entry 0..5).
int RowOf(int monthSlot, int day, int entry);

} // namespace corvanta_test
