#include "History.h"

#include <sqlite3.h>

#include <ctime>
#include <iterator>
#include <sys/stat.h>
#include <utility>

#include "Ups.h"

namespace {

// kSteps[n] takes a database from schema version n to n + 1. A later version
// appends its step; a released step is never edited, since databases out
// there were built by it.
const char* const kSteps[] = {
    "CREATE TABLE samples(time INTEGER PRIMARY KEY, charge REAL, load REAL, input_volts REAL,"
    " output_volts REAL, input_hz REAL, battery_volts REAL, runtime_s INTEGER,"
    " temperature REAL, status INTEGER NOT NULL);"
    "CREATE TABLE events(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, kind TEXT NOT NULL,"
    " detail TEXT NOT NULL);"
    "CREATE INDEX events_by_time ON events(time);",
};
static_assert(std::size(kSteps) == History::SchemaVersion);

// Readers in WAL mode never lock the writer out, so a lock held longer than
// this is a stranger's, and waiting for it would stall the agent's second.
constexpr int kBusyMs = 100;

struct Statement {
    sqlite3_stmt* s = nullptr;
    ~Statement() { sqlite3_finalize(s); }
};

} // namespace

History::History(std::string folder, std::function<void(const std::string&)> report)
    : folder_(std::move(folder)), path_(folder_ + "/" + FileName), report_(std::move(report)) {}

History::~History() {
    Close();
}

void History::Close() {
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void History::Report(const std::string& line) {
    // A full disk fails every write alike; the log hears of it once.
    if (line == lastReport_) return;
    lastReport_ = line;
    if (report_) report_(line);
}

History::Fault History::Classify(int rc, std::string* why) const {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return Fault::None;
    *why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Fault::Corrupt;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Fault::Locked;
    default:
        return Fault::Other;
    }
}

History::Fault History::Exec(const char* sql, std::string* why) {
    return Classify(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), why);
}

History::Fault History::OpenFile(std::string* why) {
    int rc =
        sqlite3_open_v2(path_.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) return Classify(rc, why);
    sqlite3_busy_timeout(db_, kBusyMs);
    // WAL lets the monitor read while the agent writes. Under WAL, NORMAL
    // syncs at checkpoints only, not at each commit: a power cut can lose the
    // last few samples but cannot damage the file, and the disk is spared an
    // fsync every few seconds.
    // Small pages: an idle hour's commits each rewrite a page or three, so
    // the page size is what an idle agent writes (taken by a new file only).
    Fault f =
        Exec("PRAGMA page_size=1024; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", why);
    if (f != Fault::None) return f;
    Statement st;
    rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &st.s, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st.s);
    if (rc != SQLITE_ROW) return Classify(rc, why);
    const int version = sqlite3_column_int(st.s, 0);
    if (version > SchemaVersion) {
        *why = "made by a newer agent (schema version " + std::to_string(version) + ")";
        return Fault::Newer;
    }
    if (version == SchemaVersion) return Fault::None;
    f = Exec("BEGIN IMMEDIATE", why);
    for (int v = version; f == Fault::None && v < SchemaVersion; ++v)
        f = Exec(kSteps[v], why);
    const std::string stamp = "PRAGMA user_version=" + std::to_string(SchemaVersion);
    if (f == Fault::None) f = Exec(stamp.c_str(), why);
    if (f == Fault::None) f = Exec("COMMIT", why);
    return f;
}

bool History::Open(std::int64_t now) {
    Close();
    std::string why;
    const Fault f = OpenFile(&why);
    return f == Fault::None || Recover(f, why, now);
}

bool History::Recover(Fault fault, std::string why, std::int64_t now) {
    Close();
    if (fault != Fault::Other) {
        MoveAside(fault, why, now);
        if (OpenFile(&why) == Fault::None) return true;
        Close();
    }
    retryAt_ = now + Hour;
    Report("history: " + path_ + " cannot be written (" + why + "); no history for an hour");
    return false;
}

void History::MoveAside(Fault fault, const std::string& why, std::int64_t now) {
    const char* kind = fault == Fault::Corrupt  ? "corrupt"
                       : fault == Fault::Locked ? "locked"
                                                : "newer";
    // Stamped in UTC: the agent's clock, not the zone the service runs in.
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    const std::string base = path_ + "." + kind + "-" + stamp;
    std::string aside = base;
    struct stat st {};
    for (int n = 2; ::lstat(aside.c_str(), &st) == 0; ++n)
        aside = base + "-" + std::to_string(n);
    // The -shm goes too: a fresh database must not share a stranger's.
    for (const char* suffix : {"", "-wal", "-shm"})
        std::rename((path_ + suffix).c_str(), (aside + suffix).c_str());
    Report("history: " + path_ + " " + why + ", moved aside as " + aside + "; a fresh one begins");
}

