// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryRows.h"
#include "Translatable.h"

#include <sqlite3.h>

#include <algorithm>

HistoryReader::HistoryReader(HistoryDb& db, const HistoryReadLimits& limits)
    : db_(db), events_(limits.events), samples_(limits.samples), eventsLeft_(events_),
      samplesLeft_(samples_) {}

bool HistoryReader::Each(const char* sql, std::initializer_list<Value> values, Rows rows,
                         const std::function<void(sqlite3_stmt*)>& row) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db_.Handle(), sql, -1, &s, nullptr);
    int i = 0;
    for (const Value& v : values) {
        if (rc != SQLITE_OK) break;
        ++i;
        rc = std::holds_alternative<double>(v)
                 ? sqlite3_bind_double(s, i, std::get<double>(v))
                 : sqlite3_bind_int64(s, i, std::get<std::int64_t>(v));
    }
    std::size_t& left = rows == Rows::Events ? eventsLeft_ : samplesLeft_;
    while (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        if (left == 0) {
            overflow_ = rows == Rows::Events
                            ? Substituted(CoreText("History", "more than %1 events"),
                                          {std::to_string(events_)})
                            : Substituted(CoreText("History", "more than %1 samples"),
                                          {std::to_string(samples_)});
            break;
        }
        --left;
        row(s);
        rc = SQLITE_OK;
    }
    if (rc != SQLITE_DONE && fault_.Ok() && overflow_.empty()) fault_ = db_.Check(rc);
    sqlite3_finalize(s);
    return fault_.Ok() && overflow_.empty();
}

bool HistoryReader::Exec(const char* sql) {
    return Each(sql, {}, Rows::Samples, [](sqlite3_stmt*) {});
}

bool ReadOutageRows(HistoryReader& r, std::int64_t from, std::int64_t to,
                    std::vector<HistoryEventRow>* events, std::vector<HistorySampleRow>* samples) {
    if (!r.Each(
            "SELECT time, kind, substr(detail, 1, 200) FROM events WHERE time >= ?1 OR "
            "id = (SELECT id FROM events WHERE time < ?1 AND kind IN "
            "('power-fail', 'power-back') ORDER BY time DESC, id DESC LIMIT 1) "
            "ORDER BY time, id",
            {from}, HistoryReader::Rows::Events, [&](sqlite3_stmt* s) {
                events->push_back({sqlite3_column_int64(s, 0), ColumnText(s, 1), ColumnText(s, 2)});
            }))
        return false;
    // Not an optional: GCC at -O2 takes its value for uninitialised.
    std::int64_t begin = 0;
    bool open = false;
    for (std::size_t i = 0; i <= events->size(); ++i) {
        const bool last = i == events->size();
        if (!last && (*events)[i].kind == "power-fail" && !open) {
            begin = (*events)[i].time;
            open = true;
        }
        if (!open || (!last && (*events)[i].kind != "power-back")) continue;
        const std::int64_t end = last ? to : (*events)[i].time;
        if (!r.Each("SELECT time, charge, status FROM samples WHERE time >= ? AND time <= ? "
                    "ORDER BY time",
                    {std::max(begin, from), end}, HistoryReader::Rows::Samples,
                    [&](sqlite3_stmt* s) {
                        HistorySampleRow row;
                        row.time = sqlite3_column_int64(s, 0);
                        if (sqlite3_column_type(s, 1) != SQLITE_NULL)
                            row.charge = sqlite3_column_double(s, 1);
                        row.status = sqlite3_column_int(s, 2);
                        samples->push_back(row);
                    }))
            return false;
        open = false;
    }
    return true;
}
