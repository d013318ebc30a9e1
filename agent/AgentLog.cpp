#include "AgentLog.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <unistd.h>

#include "Security.h"
#include "file.h"

namespace {
// The monitor reads a line in one piece of at most 255 characters, the line
// feed included.
constexpr std::size_t MaxLineLength = 254;
constexpr int DefaultLimit = 1000;
} // namespace

void AgentLog::SetLimit(int lines) {
    limit_ = lines < 1 ? DefaultLimit : lines;
}

std::string AgentLog::FormatLine(LogKind kind, const DateTimeRec& t, const std::string& text) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%c %04d/%02d/%02d %02d:%02d:%02d ", static_cast<char>(kind),
                  t.year, t.month, t.day, t.hour, t.minute, t.second);
    std::string line = stamp;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        line += (u < 0x20 || u == 0x7f) ? ' ' : c;
    }
    if (line.size() > MaxLineLength) line.resize(MaxLineLength);
    return line;
}

bool AgentLog::Append(LogKind kind, const std::string& text) {
    DateTimeRec now{};
    GetTime(&now);
    std::string line = FormatLine(kind, now, text);
    if (echo_) {
        std::fprintf(echo_, "%s\n", line.c_str());
        std::fflush(echo_);
    }

    std::deque<std::string> lines;
    struct stat st {};
    int fd = OpenForReadNoFollow(path_, &st);
    if (fd >= 0) {
        if (S_ISREG(st.st_mode)) {
            std::string old;
            char buf[65536];
            ssize_t n;
            // Never more of an old log than LogFileCap, whatever was put there.
            while (old.size() < LogFileCap &&
                   (n = ::read(fd, buf, std::min(sizeof buf, LogFileCap - old.size()))) > 0)
                old.append(buf, static_cast<std::size_t>(n));
            std::size_t start = 0;
            while (start < old.size()) {
                std::size_t end = old.find('\n', start);
                if (end == std::string::npos) end = old.size();
                // A line longer than ours was not written by us: only its
                // start is kept, so the log stays small from here on.
                lines.emplace_back(old, start, std::min(end - start, MaxLineLength));
                if (lines.size() > static_cast<std::size_t>(limit_)) lines.pop_front();
                start = end + 1;
            }
        }
        ::close(fd);
    }
    lines.push_back(line);
    while (lines.size() > static_cast<std::size_t>(limit_))
        lines.pop_front();

    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += '\n';
    }
    bool ok = WriteFileAtomic(path_, out);
    problem_.Outcome(ok, errno);
    return ok;
}
