// What the core, schedule and dialog tests share: a private program folder per
// test, the process-wide records put back to their start-of-run state, and
// small helpers to read and plant files.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Ups.h"

namespace corvanta_test {

// Every process-wide record of corvanta_core back to its start-of-run state.
void ResetCoreState();

// Each test gets its own mkdtemp folder as CurDir and a clean global state.
class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    std::string Folder() const { return folder_; }

  private:
    std::string folder_;
};

bool FileExists(const std::string& path); // lstat: a dangling link exists
bool IsSymlink(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFileRaw(const std::string& path, const std::string& bytes);
// The names inside a folder, sorted, "." and ".." left out.
std::vector<std::string> ListFolder(const std::string& folder);
// Splits text at '\n'; a final piece without a line feed is kept as a line.
std::vector<std::string> SplitLines(const std::string& text);
void RemoveTree(const std::string& path);
// A fresh folder (mode 0755) for programs the agent may run. It lies in the
// build tree, never under /tmp: the agent refuses programs below a folder
// other users can change. Empty, with *whyNot, when the build tree itself
// lies below such a folder.
std::string MakeProgramFolder(std::string* whyNot);
// Runs body with writes past limitBytes failing, as on a full disk.
void WithFileSizeLimit(unsigned long limitBytes, const std::function<void()>& body);

// What stands under a folder file's name in place of the file.
enum class Standin { Fifo, DevZeroLink, Folder, Oversized };
constexpr Standin AllStandins[] = {Standin::Fifo, Standin::DevZeroLink, Standin::Folder,
                                   Standin::Oversized};
constexpr const char* StandinNames[] = {"FIFO", "link to /dev/zero", "folder", "oversized file"};
inline const char* StandinName(Standin what) {
    return StandinNames[static_cast<int>(what)];
}
// Puts it at path; Oversized is text followed by a hole far past every cap.
void PlantStandin(const std::string& path, Standin what, const std::string& text);

// A reader that hangs ends the test process with a message naming what it
// was doing, instead of stalling the run.
class Watchdog {
  public:
    Watchdog(unsigned seconds, const std::string& what);
    ~Watchdog();
};

// One calendar row as the file carries it.
struct Row {
    int button, hour, minute;
};
// A calendar file: line 1 the base year, then "%d\t%d\t%d\n" per row.
std::string CalendarText(int baseYear, const std::vector<Row>& rows);
std::vector<Row> EmptyRows(); // 4464 of them
// Row index of (month slot 1..24, day 1..31, entry 0..5).
int RowOf(int monthSlot, int day, int entry);

} // namespace corvanta_test
