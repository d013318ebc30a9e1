// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the programs the agent runs (the command file, the shutdown
// command) without waiting for them, so the one-second rhythm never stalls.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

#include "TrustedProgram.h"

enum class StartResult {
    Started,
    Refused, // the program failed its checks; *why says which
    Failed,  // checked, but could not be started; *why says why
};

// A program that ended: Text is the log line, Failed that it exited with a
// status other than 0 (a signal or a kill is not counted: the computer's
// own shutdown ends programs that way).
struct ProgramEnd {
    std::string Program; // argv[0] as started
    std::string Text;
    bool Failed = false;
    bool Killed = false; // by the time limit
    bool operator==(const ProgramEnd&) const = default;
};

class CommandRunner {
  public:
    virtual ~CommandRunner() = default;
    // Starts argv[0] (an absolute path) with the rest as its arguments, as
    // user `as`; no shell is involved.
    virtual StartResult Start(const std::vector<std::string>& argv, const RunAs& as,
                              std::string* why) = 0;
    // Each program that ended (or was killed) since the last call.
    virtual std::vector<ProgramEnd> Finished() = 0;
};

// Seconds on a clock that never goes back.
long long MonotonicSeconds();

class PosixRunner : public CommandRunner {
  public:
    // A program still running after timeLimit seconds of now() is killed
    // with its whole process group.
    static constexpr int DefaultTimeLimit = 600;
    explicit PosixRunner(std::function<long long()> now = MonotonicSeconds,
                         int timeLimit = DefaultTimeLimit);

    StartResult Start(const std::vector<std::string>& argv, const RunAs& as,
                      std::string* why) override;
    // The same with extra environment: "NAME=value" sets NAME for this
    // program over an inherited one; a bare "NAME" keeps an inherited NAME
    // out, so a value not known is never mistaken for one passed down.
    StartResult Start(const std::vector<std::string>& argv, const RunAs& as, std::string* why,
                      const std::vector<std::string>& extra);
    std::vector<ProgramEnd> Finished() override;

  private:
    struct Running {
        std::string Name;
        long long Deadline;
        bool Killed;
    };
    std::function<long long()> now_;
    int timeLimit_;
    std::map<pid_t, Running> running_;
};
