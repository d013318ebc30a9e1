// ZAN_CALENDAR.DAT: the two-year calendar, its row-by-row search and its
// yearly roll-forward; and the line tokenizer.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "Clock.h"
#include "Folder.h"
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

// The calendar under search, read whole when it is opened: the rows are
// then addressed by number instead of being re-read from the top on every
// lookup. Each entry is one read of LineBuffer - 1 characters at most,
// exactly as a line-by-line reader would see it.
struct SearchText {
    std::string text;
    std::vector<std::pair<std::size_t, std::size_t>> reads; // offset, length
    std::size_t cursor = 0;
} search;

void IndexReads(SearchText& s) {
    s.reads.clear();
    s.cursor = 0;
    std::size_t pos = 0;
    const std::size_t size = s.text.size();
    while (pos < size) {
        std::size_t limit = std::min(size - pos, LineBuffer - 1);
        const void* nl = std::memchr(s.text.data() + pos, '\n', limit);
        std::size_t len =
            nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - (s.text.data() + pos)) + 1
               : limit;
        s.reads.emplace_back(pos, len);
        pos += len;
    }
}

bool LoadSearchText(std::FILE* f) {
    search.text.clear();
    char chunk[8192];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        search.text.append(chunk, n);
    IndexReads(search);
    return true;
}

// The atoi value of the text up to the first separator, NUL or end.
long long TokenValue(const char*& p, const char* end, char sep) {
    char token[LineBuffer];
    std::size_t n = 0;
    while (p < end && *p != sep && *p != '\0')
        token[n++] = *p++;
    token[n] = '\0';
    if (p < end && *p == sep) ++p;
    return AtoiWide(token);
}

// One row split at tabs into Button, Hour and Minute, low 8 bits each.
// Text after a NUL is invisible, as it would be to a C-string reader.
ScheduleStr ParseRow(const char* p, std::size_t len) {
    const char* end = p + len;
    const char* nul = static_cast<const char*>(std::memchr(p, '\0', len));
    if (nul) end = nul;
    ScheduleStr e;
    e.Button = static_cast<unsigned char>(TokenValue(p, end, '\t') & 0xFF);
    e.Hour = static_cast<unsigned char>(TokenValue(p, end, '\t') & 0xFF);
    e.Minute = static_cast<unsigned char>(TokenValue(p, end, '\t') & 0xFF);
    return e;
}

bool ReadAt(std::size_t index, ScheduleStr* out) {
    if (index >= search.reads.size()) return false;
    auto [off, len] = search.reads[index];
    *out = ParseRow(search.text.data() + off, len);
    search.cursor = index + 1;
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
    std::FILE* in = std::fopen(CalendarPath().c_str(), "r");
    if (in == nullptr) {
        std::memset(PtSchedule, 0, ScheduleRows * sizeof(ScheduleStr));
        return;
    }
    char line[LineBuffer];
    if (std::fgets(line, sizeof line, in) == nullptr) {
        std::fclose(in);
        std::memset(PtSchedule, 0, ScheduleRows * sizeof(ScheduleStr));
        return;
    }
    // Line 1 (the base year) is deliberately not examined here.
    for (int i = 0; i < ScheduleRows && std::fgets(line, sizeof line, in) != nullptr; ++i) {
        PtSchedule[i].Button = AtoiByte(StringToken(line, '\t'));
        PtSchedule[i].Hour = AtoiByte(StringToken(nullptr, '\t'));
        PtSchedule[i].Minute = AtoiByte(StringToken(nullptr, '\n'));
    }
    std::fclose(in);
}

void WriteScheduleForYear(int baseYear) {
    if (PtSchedule == nullptr) return;
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
    if (!WriteFileAtomic(CalendarPath(), out)) return;
    flag_LoadSCH = 1;
    WriteCommand();
}

void WriteSchedule() {
    DateTimeRec now;
    GetTime(&now);
    WriteScheduleForYear(now.year);
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
    PtScheduleFile = std::fopen(CalendarPath().c_str(), "r");
    if (PtScheduleFile == nullptr) return 0;
    LoadSearchText(PtScheduleFile);
    return 1;
}

ScheduleStr* GetSchedule(int Month, int Day, int Item) {
    static ScheduleStr result;
    result = ScheduleStr{0, 0, 0};
    DateTimeRec now;
    GetTime(&now);
    StartYear = now.year;
    const long row = static_cast<long>(Month - 1) * ScheduleRowsPerMonth + (Day - 1) * 6 + Item;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (PtScheduleFile == nullptr || search.reads.empty()) return &result;
        auto [off, len] = search.reads[0];
        const long long year = AtoiWide(std::string(search.text, off, len).c_str());
        search.cursor = 1;
        // Whenever no row of this year can be read, later reads must find
        // nothing either, rather than rows from the top of the file or from
        // a calendar that is a year old.
        const std::size_t past = search.reads.size();
        if (year == StartYear) {
            if (row < 0 || row >= ScheduleRows ||
                !ReadAt(static_cast<std::size_t>(row) + 1, &result))
                search.cursor = past;
            return &result;
        }
        if (attempt > 0) {
            search.cursor = past;
            return &result;
        }
        if (year == StartYear - 1) {
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
    if (PtScheduleFile != nullptr) ReadAt(search.cursor, &result);
    return &result;
}

void CloseSchedule() {
    if (PtScheduleFile != nullptr) {
        std::fclose(PtScheduleFile);
        PtScheduleFile = nullptr;
    }
    search.text.clear();
    search.reads.clear();
    search.cursor = 0;
}

void SchedulePlus1Year() {
    const std::string path = CalendarPath();
    std::FILE* in = std::fopen(path.c_str(), "r");
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
        std::fclose(in);
        return;
    }
    std::fprintf(out, "%d\n", StartYear);
    char line[LineBuffer];
    bool more = std::fgets(line, sizeof line, in) != nullptr; // old base year
    for (int i = 0; more && i < ScheduleRowsPerYear; ++i)
        more = std::fgets(line, sizeof line, in) != nullptr;
    for (int i = 0; i < ScheduleRowsPerYear; ++i) {
        if (more && std::fgets(line, sizeof line, in) != nullptr) {
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
    std::fclose(in);
    bool ok = std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    ok = std::fclose(out) == 0 && ok;
    // A roll that could not be written completely leaves the old calendar.
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) unlink(tmp.c_str());
}
