// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryReport.h"

#include <ctime>
#include <limits>

#include "Clock.h"
#include "Folder.h"
#include "History.h"
#include "HistoryRows.h"
#include "Outages.h"

namespace {

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
        // Every countdown: a cancelled one is as much news as the last.
        const std::string countdown = o.countdowns.empty() ? "-" : CountdownsText(o);
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
    // One budget and one transaction for the whole read, as the History
    // window has, with the same caps.
    HistoryDb::Budget budget(db, HistoryDb::ReadBudget);
    HistoryReader r(db, HistoryReadLimits{});
    if (!r.Exec("BEGIN") || !ReadOutageRows(r, from, now, &events, &samples) || !r.Exec("COMMIT")) {
        const std::string later = since ? "a later --since" : "--since";
        const std::string large = "the power history is too large to read in time: ";
        if (!r.overflow().empty()) return fail(large + r.overflow() + "; " + later + " reads less");
        return fail(r.fault().status == HistoryDbStatus::TooSlow
                        ? large + r.fault().Message() + "; " + later + " reads less"
                        : "cannot read the power history: " + r.fault().Message());
    }
    PrintTable(FindOutages(events, samples, from, now), csv, out);
    return 0;
}
