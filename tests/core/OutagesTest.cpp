// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The outage table both the agent's report and the monitor's History window
// show: one history from 100 s to 1100 s, read the way the agent wrote it.
#include "Outages.h"
#include "CoreTestSupport.h"
#include "HistoryRows.h"
#include "Ups.h"

namespace {

using corvanta_test::CoreTest;

TEST(Outages, StoriesAndTotals) {
    // clang-format off
    const std::vector<HistoryEventRow> events = {
        {10, "power-fail", ""}, {20, "power-back", ""},    // wholly before the range
        {40, "power-fail", ""}, {130, "power-back", ""},   // began before it: clipped
        {200, "power-fail", ""}, {200, "countdown", "Shutdown countdown started: 30 s (power failure)"},
        {220, "countdown", "Shutdown countdown shortened to 5 s (battery low)"},
        {230, "power-fail", ""},                           // the agent restarted during it
        {250, "power-back", ""}, {250, "countdown-end", "Shutdown countdown ended: power restored (battery low)"},
        {300, "power-fail", ""}, {310, "countdown", "Shutdown countdown started: 60 s (power failure)"},
        {320, "countdown-cancel", "Shutdown countdown cancelled by the user (power failure)"},
        {330, "countdown", "Shutdown countdown started: 30 s (battery low)"}, // a second one
        {340, "power-back", ""}, {340, "countdown-end", "Shutdown countdown ended: power restored (battery low)"},
        {360, "countdown", "Shutdown countdown started: 60 s (scheduled shutdown)"}, // on mains
        {400, "power-fail", ""}, {400, "countdown", "Shutdown countdown started: 30 s (power failure)"},
        {430, "forced-shutdown", "Forced shutdown ordered by the UPS's primary"}, // cuts it short
        {430, "shutdown", "Shutting down: /sbin/poweroff"},
        {1000, "power-fail", ""}, {1010, "countdown-expired", "Shutdown countdown expired (power failure)"},
        {1010, "forced-shutdown", "Forced shutdown set at the UPS server: no other computer logged in"},
        {1010, "shutdown-failed", "No shutdown command given: the computer would shut down now"}};
    // At 900 the power is back after the shutdown, with no power-back seen.
    const std::vector<HistorySampleRow> samples = {
        {110, 90.0, UPS_ACFAIL}, {205, 70.0, UPS_ACFAIL}, {240, std::nullopt, UPS_ACFAIL},
        {245, 55.0, UPS_ACFAIL}, {250, 54.0, 0}, {420, 30.0, UPS_ACFAIL}, {900, 60.0, 0},
        {1005, 99.0, UPS_ACFAIL}};
    // clang-format on
    const OutageTable t = FindOutages(events, samples, 100, 1100);
    using enum CountdownEnd;
    // Start, end (-1: still running), seconds, whether it started before the
    // range, the lowest charge (-1: none seen), how the last countdown ended,
    // what started it, and every countdown.
    // clang-format off
    const std::tuple<std::int64_t, std::int64_t, std::int64_t, bool, double, CountdownEnd,
                     std::string, std::string> rows[] = {
        {100, 130, 30, true, 90, None, "", ""},
        {200, 250, 50, false, 55, PowerBack, "battery low", "power back (battery low)"},
        {300, 340, 40, false, -1, PowerBack, "battery low",
         "cancelled (power failure); power back (battery low)"},
        {400, 900, 500, false, 30, ShutdownRun, "forced shutdown", "shutdown run (forced shutdown)"},
        {1000, -1, 100, false, 99, Expired, "power failure", "expired (power failure)"}};
    // clang-format on
    ASSERT_EQ(t.outages.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Outage& o = t.outages[i];
        EXPECT_EQ(std::tuple(o.start, o.end.value_or(-1), o.seconds, o.startedBefore,
                             o.lowestCharge.value_or(-1), o.countdown, o.trigger,
                             CountdownsText(o)),
                  rows[i])
            << i << ": " << CountdownEndName(o.countdown);
    }
    EXPECT_NE(OutageCsv(t).find(",cancelled; power back,power failure; battery low,0\n"),
              std::string::npos)
        << OutageCsv(t);
    EXPECT_EQ(std::tuple(t.count, t.onBattery, t.longest), std::tuple(5, 720, 500));
}

// Of the samples, only each outage's stretch is read: years on mains between
// them cost the reader nothing.
TEST_F(CoreTest, OnlyTheSamplesOfEachOutageAreRead) {
    HistoryDb db;
    ASSERT_TRUE(db.Open(Path(HistoryFileName), HistoryDb::Mode::Write).Ok());
    ASSERT_TRUE(
        db.Exec("INSERT INTO events(time, kind, detail) VALUES (100, 'power-fail', ''),"
                " (110, 'power-back', ''), (200, 'power-fail', ''), (210, 'power-back', '');"
                "WITH RECURSIVE t(x) AS (VALUES(0) UNION ALL SELECT x + 1 FROM t"
                " WHERE x < 300) INSERT INTO samples(time, status) SELECT x, 0 FROM t")
            .Ok());
    HistoryReader reader(db, HistoryReadLimits{});
    std::vector<HistoryEventRow> events;
    std::vector<HistorySampleRow> samples;
    ASSERT_TRUE(ReadOutageRows(reader, 0, 300, &events, &samples));
    EXPECT_EQ(std::tuple(events.size(), samples.size(), samples.front().time, samples.back().time),
              std::tuple(4u, 22u, 100, 210));
}

} // namespace
