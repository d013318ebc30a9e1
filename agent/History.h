// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The power history ZAN_HISTORY.DB: samples of the UPS's values and the
// events around them, in SQLite (core/HistoryDb.h), written only by the
// agent. Every time comes from the caller (the agent's clock, which tests
// set), so nothing here reads the wall clock. The history is a passenger:
// it is written by a thread of its own, a database it cannot use is renamed
// aside and a fresh one started, and when even that fails the agent goes on
// monitoring without it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Folder.h"
#include "HistoryDb.h"
#include "file.h"

// A value the UPS does not report stays empty (NULL in the database), never 0.
struct HistorySample {
    std::int64_t time = 0;              // seconds since the epoch; one row per second at most
    std::optional<double> charge, load; // %
    std::optional<double> inputVolts, outputVolts, inputHz, batteryVolts;
    std::optional<int> runtimeSeconds;
    std::optional<double> temperature; // C
    std::int32_t status = 0;           // the status word, UPS_* masks
};

// What the writer and its queue share: names, ages and cadences.
struct HistoryRules {
    static constexpr const char* FileName = HistoryFileName;
    static constexpr int SchemaVersion = HistoryDb::SchemaVersion;
    static constexpr std::int64_t Minute = 60, Hour = 3600, Day = 24 * Hour;
    // Kept whole, then one row a minute, then one per 15 minutes, then gone.
    // Events alike, but collapsed rather than sampled (see HistoryStore::Thin).
    static constexpr std::int64_t RawAge = 48 * Hour, MinuteAge = 60 * Day, KeepAge = 2 * 365 * Day;

    // Seconds between samples: 10 on mains, 2 on battery.
    static int SampleSeconds(std::int32_t status);
    // Whether a sample is due now after one at last (none yet: nullopt).
    // A clock set back makes it due at once rather than silent for the gap.
    static bool SampleDue(std::optional<std::int64_t> last, std::int64_t now, std::int32_t status);
    // Whether the hourly thinning is due now after one at last.
    static bool ThinDue(std::optional<std::int64_t> last, std::int64_t now);
};

// The database itself, used from one thread: each call returns when done.
class HistoryStore : public HistoryRules {
  public:
    // report gets one line for the agent's log whenever the history changes
    // its state (a database moved aside, a write that failed).
    explicit HistoryStore(std::function<void(const std::string&)> report,
                          std::string path = FolderFile(HistoryFileName));

    // Opens (or creates, or upgrades) the database; anything else standing
    // under the name is moved aside for a fresh one. Also done by the first
    // write; after a failure that moving aside cannot mend, it is retried
    // at most once an hour.
    bool Open(std::int64_t now);
    bool IsOpen() const { return db_.IsOpen(); }

    bool AddSample(const HistorySample& s) { return AddSamples({s}); }
    // Several samples in one transaction; now is the last one's time.
    bool AddSamples(const std::vector<HistorySample>& samples);
    bool AddEvent(std::int64_t time, const std::string& kind, const std::string& detail);

    // Thins and trims samples and events by age; does nothing (false) when
    // it last ran less than an hour before now.
    bool Thin(std::int64_t now);
    // Samples with from <= time < to; -1 when the database cannot say.
    long long SampleCount(std::int64_t from, std::int64_t to);

  private:
    // Runs body in one transaction; a database that fails it is mended
    // (moved aside for a fresh one) and body tried once more there.
    bool Write(std::int64_t now, const std::function<HistoryDbResult()>& body);
    bool Recover(HistoryDbResult fault, std::int64_t now);
    bool MoveAside(const HistoryDbResult& fault, std::int64_t now);
    HistoryDbResult ThinEvents(std::int64_t from, std::int64_t to, std::int64_t bucket);
    void Report(const std::string& line);

    std::string path_;
    std::function<void(const std::string&)> report_;
    HistoryDb db_;
    std::int64_t pausedFrom_ = 0, pausedTo_ = std::numeric_limits<std::int64_t>::min();
    std::optional<std::int64_t> lastThin_;
    std::string lastReport_;
};

// The agent's history: hands samples, events and the thinning to a thread
// that owns the database, through a bounded queue, and never waits for it.
// A history that falls behind loses its oldest samples, never a second of
// the agent's. Its report lines wait for the agent's thread (TakeReports).
class History : public HistoryRules {
  public:
    static constexpr std::size_t QueueLimit = 512;
    // How long Stop (and the destructor) give the thread to finish.
    static constexpr std::chrono::milliseconds StopWait{800};

    explicit History(std::string path = FolderFile(HistoryFileName));
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    void AddSamples(std::vector<HistorySample> samples);
    void AddEvent(std::int64_t time, std::string kind, std::string detail);
    // Hands over the thinning at most once an hour.
    void Thin(std::int64_t now);
    // The lines for the log since the last call.
    std::vector<std::string> TakeReports();
    // Lets the thread finish what it has for at most wait, then leaves it
    // (a stuck disk must not keep the agent from ending). True when it
    // finished; nothing is handed over afterwards.
    bool Stop(std::chrono::milliseconds wait);
    // Tests: returns once everything handed over is done.
    void WaitIdle();

    struct Shared;

  private:
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    std::optional<std::int64_t> lastThin_;
};
