// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryData.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>

#include "Folder.h"
#include "Translatable.h"
#include "Translation.h"
#include "Ups.h"

namespace {

// A battery is full at this charge; loads this close are comparable.
constexpr double kFullCharge = 95, kComparableLoad = 10;
// How long into an outage the first runtime estimate may come.
constexpr std::int64_t kRuntimeWindow = 120;

std::optional<double> Number(sqlite3_stmt* s, int column) {
    if (sqlite3_column_type(s, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(s, column);
}

using Reader = HistoryReader;

bool ReadPoints(Reader& r, std::int64_t from, std::int64_t to, std::vector<ChartPoint>* points) {
    const std::int64_t bucket = std::max<std::int64_t>(1, (to - from) / kChartBuckets);
    return r.Each("SELECT MIN(time), AVG(charge), AVG(load), AVG(input_volts) FROM samples "
                  "WHERE time > ? AND time <= ? GROUP BY (time - ?) / ? ORDER BY 1",
                  {from, to, from + 1, bucket}, Reader::Rows::Samples, [&](sqlite3_stmt* s) {
                      points->push_back(
                          {sqlite3_column_int64(s, 0), Number(s, 1), Number(s, 2), Number(s, 3)});
                  });
}

// The outages of the whole history that began on a full battery, with the
// first runtime estimate on battery in each: the first of them, then the
// latest at a comparable load or else any later one. Each query stops at
// the row it wants, so years of outages are not all read.
bool ReadFullStarts(Reader& r, std::vector<RuntimeReading>* readings) {
    const std::string query =
        "SELECT e.id, e.time, s.runtime_s, s.load FROM events e JOIN samples s ON s.time = "
        "(SELECT time FROM samples WHERE time >= e.time AND time <= e.time + ?1 AND "
        "(status & ?2) != 0 AND runtime_s IS NOT NULL AND load IS NOT NULL "
        "ORDER BY time LIMIT 1) "
        "WHERE e.kind = 'power-fail' AND (SELECT charge FROM samples WHERE time <= e.time "
        "ORDER BY time DESC LIMIT 1) >= ?3 AND e.id != ?4 AND abs(s.load - ?5) <= ?6 ";
    std::int64_t firstId = 0;
    double firstLoad = 0;
    auto take = [&](sqlite3_stmt* s) {
        firstId = firstId ? firstId : sqlite3_column_int64(s, 0);
        firstLoad = readings->empty() ? sqlite3_column_double(s, 3) : firstLoad;
        readings->push_back(
            {sqlite3_column_int64(s, 1), sqlite3_column_double(s, 2), sqlite3_column_double(s, 3)});
    };
    auto one = [&](const char* order, double within) {
        return r.Each(
            (query + order + " LIMIT 1").c_str(),
            {kRuntimeWindow, std::int64_t{UPS_ACFAIL}, kFullCharge, firstId, firstLoad, within},
            Reader::Rows::Samples, take);
    };
    constexpr double anyLoad = 1e9;
    if (!one("ORDER BY e.time, e.id", anyLoad)) return false;
    if (readings->empty()) return true;
    if (!one("ORDER BY e.time DESC, e.id DESC", kComparableLoad)) return false;
    return readings->size() > 1 || one("ORDER BY e.time DESC, e.id DESC", anyLoad);
}

// What the user is told when the history cannot be shown.
std::string Problem(const HistoryDbResult& fault) {
    switch (fault.status) {
    case HistoryDbStatus::Missing:
    case HistoryDbStatus::Empty:
        return Translated("HistoryWindow", "No history yet: the agent has not recorded any.");
    case HistoryDbStatus::Newer:
        return Translated("HistoryWindow",
                          "The history was written by a newer agent and cannot be read here.");
    case HistoryDbStatus::TooSlow:
        return Substituted(Translated("HistoryWindow",
                                      "The history is too large to read in time: %1 took too "
                                      "long to answer. A shorter range may be read."),
                           {ShownPath(fault.file)});
    // SQLite's own wording means nothing to the user: the cause in words.
    case HistoryDbStatus::Corrupt:
        return Substituted(Translated("HistoryWindow",
                                      "The history cannot be read: %1 is damaged or not a "
                                      "database."),
                           {ShownPath(fault.file)});
    case HistoryDbStatus::Locked:
        return Substituted(Translated("HistoryWindow",
                                      "The history cannot be read: another program holds %1. It "
                                      "may be read again in a moment."),
                           {ShownPath(fault.file)});
    case HistoryDbStatus::Failed:
        return Substituted(Translated("HistoryWindow",
                                      "The history cannot be read: %1 cannot be opened or read "
                                      "from the disk."),
                           {ShownPath(fault.file)});
    default:
        break;
    }
    return Substituted(Translated("HistoryWindow", "The history cannot be read: %1."),
                       {fault.Message()});
}

} // namespace

std::int64_t HistoryRangeSeconds(HistoryRange range) {
    constexpr std::int64_t day = 24 * 3600;
    switch (range) {
    case HistoryRange::Hour:
        return 3600;
    case HistoryRange::Day:
        return day;
    case HistoryRange::Week:
        return 7 * day;
    case HistoryRange::Month:
        return 30 * day;
    case HistoryRange::Year:
        break;
    }
    return 365 * day;
}

std::string HistoryShownTime(std::int64_t t, bool withTime, bool withSeconds) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    std::sscanf(HistoryTimeText(t).c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    return withTime ? LocalDateTime(y, mo, d, h, mi, withSeconds ? s : -1) : LocalDate(y, mo, d);
}

std::string HistoryRangeName(HistoryRange range) {
    const char* const names[] = {
        TRANSLATABLE("HistoryWindow", "Last hour"), TRANSLATABLE("HistoryWindow", "Last day"),
        TRANSLATABLE("HistoryWindow", "Last week"), TRANSLATABLE("HistoryWindow", "Last month"),
        TRANSLATABLE("HistoryWindow", "Last year")};
    return Translated("HistoryWindow", names[static_cast<int>(range)]);
}

std::string HistoryRangeWithin(HistoryRange range) {
    const char* const names[] = {TRANSLATABLE("HistoryWindow", "in the last hour"),
                                 TRANSLATABLE("HistoryWindow", "in the last day"),
                                 TRANSLATABLE("HistoryWindow", "in the last week"),
                                 TRANSLATABLE("HistoryWindow", "in the last month"),
                                 TRANSLATABLE("HistoryWindow", "in the last year")};
    return Translated("HistoryWindow", names[static_cast<int>(range)]);
}

std::string HistoryRangeNoun(HistoryRange range) {
    const char* const names[] = {TRANSLATABLE("HistoryWindow", "the last hour"),
                                 TRANSLATABLE("HistoryWindow", "the last day"),
                                 TRANSLATABLE("HistoryWindow", "the last week"),
                                 TRANSLATABLE("HistoryWindow", "the last month"),
                                 TRANSLATABLE("HistoryWindow", "the last year")};
    return Translated("HistoryWindow", names[static_cast<int>(range)]);
}

HistoryView ReadHistory(const std::string& path, HistoryRange range, std::int64_t now,
                        const HistoryReadLimits& limits) {
    HistoryView view;
    view.to = now;
    view.from = now - HistoryRangeSeconds(range);
    HistoryDb db;
    const HistoryDbResult opened = db.Open(path, HistoryDb::Mode::Read);
    if (!opened.Ok()) {
        const bool none =
            opened.status == HistoryDbStatus::Missing || opened.status == HistoryDbStatus::Empty;
        view.state = none ? HistoryView::State::Missing : HistoryView::State::Unreadable;
        view.problem = Problem(opened);
        return view;
    }
    // One budget for the whole read; one read transaction, so the chart,
    // the table and the totals show the same moment of the history.
    HistoryDb::Budget budget(db, limits.time);
    Reader r(db, limits);
    std::vector<HistoryEventRow> events;
    std::vector<HistorySampleRow> samples;
    if (!r.Exec("BEGIN") || !ReadOutageRows(r, view.from, view.to, &events, &samples) ||
        !ReadPoints(r, view.from, view.to, &view.points) || !r.Exec("COMMIT")) {
        HistoryView failed;
        failed.state = HistoryView::State::Unreadable;
        failed.from = view.from, failed.to = view.to;
        failed.problem =
            r.overflow().empty()
                ? Problem(r.fault())
                : Substituted(Translated("HistoryWindow",
                                         "The history is too large to read in time: %1 holds %2. A "
                                         "shorter range may be read."),
                              {HistoryRangeNoun(range), r.overflow()});
        return failed;
    }
    view.outages = FindOutages(events, samples, view.from, view.to);
    view.state = HistoryView::State::Read;
    // The battery line looks through the whole history, in what is left of
    // the time: years of outages without a runtime may not fit, and then
    // the line says so while the range is still shown whole.
    Reader starts(db, limits);
    if (!ReadFullStarts(starts, &view.fullStarts)) {
        view.fullStarts.clear();
        view.healthProblem =
            starts.fault().status == HistoryDbStatus::TooSlow
                ? Translated("HistoryWindow", "Battery: the history holds too many outages to "
                                              "compare the runtimes in time.")
                : Substituted(Translated("HistoryWindow", "Battery: %1."),
                              {starts.fault().Message()});
    }
    return view;
}

std::string BatteryHealthText(const std::vector<RuntimeReading>& fullStarts) {
    if (fullStarts.size() < 2)
        return Substituted(
            Translated("HistoryWindow",
                       "Battery: two outages that begin on a full battery are needed to "
                       "compare its runtime (%1 so far)."),
            {std::to_string(fullStarts.size())});
    const RuntimeReading& first = fullStarts.front();
    const RuntimeReading* latest = nullptr;
    for (auto it = fullStarts.rbegin(); it + 1 != fullStarts.rend() && !latest; ++it)
        if (std::fabs(it->load - first.load) <= kComparableLoad) latest = &*it;
    auto reading = [](const RuntimeReading& r) {
        return Substituted(Translated("HistoryWindow", "%1 min at %2% load on %3"),
                           {LocalNumber(r.runtimeSeconds / 60, 0), LocalNumber(r.load, 0),
                            HistoryShownTime(r.time, false)});
    };
    if (!latest)
        return Substituted(
            Translated("HistoryWindow",
                       "Battery: %1; no later full-battery outage at a comparable load."),
            {reading(first)});
    if (first.runtimeSeconds <= 0)
        return Substituted(Translated("HistoryWindow", "Battery runtime: %1, then %2."),
                           {reading(first), reading(*latest)});
    return Substituted(
        Translated("HistoryWindow", "Battery runtime: %1, then %2 (%3% of the first)."),
        {reading(first), reading(*latest),
         LocalNumber(100 * latest->runtimeSeconds / first.runtimeSeconds, 0)});
}
