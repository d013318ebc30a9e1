#include "HistoryReport.h"

#include <sqlite3.h>

#include <ctime>
#include <limits>

#include "Clock.h"
#include "Folder.h"
#include "History.h"
#include "HistoryDb.h"
#include "Outages.h"

namespace {

// As the History window's: a report of ten thousand outages is past reading already, and days on
// battery fit.
constexpr std::size_t kMaxEvents = 20000, kMaxSamples = 200000;

// Steps a prepared statement, handing each row to row; when more rows come
// than left allows, *overflow says what of and the read stops.
template <typename Row>
int Each(sqlite3_stmt* s, std::size_t* left, const std::string& what, std::string* overflow,
         Row row) {
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        if (*left == 0) return *overflow = what, SQLITE_OK;
        --*left;
        row();
    }
    return rc;
}

struct Query {
    sqlite3_stmt* s = nullptr;
    Query() = default;
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    ~Query() { sqlite3_finalize(s); }
};

// The rows from `from` on, read in one transaction so events and samples
// agree: the events, led by the last power-fail or power-back before
// `from` (which tells whether an outage was already running), and the
// samples of each outage's stretch only, so years on mains are never read.
// Returns an SQLite result code; *overflow says which rows were too many.
int ReadRows(HistoryDb& db, std::int64_t from, std::int64_t now,
             std::vector<HistoryEventRow>* events, std::vector<HistorySampleRow>* samples,
             std::string* overflow) {
    Query ev, sa;
    int rc = sqlite3_exec(db.Handle(), "BEGIN", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db.Handle(),
                                "SELECT time, kind, substr(detail, 1, 200) FROM events WHERE "
                                "time >= ?1 OR id = (SELECT id FROM events WHERE time < ?1 AND "
                                "kind IN ('power-fail', 'power-back') ORDER BY time DESC, id "
                                "DESC LIMIT 1) ORDER BY time, id",
                                -1, &ev.s, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db.Handle(),
                                "SELECT time, charge, status FROM samples WHERE time >= ?1 AND "
                                "time <= ?2 ORDER BY time",
                                -1, &sa.s, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_bind_int64(ev.s, 1, from);
    std::size_t left = kMaxEvents;
    rc = Each(ev.s, &left, "more than " + std::to_string(kMaxEvents) + " events", overflow, [&] {
        const unsigned char* kind = sqlite3_column_text(ev.s, 1);
        const unsigned char* detail = sqlite3_column_text(ev.s, 2);
        events->push_back({sqlite3_column_int64(ev.s, 0),
                           kind ? reinterpret_cast<const char*>(kind) : "",
                           detail ? reinterpret_cast<const char*>(detail) : ""});
    });
    left = kMaxSamples;
    std::int64_t begin = 0;
    bool open = false;
    for (std::size_t i = 0; rc == SQLITE_DONE && overflow->empty() && i <= events->size(); ++i) {
        const bool last = i == events->size();
        if (!last && (*events)[i].kind == "power-fail" && !open) {
            begin = (*events)[i].time;
            open = true;
        }
        if (!open || (!last && (*events)[i].kind != "power-back")) continue;
        open = false;
        sqlite3_reset(sa.s);
        sqlite3_bind_int64(sa.s, 1, std::max(begin, from));
        sqlite3_bind_int64(sa.s, 2, last ? now : (*events)[i].time);
        rc = Each(sa.s, &left, "more than " + std::to_string(kMaxSamples) + " samples on battery",
                  overflow, [&] {
                      HistorySampleRow r;
                      r.time = sqlite3_column_int64(sa.s, 0);
                      if (sqlite3_column_type(sa.s, 1) != SQLITE_NULL)
                          r.charge = sqlite3_column_double(sa.s, 1);
                      r.status = sqlite3_column_int(sa.s, 2);
                      samples->push_back(r);
                  });
    }
    if (rc != SQLITE_DONE || !overflow->empty()) return rc;
    return sqlite3_exec(db.Handle(), "COMMIT", nullptr, nullptr, nullptr);
}

void PrintTable(const OutageTable& t, bool csv, std::FILE* out) {
    if (csv) {
        std::fputs(OutageCsv(t).c_str(), out);
        return;
    }
    std::fprintf(out, "%-21s %-20s %9s %6s  %s\n", "Start", "End", "Duration", "Lowest",
                 "Countdown");
    bool startedBefore = false;
    for (const Outage& o : t.outages) {
        startedBefore |= o.startedBefore;
        char low[16] = "-";
        if (o.lowestCharge) std::snprintf(low, sizeof low, "%.0f%%", *o.lowestCharge);
        std::string countdown =
            o.countdown == CountdownEnd::None ? "-" : CountdownEndName(o.countdown);
        if (!o.trigger.empty()) countdown += " (" + o.trigger + ")";
        std::fprintf(out, "%-21s %-20s %9s %6s  %s\n",
                     (HistoryTimeText(o.start) + (o.startedBefore ? "*" : "")).c_str(),
                     o.end ? HistoryTimeText(*o.end).c_str() : "on battery",
                     DurationText(o.seconds).c_str(), low, countdown.c_str());
    }
    std::fprintf(out, "\n%d outage%s, %s on battery, longest %s\n", t.count,
                 t.count == 1 ? "" : "s", DurationText(t.onBattery).c_str(),
                 DurationText(t.longest).c_str());
    if (startedBefore) std::fputs("* began earlier: counted from the report's start\n", out);
}

} // namespace

