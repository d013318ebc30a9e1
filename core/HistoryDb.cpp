// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryDb.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "Folder.h"
#include "Translatable.h"

namespace {

// kSteps[n] takes a database from schema version n to n + 1. A later version
// appends its step; a released step is never edited, since databases out
// there were built by it, and the schema check compares against its text.
const char* const kSteps[] = {
    "CREATE TABLE samples(time INTEGER PRIMARY KEY, charge REAL, load REAL, input_volts REAL,"
    " output_volts REAL, input_hz REAL, battery_volts REAL, runtime_s INTEGER,"
    " temperature REAL, status INTEGER NOT NULL);"
    "CREATE TABLE events(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, kind TEXT NOT NULL,"
    " detail TEXT NOT NULL);"
    "CREATE INDEX events_by_time ON events(time);",
};
static_assert(std::size(kSteps) == HistoryDb::SchemaVersion);

constexpr const char* kVfsName = "corvanta-history";
constexpr const char* const kSideFiles[] = {"-wal", "-shm", "-journal"};
// The writer's lock waits are short: readers in WAL mode never lock it out,
// so a lock held longer is a stranger's. A reader may wait for a checkpoint.
constexpr int kWriteBusyMs = 100, kReadBusyMs = 1000;

using OpenCall = int (*)(const char*, int, int);
OpenCall realOpen = nullptr;

struct Statement {
    sqlite3_stmt* s = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(s); }
};

} // namespace

struct HistoryDb::Watch {
    std::string name; // the database's name as SQLite opens it
    bool writer = false;
    HistoryDbResult refusal; // the last file refused, until Check reports it
};

namespace {

// The names opened under the checks. Never destroyed: a history worker the
// agent left behind at exit may still be opening a file.
std::mutex& WatchLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::vector<HistoryDb::Watch*>& Watches() {
    static auto* watches = new std::vector<HistoryDb::Watch*>;
    return *watches;
}

bool Names(const HistoryDb::Watch& w, std::string_view path) {
    if (!path.starts_with(w.name)) return false;
    const std::string_view rest = path.substr(w.name.size());
    return rest.empty() || std::any_of(std::begin(kSideFiles), std::end(kSideFiles),
                                       [&](const char* side) { return rest == side; });
}

// Why fstat's answer may not be used; Ok when it may.
HistoryDbResult Refusal(const struct stat& st, bool writer, const char* path) {
    HistoryDbResult r;
    r.file = path;
    if (S_ISLNK(st.st_mode)) {
        r.status = HistoryDbStatus::NotRegular, r.detail = "a symbolic link";
    } else if (S_ISFIFO(st.st_mode)) {
        r.status = HistoryDbStatus::NotRegular, r.detail = CoreText("History", "a FIFO");
    } else if (S_ISDIR(st.st_mode)) {
        r.status = HistoryDbStatus::NotRegular, r.detail = CoreText("History", "a folder");
    } else if (!S_ISREG(st.st_mode)) {
        r.status = HistoryDbStatus::NotRegular,
        r.detail = CoreText("History", "a device or socket");
    } else if (st.st_nlink != 1) {
        r.status = HistoryDbStatus::NotRegular,
        r.detail =
            Substituted(CoreText("History", "a file with %1 links"), {std::to_string(st.st_nlink)});
    } else if (writer ? st.st_uid != ::geteuid() : !IsAgentUser(st.st_uid)) {
        r.status = HistoryDbStatus::Foreign,
        r.detail = Substituted(CoreText("History", "user %1"), {std::to_string(st.st_uid)});
    } else if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        r.status = HistoryDbStatus::Writable, r.detail = st.st_mode & S_IWOTH
                                                             ? CoreText("History", "others")
                                                             : CoreText("History", "its group");
    }
    return r;
}

