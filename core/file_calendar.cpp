// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// ZAN_CALENDAR.DAT: the two-year calendar, its row-by-row search and its
// yearly roll-forward; and the line tokenizer.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "CalendarDate.h"
#include "Clock.h"
#include "Folder.h"
#include "Translatable.h"
#include "file.h"

ScheduleStr* PtSchedule = nullptr;
std::FILE* PtScheduleFile = nullptr;
int StartYear = 0;
char StorBuffer[2048];
char StringBuffer[1024];

namespace {

int tokenPosition = 0;

// Lines are read with a buffer of this size, so a longer line arrives in
// pieces, each taken as a row of its own.
constexpr std::size_t LineBuffer = 256;

// The calendar under search is read from the open file as the lookups ask:
// a lookup skips forward to its row, so a search reads each row it needs
// once and nothing past the last one. Read 0 is line 1, the base year.
struct SearchState {
    long nextRead = 0; // the read the stream gives next
    bool haveYear = false;
    long long year = 0;
    bool exhausted = false; // no row of this year can be read any more
} search;

// The next piece, as a line-by-line reader with LineBuffer sees it.
bool NextRead(char (&line)[LineBuffer]) {
    if (PtScheduleFile == nullptr || std::fgets(line, sizeof line, PtScheduleFile) == nullptr)
        return false;
    ++search.nextRead;
    return true;
}

// Places the stream so that the next read is read `index`.
bool SkipTo(long index, char (&line)[LineBuffer]) {
    if (index < search.nextRead) {
        if (std::fseek(PtScheduleFile, 0, SEEK_SET) != 0) return false;
        search.nextRead = 0;
    }
    while (search.nextRead < index)
        if (!NextRead(line)) return false;
    return true;
}

std::string CalendarPath() {
    return FolderFile(CalendarFileName);
}

} // namespace

char* StringToken(const char* buffer, char Sep) {
    if (buffer != nullptr) {
        CopyField(StorBuffer, sizeof StorBuffer, buffer);
        tokenPosition = 0;
    }
    const int length = static_cast<int>(std::strlen(StorBuffer));
    if (tokenPosition > length) tokenPosition = length;
    const char* start = StorBuffer + tokenPosition;
    const char* found = static_cast<const char*>(std::memchr(start, Sep, length - tokenPosition));
    std::size_t tokenLength;
    if (found != nullptr && Sep != '\0') {
        tokenLength = static_cast<std::size_t>(found - start);
        tokenPosition = static_cast<int>(found - StorBuffer) + 1;
    } else {
        tokenLength = static_cast<std::size_t>(length - tokenPosition);
        tokenPosition = length;
    }
    if (tokenLength > sizeof StringBuffer - 1) tokenLength = sizeof StringBuffer - 1;
    std::memcpy(StringBuffer, start, tokenLength);
    StringBuffer[tokenLength] = '\0';
    return StringBuffer;
}

void LoadSchedule() {
    if (PtSchedule == nullptr) {
        PtSchedule = static_cast<ScheduleStr*>(std::calloc(ScheduleRows, sizeof(ScheduleStr)));
        if (PtSchedule == nullptr) return;
    }
    UniqueFile in = OpenFolderFile(CalendarPath(), CalendarFileCap);
    char line[LineBuffer];
    if (in == nullptr || std::fgets(line, sizeof line, in.get()) == nullptr) {
        std::memset(PtSchedule, 0, ScheduleRows * sizeof(ScheduleStr));
        return;
    }
    // Line 1 (the base year) is deliberately not examined here.
    for (int i = 0; i < ScheduleRows && std::fgets(line, sizeof line, in.get()) != nullptr; ++i) {
        PtSchedule[i] = ParseScheduleRow(line);
    }
}

SaveResult WriteScheduleForYear(int baseYear, std::string* error) {
    const std::string path = CalendarPath();
    if (PtSchedule == nullptr) {
        if (error)
            *error = Substituted(CoreText("Files", "cannot write %1: no calendar is loaded"),
                                 {ShownPath(path)});
        return SaveResult::NotSaved;
    }
    std::string out;
    out.reserve(ScheduleRows * 8 + 8);
    out += std::to_string(baseYear);
    out += '\n';
    for (int i = 0; i < ScheduleRows; ++i) {
        out += std::to_string(PtSchedule[i].Button);
        out += '\t';
        out += std::to_string(PtSchedule[i].Hour);
        out += '\t';
        out += std::to_string(PtSchedule[i].Minute);
        out += '\n';
    }
    if (!WriteFileAtomic(path, out)) {
        if (error) *error = CannotWrite(path);
        return SaveResult::NotSaved;
    }
    flag_LoadSCH = 1;
    return WriteCommand(error) ? SaveResult::Saved : SaveResult::AgentNotTold;
}

