// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The outage table of the power history: each power failure with its length,
// the lowest charge seen and what became of a shutdown countdown during it.
// The agent's report and the monitor's History window both derive it here,
// from rows each has read its own way, so the two can never disagree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Rows of the history's events and samples (kinds as the agent writes them).
struct HistoryEventRow {
    std::int64_t time = 0;
    std::string kind, detail;
};
struct HistorySampleRow {
    std::int64_t time = 0;
    std::optional<double> charge;
    std::int32_t status = 0;
};

enum class CountdownEnd { None, Running, Cancelled, PowerBack, Expired, ShutdownRun };

// One countdown during an outage: from its start (or the outage's, when it
// was already running) to how it ended.
struct OutageCountdown {
    CountdownEnd end = CountdownEnd::Running;
    std::string trigger;
    bool operator==(const OutageCountdown&) const = default;
};

struct Outage {
    std::int64_t start = 0;
    std::optional<std::int64_t> end; // empty: still on battery at the range's end
    std::int64_t seconds = 0;        // to its end, or to the range's end
    bool startedBefore = false;      // began before the range; start is the range's start
    std::optional<double> lowestCharge;
    CountdownEnd countdown = CountdownEnd::None;
    std::string trigger; // the countdown's cause: "power failure", "battery low", ...
    // Every countdown of the outage in order, cancelled ones included;
    // countdown and trigger above are the last one's.
    std::vector<OutageCountdown> countdowns;
};

struct OutageTable {
    std::vector<Outage> outages;
    int count = 0;
    std::int64_t onBattery = 0, longest = 0; // seconds
};

// The outages between from and to. Both lists are in time order; events may
// begin with the last power-fail or power-back before from, so an outage
// already running at from is known.
OutageTable FindOutages(const std::vector<HistoryEventRow>& events,
                        const std::vector<HistorySampleRow>& samples, std::int64_t from,
                        std::int64_t to);

// "cancelled", "power back", ...; empty for None.
const char* CountdownEndName(CountdownEnd end);
// An outage's countdowns as "cancelled (power failure); expired (battery
// low)"; empty when none ran.
std::string CountdownsText(const Outage& outage);

// A moment as the history's readers show it: local time, or the test clock's
// ("YYYY-MM-DD HH:MM:SS").
std::string HistoryTimeText(std::int64_t t);
// Seconds as "H:MM:SS".
std::string DurationText(std::int64_t seconds);
// The table as CSV: a header line
// "start,end,seconds,lowest_charge,countdown,trigger,started_before" and a row
// per outage (RFC 4180 quoting, LF line ends; an empty end or lowest_charge
// means none). Of several countdowns, countdown and trigger list each in
// order, separated by "; ".
std::string OutageCsv(const OutageTable& table);
