// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading rows of the power history for those who show it (the outage
// report, the History window): every row counted against caps, so that no
// history, planted or merely overgrown, is read without bound.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "HistoryDb.h"
#include "Outages.h"

struct sqlite3_stmt;

// What one read may take. Past any of them the reader says the history is
// too large to read in time: never a part that passes for the whole.
struct HistoryReadLimits {
    std::chrono::milliseconds time = HistoryDb::ReadBudget;
    std::size_t events = 20000;   // the table of 10000 outages fills in a blink
    std::size_t samples = 200000; // on battery for days, at one sample in 2 s
};

// The statements of one read, on one connection, each row counted against
// the read's limits (the time is the caller's HistoryDb::Budget).
class HistoryReader {
  public:
    HistoryReader(HistoryDb& db, const HistoryReadLimits& limits);

    enum class Rows { Events, Samples };
    using Value = std::variant<std::int64_t, double>;
    // Runs sql with values bound and hands each row to row. False on a fault
    // (fault() says it) or when the rows run out (overflow() says which:
    // "more than 20000 events").
    bool Each(const char* sql, std::initializer_list<Value> values, Rows rows,
              const std::function<void(sqlite3_stmt*)>& row);
    bool Exec(const char* sql);
    const HistoryDbResult& fault() const { return fault_; }
    const std::string& overflow() const { return overflow_; }

  private:
    HistoryDb& db_;
    const std::size_t events_, samples_;
    std::size_t eventsLeft_, samplesLeft_;
    HistoryDbResult fault_;
    std::string overflow_;
};

// What the outage table needs from `from` to `to`: the events, led by the
// last power-fail or power-back before `from` (which tells whether an outage
// was already running), and the samples of each outage's stretch only, so
// years on mains are never read.
bool ReadOutageRows(HistoryReader& r, std::int64_t from, std::int64_t to,
                    std::vector<HistoryEventRow>* events, std::vector<HistorySampleRow>* samples);
