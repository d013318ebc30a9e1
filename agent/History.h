// The power history ZAN_HISTORY.DB: samples of the UPS's values and the
// events around them, in SQLite, written only by the agent. Every time comes
// from the caller (the agent's clock, which tests set), so nothing here reads
// the wall clock. The history is a passenger: a database it cannot use is
// renamed aside and a fresh one started, and when even that fails the calls
// return false and the agent goes on monitoring.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "file.h"

struct sqlite3;

// A value the UPS does not report stays empty (NULL in the database), never 0.
struct HistorySample {
    std::int64_t time = 0;              // seconds since the epoch; one row per second at most
    std::optional<double> charge, load; // %
    std::optional<double> inputVolts, outputVolts, inputHz, batteryVolts;
    std::optional<int> runtimeSeconds;
    std::optional<double> temperature; // C
    std::int32_t status = 0;           // the status word, UPS_* masks
};

class History {
  public:
    static constexpr const char* FileName = HistoryFileName;
    static constexpr int SchemaVersion = 1;
    static constexpr std::int64_t Hour = 3600, Day = 24 * Hour;
    // Kept whole, then one row a minute, then one per 15 minutes, then gone.
    static constexpr std::int64_t RawAge = 48 * Hour, MinuteAge = 60 * Day, KeepAge = 2 * 365 * Day;

    // report gets one line for the agent's log whenever the history changes
    // its state (a database moved aside, a write that failed).
    History(std::string folder, std::function<void(const std::string&)> report);
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Opens (or creates, or upgrades) the database. Also done by the first
    // write; after a failure that moving aside cannot mend, it is retried
    // at most once an hour.
    bool Open(std::int64_t now);
    bool IsOpen() const { return db_ != nullptr; }

    bool AddSample(const HistorySample& s) { return AddSamples({s}); }
    // Several samples in one transaction; now is the last one's time.
    bool AddSamples(const std::vector<HistorySample>& samples);
    bool AddEvent(std::int64_t time, const std::string& kind, const std::string& detail);

    // Seconds between samples: 10 on mains, 2 on battery.
    static int SampleSeconds(std::int32_t status);
    // Whether a sample is due now after one at last (none yet: nullopt).
    // A clock set back makes it due at once rather than silent for the gap.
    static bool SampleDue(std::optional<std::int64_t> last, std::int64_t now, std::int32_t status);

    // Thins and trims the samples by age; does nothing (false) when it last
    // ran less than an hour before now.
    bool Thin(std::int64_t now);
    // Samples with from <= time < to; -1 when the database cannot say.
    long long SampleCount(std::int64_t from, std::int64_t to);

  private:
    enum class Fault { None, Corrupt, Locked, Newer, Other };
    Fault OpenFile(std::string* why);
    Fault Classify(int rc, std::string* why) const;
    Fault Exec(const char* sql, std::string* why);
    // Runs body in one transaction; a database that fails it is mended
    // (moved aside for a fresh one) and body tried once more there.
    bool Write(std::int64_t now, const std::function<Fault(std::string*)>& body);
    bool Recover(Fault fault, std::string why, std::int64_t now);
    void MoveAside(Fault fault, const std::string& why, std::int64_t now);
    void Close();
    void Report(const std::string& line);

    std::string folder_, path_;
    std::function<void(const std::string&)> report_;
    sqlite3* db_ = nullptr;
    std::int64_t retryAt_ = std::numeric_limits<std::int64_t>::min();
    std::optional<std::int64_t> lastThin_;
    std::string lastReport_;
};
