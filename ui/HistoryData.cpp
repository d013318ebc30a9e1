#include "HistoryData.h"

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <variant>

#include "Ups.h"

namespace {

// A battery is full at this charge; loads this close are comparable.
constexpr double kFullCharge = 95, kComparableLoad = 10;
// How long into an outage the first runtime estimate may come.
constexpr std::int64_t kRuntimeWindow = 120;

using Value = std::variant<std::int64_t, double>;

std::optional<double> Number(sqlite3_stmt* s, int column) {
    if (sqlite3_column_type(s, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(s, column);
}

// The statements of one read, on one connection, each row counted against
// the read's limits.
class Reader {
  public:
    Reader(HistoryDb& db, const HistoryReadLimits& limits)
        : db_(db), events_(limits.events), samples_(limits.samples), eventsLeft_(events_),
          samplesLeft_(samples_) {}

    enum class Rows { Events, Samples };
    // Runs sql with values bound and hands each row to row. False on a fault
    // (fault() says it) or when the rows run out (overflow() says which).
    bool Each(const char* sql, std::initializer_list<Value> values, Rows rows,
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
                overflow_ = "more than " +
                            std::to_string(rows == Rows::Events ? events_ : samples_) +
                            (rows == Rows::Events ? " events" : " samples");
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
    bool Exec(const char* sql) {
        return Each(sql, {}, Rows::Samples, [](sqlite3_stmt*) {});
    }
    const HistoryDbResult& fault() const { return fault_; }
    const std::string& overflow() const { return overflow_; }

  private:
    HistoryDb& db_;
    const std::size_t events_, samples_;
    std::size_t eventsLeft_, samplesLeft_;
    HistoryDbResult fault_;
    std::string overflow_;
};

// The events of the range, led by the last power-fail or power-back before
// it, as the agent's report reads them.
bool ReadEvents(Reader& r, std::int64_t from, std::vector<HistoryEventRow>* events) {
    return r.Each("SELECT time, kind, substr(detail, 1, 200) FROM events WHERE time >= ?1 OR "
                  "id = (SELECT id FROM events WHERE time < ?1 AND kind IN "
                  "('power-fail', 'power-back') ORDER BY time DESC, id DESC LIMIT 1) "
                  "ORDER BY time, id",
                  {from}, Reader::Rows::Events, [&](sqlite3_stmt* s) {
                      auto text = [&](int col) {
                          const unsigned char* t = sqlite3_column_text(s, col);
                          return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
                      };
                      events->push_back({sqlite3_column_int64(s, 0), text(1), text(2)});
                  });
}

// FindOutages looks at samples only from a power failure to the next
// power-back: those stretches are all it is given, so a year of samples on
// mains is never read.
bool ReadOutageSamples(Reader& r, const std::vector<HistoryEventRow>& events, std::int64_t from,
                       std::int64_t to, std::vector<HistorySampleRow>* samples) {
    // Not an optional: GCC at -O2 takes its value for uninitialised.
    std::int64_t begin = 0;
    bool open = false;
    for (std::size_t i = 0; i <= events.size(); ++i) {
        const bool last = i == events.size();
        if (!last && events[i].kind == "power-fail" && !open) {
            begin = events[i].time;
            open = true;
        }
        if (!open || (!last && events[i].kind != "power-back")) continue;
        const std::int64_t end = last ? to : events[i].time;
        if (!r.Each("SELECT time, charge, status FROM samples WHERE time >= ? AND time <= ? "
                    "ORDER BY time",
                    {std::max(begin, from), end}, Reader::Rows::Samples, [&](sqlite3_stmt* s) {
                        samples->push_back(
                            {sqlite3_column_int64(s, 0), Number(s, 1), sqlite3_column_int(s, 2)});
                    }))
            return false;
        open = false;
    }
    return true;
}

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
        return "No history yet: the agent has not recorded any.";
    case HistoryDbStatus::Newer:
        return "The history was written by a newer agent and cannot be read here.";
    case HistoryDbStatus::TooSlow:
        return "The history is too large to read in time: " + fault.Message() +
               ". A shorter range may be read.";
    default:
        break;
    }
    return "The history cannot be read: " + fault.Message() + ".";
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

const char* HistoryRangeName(HistoryRange range) {
    const char* const names[] = {"Last hour", "Last day", "Last week", "Last month", "Last year"};
    return names[static_cast<int>(range)];
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
    if (!r.Exec("BEGIN") || !ReadEvents(r, view.from, &events) ||
        !ReadOutageSamples(r, events, view.from, view.to, &samples) ||
        !ReadPoints(r, view.from, view.to, &view.points) || !r.Exec("COMMIT")) {
        HistoryView failed;
        failed.state = HistoryView::State::Unreadable;
        failed.from = view.from, failed.to = view.to;
        std::string name = HistoryRangeName(range);
        name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
        failed.problem = r.overflow().empty()
                             ? Problem(r.fault())
                             : "The history is too large to read in time: the " + name + " holds " +
                                   r.overflow() + ". A shorter range may be read.";
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
                ? "Battery: the history holds too many outages to compare the runtimes in time."
                : "Battery: " + starts.fault().Message() + ".";
    }
    return view;
}

std::string BatteryHealthText(const std::vector<RuntimeReading>& fullStarts) {
    if (fullStarts.size() < 2)
        return "Battery: two outages that begin on a full battery are needed to compare its "
               "runtime (" +
               std::to_string(fullStarts.size()) + " so far).";
    const RuntimeReading& first = fullStarts.front();
    const RuntimeReading* latest = nullptr;
    for (auto it = fullStarts.rbegin(); it + 1 != fullStarts.rend() && !latest; ++it)
        if (std::fabs(it->load - first.load) <= kComparableLoad) latest = &*it;
    auto reading = [](const RuntimeReading& r) {
        char text[96];
        std::snprintf(text, sizeof text, "%.0f min at %.0f %% load on %s", r.runtimeSeconds / 60,
                      r.load, HistoryTimeText(r.time).substr(0, 10).c_str());
        return std::string(text);
    };
    if (!latest)
        return "Battery: " + reading(first) +
               "; no later full-battery outage at a comparable load.";
    char change[48] = "";
    if (first.runtimeSeconds > 0)
        std::snprintf(change, sizeof change, " (%.0f %% of the first)",
                      100 * latest->runtimeSeconds / first.runtimeSeconds);
    return "Battery runtime: " + reading(first) + ", then " + reading(*latest) + change + ".";
}
