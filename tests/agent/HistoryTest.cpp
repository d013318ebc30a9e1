// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <sqlite3.h>

#include "AgentTestSupport.h"
#include "History.h"
#include "Outages.h"

namespace {

using corvanta_test::Sql;
using HistoryTest = agent_test::AgentTest;

constexpr std::int64_t kNoon = 1773144000; // 2026-03-10 12:00:00 UTC

HistorySample At(std::int64_t time) {
    HistorySample s;
    s.time = time;
    return s;
}

TEST(HistoryCadence, TenSecondsOnMainsTwoOnBattery) {
    // The last sample's time (later than now: the clock set back), now, the
    // status, whether a sample is due.
    const std::tuple<std::optional<std::int64_t>, std::int64_t, std::int32_t, bool> rows[] = {
        // clang-format off
        {std::nullopt, 100, 0, true}, {100, 109, 0, false}, {100, 110, 0, true},
        {100, 101, UPS_ACFAIL, false}, {100, 102, UPS_ACFAIL | UPS_BATTLOW, true},
        {100, 50, 0, true}};
    // clang-format on
    for (const auto& [last, now, status, due] : rows)
        EXPECT_EQ(History::SampleDue(last, now, status), due) << now << " " << status;
}

// An hour of 10-second samples at the start of every day for two years and
// ten days, thinned twice an hour apart: the bands keep the same counts.
TEST_F(HistoryTest, ThinningKeepsOneRowPerMinuteThenPerQuarterHour) {
    HistoryStore h(nullptr);
    std::vector<HistorySample> samples;
    for (std::int64_t day = 0; day < 740; ++day)
        for (std::int64_t k = 0; k < 360; ++k)
            samples.push_back(At(kNoon - 12 * History::Hour - day * History::Day + k * 10));
    ASSERT_TRUE(h.AddSamples(samples));
    // The samples kept from an age to another.
    const std::tuple<std::int64_t, std::int64_t, long long> bands[] = {
        // clang-format off
        {0, History::RawAge, 2 * 360}, {History::RawAge, History::MinuteAge, 58 * 60},
        {History::MinuteAge, History::KeepAge, 670 * 4}, {History::KeepAge, 800 * History::Day, 0}};
    // clang-format on
    for (std::int64_t now : {kNoon, kNoon + History::Hour}) {
        EXPECT_TRUE(h.Thin(now));
        EXPECT_FALSE(h.Thin(now + 1800)); // at most once an hour
        for (const auto& [fromAge, toAge, count] : bands)
            EXPECT_EQ(h.SampleCount(now - toAge, now - fromAge), count) << fromAge;
    }
}

// A flapping supply, thinned: within a bucket (a minute, then a quarter
// hour) a power-back followed by a power-fail goes with it, each other kind
// keeps its first event; the outages stay whole. Events are
// <kind letter><seconds from the row's start>.
TEST_F(HistoryTest, ThinningCollapsesFlappingEvents) {
    const std::string kinds[] = {"power-fail", "power-back", "countdown", "countdown-end",
                                 "battery-low"};
    const std::string letters = "fbcel";
    // The row's age, its events, those kept, the outages they make.
    const std::tuple<std::int64_t, const char*, const char*, int> rows[] = {
        {History::Hour, "f0 b5 f10 b15", "f0 b5 f10 b15", 2},
        {3 * History::Day, "f0 c0 b5 e5 f10 c10 b15 e15 f20 c20 b60 f70 b80", "f0 c0 e5 b80", 1},
        {4 * History::Day, "b0 b5 f30 f40 l40 l50", "f40 l40", 1},
        {90 * History::Day, "f0 b30 f100 l100 l890 b950 l950", "f0 l100 b950 l950", 1},
        {History::KeepAge + History::Day, "f0 b5", "", 0},
    };
    HistoryStore h(nullptr);
    auto base = [](std::int64_t age) { return (kNoon - age) / 900 * 900; };
    for (const auto& [age, added, kept, outages] : rows) {
        std::istringstream in(added);
        for (std::string e; in >> e;)
            h.AddEvent(base(age) + std::stoll(e.substr(1)), kinds[letters.find(e[0])], "");
    }
    ASSERT_TRUE(h.Thin(kNoon));
    for (const auto& [age, added, kept, outages] : rows) {
        const std::int64_t from = base(age);
        std::string left;
        std::vector<HistoryEventRow> events;
        for (const std::string& row :
             Sql(Path(History::FileName),
                 "SELECT time, kind FROM events WHERE time >= " + std::to_string(from) +
                     " AND time < " + std::to_string(from + 1000) + " ORDER BY time, id")) {
            const auto bar = row.find('|');
            events.push_back({std::stoll(row.substr(0, bar)), row.substr(bar + 1), ""});
            const auto k = std::find(std::begin(kinds), std::end(kinds), events.back().kind);
            left += (left.empty() ? "" : " ") + std::string(1, letters[k - kinds]) +
                    std::to_string(events.back().time - from);
        }
        EXPECT_EQ(left, kept) << added;
        EXPECT_EQ(FindOutages(events, {}, from, from + 1000).count, outages) << added;
    }
}

// What stands at the file's name before the agent opens it, what a reader
// makes of it, and what the agent does: a database it cannot use (planted
// code that would never end or never stop allocating included) is moved
// aside under a name saying why, promptly, and the history starts afresh
// at version 1 in a regular file of its own.
TEST_F(HistoryTest, UnusableDatabaseIsMovedAsideForAFreshOne) {
    using S = HistoryDbStatus;
    enum Plant { Nothing, Ours, Garbage, Fifo, Link, Foreign, Writable };
    const std::string endless = "WITH RECURSIVE c(x) AS (VALUES(1) UNION ALL SELECT x + 1 FROM c)";
    const std::string grow = "WITH RECURSIVE c(x) AS (VALUES('x') UNION ALL SELECT x || x FROM c)";
    auto trigger = [&](const char* when, const std::string& with) {
        return "CREATE TRIGGER t " + std::string(when) + " BEGIN " + with +
               " SELECT count(*) FROM c; END";
    };
    // The kind of file moved aside ("" keeps the database), what is planted,
    // what a reader finds, SQL run on the file then.
    const std::tuple<const char*, Plant, S, std::string> rows[] = {
        // clang-format off
        {"", Nothing, S::Empty, ""}, {"", Ours, S::Ok, ""}, {"corrupt", Garbage, S::Corrupt, ""},
        {"not-a-file", Fifo, S::NotRegular, ""}, {"not-a-file", Link, S::NotRegular, ""},
        {"foreign", Foreign, S::Foreign, ""}, {"writable", Writable, S::Writable, ""},
        {"newer", Nothing, S::Newer, "PRAGMA user_version=2"},
        {"locked", Nothing, S::NotOurs, "CREATE TABLE t(x); BEGIN EXCLUSIVE; INSERT INTO t VALUES(1)"},
        {"not-ours", Ours, S::NotOurs, trigger("BEFORE INSERT ON samples", endless)},
        {"not-ours", Ours, S::NotOurs, trigger("AFTER INSERT ON events", endless)},
        {"not-ours", Ours, S::NotOurs, trigger("BEFORE INSERT ON samples", grow)},
        {"not-ours", Ours, S::NotOurs, "DROP TABLE samples; CREATE VIEW samples AS SELECT 1 AS time;" +
                                           trigger("INSTEAD OF INSERT ON samples", endless)},
        {"not-ours", Ours, S::NotOurs,
         "DROP TABLE samples; CREATE VIEW samples AS " + endless + " SELECT x FROM c"},
        {"not-ours", Nothing, S::NotOurs,
         "CREATE TABLE samples(time INTEGER PRIMARY KEY, a, b, c, d, e, f, g, h, i);"
         "CREATE TABLE events(id INTEGER PRIMARY KEY, time, kind, detail);"
         "INSERT INTO samples(time) VALUES(1); PRAGMA user_version=1"}};
    // clang-format on
    const std::string path = Path(History::FileName), elsewhere = Path("elsewhere.db");
    for (const auto& [kind, plant, read, sql] : rows) {
        SCOPED_TRACE(sql + " " + kind);
        if (plant == Foreign && ::geteuid() != 0) continue; // only root gives files away
        for (const char* suffix : {"", "-wal", "-shm"})
            std::remove((path + suffix).c_str());
        const bool ours = plant == Ours || plant == Foreign || plant == Writable;
        ASSERT_TRUE(!ours || HistoryStore(nullptr).AddSample(At(kNoon - 10)));
        if (plant == Garbage) agent_test::WriteFile(path, std::string(4096, 'x'));
        ASSERT_TRUE(plant != Fifo || ::mkfifo(path.c_str(), 0644) == 0);
        ASSERT_TRUE(plant != Link || (HistoryStore(nullptr, elsewhere).AddSample(At(kNoon - 10)) &&
                                      ::symlink(elsewhere.c_str(), path.c_str()) == 0));
        ASSERT_TRUE(plant != Foreign || ::chown(path.c_str(), 65534, 65534) == 0);
        ASSERT_TRUE(plant != Writable || ::chmod(path.c_str(), 0666) == 0);
        const std::string target = agent_test::ReadFile(elsewhere);
        sqlite3* stranger = nullptr; // holds its lock while the agent opens
        ASSERT_TRUE((plant != Nothing && sql.empty()) ||
                    (sqlite3_open(path.c_str(), &stranger) == SQLITE_OK &&
                     sqlite3_exec(stranger, sql.c_str(), nullptr, nullptr, nullptr) == 0));
        if (*kind != 'l') sqlite3_close(std::exchange(stranger, nullptr));
        HistoryDb reader;
        EXPECT_EQ(reader.Open(path, HistoryDb::Mode::Read).status, read);
        reader.Close();
        std::vector<std::string> lines;
        {
            HistoryStore h([&](const std::string& l) { lines.push_back(l); });
            EXPECT_TRUE(h.AddSample(At(kNoon)));
            EXPECT_TRUE(h.AddEvent(kNoon, "power failure", "began"));
            EXPECT_EQ(h.SampleCount(0, kNoon + 1), read == S::Ok ? 2 : 1);
        }
        sqlite3_close(stranger);
        EXPECT_EQ(agent_test::ReadFile(elsewhere), target) << "not written through the link";
        const std::string aside = path + "." + kind + "-20260310-120000";
        EXPECT_EQ(*kind != 0, agent_test::FileExists(aside));
        EXPECT_EQ(lines.size(), *kind ? 1u : 0u);
        // A regular file of the agent's own, which readers take.
        EXPECT_TRUE(reader.Open(path, HistoryDb::Mode::Read).Ok() &&
                    reader.Version() == History::SchemaVersion);
        if (*kind) std::remove(aside.c_str());
    }
}

// Two outages through the agent, over a corrupt history it moves aside: its
// events in order, a sample every 10 s on mains and every 2 s on battery,
// what the UPS does not report left NULL, and nothing committed on mains
// before the batch is due.
TEST_F(HistoryTest, AgentRecordsTwoOutages) {
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 20, s.Battery_OSDelay = 5; });
    const std::string start = std::to_string(CurrentTime()), file = Path(History::FileName);
    agent_test::WriteFile(file, std::string(4096, 'x'));
    StartAgent().WaitHistory();
    Seconds(Agent::HistoryBatchSeconds - 1);
    EXPECT_TRUE(LogHas(".corrupt-")) << "moved aside";
    EXPECT_EQ(Sql(file, "SELECT COUNT(*) FROM samples"), std::vector<std::string>{"0"});
    const std::int32_t A = UPS_ACFAIL, AL = UPS_ACFAIL | UPS_BATTLOW;
    for (auto [status, seconds] : {std::pair{0, 1}, {A, 5}, {0, 14}, {A, 5}, {AL, 6}}) {
        ups.Next.Status = status;
        Seconds(seconds);
    }
    agent->Stop();
    const int b = Agent::HistoryBatchSeconds; // the first outage begins at b + 1
    std::vector<std::string> events;
    for (auto [at, text] : std::initializer_list<std::pair<int, const char*>>{
             {1, "power-fail|Power failure: running on battery"},
             {1, "countdown|Shutdown countdown started: 20 s (power failure)"},
             {6, "power-back|Power restored"},
             {6, "countdown-end|Shutdown countdown ended: power restored (power failure)"},
             {20, "power-fail|Power failure: running on battery"},
             {20, "countdown|Shutdown countdown started: 20 s (power failure)"},
             {25, "battery-low|Battery low"},
             {25, "countdown|Shutdown countdown shortened to 5 s (battery low)"},
             {30, "countdown-expired|Shutdown countdown expired (battery low)"},
             {30, "shutdown-failed|No shutdown command given: the computer would shut down now"}})
        events.push_back(std::to_string(b + at) + "|" + text);
    EXPECT_EQ(Sql(file, "SELECT time - " + start + ", kind, detail FROM events ORDER BY id"),
              events);
    std::vector<std::string> times; // {from, to, every}: mains, battery, mains, battery
    for (auto [from, to, every] :
         {std::array{0, b, 10}, {b + 2, b + 4, 2}, {b + 14, b + 14, 10}, {b + 20, b + 30, 2}})
        for (int s = from; s <= to; s += every)
            times.push_back(std::to_string(s));
    EXPECT_EQ(Sql(file, "SELECT time - " + start + " FROM samples"), times);
    const std::string row = "SELECT charge, load, input_volts, output_volts, temperature,"
                            " runtime_s, status FROM samples WHERE time = " +
                            std::to_string(b + 2) + " + " + start;
    EXPECT_EQ(Sql(file, row), std::vector<std::string>{"100.0|30.0|230.0|NULL|NULL|NULL|128"});
}

} // namespace
