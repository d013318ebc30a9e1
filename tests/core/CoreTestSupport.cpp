#include "CoreTestSupport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Clock.h"
#include "CoreTesting.h"
#include "Folder.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

namespace corvanta_test {

namespace fs = std::filesystem;

void ResetCoreState() {
    FreeSchedule();
    ResetReadUPSValState();
    ResetScheduleState(); // closes the calendar, clears the next events
    ClearTestTime();
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    std::memset(&PtUPSVal, 0, sizeof PtUPSVal);
    flag_LoadSTS = flag_LoadSCH = flag_LoadCancelShutdown = 0;
}

void CoreTest::SetUp() {
    ResetCoreState();
    char tmpl[] = "/tmp/corvanta-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    folder_ = tmpl;
    std::string error;
    ASSERT_TRUE(SetCurDir(folder_.c_str(), &error)) << error;
}

void CoreTest::TearDown() {
    ResetCoreState();
    if (!folder_.empty()) RemoveTree(folder_);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool IsSymlink(const std::string& path) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(path, ec));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void RemoveTree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
}

std::string MakeProgramFolder(std::string* whyNot) {
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

void WithFileSizeLimit(unsigned long limitBytes, const std::function<void()>& body) {
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

void PlantStandin(const std::string& path, Standin what, const std::string& text) {
    // A hole costs no disk, yet reading it through would take minutes.
    if (what == Standin::Oversized) WriteFileRaw(path, text);
    const int rc = what == Standin::Fifo          ? mkfifo(path.c_str(), 0644)
                   : what == Standin::DevZeroLink ? symlink("/dev/zero", path.c_str())
                   : what == Standin::Folder      ? mkdir(path.c_str(), 0755)
                                                  : truncate(path.c_str(), off_t{1} << 36);
    ASSERT_EQ(rc, 0) << path;
}

namespace {
char watchdogWhat[256];
extern "C" void WatchdogFired(int) {
    (void)!write(2, watchdogWhat, strnlen(watchdogWhat, sizeof watchdogWhat));
    _exit(3);
}
} // namespace

Watchdog::Watchdog(unsigned seconds, const std::string& what) {
    std::snprintf(watchdogWhat, sizeof watchdogWhat, "\nTimed out: %s\n", what.c_str());
    std::signal(SIGALRM, WatchdogFired);
    alarm(seconds);
}

Watchdog::~Watchdog() {
    alarm(0);
}

std::string CalendarText(int baseYear, const std::vector<Row>& rows) {
    std::string text = std::to_string(baseYear) + "\n";
    for (const Row& r : rows)
        text += std::to_string(r.button) + "\t" + std::to_string(r.hour) + "\t" +
                std::to_string(r.minute) + "\n";
    return text;
}

std::vector<Row> EmptyRows() {
    return std::vector<Row>(ScheduleRows, Row{0, 0, 0});
}

int RowOf(int monthSlot, int day, int entry) {
    return (monthSlot - 1) * ScheduleRowsPerMonth + (day - 1) * ScheduleEntriesPerDay + entry;
}

} // namespace corvanta_test
