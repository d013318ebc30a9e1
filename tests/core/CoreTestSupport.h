// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The core layer's test support, shared by every suite that touches the
// program folder: a private folder per test, the process-wide records put
// back to their start-of-run state, and small helpers to read and plant files.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTesting.h"
#include "Folder.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

namespace corvanta_test {

namespace fs = std::filesystem;

// Every process-wide record of the core and the schedule back to its start.
inline void ResetCoreState() {
    FreeSchedule();
    ResetReadUPSValState();
    ResetScheduleState(); // closes the calendar, clears the next events
    ClearTestTime();
    ClearServiceUser();
    PtUPSSts = UPSSts{};
    PtUPSVal = UPSVal{};
    flag_LoadSTS = flag_LoadSCH = flag_LoadCancelShutdown = 0;
}

inline void RemoveTree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
}

// Each test gets its own mkdtemp folder as CurDir, a clean global state, and
// private places for the agent's lock (root's in Lock("root"), the user's
// own in Lock("own")).
class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetCoreState();
        char tmpl[] = "/tmp/corvanta-test-XXXXXX", run[] = "/tmp/corvanta-run-XXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl) && mkdtemp(run));
        folder_ = tmpl, run_ = run;
        SetAgentLockPlaces(Lock("root"), Lock("own"));
        std::string error;
        ASSERT_TRUE(SetCurDir(folder_.c_str(), &error)) << error;
    }
    // A failed test keeps its folder for a look, as does every test with
    // CORVANTA_TEST_KEEP set.
    void TearDown() override {
        ResetCoreState();
        SetAgentLockPlaces("", "");
        RemoveTree(run_);
        if (HasFailure() || std::getenv("CORVANTA_TEST_KEEP"))
            std::cerr << "kept " << folder_ << "\n";
        else if (!folder_.empty())
            RemoveTree(folder_);
    }
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    std::string Folder() const { return folder_; }
    std::string Lock(const std::string& name) const { return run_ + "/" + name; }

  private:
    std::string folder_, run_;
};

// lstat: a dangling link exists.
inline bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// A file's bytes; empty for no file or a folder at its name. A /proc file
// of a process that ends while read fails the read: that too is no file.
inline std::string ReadFile(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return {};
    std::ifstream in(path, std::ios::binary);
    try {
        return {std::istreambuf_iterator<char>(in), {}};
    } catch (const std::ios_base::failure&) {
        return {};
    }
}

inline void WriteFileRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The names inside a folder, sorted, "." and ".." left out.
inline std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Splits text at '\n'; a final piece without a line feed is kept as a line.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Runs sql on the database at path over a connection of its own, as another
// program would: the rows it answers, columns joined by "|", NULL as "NULL".
inline std::vector<std::string> Sql(const std::string& path, const std::string& sql) {
    std::vector<std::string> rows;
    auto add = [](void* out, int n, char** v, char**) {
        std::string& row = static_cast<std::vector<std::string>*>(out)->emplace_back();
        for (int i = 0; i < n; ++i)
            row += (i ? "|" : "") + std::string(v[i] ? v[i] : "NULL");
        return 0;
    };
    sqlite3* db = nullptr;
    EXPECT_TRUE(sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                sqlite3_exec(db, sql.c_str(), add, &rows, nullptr) == SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    return rows;
}

// A fresh folder (mode 0755) for programs the agent may run. It lies in the
// build tree, never under /tmp: the agent refuses programs below a folder
// other users can change. Empty, with *whyNot, when the build tree itself
// lies below such a folder.
inline std::string MakeProgramFolder(std::string* whyNot) {
    const std::string base = CORVANTA_TEST_PROGRAM_BASE;
    for (fs::path p = base; !p.empty(); p = p.parent_path()) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0 || (st.st_uid != 0 && st.st_uid != ::geteuid()) ||
            (st.st_mode & (S_IWGRP | S_IWOTH))) {
            *whyNot = "the build folder lies in " + p.string() + ", which other users can change";
            return "";
        }
        if (p == p.parent_path()) break;
    }
    std::string tmpl = base + "/programs-XXXXXX";
    if (!mkdtemp(tmpl.data()) || ::chmod(tmpl.c_str(), 0755) != 0) {
        *whyNot = "cannot create a folder in " + base;
        return "";
    }
    return tmpl;
}

// Runs body with writes past limitBytes failing, as on a full disk.
inline void WithFileSizeLimit(unsigned long limitBytes, const std::function<void()>& body) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = limitBytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    body();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
}

// What stands under a folder file's name in place of the file.
enum class Standin { Fifo, DevZeroLink, Folder, Oversized };
constexpr Standin AllStandins[] = {Standin::Fifo, Standin::DevZeroLink, Standin::Folder,
                                   Standin::Oversized};
inline const char* StandinName(Standin what) {
    return std::array{"FIFO", "link to /dev/zero", "folder", "oversized file"}[int(what)];
}
// Puts it at path; Oversized is text followed by a hole far past every cap
// (a hole costs no disk, yet reading it through would take minutes).
inline void PlantStandin(const std::string& path, Standin what, const std::string& text) {
    if (what == Standin::Oversized) WriteFileRaw(path, text);
    const int rc = what == Standin::Fifo          ? mkfifo(path.c_str(), 0644)
                   : what == Standin::DevZeroLink ? symlink("/dev/zero", path.c_str())
                   : what == Standin::Folder      ? mkdir(path.c_str(), 0755)
                                                  : truncate(path.c_str(), off_t{1} << 36);
    ASSERT_EQ(rc, 0) << path;
}

// A reader that hangs ends the test process with a message naming what it
// was doing, instead of stalling the run.
struct Watchdog {
    Watchdog(unsigned seconds, const std::string& what) {
        std::snprintf(message, sizeof message, "\nTimed out: %s\n", what.c_str());
        std::signal(SIGALRM, [](int) {
            (void)!write(2, message, strnlen(message, sizeof message));
            _exit(3);
        });
        alarm(seconds);
    }
    ~Watchdog() { alarm(0); }
    static inline char message[256];
};

// One calendar row as the file carries it.
struct Row {
    int button, hour, minute;
};
// A calendar file: line 1 the base year, then "%d\t%d\t%d\n" per row.
inline std::string CalendarText(int baseYear, const std::vector<Row>& rows) {
    std::string text = std::to_string(baseYear) + "\n";
    for (const Row& r : rows)
        text += std::to_string(r.button) + "\t" + std::to_string(r.hour) + "\t" +
                std::to_string(r.minute) + "\n";
    return text;
}
inline std::vector<Row> EmptyRows() {
    return std::vector<Row>(ScheduleRows, Row{0, 0, 0});
}
// Row index of (month slot 1..24, day 1..31, entry 0..5).
inline int RowOf(int monthSlot, int day, int entry) {
    return (monthSlot - 1) * ScheduleRowsPerMonth + (day - 1) * ScheduleEntriesPerDay + entry;
}
// A calendar file with the given {month slot 1..24, day, entry, button,
// hour, minute} set and every other row empty.
inline std::string CalendarWith(int baseYear, const std::vector<std::array<int, 6>>& entries) {
    std::vector<Row> rows = EmptyRows();
    for (const auto& [slot, day, entry, button, hour, minute] : entries)
        rows[static_cast<std::size_t>(RowOf(slot, day, entry))] = {button, hour, minute};
    return CalendarText(baseYear, rows);
}

} // namespace corvanta_test
