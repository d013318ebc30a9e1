// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Outages.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "Clock.h"
#include "Translatable.h"
#include "Ups.h"

namespace {

// The cause the agent writes in parentheses at the end of a countdown line.
std::string Trigger(const std::string& detail) {
    const auto open = detail.rfind('(');
    if (open == std::string::npos || detail.back() != ')') return {};
    return detail.substr(open + 1, detail.size() - open - 2);
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, its
// quotes doubled.
std::string CsvField(const std::string& f) {
    if (f.find_first_of(",\"\r\n") == std::string::npos) return f;
    std::string q = "\"";
    for (char c : f)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + '"';
}

} // namespace

std::string HistoryTimeText(std::int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (TestTimeActive())
        gmtime_r(&tt, &tm);
    else
        localtime_r(&tt, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

std::string DurationText(std::int64_t s) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return text;
}

std::string OutageCsv(const OutageTable& table) {
    std::string csv = "start,end,seconds,lowest_charge,countdown,trigger,started_before\n";
    for (const Outage& o : table.outages) {
        char low[16] = "";
        if (o.lowestCharge) std::snprintf(low, sizeof low, "%.0f", *o.lowestCharge);
        std::string ends, triggers;
        for (const OutageCountdown& c : o.countdowns) {
            ends += (ends.empty() ? "" : "; ") + std::string(CountdownEndName(c.end));
            triggers += (&c == &o.countdowns.front() ? "" : "; ") + c.trigger;
        }
        csv += HistoryTimeText(o.start) + ',' + (o.end ? HistoryTimeText(*o.end) : "") + ',' +
               std::to_string(o.seconds) + ',' + low + ',' + ends + ',' + CsvField(triggers) + ',' +
               (o.startedBefore ? "1" : "0") + '\n';
    }
    return csv;
}

std::string CountdownsText(const Outage& outage) {
    std::string text;
    for (const OutageCountdown& c : outage.countdowns) {
        if (!text.empty()) text += "; ";
        text += CountdownEndName(c.end);
        if (!c.trigger.empty()) text += " (" + c.trigger + ")";
    }
    return text;
}

const char* CountdownEndName(CountdownEnd end) {
    switch (end) {
    case CountdownEnd::None:
        break;
    case CountdownEnd::Running:
        return TRANSLATABLE("HistoryWindow", "running");
    case CountdownEnd::Cancelled:
        return TRANSLATABLE("HistoryWindow", "cancelled");
    case CountdownEnd::PowerBack:
        return TRANSLATABLE("HistoryWindow", "power back");
    case CountdownEnd::Expired:
        return TRANSLATABLE("HistoryWindow", "expired");
    case CountdownEnd::ShutdownRun:
        return TRANSLATABLE("HistoryWindow", "shutdown run");
    }
    return "";
}

OutageTable FindOutages(const std::vector<HistoryEventRow>& events,
                        const std::vector<HistorySampleRow>& samples, std::int64_t from,
                        std::int64_t to) {
    OutageTable t;
    bool running = false;
    auto close = [&](std::int64_t at) {
        running = false;
        t.outages.back().end = at;
        if (at < from) t.outages.pop_back(); // wholly before the range
    };
    std::size_t next = 0;
    // Samples up to the given time. The first on mains ends an outage whose
    // power-back the agent never saw (it was stopped, or the shutdown ran):
    // the outage then lasts until the history knew the mains were back.
    auto samplesTo = [&](std::int64_t time, bool inclusive) {
        for (; next < samples.size() &&
               (samples[next].time < time || (inclusive && samples[next].time == time));
             ++next) {
            const HistorySampleRow& s = samples[next];
            if (!running || s.time < t.outages.back().start) continue;
            if (!(s.status & UPS_ACFAIL)) {
                close(s.time);
            } else if (s.charge) {
                auto& low = t.outages.back().lowestCharge;
                low = std::min(low.value_or(*s.charge), *s.charge);
            }
        }
    };
    for (const HistoryEventRow& e : events) {
        // The agent samples after logging the step's events, so at equal
        // times the events come first.
        samplesTo(e.time, false);
        if (e.kind == "power-fail") {
            // A second one while running: the agent restarted during it.
            if (running) continue;
            running = true;
            // One that began before the range is clipped to it, so that the
            // totals of consecutive ranges add up and count no second twice.
            Outage o;
            o.start = std::max(e.time, from);
            o.startedBefore = e.time < from;
            t.outages.push_back(o);
            continue;
        }
        if (e.kind == "power-back") {
            if (running) close(e.time);
            continue;
        }
        // The countdown belongs to the outage it ran in; the power's return
        // ends it in the same second, just after the outage.
        if (t.outages.empty() || (!running && t.outages.back().end != e.time)) continue;
        auto& list = t.outages.back().countdowns;
        const bool runs = !list.empty() && list.back().end == CountdownEnd::Running;
        if (e.kind == "countdown") {
            // Shortened or kept beside another cause: still the same one.
            if (!runs) list.push_back({});
            list.back().trigger = Trigger(e.detail);
        } else if (e.kind == "countdown-cancel" || e.kind == "countdown-end" ||
                   e.kind == "countdown-expired") {
            // One whose start the history lacks (armed on mains, or thinned
            // away) is still listed.
            if (!runs) list.push_back({});
            list.back() = {e.kind == "countdown-expired" ? CountdownEnd::Expired
                           : e.kind == "countdown-end"   ? CountdownEnd::PowerBack
                                                         : CountdownEnd::Cancelled,
                           Trigger(e.detail)};
        } else if (e.kind == "forced-shutdown" &&
                   (list.empty() || (list.back().end != CountdownEnd::Expired &&
                                     list.back().end != CountdownEnd::ShutdownRun))) {
            // The UPS's primary cut the countdown short: it ends as one that
            // ran out.
            if (!runs) list.push_back({});
            list.back() = {CountdownEnd::Expired, "forced shutdown"};
        } else if (e.kind == "shutdown" && !list.empty() &&
                   list.back().end == CountdownEnd::Expired) {
            list.back().end = CountdownEnd::ShutdownRun; // not refused, not missing
        }
    }
    samplesTo(to, true);
    for (Outage& o : t.outages) {
        if (!o.countdowns.empty()) {
            o.countdown = o.countdowns.back().end;
            o.trigger = o.countdowns.back().trigger;
        }
        o.seconds = std::max<std::int64_t>(0, o.end.value_or(to) - o.start);
        t.onBattery += o.seconds;
        t.longest = std::max(t.longest, o.seconds);
    }
    t.count = static_cast<int>(t.outages.size());
    return t;
}
