// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "History.h"

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <utility>

#include "Ups.h"

namespace {

// A prepared statement of the writer, run under the writer's budget.
class Query {
  public:
    Query(HistoryDb& db, const char* sql) : db_(db) {
        HistoryDb::Budget budget(db_);
        rc_ = sqlite3_prepare_v2(db_.Handle(), sql, -1, &s_, nullptr);
    }
    ~Query() { sqlite3_finalize(s_); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    sqlite3_stmt* Get() const { return s_; }
    // Whether it could be prepared.
    HistoryDbResult Prepared() { return db_.Check(rc_); }

    // Binds the integers to ?1, ?2, ... and runs it to its end.
    HistoryDbResult Run(std::initializer_list<std::int64_t> values) {
        if (rc_ != SQLITE_OK) return db_.Check(rc_);
        int i = 0;
        for (std::int64_t v : values)
            sqlite3_bind_int64(s_, ++i, v);
        HistoryDb::Budget budget(db_);
        sqlite3_step(s_);
        return db_.Check(sqlite3_reset(s_)); // the step's error, if it failed
    }

  private:
    HistoryDb& db_;
    sqlite3_stmt* s_ = nullptr;
    int rc_ = SQLITE_OK;
};

// The faults a fresh database mends: whatever stands under the name is not
// a database the agent can use. A full disk or a stalled one is not mended
// by moving anything.
bool Replaceable(HistoryDbStatus s) {
    switch (s) {
    case HistoryDbStatus::NotRegular:
    case HistoryDbStatus::Foreign:
    case HistoryDbStatus::Writable:
    case HistoryDbStatus::NotOurs:
    case HistoryDbStatus::Corrupt:
    case HistoryDbStatus::Newer:
    case HistoryDbStatus::Locked:
        return true;
    default:
        return false;
    }
}

std::int64_t FloorTo(std::int64_t t, std::int64_t step) {
    return t - ((t % step) + step) % step;
}

} // namespace

int HistoryRules::SampleSeconds(std::int32_t status) {
    return (status & UPS_ACFAIL) ? 2 : 10;
}

bool HistoryRules::SampleDue(std::optional<std::int64_t> last, std::int64_t now,
                             std::int32_t status) {
    return !last || now < *last || now - *last >= SampleSeconds(status);
}

bool HistoryRules::ThinDue(std::optional<std::int64_t> last, std::int64_t now) {
    return !last || now < *last || now >= *last + Hour;
}

// ---- the database ----

HistoryStore::HistoryStore(std::function<void(const std::string&)> report, std::string path)
    : path_(std::move(path)), report_(std::move(report)) {}

void HistoryStore::Report(const std::string& line) {
    // A full disk fails every write alike; the log hears of it once.
    if (line == lastReport_) return;
    lastReport_ = line;
    if (report_) report_(line);
}

bool HistoryStore::Open(std::int64_t now) {
    const HistoryDbResult r = db_.Open(path_, HistoryDb::Mode::Write);
    return r.Ok() || Recover(r, now);
}

bool HistoryStore::Recover(HistoryDbResult fault, std::int64_t now) {
    // A stranger may plant the next one as fast as the last is moved; a few
    // rounds, then the history waits.
    for (int round = 0; round < 3 && Replaceable(fault.status); ++round) {
        db_.Close();
        if (!MoveAside(fault, now)) break;
        fault = db_.Open(path_, HistoryDb::Mode::Write);
        if (fault.Ok()) return true;
    }
    db_.Close();
    const std::int64_t pause = Replaceable(fault.status) ? Minute : Hour;
    pausedFrom_ = now;
    pausedTo_ = now + pause;
    Report("history: " + fault.Message() + "; no history for " +
           (pause == Hour ? "an hour" : "a minute"));
    return false;
}

bool HistoryStore::MoveAside(const HistoryDbResult& fault, std::int64_t now) {
    // Stamped in UTC: the agent's clock, not the zone the service runs in.
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    const std::string base = path_ + "." + HistoryDbStatusName(fault.status) + "-" + stamp;
    // A refused side file goes alone; the database goes with all of its own,
    // since a fresh database must not meet a stranger's -wal or -shm.
    const bool side = !fault.file.empty() && fault.file != path_;
    const std::string suffix = side ? fault.file.substr(path_.size()) : std::string();
    std::string aside;
    int err = 0;
    // Whatever it is (a link, a FIFO, another user's file) it is renamed,
    // never opened or followed, and never over a name that exists.
    for (int n = 1; n < 100; ++n) {
        aside = n == 1 ? base : base + "-" + std::to_string(n);
        err = ::renameat2(AT_FDCWD, (path_ + suffix).c_str(), AT_FDCWD, (aside + suffix).c_str(),
                          RENAME_NOREPLACE) == 0
                  ? 0
                  : errno;
        if (err != EEXIST) break;
    }
    if (err != 0 && err != ENOENT) {
        Report("history: " + fault.Message() + "; it cannot be moved aside (" + std::strerror(err) +
               ")");
        return false;
    }
    if (!side)
        for (const char* s : {"-wal", "-shm", "-journal"})
            ::renameat2(AT_FDCWD, (path_ + s).c_str(), AT_FDCWD, (aside + s).c_str(),
                        RENAME_NOREPLACE);
    Report("history: " + fault.Message() + ", moved aside as " + ShownPath(aside + suffix) +
           "; a fresh one begins");
    return true;
}

bool HistoryStore::Write(std::int64_t now, const std::function<HistoryDbResult()>& body) {
    if (!db_.IsOpen()) {
        if (now >= pausedFrom_ && now < pausedTo_) return false;
        if (!Open(now)) return false;
    }
    for (int attempt = 0;; ++attempt) {
        HistoryDbResult r = db_.Exec("BEGIN IMMEDIATE");
        if (r.Ok()) r = body();
        if (r.Ok()) r = db_.Exec("COMMIT");
        if (r.Ok()) return true;
        db_.Exec("ROLLBACK");
        if (attempt > 0 || !Recover(r, now)) return false;
    }
}

bool HistoryStore::AddSamples(const std::vector<HistorySample>& samples) {
    if (samples.empty()) return true;
    return Write(samples.back().time, [&] {
        Query q(db_, "INSERT OR REPLACE INTO samples VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10)");
        HistoryDbResult r;
        for (const HistorySample& s : samples) {
            const std::optional<double> values[] = {s.charge,         s.load,       s.inputVolts,
                                                    s.outputVolts,    s.inputHz,    s.batteryVolts,
                                                    s.runtimeSeconds, s.temperature};
            for (int i = 0; i < 8; ++i)
                if (values[i])
                    sqlite3_bind_double(q.Get(), i + 2, *values[i]);
                else
                    sqlite3_bind_null(q.Get(), i + 2);
            sqlite3_bind_int(q.Get(), 10, s.status);
            r = q.Run({s.time});
            if (!r.Ok()) break;
        }
        return r;
    });
}

bool HistoryStore::AddEvent(std::int64_t time, const std::string& kind, const std::string& detail) {
    return Write(time, [&] {
        Query q(db_, "INSERT INTO events(time, kind, detail) VALUES(?1,?2,?3)");
        sqlite3_bind_text(q.Get(), 2, kind.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q.Get(), 3, detail.c_str(), -1, SQLITE_TRANSIENT);
        return q.Run({time});
    });
}

bool HistoryStore::Thin(std::int64_t now) {
    if (!ThinDue(lastThin_, now)) return false;
    lastThin_ = now;
    return Write(now, [&] {
        // Keeps the first row of each minute (quarter hour) of its age band.
        // The buckets count from the epoch, not from now, so running again
        // removes nothing more.
        Query gone(db_, "DELETE FROM samples WHERE time < ?1");
        Query goneEvents(db_, "DELETE FROM events WHERE time < ?1");
        Query thin(db_, "DELETE FROM samples WHERE time >= ?1 AND time < ?2 AND time NOT IN"
                        " (SELECT MIN(time) FROM samples WHERE time >= ?1 AND time < ?2"
                        " GROUP BY time / ?3)");
        HistoryDbResult r = gone.Run({now - KeepAge});
        if (r.Ok()) r = goneEvents.Run({now - KeepAge});
        const struct {
            std::int64_t from, to, bucket;
        } bands[] = {{now - KeepAge, now - MinuteAge, 15 * Minute},
                     {now - MinuteAge, now - RawAge, Minute}};
        // A day at a time, so that no statement outlasts its budget however
        // much the agent finds to thin after a long pause.
        for (const auto& band : bands)
            for (std::int64_t day = FloorTo(band.from, Day); r.Ok() && day < band.to; day += Day) {
                const std::int64_t from = std::max(band.from, day);
                const std::int64_t to = std::min(band.to, day + Day);
                r = thin.Run({from, to, band.bucket});
                if (r.Ok()) r = ThinEvents(from, to, band.bucket);
            }
        return r;
    });
}

// A supply that flaps writes a power-fail and a power-back every few seconds.
// Within a bucket, a power-back followed by a power-fail is dropped with it
// (the outage is taken to go on), as is a repeated power-fail and all but
// the last of repeated power-backs: each bucket keeps at most its first
// power-fail and its last power-back, and the outages around them stay
// whole. Every other kind keeps its first event of each bucket.
HistoryDbResult HistoryStore::ThinEvents(std::int64_t from, std::int64_t to, std::int64_t bucket) {
    struct Row {
        std::int64_t id, time;
        std::string kind;
    };
    std::vector<Row> rows;
    {
        Query q(db_, "SELECT id, time, kind FROM events WHERE time >= ?1 AND time < ?2"
                     " ORDER BY time, id");
        if (HistoryDbResult r = q.Prepared(); !r.Ok()) return r;
        sqlite3_bind_int64(q.Get(), 1, from);
        sqlite3_bind_int64(q.Get(), 2, to);
        HistoryDb::Budget budget(db_);
        int rc;
        while ((rc = sqlite3_step(q.Get())) == SQLITE_ROW) {
            rows.push_back({sqlite3_column_int64(q.Get(), 0), sqlite3_column_int64(q.Get(), 1),
                            ColumnText(q.Get(), 2)});
        }
        if (rc != SQLITE_DONE) return db_.Check(rc);
    }
    std::vector<std::int64_t> drop;
    std::vector<const Row*> power, others; // kept in the current bucket
    std::int64_t current = std::numeric_limits<std::int64_t>::min();
    for (const Row& row : rows) {
        if (const std::int64_t b = FloorTo(row.time, bucket); b != current) {
            current = b;
            power.clear();
            others.clear();
        }
        const bool fail = row.kind == "power-fail";
        if (fail || row.kind == "power-back") {
            if (!power.empty() && power.back()->kind == "power-back") {
                drop.push_back(power.back()->id);
                power.pop_back();
                if (fail) {
                    drop.push_back(row.id);
                    continue;
                }
            } else if (fail && !power.empty()) {
                drop.push_back(row.id);
                continue;
            }
            power.push_back(&row);
        } else if (std::any_of(others.begin(), others.end(),
                               [&](const Row* o) { return o->kind == row.kind; })) {
            drop.push_back(row.id);
        } else {
            others.push_back(&row);
        }
    }
    Query del(db_, "DELETE FROM events WHERE id = ?1");
    HistoryDbResult r;
    for (std::size_t i = 0; r.Ok() && i < drop.size(); ++i)
        r = del.Run({drop[i]});
    return r;
}

long long HistoryStore::SampleCount(std::int64_t from, std::int64_t to) {
    if (!db_.IsOpen()) return -1;
    Query q(db_, "SELECT COUNT(*) FROM samples WHERE time >= ?1 AND time < ?2");
    if (!q.Get()) return -1;
    sqlite3_bind_int64(q.Get(), 1, from);
    sqlite3_bind_int64(q.Get(), 2, to);
    HistoryDb::Budget budget(db_);
    return sqlite3_step(q.Get()) == SQLITE_ROW ? sqlite3_column_int64(q.Get(), 0) : -1;
}

// ---- the thread ----

struct History::Shared {
    struct Job {
        enum class Kind { Samples, Event, Thin } kind;
        std::vector<HistorySample> samples;
        std::int64_t time = 0;
        std::string what, detail;
    };
    explicit Shared(std::string path)
        : store([this](const std::string& line) { Note(line); }, std::move(path)) {}

