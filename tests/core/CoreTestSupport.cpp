#include "CoreTestSupport.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "Clock.h"
#include "Folder.h"
#include "Schedule.h"
#include "file.h"

namespace corvanta_test {

void ResetCoreState() {
    CloseSchedule();
    FreeSchedule();
    ResetReadUPSValState();
    ResetScheduleState();
    ClearTestTime();
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    std::memset(&PtUPSVal, 0, sizeof PtUPSVal);
    flag_LoadSTS = 0;
    flag_LoadSCH = 0;
    flag_LoadCancelShutdown = 0;
    StartYear = 0;
}

void CoreTest::SetUp() {
    ResetCoreState();
    char tmpl[] = "/tmp/corvanta-test-XXXXXX";
    char* made = mkdtemp(tmpl);
    ASSERT_NE(made, nullptr);
    folder_ = made;
    std::string error;
    ASSERT_TRUE(SetCurDir(folder_.c_str(), &error)) << error;
}

void CoreTest::TearDown() {
    ResetCoreState();
    if (!folder_.empty()) RemoveTree(folder_);
}

std::string CoreTest::Path(const std::string& name) const {
    return folder_ + "/" + name;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool IsSymlink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileRaw(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, lf - start));
        start = lf + 1;
    }
    return lines;
}

void RemoveTree(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        for (const std::string& n : ListFolder(path))
            RemoveTree(path + "/" + n);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

std::string CalendarText(int baseYear, const std::vector<Row>& rows) {
    std::string text = std::to_string(baseYear) + "\n";
    text.reserve(rows.size() * 8 + 8);
    for (const Row& r : rows) {
        text += std::to_string(r.button) + "\t" + std::to_string(r.hour) + "\t" +
                std::to_string(r.minute) + "\n";
    }
    return text;
}

std::vector<Row> EmptyRows() {
    return std::vector<Row>(ScheduleRows, Row{0, 0, 0});
}

int RowOf(int monthSlot, int day, int entry) {
    return (monthSlot - 1) * ScheduleRowsPerMonth + (day - 1) * ScheduleEntriesPerDay + entry;
}

} // namespace corvanta_test
