// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// corvanta-agent --history-report on what may stand at the history's name:
// the agent's own database, or a file planted to block, redirect or swamp a
// report run as root. Each is answered at once, never waited on.
#include <sys/stat.h>

#include "AgentTestSupport.h"
#include "HistoryDb.h"
#include "HistoryReport.h"

namespace {

using HistoryReportTest = agent_test::AgentTest;

TEST_F(HistoryReportTest, RefusesWhatIsNotTheAgentsHistoryAndWhatIsTooLarge) {
    const std::string path = Path(HistoryFileName);
    const std::int64_t now = CurrentTime();
    // What is planted, SQL run on the agent's database before the report, the
    // report's status, what it says (on standard output for 0, else on error).
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        {"none", "", 1, "no power history yet: " + path + " does not exist"},
        {"fifo", "", 1, "cannot read the power history: " + path + " is not a regular file"},
        {"link", "", 1, "cannot read the power history: " + path + " is not a regular file"},
        {"stranger", "", 1, "cannot read the power history: " + path + " is owned by user 65534"},
        {"db", "DROP TABLE events; CREATE VIEW events AS SELECT 1 AS id", 1,
         "cannot read the power history: " + path + " holds more than the agent's history"},
        {"db",
         "INSERT INTO events(time, kind, detail) VALUES(" + std::to_string(now - 60) +
             ", 'power-fail', ''); INSERT INTO samples(time, charge, status) VALUES(" +
             std::to_string(now - 30) + ", 87, 128)",
         0, "13:59:00   on battery             0:01:00    87%  -\n"},
        {"db", // every countdown of the outage, the cancelled one too
         "INSERT INTO events(time, kind, detail) VALUES(" + std::to_string(now - 60) +
             ", 'power-fail', ''), (" + std::to_string(now - 50) +
             ", 'countdown', 'started: 60 s (power failure)'), (" + std::to_string(now - 40) +
             ", 'countdown-cancel', 'cancelled (power failure)'), (" + std::to_string(now - 5) +
             ", 'countdown', 'started: 30 s (battery low)')",
         0, "0:01:00      -  cancelled (power failure); running (battery low)\n"},
        {"db",
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n LIMIT 20001) "
         "INSERT INTO events(time, kind, detail) SELECT i, 'power-fail', '' FROM n",
         1, "the power history is too large to read in time: more than 20000 events; --since"},
    };
    for (const auto& [plant, sql, status, said] : cases) {
        SCOPED_TRACE(plant + " " + sql);
        if (plant == "stranger" && ::geteuid() != 0) continue; // only root gives files away
        for (const char* suffix : {"", "-wal", "-shm"})
            std::remove((path + suffix).c_str());
        const std::string made = plant == "link" ? Path("real.db") : path;
        ASSERT_TRUE(plant != "fifo" || ::mkfifo(path.c_str(), 0644) == 0);
        ASSERT_TRUE(plant != "link" || ::symlink(made.c_str(), path.c_str()) == 0);
        if (plant != "none" && plant != "fifo") { // as the agent makes it, then plain SQL
            ASSERT_TRUE(HistoryDb().Open(made, HistoryDb::Mode::Write).Ok());
            corvanta_test::Sql(made, sql);
        }
        ASSERT_TRUE(plant != "stranger" || ::chown(path.c_str(), 65534, 65534) == 0);
        char *out = nullptr, *err = nullptr;
        std::size_t outSize = 0, errSize = 0;
        std::FILE *outFile = open_memstream(&out, &outSize),
                  *errFile = open_memstream(&err, &errSize);
        EXPECT_EQ(PrintHistoryReport(Folder(), std::nullopt, now, false, outFile, errFile), status);
        std::fclose(outFile), std::fclose(errFile);
        const std::string shown = status == 0 ? out : err, other = status == 0 ? err : out;
        std::free(out), std::free(err);
        EXPECT_NE(shown.find(said), std::string::npos) << shown;
        EXPECT_EQ(other, "");
    }
}

} // namespace
