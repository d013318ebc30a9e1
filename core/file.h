// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The files the monitor shares with the UPS agent: settings, values, command
// and calendar, and the line tokenizer that splits their rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>

#include "Ups.h"

// File names inside the program folder.
constexpr const char* SettingsFileName = "ZAN_UPS.STS";
constexpr const char* ValuesFileName = "ZAN_VAL.DAT";
constexpr const char* CommandFileName = "ZAN_CMD.DAT";
constexpr const char* CalendarFileName = "ZAN_CALENDAR.DAT";
constexpr const char* CalendarTempFileName = "CALTMP.DAT";
constexpr const char* LogFileName = "ZAN_UPS.LOG";
constexpr const char* RatingFileName = "ZAN_RATING.DAT";
// The power history (SQLite): the agent writes it, the monitor only reads it.
constexpr const char* HistoryFileName = "ZAN_HISTORY.DB";

// The most of each file that is ever read: far more than the programs
// write, and a bound whatever else stands under the name.
constexpr std::size_t SettingsFileCap = 64u << 10;
constexpr std::size_t CalendarFileCap = 4u << 20;
constexpr std::size_t RatingFileCap = 4u << 10;
constexpr std::size_t CommandFileCap = 4u << 10;
constexpr std::size_t LogFileCap = 16u << 20;

// ---- opening files for reading ----
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        Reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset(int fd = -1);
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading without ever waiting in open() (a FIFO, a
// device) and without taking a terminal; *st receives its status. With
// noFollow a symbolic link under the name is refused (errno ELOOP).
// Invalid with errno set on failure. What to accept is the caller's call.
UniqueFd OpenForReading(const std::string& path, struct stat* st, bool noFollow = false);
// A file as stat saw it. Two equal stamps of one name: nothing was written
// or put there in between. A missing file has the empty stamp.
struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long mtimeSec = 0;
    long mtimeNsec = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const struct stat& st);
// A stream over fd that ends at offset cap, however long the file is.
// Null (fd closed) when no stream can be made.
UniqueFile CappedStream(UniqueFd fd, std::size_t cap);
// The reading of every file of the program folder: only a regular file is
// taken, anything else (FIFO, device, folder) counts as missing (null), and
// reads end at cap bytes.
UniqueFile OpenFolderFile(const std::string& path, std::size_t cap);

// What became of a save that asks the agent to reload the file it wrote.
enum class SaveResult {
    Saved,
    NotSaved,     // the file was not written; the old one stands
    AgentNotTold, // the file was written but the request was not
};

// ---- settings (ZAN_UPS.STS) ----
void LoadUPSSts();
// Writes sts as the settings file and asks the agent to reload it. Only once
// the file is written does sts become PtUPSSts, so memory never claims what
// the file and the agent do not have. *error (if given) says which file
// could not be written and why.
SaveResult WriteUPSSts(const UPSSts& sts, std::string* error);
// Writes PtUPSSts.
SaveResult WriteUPSSts(std::string* error = nullptr);
// The 33-line text of the settings file for the given record.
std::string FormatUPSSts(const UPSSts& sts);
// Parses settings text into *sts as LoadUPSSts does with an open file
// (fields whose line is missing keep their values).
void ParseUPSSts(std::FILE* in, UPSSts* sts);
// The defaults dated by the clock.
void DefaultUPSSts(UPSSts* sts);

// ---- values (ZAN_VAL.DAT) ----
void EncodeUPSVal(const UPSVal& val, std::uint8_t out[UPSValImageSize]);
// Decodes a whole 132-byte image.
void DecodeUPSVal(const std::uint8_t in[UPSValImageSize], UPSVal* val);
// Decodes the first n bytes of an image over *val: bytes past n keep the
// record's previous contents, byte for byte.
void DecodeUPSValPartial(const std::uint8_t* in, std::size_t n, UPSVal* val);
// Refreshes PtUPSVal from the values file. A values file younger than the
// stale limit is live when an agent's user (IsAgentUser) owns it, whether or
// not that agent holds our lock; the lock only makes the verdict faster: no
// lock and no fresh file, or our agent's lock seen held and then released,
// is a loss at once. The first read of a run deletes a file older than the
// limit.
void ReadUPSVal();