// SQLite's open() for every file of the unix VFS. A file of a watched
// database is opened without following a link or waiting on a FIFO, never
// created by a reader, never made writable for others, and kept only when
// fstat finds it fit; anything else is left to the plain call.
int GuardedOpen(const char* path, int flags, int mode) {
    std::lock_guard<std::mutex> lock(WatchLock());
    std::vector<HistoryDb::Watch*> hits;
    for (HistoryDb::Watch* w : Watches())
        if (Names(*w, path)) hits.push_back(w);
    if (hits.empty()) return realOpen(path, flags, mode);
    const bool writer = std::any_of(hits.begin(), hits.end(), [](auto* w) { return w->writer; });
    flags |= O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    if (!writer) flags &= ~O_CREAT;
    int fd = realOpen(path, flags, mode & ~(S_IWGRP | S_IWOTH));
    const int err = errno;
    struct stat st {};
    HistoryDbResult refusal;
    // A name refused before it was opened (a link, a folder, a socket) is
    // described by lstat; an opened file by what it is.
    const bool opened = fd >= 0 && ::fstat(fd, &st) == 0;
    if (opened ||
        (fd < 0 && (err == ELOOP || err == EISDIR || err == ENXIO) && ::lstat(path, &st) == 0))
        refusal = Refusal(st, writer, path);
    else if (fd >= 0)
        refusal = {HistoryDbStatus::Failed, path, std::strerror(errno)};
    if (refusal.Ok()) {
        errno = err;
        return fd;
    }
    if (fd >= 0) ::close(fd);
    for (HistoryDb::Watch* w : hits)
        w->refusal = refusal;
    errno = EACCES;
    return -1;
}

// SQLite running as root gives a -wal or -journal it creates to the
// database's owner. The history's files are the agent's own, so this
// process gives no file away.
int KeepOwner(int, uid_t, gid_t) {
    return 0;
}

// The unix VFS resolves links by name, which would turn a name through the
// folder's handle (/proc/self/fd/N/...) back into a path anyone can redirect.
// The name is kept as given; the open refuses a link at its end.
int KeepName(sqlite3_vfs*, const char* path, int size, char* out) {
    std::string full;
    if (path[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) return SQLITE_CANTOPEN;
        full = std::string(cwd) + "/";
    }
    full += path;
    if (full.size() + 1 > static_cast<std::size_t>(size)) return SQLITE_CANTOPEN;
    std::memcpy(out, full.c_str(), full.size() + 1);
    return SQLITE_OK;
}

bool Setup() {
    static const bool ready = [] {
        sqlite3_vfs* base = sqlite3_vfs_find("unix");
        if (!base || base->iVersion < 3) return false;
        static sqlite3_vfs guarded = *base;
        guarded.zName = kVfsName;
        guarded.xFullPathname = KeepName;
        realOpen = reinterpret_cast<OpenCall>(base->xGetSystemCall(base, "open"));
        if (!realOpen ||
            base->xSetSystemCall(base, "open",
                                 reinterpret_cast<sqlite3_syscall_ptr>(GuardedOpen)) != SQLITE_OK)
            return false;
        base->xSetSystemCall(base, "fchown", reinterpret_cast<sqlite3_syscall_ptr>(KeepOwner));
        sqlite3_hard_heap_limit64(HistoryDb::HeapLimit);
        return sqlite3_vfs_register(&guarded, 0) == SQLITE_OK;
    }();
    return ready;
}

// "file:" URI of a path, for the read-only parameters.
std::string Uri(const std::string& path) {
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
    return uri;
}

// One row of sqlite_schema: type, name, tbl_name, sql ("" for NULL).
struct SchemaRow {
    std::string type, name, table, sql;
    bool operator==(const SchemaRow&) const = default;
};

std::vector<SchemaRow> ReadSchema(sqlite3* db, int* rc) {
    std::vector<SchemaRow> rows;
    Statement st;
    *rc = sqlite3_prepare_v2(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema", -1, &st.s,
                             nullptr);
    while (*rc == SQLITE_OK && (*rc = sqlite3_step(st.s)) == SQLITE_ROW) {
        rows.push_back(
            {ColumnText(st.s, 0), ColumnText(st.s, 1), ColumnText(st.s, 2), ColumnText(st.s, 3)});
        *rc = SQLITE_OK;
    }
    if (*rc == SQLITE_DONE) *rc = SQLITE_OK;
    return rows;
}

