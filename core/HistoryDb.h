// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The one way into the power history ZAN_HISTORY.DB (SQLite), for the agent
// that writes it and for the readers (the monitor's History window, the
// agent's --history-report). The program folder is writable by desktop users
// while the agent runs as root, so whatever stands under the name may have
// been planted: the database and each of its -wal, -shm and -journal files
// is opened without following a link and without blocking, and used only
// when it is a regular file with one link, owned by the agent's user and
// writable by nobody else; the tables must be the agent's own and nothing
// more; each statement has a time budget and SQLite a heap budget. Nothing
// planted can then run code in the database, spin or grow without bound.
// No Qt.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// A text column of the current row; NULL reads as "".
std::string ColumnText(sqlite3_stmt* s, int column);

enum class HistoryDbStatus {
    Ok,
    Missing,    // no file under the name
    Empty,      // a database without the agent's tables yet (readers only)
    NotRegular, // a link, a FIFO, a folder, a file with several links
    Foreign,    // owned by a user whose files the history does not take
    Writable,   // writable by its group or by others
    NotOurs,    // holds more or other than the agent's tables and indexes
    Corrupt,    // not a database, or a damaged one
    Newer,      // made by a newer agent
    Locked,     // another program holds it
    TooSlow,    // a statement ran out of its time (or SQLite out of its memory)
    Failed,     // anything else: a full disk, an I/O error, no permission
};

// A short name of the state, for the name a database is moved aside under:
// "corrupt", "foreign", "not-ours", ... ("" for Ok).
const char* HistoryDbStatusName(HistoryDbStatus status);

struct HistoryDbResult {
    HistoryDbStatus status = HistoryDbStatus::Ok;
    std::string file;   // the file it is about, as opened (the database or one of its side files)
    std::string detail; // "a symbolic link", "user 1000", "a trigger \"t\"", SQLite's message...
    bool Ok() const { return status == HistoryDbStatus::Ok; }
    // One line for the user or the log, naming the file by ShownPath:
    // "/Applications/Corvanta/ZAN_HISTORY.DB is owned by user 1000".
    std::string Message() const;
};

class HistoryDb {
  public:
    enum class Mode { Write, Read };
    // The schema this program writes; the tables of each earlier version
    // are upgraded by the writer and read as they are by readers.
    static constexpr int SchemaVersion = 1;
    // How long one statement (with the rows it answers) may take.
    static constexpr std::chrono::milliseconds WriteBudget{300}, ReadBudget{2000};
    // What SQLite may hold in memory, for the whole process.
    static constexpr std::int64_t HeapLimit = 32LL << 20;

    HistoryDb();
    ~HistoryDb();
    HistoryDb(const HistoryDb&) = delete;
    HistoryDb& operator=(const HistoryDb&) = delete;

    // Opens path (a FolderFile name). Write: creates the database when there
    // is none and brings an older schema up to date; the files must be owned
    // by this process's user. Read: never creates or changes anything
    // (while the agent has no -wal beside the file, the file is read as it
    // stands); the files must be owned by an agent user (IsAgentUser). Any
    // result but Ok leaves the connection closed. Readers get Empty for a
    // database without tables yet, and Missing when nothing is there.
    HistoryDbResult Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    sqlite3* Handle() const { return db_; }
    const std::string& Path() const { return path_; }
    // The schema version of the open database.
    int Version() const { return version_; }

    // What a result code from a statement on this connection means (Ok for
    // SQLITE_OK, SQLITE_ROW and SQLITE_DONE), with SQLite's message, or the
    // refusal of a side file SQLite tried to open.
    HistoryDbResult Check(int rc);
    // Runs statements that answer no rows, under a budget of the mode's length.
    HistoryDbResult Exec(const char* sql);

    // Arms the time budget for what runs while it lives: a statement's
    // prepare and all its steps, or a whole read. Every statement on the
    // connection runs under one; past the deadline SQLite stops it with
    // SQLITE_INTERRUPT (Check: TooSlow).
    class Budget {
      public:
        explicit Budget(HistoryDb& db);
        Budget(HistoryDb& db, std::chrono::milliseconds length);
        ~Budget();
        Budget(const Budget&) = delete;
        Budget& operator=(const Budget&) = delete;

      private:
        HistoryDb& db_;
        std::chrono::steady_clock::time_point deadline_; // the enclosing budget's
        bool armed_;
    };

    struct Watch; // the file names opened under the checks, and what they refused

  private:
    HistoryDbResult OpenFile(Mode mode);
    HistoryDbResult CheckSchema();
    HistoryDbResult Result(HistoryDbStatus status, std::string detail) const;
    static int OnProgress(void* self);

    sqlite3* db_ = nullptr;
    std::string path_;
    Mode mode_ = Mode::Read;
    int version_ = 0;
    std::shared_ptr<Watch> watch_;
    std::chrono::steady_clock::time_point deadline_{};
    bool armed_ = false;
};
