// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "AgentLog.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

    bool ok = AppendLine(line);
    problem_.Outcome(ok, errno);
    return ok;
}

int AgentLog::Margin(int limit) {
    return std::max(limit / 10, 10);
}

bool AgentLog::AppendLine(const std::string& line) {
    // One short write per line; the whole file is written only to trim it,
    // once it has grown a margin past the limit, or to replace what is not
    // the plain file we left (a link, a FIFO, a file changed by others).
    UniqueFd fd(::open(path_.c_str(),
                       O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    bool ours = fd && ::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
                known_ && st.st_dev == dev_ && st.st_ino == ino_ && st.st_size == size_;
    if (!ours || lines_ + 1 > limit_ + Margin(limit_)) return Rewrite(line);
    const std::string text = line + "\n";
    ssize_t n;
    while ((n = ::write(fd.Get(), text.data(), text.size())) < 0 && errno == EINTR) {
    }
    if (n != static_cast<ssize_t>(text.size())) {
        known_ = false; // a short write: rewritten whole next time
        if (n >= 0) errno = ENOSPC;
        return false;
    }
    ++lines_;
    size_ += n;
    return true;
}

bool AgentLog::Rewrite(const std::string& line) {
    std::deque<std::string> lines;
    struct stat st {};
    UniqueFd in = OpenForReading(path_, &st, true);
    if (in && S_ISREG(st.st_mode)) {
        std::string old;
        char buf[65536];
        ssize_t n;
        // Never more of an old log than LogFileCap, whatever was put there.
        while (old.size() < LogFileCap &&
               (n = ::read(in.Get(), buf, std::min(sizeof buf, LogFileCap - old.size()))) > 0)
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
    lines.push_back(line);
    while (lines.size() > static_cast<std::size_t>(limit_))
        lines.pop_front();

    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += '\n';
    }
    known_ = false;
    if (!WriteFileAtomic(path_, out)) return false;
    if (::lstat(path_.c_str(), &st) == 0) {
        known_ = true;
        dev_ = st.st_dev;
        ino_ = st.st_ino;
        size_ = st.st_size;
        lines_ = static_cast<int>(lines.size());
    }
    return true;
}