    // A report of the store's, on the thread: kept for the agent's.
    void Note(const std::string& line) {
        std::lock_guard<std::mutex> hold(lock);
        reports.push_back(line);
    }

    void Run() {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            wake.wait(hold, [&] { return stopping || !jobs.empty(); });
            if (jobs.empty()) break;
            Job job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
            hold.unlock();
            switch (job.kind) {
            case Job::Kind::Samples:
                store.AddSamples(job.samples);
                break;
            case Job::Kind::Event:
                store.AddEvent(job.time, job.what, job.detail);
                break;
            case Job::Kind::Thin:
                store.Thin(job.time);
                break;
            }
            hold.lock();
            busy = false;
            if (jobs.empty() && dropped > 0) {
                reports.push_back("history: caught up; " + std::to_string(dropped) +
                                  " entries were dropped meanwhile");
                dropped = 0;
            }
            idle.notify_all();
        }
        done = true;
        idle.notify_all();
    }

    void Post(Job job) {
        std::lock_guard<std::mutex> hold(lock);
        if (stopping) return;
        if (jobs.size() >= QueueLimit) {
            // The oldest samples go first; events, which the outages are
            // made of, only when nothing else is left to drop.
            auto oldest = std::find_if(jobs.begin(), jobs.end(),
                                       [](const Job& j) { return j.kind == Job::Kind::Samples; });
            if (oldest == jobs.end()) oldest = jobs.begin();
            if (dropped == 0)
                reports.emplace_back("history: the database does not keep up; the oldest entries "
                                     "are dropped until it does");
            dropped += std::max<std::size_t>(1, oldest->samples.size());
            jobs.erase(oldest);
        }
        jobs.push_back(std::move(job));
        wake.notify_one();
    }

