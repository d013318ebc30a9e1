// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The event log ZAN_UPS.LOG: one line per event, "K YYYY/MM/DD HH:MM:SS text",
// where K is the kind (I information, W warning, E alarm) followed by a
// blank; the monitor hides those two characters. The file keeps only the
// newest LogEntry lines.
#pragma once

#include <cstdio>
#include <string>
#include <sys/types.h>

#include "Clock.h"
#include "Folder.h"
#include "ProblemReport.h"

enum class LogKind : char {
    Info = 'I',
    Warning = 'W',
    Alarm = 'E',
};

class AgentLog {
  public:
    explicit AgentLog(const std::string& path)
        : path_(path), problem_("the event log " + ShownPath(path)) {}

    // Lines kept; a value below 1 (a damaged settings file) keeps 1000.
    void SetLimit(int lines);
    int Limit() const { return limit_; }
    // Also copy each line to this stream (the service journal); null: off.
    void SetEcho(std::FILE* echo) { echo_ = echo; }
    // Where a failed write is reported (standard error unless set).
    void SetErrors(std::FILE* errors) { problem_.SetStream(errors); }

    // Adds one line stamped with the clock. The line is appended; the file
    // is replaced whole (so a reader sees either the old or the new log)
    // when it has grown Margin lines past the limit and is trimmed to it,
    // or when what stands under the name is not the file the agent left: a
    // link planted there is replaced, never followed.
    bool Append(LogKind kind, const std::string& text);

    // The line as written, without its line feed: control characters become
    // blanks and the line is cut to what the monitor reads in one piece.
    static std::string FormatLine(LogKind kind, const DateTimeRec& t, const std::string& text);
    // Lines the file may grow past the limit before it is trimmed.
    static int Margin(int limit);

  private:
    std::string path_;
    int limit_ = 1000;
    bool AppendLine(const std::string& line);
    bool Rewrite(const std::string& line);

    std::FILE* echo_ = nullptr;
    ProblemReport problem_;
    // The file as the agent last left it; anything else is rewritten.
    bool known_ = false;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    off_t size_ = 0;
    int lines_ = 0;
};