int PrintHistoryReport(const std::string& folder, std::optional<CivilDate> since, std::int64_t now,
                       bool csv, std::FILE* out, std::FILE* err) {
    // Through the folder's handle when it is the program folder: a rename of
    // the folder or a parent cannot send the read elsewhere.
    const std::string plain = folder + "/" + History::FileName;
    const std::string path =
        ShownPath(FolderFile(History::FileName)) == plain ? FolderFile(History::FileName) : plain;
    auto fail = [&](const std::string& why) {
        std::fprintf(err, "corvanta-agent: %s\n", why.c_str());
        return 1;
    };
    // Read-only and checked as every reader checks it: a FIFO, a link or a
    // database that is not the agent's own is refused, never waited on.
    HistoryDb db;
    const HistoryDbResult opened = db.Open(path, HistoryDb::Mode::Read);
    if (opened.status == HistoryDbStatus::Missing || opened.status == HistoryDbStatus::Empty)
        return fail("no power history yet: " + opened.Message());
    if (!opened.Ok()) return fail("cannot read the power history: " + opened.Message());
    std::int64_t from = std::numeric_limits<std::int64_t>::min();
    if (since) {
        std::tm tm{};
        tm.tm_year = since->year - 1900;
        tm.tm_mon = since->month - 1;
        tm.tm_mday = since->day;
        tm.tm_isdst = -1;
        from = TestTimeActive() ? timegm(&tm) : std::mktime(&tm);
    }
    std::vector<HistoryEventRow> events;
    std::vector<HistorySampleRow> samples;
    std::string overflow;
    int rc = SQLITE_OK;
    {
        // One budget for the whole read, as the History window has.
        HistoryDb::Budget budget(db, HistoryDb::ReadBudget);
        rc = ReadRows(db, from, now, &events, &samples, &overflow);
    }
    const std::string later = since ? "a later --since" : "--since";
    if (!overflow.empty())
        return fail("the power history is too large to read in time: " + overflow + "; " + later +
                    " reads less");
    if (const HistoryDbResult read = db.Check(rc); !read.Ok())
        return fail(read.status == HistoryDbStatus::TooSlow
                        ? "the power history is too large to read in time: " + read.Message() +
                              "; " + later + " reads less"
                        : "cannot read the power history: " + read.Message());
    PrintTable(FindOutages(events, samples, from, now), csv, out);
    return 0;
}
