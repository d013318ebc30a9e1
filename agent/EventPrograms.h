// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// --on-event PROGRAM: each event the history records runs each program, with
// the event in its environment (CORVANTA_EVENT, CORVANTA_MESSAGE, ...). The
// programs run one at a time on a thread of their own, from a bounded queue,
// so a slow or hanging one costs events to it, never a second of the agent's.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CommandRunner.h"
#include "Integrations.h"

class EventPrograms : public Integration {
  public:
    static constexpr int TimeLimit = 60;          // seconds a program may run
    static constexpr std::size_t QueueBound = 64; // runs waiting, at most
    static constexpr int DefaultStopWait = 300;   // milliseconds, at the end

    // now: the clock the time limit is counted on.
    explicit EventPrograms(std::vector<std::string> programs,
                           std::function<long long()> now = MonotonicSeconds);
    ~EventPrograms() override;
    EventPrograms(const EventPrograms&) = delete;
    EventPrograms& operator=(const EventPrograms&) = delete;

    void OnEvent(const AgentEvent& event) override;
    std::vector<std::string> TakeReports() override;
    void Stop(int milliseconds) override;

  private:
    struct Shared;
    std::vector<std::string> programs_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};
