// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A failure the administrator must hear of even when the event log cannot be
// written (a full disk): reported on standard error, the journal under
// systemd, when it starts or its cause changes, and once more when it ends.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

class ProblemReport {
  public:
    // what: the thing written, "the values file /path".
    explicit ProblemReport(std::string what) : what_(std::move(what)) {}
    void SetStream(std::FILE* out) { out_ = out; }
    bool Failing() const { return error_ != 0; }

    // One attempt: ok, or failed with errno error.
    void Outcome(bool ok, int error) {
        if (ok) {
            if (error_ != 0 && out_)
                std::fprintf(out_, "corvanta-agent: %s is written again\n", what_.c_str());
            error_ = 0;
            return;
        }
        if (error == 0) error = EIO; // never mistaken for success
        if (error != error_ && out_)
            std::fprintf(out_, "corvanta-agent: cannot write %s: %s\n", what_.c_str(),
                         std::strerror(error));
        error_ = error;
    }

  private:
    std::string what_;
    int error_ = 0;
    std::FILE* out_ = stderr;
};