    std::mutex lock;
    std::condition_variable wake, idle;
    std::deque<Job> jobs;
    bool busy = false, stopping = false, done = false;
    std::size_t dropped = 0;
    std::vector<std::string> reports;
    HistoryStore store; // the thread's alone
};

History::History(std::string path) : shared_(std::make_shared<Shared>(std::move(path))) {
    // The thread holds the shared state, so a thread left behind by Stop
    // still has it.
    worker_ = std::thread([shared = shared_] { shared->Run(); });
}

History::~History() {
    Stop(StopWait);
}

void History::AddSamples(std::vector<HistorySample> samples) {
    if (samples.empty()) return;
    Shared::Job job{Shared::Job::Kind::Samples, std::move(samples), 0, {}, {}};
    shared_->Post(std::move(job));
}

void History::AddEvent(std::int64_t time, std::string kind, std::string detail) {
    shared_->Post({Shared::Job::Kind::Event, {}, time, std::move(kind), std::move(detail)});
}

void History::Thin(std::int64_t now) {
    if (!ThinDue(lastThin_, now)) return;
    lastThin_ = now;
    shared_->Post({Shared::Job::Kind::Thin, {}, now, {}, {}});
}

std::vector<std::string> History::TakeReports() {
    std::lock_guard<std::mutex> hold(shared_->lock);
    return std::exchange(shared_->reports, {});
}

bool History::Stop(std::chrono::milliseconds wait) {
    if (!worker_.joinable()) return true;
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->stopping = true;
    shared_->wake.notify_one();
    const bool finished = shared_->idle.wait_for(hold, wait, [&] { return shared_->done; });
    hold.unlock();
    if (finished)
        worker_.join();
    else
        worker_.detach();
    return finished;
}

void History::WaitIdle() {
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->idle.wait(hold,
                       [&] { return shared_->done || (shared_->jobs.empty() && !shared_->busy); });
}
