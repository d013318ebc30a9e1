#include <sqlite3.h>

#include "AgentTestSupport.h"
#include "History.h"

namespace {

using agent_test::AgentTest;
using HistoryTest = AgentTest;

constexpr std::int64_t kNoon = 1773144000; // 2026-03-10 12:00:00 UTC

// The rows a query answers, columns joined by "|".
std::vector<std::string> Rows(sqlite3* db, const std::string& sql) {
    std::vector<std::string> out;
    auto add = [](void* o, int n, char** v, char**) {
        std::string row;
        for (int i = 0; i < n; ++i)
            row += (i ? "|" : "") + std::string(v[i] ? v[i] : "NULL");
        static_cast<std::vector<std::string>*>(o)->push_back(row);
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), add, &out, nullptr), SQLITE_OK) << sql;
    return out;
}

HistorySample At(std::int64_t time) {
    HistorySample s;
    s.time = time;
    return s;
}

TEST(HistoryCadence, TenSecondsOnMainsTwoOnBattery) {
    const struct {
        std::optional<std::int64_t> last;
        std::int64_t now;
        std::int32_t status;
        bool due;
    } rows[] = {// the last: the clock set back
                // clang-format off
        {std::nullopt, 100, 0, true}, {100, 109, 0, false}, {100, 110, 0, true},
        {100, 101, UPS_ACFAIL, false}, {100, 102, UPS_ACFAIL | UPS_BATTLOW, true},
        {100, 50, 0, true}};
    // clang-format on
    for (const auto& r : rows)
        EXPECT_EQ(History::SampleDue(r.last, r.now, r.status), r.due) << r.now << " " << r.status;
}

// An hour of 10-second samples at the start of every day for two years and
// ten days, thinned twice an hour apart: the bands keep the same counts.
TEST_F(HistoryTest, ThinningKeepsOneRowPerMinuteThenPerQuarterHour) {
    History h(Folder(), nullptr);
    std::vector<HistorySample> samples;
    for (std::int64_t day = 0; day < 740; ++day)
        for (std::int64_t k = 0; k < 360; ++k)
            samples.push_back(At(kNoon - 12 * History::Hour - day * History::Day + k * 10));
    ASSERT_TRUE(h.AddSamples(samples));
    const struct {
        std::int64_t fromAge, toAge;
        long long count;
    } bands[] = {{0, History::RawAge, 2 * 360},
                 {History::RawAge, History::MinuteAge, 58 * 60},
                 {History::MinuteAge, History::KeepAge, 670 * 4},
                 {History::KeepAge, 800 * History::Day, 0}};
    for (std::int64_t now : {kNoon, kNoon + History::Hour}) {
        EXPECT_TRUE(h.Thin(now));
        EXPECT_FALSE(h.Thin(now + 1800)); // at most once an hour
        for (const auto& b : bands)
            EXPECT_EQ(h.SampleCount(now - b.toAge, now - b.fromAge), b.count) << b.fromAge;
    }
}

// What stands at the file's name before the agent opens it, and what the
// agent makes of it: a database it cannot use is moved aside under a name
// saying why, the history starts afresh at version 1.
TEST_F(HistoryTest, UnusableDatabaseIsMovedAsideForAFreshOne) {
    const struct {
        const char* kind; // of the file moved aside; "" keeps the database
        const char* sql;  // run on the file first; null: garbage written instead
        long long samples;
    } rows[] = {
        {"", "", 1},
        {"",
         "CREATE TABLE samples(time INTEGER PRIMARY KEY, a, b, c, d, e, f, g, h, i);"
         "CREATE TABLE events(id INTEGER PRIMARY KEY, time, kind, detail);"
         "INSERT INTO samples(time) VALUES(1); PRAGMA user_version=1",
         2},
        {"corrupt", nullptr, 1},
        {"locked", "CREATE TABLE t(x); BEGIN EXCLUSIVE; INSERT INTO t VALUES(1)", 1},
        {"newer", "PRAGMA user_version=2", 1},
    };
    const std::string path = Path(History::FileName);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.kind);
        for (const char* suffix : {"", "-wal", "-shm"})
            std::remove((path + suffix).c_str());
        sqlite3* stranger = nullptr; // holds its lock while the agent opens
        if (!r.sql) agent_test::WriteFile(path, std::string(4096, 'x'));
        ASSERT_TRUE(!r.sql || (sqlite3_open(path.c_str(), &stranger) == SQLITE_OK &&
                               sqlite3_exec(stranger, r.sql, nullptr, nullptr, nullptr) == 0));
        std::vector<std::string> lines;
        {
            History h(Folder(), [&](const std::string& l) { lines.push_back(l); });
            EXPECT_TRUE(h.AddSample(At(kNoon)));
            EXPECT_TRUE(h.AddEvent(kNoon, "power failure", "began"));
            EXPECT_EQ(h.SampleCount(0, kNoon + 1), r.samples);
        }
        sqlite3_close(stranger);
        const std::string aside = path + "." + r.kind + "-20260310-120000";
        EXPECT_EQ(*r.kind != 0, agent_test::FileExists(aside));
        EXPECT_EQ(lines.size(), *r.kind ? 1u : 0u);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(Rows(db, "PRAGMA user_version"),
                  std::vector<std::string>{std::to_string(History::SchemaVersion)});
        sqlite3_close(db);
        if (*r.kind) std::remove(aside.c_str());
    }
}

// Two outages through the agent, over a corrupt history it moves aside: its
// events in order, a sample every 10 s on mains and every 2 s on battery,
// what the UPS does not report left NULL, and nothing committed on mains
// before the batch is due.
TEST_F(HistoryTest, AgentRecordsTwoOutages) {
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 20, s.Battery_OSDelay = 5; });
    const std::string start = std::to_string(CurrentTime());
    sqlite3* db = nullptr;
    agent_test::WriteFile(Path(History::FileName), std::string(4096, 'x'));
    StartAgent();
    EXPECT_TRUE(LogHas(".corrupt-")) << "moved aside";
    ASSERT_EQ(sqlite3_open(Path(History::FileName).c_str(), &db), SQLITE_OK);
    Seconds(Agent::HistoryBatchSeconds - 1);
    EXPECT_EQ(Rows(db, "SELECT COUNT(*) FROM samples"), std::vector<std::string>{"0"});
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
    EXPECT_EQ(Rows(db, "SELECT time - " + start + ", kind, detail FROM events ORDER BY id"),
              events);
    std::vector<std::string> times; // {from, to, every}: mains, battery, mains, battery
    for (auto [from, to, every] :
         {std::array{0, b, 10}, {b + 2, b + 4, 2}, {b + 14, b + 14, 10}, {b + 20, b + 30, 2}})
        for (int s = from; s <= to; s += every)
            times.push_back(std::to_string(s));
    EXPECT_EQ(Rows(db, "SELECT time - " + start + " FROM samples"), times);
    const std::string row = "SELECT charge, load, input_volts, output_volts, temperature,"
                            " runtime_s, status FROM samples WHERE time = " +
                            std::to_string(b + 2) + " + " + start;
    EXPECT_EQ(Rows(db, row), std::vector<std::string>{"100.0|30.0|230.0|NULL|NULL|NULL|128"});
    sqlite3_close(db);
}

} // namespace