SaveResult WriteSchedule(std::string* error) {
    DateTimeRec now;
    GetTime(&now);
    return WriteScheduleForYear(now.year, error);
}

void FreeSchedule() {
    std::free(PtSchedule);
    PtSchedule = nullptr;
}

int OpenRSchedule() {
    DateTimeRec now;
    GetTime(&now);
    StartYear = now.year;
    CloseSchedule();
    UniqueFile in = OpenFolderFile(CalendarPath(), CalendarFileCap);
    if (in == nullptr) return 0;
    PtScheduleFile = in.release();
    return 1;
}

ScheduleStr* GetSchedule(int Month, int Day, int Item) {
    static ScheduleStr result;
    result = ScheduleStr{0, 0, 0};
    DateTimeRec now;
    GetTime(&now);
    StartYear = now.year;
    // Month 13 on is the second year.
    const long row = ScheduleIndex(StartYear, StartYear, Month, Day, Item);
    char line[LineBuffer];
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (PtScheduleFile == nullptr) return &result;
        if (!search.haveYear) {
            if (!SkipTo(0, line) || !NextRead(line)) return &result; // empty file
            search.year = AtoiWide(line);
            search.haveYear = true;
        }
        // Whenever no row of this year can be read, later reads must find
        // nothing either, rather than rows from the top of the file or from
        // a calendar that is a year old.
        search.exhausted = false;
        if (search.year == StartYear) {
            if (row < 0 || row >= ScheduleRows || !SkipTo(row + 1, line) || !NextRead(line))
                search.exhausted = true;
            else
                result = ParseScheduleRow(line);
            return &result;
        }
        if (attempt > 0) {
            search.exhausted = true;
            return &result;
        }
        if (search.year == StartYear - 1) {
            // A year-old calendar: its second year is this year.
            CloseSchedule();
            SchedulePlus1Year();
            if (!OpenRSchedule()) return &result;
            continue;
        }
        // Older or future: it describes no day we can still reach.
        CloseSchedule();
        std::remove(CalendarPath().c_str());
        return &result;
    }
    return &result;
}

ScheduleStr* GetNextSchedule() {
    static ScheduleStr result;
    result = ScheduleStr{0, 0, 0};
    char line[LineBuffer];
    if (!search.exhausted && NextRead(line)) result = ParseScheduleRow(line);
    return &result;
}

void CloseSchedule() {
    if (PtScheduleFile != nullptr) {
        std::fclose(PtScheduleFile);
        PtScheduleFile = nullptr;
    }
    search = SearchState{};
}

void SchedulePlus1Year() {
    const std::string path = CalendarPath();
    UniqueFile in = OpenFolderFile(path, CalendarFileCap);
    if (in == nullptr) return;
    // Whatever a crash or another user left under the temporary name goes
    // first; the new file is then created exclusively and never through a
    // link.
    const std::string tmp = FolderFile(CalendarTempFileName);
    unlink(tmp.c_str());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    std::FILE* out = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (out == nullptr) {
        if (fd >= 0) close(fd);
        return;
    }
    std::fprintf(out, "%d\n", StartYear);
    char line[LineBuffer];
    bool more = std::fgets(line, sizeof line, in.get()) != nullptr; // old base year
    for (int i = 0; more && i < ScheduleRowsPerYear; ++i)
        more = std::fgets(line, sizeof line, in.get()) != nullptr;
    for (int i = 0; i < ScheduleRowsPerYear; ++i) {
        if (more && std::fgets(line, sizeof line, in.get()) != nullptr) {
            std::size_t len = std::strlen(line);
            if (len > 0) line[len - 1] = '\0';
            std::fprintf(out, "%s\n", line);
        } else {
            more = false;
            std::fputs("0\t0\t0\n", out);
        }
    }
    for (int i = 0; i < ScheduleRowsPerYear; ++i)
        std::fputs("0\t0\t0\n", out);
    in.reset();
    bool ok = std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    ok = std::fclose(out) == 0 && ok;
    // A roll that could not be written completely leaves the old calendar.
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) unlink(tmp.c_str());
}