// The schema of a version as the steps build it (required), and what SQLite
// may add to it by itself: the statistics tables of ANALYZE (allowed).
struct Schema {
    std::vector<SchemaRow> required, allowed;
};

const Schema& SchemaOf(int version) {
    static auto* lock = new std::mutex;
    static auto* builtOnce = new std::vector<Schema>;
    std::lock_guard<std::mutex> hold(*lock);
    std::vector<Schema>& built = *builtOnce;
    if (built.empty()) {
        for (int v = 0; v <= HistoryDb::SchemaVersion; ++v) {
            sqlite3* db = nullptr;
            Schema s;
            int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
            for (int step = 0; step < v && rc == SQLITE_OK; ++step)
                rc = sqlite3_exec(db, kSteps[step], nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) s.required = ReadSchema(db, &rc);
            if (v > 0 && rc == SQLITE_OK)
                rc = sqlite3_exec(db, "ANALYZE", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) s.allowed = ReadSchema(db, &rc);
            sqlite3_close(db);
            built.push_back(std::move(s));
        }
    }
    return built.at(static_cast<std::size_t>(version));
}

std::string Describe(const SchemaRow& row) {
    return "a" + std::string(row.type == "index" ? "n " : " ") + row.type + " \"" + row.name + "\"";
}

} // namespace

std::string ColumnText(sqlite3_stmt* s, int column) {
    const unsigned char* t = sqlite3_column_text(s, column);
    return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
}

const char* HistoryDbStatusName(HistoryDbStatus status) {
    switch (status) {
    case HistoryDbStatus::Ok:
        return "";
    case HistoryDbStatus::Missing:
        return "missing";
    case HistoryDbStatus::Empty:
        return "empty";
    case HistoryDbStatus::NotRegular:
        return "not-a-file";
    case HistoryDbStatus::Foreign:
        return "foreign";
    case HistoryDbStatus::Writable:
        return "writable";
    case HistoryDbStatus::NotOurs:
        return "not-ours";
    case HistoryDbStatus::Corrupt:
        return "corrupt";
    case HistoryDbStatus::Newer:
        return "newer";
    case HistoryDbStatus::Locked:
        return "locked";
    case HistoryDbStatus::TooSlow:
        return "slow";
    case HistoryDbStatus::Failed:
        break;
    }
    return "failed";
}

std::string HistoryDbResult::Message() const {
    std::string text;
    switch (status) {
    case HistoryDbStatus::Ok:
        text = CoreText("History", "%1 is in order");
        break;
    case HistoryDbStatus::Missing:
        text = CoreText("History", "%1 does not exist");
        break;
    case HistoryDbStatus::Empty:
        text = CoreText("History", "%1 holds no history yet");
        break;
    case HistoryDbStatus::NotRegular:
        text = CoreText("History", "%1 is not a regular file but %2");
        break;
    case HistoryDbStatus::Foreign:
        text = CoreText("History", "%1 is owned by %2");
        break;
    case HistoryDbStatus::Writable:
        text = CoreText("History", "%1 is writable by %2");
        break;
    case HistoryDbStatus::NotOurs:
        text = CoreText("History", "%1 holds more than the agent's history (%2)");
        break;
    case HistoryDbStatus::Corrupt:
        text = CoreText("History", "%1 is damaged or not a database (%2)");
        break;
    case HistoryDbStatus::Newer:
        text = CoreText("History", "%1 was made by a newer agent (%2)");
        break;
    case HistoryDbStatus::Locked:
        text = CoreText("History", "%1 is locked by another program (%2)");
        break;
    case HistoryDbStatus::TooSlow:
        text = CoreText("History", "%1 took too long or too much memory to answer (%2)");
        break;
    case HistoryDbStatus::Failed:
        text = CoreText("History", "%1 cannot be used (%2)");
        break;
    }
    return Substituted(text, {ShownPath(file), detail});
}

HistoryDb::HistoryDb() = default;

HistoryDb::~HistoryDb() {
    Close();
}

void HistoryDb::Close() {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    version_ = 0;
    if (watch_) {
        std::lock_guard<std::mutex> lock(WatchLock());
        std::erase(Watches(), watch_.get());
    }
    watch_.reset();
}