// What the last ReadUPSVal found, for the screen.
enum class ValuesLink {
    Waiting, // nothing read yet, and no reason yet to call the link lost
    Live,    // a fresh values file was read
    Lost,    // missing or stale: UPS_COMMERR is set
};
enum class LostReason {
    NoValues,         // the agent holds the lock but wrote no values file
    AgentNotRunning,  // no agent holds the folder's lock, and no fresh values
    NoUpdate,         // the file has not changed for longer than the limit
    FolderMissing,    // the program folder is not there
    FolderUnreadable, // this user may not read the program folder
    ForeignWriter,    // the file belongs to a user who runs no agent
};
struct ValuesLinkState {
    ValuesLink link = ValuesLink::Waiting;
    LostReason reason = LostReason::NoValues;
    long age = 0; // seconds since the file last changed (NoUpdate)
    // Who may read the folder (FolderUnreadable); the file's owner, by name
    // when the user database knows it (ForeignWriter).
    std::string detail;
};
ValuesLinkState GetValuesLink();
// The countdown the agent reported in the last values read (-1: none, or
// the link is lost): what stands when the power returns, for a cause the
// power did not end.
short AgentDownTime();

// Seconds after which a values file that has not changed counts as missing
// (the agent rewrites it at least once a second).
constexpr int DefaultStaleSeconds = 10;
constexpr int MinStaleSeconds = 2;
constexpr int MaxStaleSeconds = 3600;
// Out-of-range limits are pinned to the range.
void SetValuesStaleLimit(int seconds);

// ---- event log (ZAN_UPS.LOG, written by the agent) ----
// The agent's words when its UPS stops and starts answering; a reason may
// follow the first after ": ".
constexpr const char* LinkLostText = "Communication with the UPS lost";
constexpr const char* LinkBackText = "Communication with the UPS restored";
// The reason given with the last loss not followed by a return in the log's
// last lines; empty when there is none.
std::string LastLinkLostReason();

// ---- command (ZAN_CMD.DAT) ----
// Writes the three request flags and clears them; on failure they stay
// raised for the next write, and *error (if given) says why.
bool WriteCommand(std::string* error = nullptr);

// ---- ratings (ZAN_RATING.DAT, written by the agent) ----
// Reads RatingVolt, RatingCurrent and RatingBattVolt, and RatingVA and
// RatingFreq when the file has them; a missing or malformed file leaves them
// unchanged. Returns true when the file was taken.
bool LoadRatings();

// ---- calendar (ZAN_CALENDAR.DAT) ----
extern ScheduleStr* PtSchedule;
extern std::FILE* PtScheduleFile;
extern int StartYear;
extern char StorBuffer[2048];
extern char StringBuffer[1024];

char* StringToken(const char* buffer, char Sep);
void LoadSchedule();
// Writes PtSchedule, stamped with the clock's year, and asks the agent to
// reload it; *error (if given) says what could not be written and why.
SaveResult WriteSchedule(std::string* error = nullptr);
// As WriteSchedule, stamping line 1 with the given base year.
SaveResult WriteScheduleForYear(int baseYear, std::string* error = nullptr);
// Releases the in-memory calendar.
void FreeSchedule();
int OpenRSchedule();
ScheduleStr* GetSchedule(int Month, int Day, int Item);
ScheduleStr* GetNextSchedule();
void CloseSchedule();
void SchedulePlus1Year();

// ---- helpers shared with the agent ----
// Parses a decimal as atoi does, wide enough never to overflow, and keeps the
// low 16 bits.
short AtoiShort(const char* text);
unsigned char AtoiByte(const char* text);
long long AtoiWide(const char* text);
// Copies text into a field of the given capacity (bytes, NUL included),
// cutting it to capacity - 1 characters.
void CopyField(char* field, std::size_t capacity, const char* text);
// Replaces a file by writing a temporary file beside it, flushing it and
// renaming it over the name. Never follows a link planted under the
// temporary name. Returns false (old file untouched) on any failure.
// durable false leaves out the flush to the disk: for files that matter only
// while a program runs (values, ratings), the rename alone is enough.
bool WriteFileAtomic(const std::string& path, const void* data, std::size_t size,
                     bool durable = true);
bool WriteFileAtomic(const std::string& path, const std::string& text, bool durable = true);
// Why the last WriteFileAtomic of path failed, from errno, for the user:
// "cannot write PATH: REASON"; or for the reason given.
std::string CannotWrite(const std::string& path);
std::string CannotWrite(const std::string& path, const std::string& reason);
