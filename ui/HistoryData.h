// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the History window shows, read from the agent's power history: the
// chart's points for a range, the outage table (derived in core, as the
// agent's report derives it) and the runtimes that tell the battery's health.
// The database is only ever read, and read so that the agent writing it is
// never held up; it is opened as HistoryDb checks every history, and a read
// is bounded in time and in rows, so a reader may run it on a worker thread
// and always gets an answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HistoryRows.h"
#include "Outages.h"

enum class HistoryRange { Hour, Day, Week, Month, Year };
constexpr int kHistoryRangeCount = 5;
std::int64_t HistoryRangeSeconds(HistoryRange range);
// "Last hour", "Last day", ...
std::string HistoryRangeName(HistoryRange range);
// "the last hour", ..., as the subject of a sentence.
std::string HistoryRangeNoun(HistoryRange range);
// "in the last hour", ..., as the totals say where the outages were.
std::string HistoryRangeWithin(HistoryRange range);
// A moment of the history (its civil time as HistoryTimeText takes it) in
// the locale's format: the day, or the day and the time to the second (or
// to the minute).
std::string HistoryShownTime(std::int64_t t, bool withTime, bool withSeconds = true);

// Each range is drawn with at most this many points: a year opens as fast as
// an hour, and no screen shows more.
constexpr int kChartBuckets = 720;

// The average of the samples of one bucket, dated by its first sample.
struct ChartPoint {
    std::int64_t time = 0;
    std::optional<double> charge, load, inputVolts;
};

// The UPS's runtime estimate in the first seconds of an outage that began on
// a full battery, with the load it was made for.
struct RuntimeReading {
    std::int64_t time = 0;
    double runtimeSeconds = 0, load = 0;
};

struct HistoryView {
    enum class State { Read, Missing, Unreadable };
    State state = State::Missing;
    std::string problem; // what to tell the user when it is not Read
    std::int64_t from = 0, to = 0;
    std::vector<ChartPoint> points;
    OutageTable outages;
    // Of the whole history: the first, then the latest at a comparable load
    // (or, without one, any later one), as BatteryHealthText compares them.
    std::vector<RuntimeReading> fullStarts;
    std::string healthProblem; // the battery line when fullStarts could not be read
};

// The history at path over the range that ends at now. Thread-safe.
HistoryView ReadHistory(const std::string& path, HistoryRange range, std::int64_t now,
                        const HistoryReadLimits& limits = {});

// The battery line: the runtime of the first full-battery outage against the
// latest one at a comparable load, or why there is none to compare.
std::string BatteryHealthText(const std::vector<RuntimeReading>& fullStarts);