HistoryDbResult HistoryDb::Result(HistoryDbStatus status, std::string detail) const {
    return {status, path_, std::move(detail)};
}

HistoryDbResult HistoryDb::Check(int rc) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return {};
    if (watch_) {
        std::lock_guard<std::mutex> lock(WatchLock());
        if (!watch_->refusal.Ok()) return std::exchange(watch_->refusal, {});
    }
    std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_TOOBIG:
    case SQLITE_FORMAT:
        return Result(HistoryDbStatus::Corrupt, why);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Result(HistoryDbStatus::Locked, why);
    case SQLITE_INTERRUPT:
    case SQLITE_NOMEM:
        return Result(HistoryDbStatus::TooSlow, why);
    default:
        return Result(HistoryDbStatus::Failed, why);
    }
}

HistoryDbResult HistoryDb::Exec(const char* sql) {
    Budget budget(*this);
    return Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr));
}

int HistoryDb::OnProgress(void* self) {
    const auto* db = static_cast<const HistoryDb*>(self);
    return db->armed_ && std::chrono::steady_clock::now() > db->deadline_ ? 1 : 0;
}

HistoryDb::Budget::Budget(HistoryDb& db)
    : Budget(db, db.mode_ == Mode::Write ? WriteBudget : ReadBudget) {}

HistoryDb::Budget::Budget(HistoryDb& db, std::chrono::milliseconds length)
    : db_(db), deadline_(db.deadline_), armed_(db.armed_) {
    const auto end = std::chrono::steady_clock::now() + length;
    db.deadline_ = db.armed_ ? std::min(db.deadline_, end) : end;
    db.armed_ = true;
}

HistoryDb::Budget::~Budget() {
    db_.deadline_ = deadline_;
    db_.armed_ = armed_;
}

HistoryDbResult HistoryDb::Open(const std::string& path, Mode mode) {
    Close();
    path_ = path;
    mode_ = mode;
    struct stat st {};
    if (mode == Mode::Read && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT)
        return Result(HistoryDbStatus::Missing, "");
    if (!Setup()) return Result(HistoryDbStatus::Failed, "SQLite has no unix file system layer");
    watch_ = std::make_shared<Watch>();
    watch_->name = path;
    watch_->writer = mode == Mode::Write;
    {
        std::lock_guard<std::mutex> lock(WatchLock());
        Watches().push_back(watch_.get());
    }
    HistoryDbResult r = OpenFile(mode);
    if (!r.Ok()) Close();
    return r;
}

