// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventPrograms.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <pthread.h>

#include "Folder.h"

namespace {

// The event as the program's environment; a figure not known is kept out
// (a bare name), so no inherited value can pass for it.
std::vector<std::string> EventEnvironment(const AgentEvent& e) {
    return {"CORVANTA_EVENT=" + e.Kind,
            "CORVANTA_MESSAGE=" + e.Message,
            "CORVANTA_TIME=" + LocalIsoTime(e.Time),
            "CORVANTA_UPS=" + e.Ups,
            e.Charge ? "CORVANTA_CHARGE=" + EventFigure(*e.Charge) : "CORVANTA_CHARGE",
            e.Runtime ? "CORVANTA_RUNTIME=" + std::to_string(*e.Runtime) : "CORVANTA_RUNTIME",
            e.Load ? "CORVANTA_LOAD=" + EventFigure(*e.Load) : "CORVANTA_LOAD"};
}

} // namespace

struct EventPrograms::Shared {
    using Clock = std::chrono::steady_clock;
    struct Run {
        std::string Program;
        std::vector<std::string> Environment;
    };

    Shared(std::function<long long()> now, RunAs identity)
        : as(std::move(identity)), runner(std::move(now), TimeLimit) {}

    void Work();
    void RunOne(const Run& run);
    void Report(std::string line) {
        std::lock_guard<std::mutex> hold(lock);
        reports.push_back(std::move(line));
    }

    std::mutex lock;
    std::condition_variable wake, idle;
    std::deque<Run> queue;
    bool behind = false; // dropping reported, until the queue has drained
    bool stopping = false, done = false;
    Clock::time_point stopBy;
    std::vector<std::string> reports;
    const RunAs as;     // taken once: the user database is not the thread's to read
    PosixRunner runner; // the worker's alone
};

void EventPrograms::Shared::Work() {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
        wake.wait(hold, [&] { return stopping || !queue.empty(); });
        if (stopping) break;
        Run run = std::move(queue.front());
        queue.pop_front();
        if (queue.empty()) behind = false;
        hold.unlock();
        RunOne(run);
        hold.lock();
    }
    done = true;
    idle.notify_all();
}

void EventPrograms::Shared::RunOne(const Run& run) {
    std::string why;
    switch (runner.Start({run.Program}, as, &why, run.Environment)) {
    case StartResult::Started:
        break;
    case StartResult::Refused:
        Report("Event program refused: " + ShownPath(run.Program) + " " + why);
        return;
    case StartResult::Failed:
        Report("Event program could not be started: " + ShownPath(run.Program) + ": " + why);
        return;
    }
    // Short programs are the rule: look soon, then less and less often.
    auto pause = std::chrono::milliseconds(2);
    for (;;) {
        const std::vector<ProgramEnd> ends = runner.Finished();
        for (const ProgramEnd& end : ends)
            if (end.Failed || end.Killed) Report("Event program " + end.Text);
        if (!ends.empty()) return;
        std::unique_lock<std::mutex> hold(lock);
        // At the agent's end the program is left to itself, not waited for.
        if (stopping && Clock::now() >= stopBy) return;
        Clock::time_point next = Clock::now() + pause;
        wake.wait_until(hold, stopping ? std::min(next, stopBy) : next);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

EventPrograms::EventPrograms(std::vector<std::string> programs, std::function<long long()> now)
    : programs_(std::move(programs)),
      shared_(std::make_shared<Shared>(std::move(now), AgentIdentity())) {
    // Signals are the main loop's business: the worker blocks them all. The
    // thread holds the shared state, so one left behind by Stop still has it.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    worker_ = std::thread([shared = shared_] { shared->Work(); });
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

EventPrograms::~EventPrograms() {
    Stop(DefaultStopWait);
}

void EventPrograms::OnEvent(const AgentEvent& event) {
    std::vector<std::string> environment = EventEnvironment(event);
    std::lock_guard<std::mutex> hold(shared_->lock);
    if (shared_->stopping) return;
    for (const std::string& program : programs_) {
        if (shared_->queue.size() >= QueueBound) {
            shared_->queue.pop_front();
            if (!std::exchange(shared_->behind, true))
                shared_->reports.emplace_back(
                    "Event programs fall behind: the oldest waiting ones are dropped");
        }
        shared_->queue.push_back({program, environment});
    }
    shared_->wake.notify_all();
}

std::vector<std::string> EventPrograms::TakeReports() {
    std::lock_guard<std::mutex> hold(shared_->lock);
    return std::exchange(shared_->reports, {});
}

void EventPrograms::Stop(int milliseconds) {
    if (!worker_.joinable()) return;
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->stopping = true;
    shared_->stopBy = Shared::Clock::now() + std::chrono::milliseconds(milliseconds);
    if (!shared_->queue.empty())
        shared_->reports.push_back("Event programs: " + std::to_string(shared_->queue.size()) +
                                   " waiting runs dropped at the agent's end");
    shared_->queue.clear();
    shared_->wake.notify_all();
    const bool finished =
        shared_->idle.wait_until(hold, shared_->stopBy, [&] { return shared_->done; });
    hold.unlock();
    if (finished)
        worker_.join();
    else
        worker_.detach();
}

std::unique_ptr<Integration> MakeEventPrograms(std::vector<std::string> programs) {
    return std::make_unique<EventPrograms>(std::move(programs));
}
