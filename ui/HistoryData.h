// What the History window shows, read from the agent's power history: the
// chart's points for a range, the outage table (derived in core, as the
// agent's report derives it) and the runtimes that tell the battery's health.
// The database is only ever read, and read so that the agent writing it is
// never held up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Outages.h"

enum class HistoryRange { Hour, Day, Week, Month, Year };
constexpr int kHistoryRangeCount = 5;
std::int64_t HistoryRangeSeconds(HistoryRange range);
// "Last hour", "Last day", ...
const char* HistoryRangeName(HistoryRange range);

// Each range is drawn with at most this many points: a year opens as fast as
// an hour, and no screen shows more.
constexpr int kChartBuckets = 720;

// The average of the samples of one bucket, dated by its first sample.
struct ChartPoint {
    std::int64_t time = 0;
    std::optional<double> charge, load, inputVolts;
};

// The UPS's runtime estimate in the first seconds of an outage that began on
// a full battery, with the load it was made for.
struct RuntimeReading {
    std::int64_t time = 0;
    double runtimeSeconds = 0, load = 0;
};

struct HistoryView {
    enum class State { Read, Missing, Unreadable };
    State state = State::Missing;
    std::string problem; // what to tell the user when it is not Read
    std::int64_t from = 0, to = 0;
    std::vector<ChartPoint> points;
    OutageTable outages;
    std::vector<RuntimeReading> fullStarts; // of the whole history, oldest first
};

// The history at path over the range that ends at now.
HistoryView ReadHistory(const std::string& path, HistoryRange range, std::int64_t now);

// The battery line: the runtime of the first full-battery outage against the
// latest one at a comparable load, or why there is none to compare.
std::string BatteryHealthText(const std::vector<RuntimeReading>& fullStarts);