bool History::Write(std::int64_t now, const std::function<Fault(std::string*)>& body) {
    if (!db_) {
        if (now < retryAt_ && now >= retryAt_ - Hour) return false;
        if (!Open(now)) return false;
    }
    for (int attempt = 0;; ++attempt) {
        std::string why;
        Fault f = Exec("BEGIN IMMEDIATE", &why);
        if (f == Fault::None) f = body(&why);
        if (f == Fault::None) f = Exec("COMMIT", &why);
        if (f == Fault::None) return true;
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (attempt > 0 || !Recover(f, why, now)) return false;
    }
}

bool History::AddSamples(const std::vector<HistorySample>& samples) {
    if (samples.empty()) return true;
    return Write(samples.back().time, [&](std::string* why) {
        Statement st;
        int rc = sqlite3_prepare_v2(
            db_, "INSERT OR REPLACE INTO samples VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10)", -1, &st.s,
            nullptr);
        for (const HistorySample& s : samples) {
            if (rc != SQLITE_OK) break;
            sqlite3_bind_int64(st.s, 1, s.time);
            const std::optional<double> values[] = {s.charge,         s.load,       s.inputVolts,
                                                    s.outputVolts,    s.inputHz,    s.batteryVolts,
                                                    s.runtimeSeconds, s.temperature};
            for (int i = 0; i < 8; ++i)
                if (values[i])
                    sqlite3_bind_double(st.s, i + 2, *values[i]);
                else
                    sqlite3_bind_null(st.s, i + 2);
            sqlite3_bind_int(st.s, 10, s.status);
            sqlite3_step(st.s);
            rc = sqlite3_reset(st.s); // the step's error, if it failed
        }
        return Classify(rc, why);
    });
}

bool History::AddEvent(std::int64_t time, const std::string& kind, const std::string& detail) {
    return Write(time, [&](std::string* why) {
        Statement st;
        int rc = sqlite3_prepare_v2(db_, "INSERT INTO events(time, kind, detail) VALUES(?1,?2,?3)",
                                    -1, &st.s, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int64(st.s, 1, time);
            sqlite3_bind_text(st.s, 2, kind.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st.s, 3, detail.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(st.s);
        }
        return Classify(rc, why);
    });
}

int History::SampleSeconds(std::int32_t status) {
    return (status & UPS_ACFAIL) ? 2 : 10;
}

bool History::SampleDue(std::optional<std::int64_t> last, std::int64_t now, std::int32_t status) {
    return !last || now < *last || now - *last >= SampleSeconds(status);
}

bool History::Thin(std::int64_t now) {
    if (lastThin_ && now >= *lastThin_ && now < *lastThin_ + Hour) return false;
    lastThin_ = now;
    return Write(now, [&](std::string* why) {
        // Keeps the first row of each minute (quarter hour) of its age band.
        // The buckets count from the epoch, not from now, so running again
        // removes nothing more.
        const char* thin = "DELETE FROM samples WHERE time >= ?1 AND time < ?2 AND time NOT IN"
                           " (SELECT MIN(time) FROM samples WHERE time >= ?1 AND time < ?2"
                           " GROUP BY time / ?3)";
        const struct {
            const char* sql;
            std::int64_t from, to, bucket;
        } steps[] = {{"DELETE FROM samples WHERE time < ?2", 0, now - KeepAge, 0},
                     {thin, now - KeepAge, now - MinuteAge, 15 * 60},
                     {thin, now - MinuteAge, now - RawAge, 60}};
        int rc = SQLITE_OK;
        for (const auto& step : steps) {
            Statement st;
            rc = sqlite3_prepare_v2(db_, step.sql, -1, &st.s, nullptr);
            if (rc != SQLITE_OK) break;
            sqlite3_bind_int64(st.s, 1, step.from);
            sqlite3_bind_int64(st.s, 2, step.to);
            sqlite3_bind_int64(st.s, 3, step.bucket);
            if ((rc = sqlite3_step(st.s)) != SQLITE_DONE) break;
        }
        return Classify(rc, why);
    });
}

long long History::SampleCount(std::int64_t from, std::int64_t to) {
    Statement st;
    if (!db_ ||
        sqlite3_prepare_v2(db_, "SELECT COUNT(*) FROM samples WHERE time >= ?1 AND time < ?2", -1,
                           &st.s, nullptr) != SQLITE_OK)
        return -1;
    sqlite3_bind_int64(st.s, 1, from);
    sqlite3_bind_int64(st.s, 2, to);
    return sqlite3_step(st.s) == SQLITE_ROW ? sqlite3_column_int64(st.s, 0) : -1;
}
