#include "HistoryReport.h"

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include "Clock.h"
#include "History.h"
#include "Outages.h"

namespace {

struct Db {
    sqlite3* db = nullptr;
    ~Db() { sqlite3_close(db); }
};
struct Query {
    sqlite3_stmt* s = nullptr;
    ~Query() { sqlite3_finalize(s); }
};

// The rows from `from` on, read in one transaction so events and samples
// agree; the last power-fail or power-back before it tells whether an outage
// was already running.
bool ReadRows(sqlite3* db, std::int64_t from, std::vector<HistoryEventRow>* events,
              std::vector<HistorySampleRow>* samples) {
    Query ev, sa;
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db,
                           "SELECT time, kind, detail FROM events WHERE time >= ?1 OR id = "
                           "(SELECT id FROM events WHERE time < ?1 AND kind IN "
                           "('power-fail', 'power-back') ORDER BY time DESC, id DESC LIMIT 1) "
                           "ORDER BY time, id",
                           -1, &ev.s, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db,
                           "SELECT time, charge, status FROM samples WHERE time >= ?1 "
                           "ORDER BY time",
                           -1, &sa.s, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int64(ev.s, 1, from);
    sqlite3_bind_int64(sa.s, 1, from);
    int rc;
    while ((rc = sqlite3_step(ev.s)) == SQLITE_ROW) {
        auto text = [&](int col) {
            const unsigned char* t = sqlite3_column_text(ev.s, col);
            return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
        };
        events->push_back({sqlite3_column_int64(ev.s, 0), text(1), text(2)});
    }
    if (rc != SQLITE_DONE) return false;
    while ((rc = sqlite3_step(sa.s)) == SQLITE_ROW) {
        HistorySampleRow r;
        r.time = sqlite3_column_int64(sa.s, 0);
        if (sqlite3_column_type(sa.s, 1) != SQLITE_NULL) r.charge = sqlite3_column_double(sa.s, 1);
        r.status = sqlite3_column_int(sa.s, 2);
        samples->push_back(r);
    }
    return rc == SQLITE_DONE && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
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
    const std::string path = folder + "/" + History::FileName;
    auto fail = [&](const std::string& why) {
        std::fprintf(err, "corvanta-agent: %s\n", why.c_str());
        return 1;
    };
    // Read-only: opening never creates the database, and a reader in WAL
    // mode never holds up the agent writing it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return fail(errno == ENOENT ? "no power history yet: " + path + " does not exist"
                                    : path + ": " + std::strerror(errno));
    // While the agent has the database open, its -wal and -shm exist and a
    // read-only reader shares them; without them such a reader would create
    // both and leave them behind, so the file is read as it stands.
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/._-~", c)) {
            uri += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            uri += hex;
        }
    }
    uri += ::access((path + "-wal").c_str(), F_OK) == 0 ? "?mode=ro" : "?immutable=1";
    Db db;
    if (sqlite3_open_v2(uri.c_str(), &db.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_URI,
                        nullptr) != SQLITE_OK)
        return fail("cannot open " + path + ": " + sqlite3_errmsg(db.db));
    sqlite3_busy_timeout(db.db, 2000);
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
    if (!ReadRows(db.db, from, &events, &samples))
        return fail("cannot read the power history " + path + ": " + sqlite3_errmsg(db.db));
    PrintTable(FindOutages(events, samples, from, now), csv, out);
    return 0;
}