HistoryDbResult HistoryDb::OpenFile(Mode mode) {
    const bool writer = mode == Mode::Write;
    int rc = SQLITE_OK;
    if (writer) {
        rc = sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             kVfsName);
    } else {
        // While the agent has the database open, its -wal and -shm exist and
        // a read-only reader shares them; without them such a reader would
        // create both, so the file is read as it stands.
        const bool wal = ::access((path_ + "-wal").c_str(), F_OK) == 0;
        rc = sqlite3_open_v2((Uri(path_) + (wal ? "?mode=ro" : "?immutable=1")).c_str(), &db_,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, kVfsName);
    }
    if (rc != SQLITE_OK) return Check(rc);

    // Nothing stored in the file may run: no triggers, no views, no
    // functions the schema names, no extensions; and no statement may grow
    // beyond what the agent's own need.
    for (int option : {SQLITE_DBCONFIG_TRUSTED_SCHEMA, SQLITE_DBCONFIG_ENABLE_TRIGGER,
                       SQLITE_DBCONFIG_ENABLE_VIEW, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION,
                       SQLITE_DBCONFIG_DQS_DDL, SQLITE_DBCONFIG_DQS_DML})
        sqlite3_db_config(db_, option, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    const struct {
        int id, value;
    } limits[] = {{SQLITE_LIMIT_LENGTH, 1 << 16},
                  {SQLITE_LIMIT_SQL_LENGTH, 1 << 14},
                  {SQLITE_LIMIT_COLUMN, 64},
                  {SQLITE_LIMIT_EXPR_DEPTH, 32},
                  {SQLITE_LIMIT_COMPOUND_SELECT, 4},
                  {SQLITE_LIMIT_VDBE_OP, 1 << 14},
                  {SQLITE_LIMIT_FUNCTION_ARG, 8},
                  {SQLITE_LIMIT_ATTACHED, 0},
                  {SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 64},
                  {SQLITE_LIMIT_VARIABLE_NUMBER, 32},
                  {SQLITE_LIMIT_TRIGGER_DEPTH, 1},
                  {SQLITE_LIMIT_WORKER_THREADS, 0}};
    for (const auto& l : limits)
        sqlite3_limit(db_, l.id, l.value);
    sqlite3_progress_handler(db_, 100, OnProgress, this);
    sqlite3_busy_timeout(db_, writer ? kWriteBusyMs : kReadBusyMs);

    Budget budget(*this);
    // Sorting and temporary tables in memory, under the heap limit; pages
    // checked as they are read.
    HistoryDbResult r = Exec("PRAGMA temp_store=MEMORY; PRAGMA cache_size=-2048;"
                             " PRAGMA mmap_size=0; PRAGMA cell_size_check=ON");
    // Small pages: an idle hour's commits each rewrite a page or three, so
    // the page size is what an idle agent writes (taken by a new file only).
    if (r.Ok()) r = Exec(writer ? "PRAGMA page_size=1024" : "PRAGMA query_only=ON");
    if (!r.Ok()) return r;
    {
        Statement st;
        rc = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &st.s, nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_step(st.s);
        if (rc != SQLITE_ROW) return Check(rc);
        version_ = sqlite3_column_int(st.s, 0);
    }
    if (version_ > SchemaVersion || version_ < 0)
        return Result(HistoryDbStatus::Newer, "schema version " + std::to_string(version_));
    r = CheckSchema();
    if (!r.Ok()) return r;
    if (!writer) return version_ == 0 ? Result(HistoryDbStatus::Empty, "") : r;

    // WAL lets the monitor read while the agent writes. Under WAL, NORMAL
    // syncs at checkpoints only, not at each commit: a power cut can lose
    // the last few samples but cannot damage the file, and the disk is
    // spared an fsync every few seconds.
    r = Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
             " PRAGMA journal_size_limit=4194304");
    if (!r.Ok() || version_ == SchemaVersion) return r;
    r = Exec("BEGIN IMMEDIATE");
    for (int v = version_; r.Ok() && v < SchemaVersion; ++v)
        r = Exec(kSteps[v]);
    const std::string stamp = "PRAGMA user_version=" + std::to_string(SchemaVersion);
    if (r.Ok()) r = Exec(stamp.c_str());
    if (r.Ok()) r = Exec("COMMIT");
    if (r.Ok()) version_ = SchemaVersion;
    return r;
}

HistoryDbResult HistoryDb::CheckSchema() {
    Budget budget(*this);
    int rc = SQLITE_OK;
    const std::vector<SchemaRow> rows = ReadSchema(db_, &rc);
    if (rc != SQLITE_OK) return Check(rc);
    const Schema& ours = SchemaOf(version_);
    auto has = [](const std::vector<SchemaRow>& list, const SchemaRow& row) {
        return std::find(list.begin(), list.end(), row) != list.end();
    };
    for (const SchemaRow& row : rows) {
        // SQLite's own index behind a UNIQUE constraint of one of our tables.
        const bool autoIndex =
            row.type == "index" && row.name.rfind("sqlite_autoindex_", 0) == 0 && row.sql.empty() &&
            std::any_of(ours.required.begin(), ours.required.end(), [&](const SchemaRow& t) {
                return t.type == "table" && t.name == row.table;
            });
        if (autoIndex || has(ours.required, row) || has(ours.allowed, row)) continue;
        const bool renamed = std::any_of(ours.allowed.begin(), ours.allowed.end(),
                                         [&](const SchemaRow& o) { return o.name == row.name; });
        return Result(HistoryDbStatus::NotOurs,
                      Describe(row) + (renamed ? " of another layout" : ""));
    }
    for (const SchemaRow& row : ours.required)
        if (!has(rows, row)) return Result(HistoryDbStatus::NotOurs, "no " + Describe(row));
    return {};
}
