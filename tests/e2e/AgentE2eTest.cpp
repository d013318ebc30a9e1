// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The real agent on a private folder, driven through its files and signals
// exactly as the monitor drives it. What the monitor then shows is in
// MonitorE2eTest.cpp.

#include <sqlite3.h>

#include "E2eSupport.h"
#include "HistoryDb.h"

namespace e2e {
namespace {

TEST_F(E2eTest, ExpiryRunsTheShutdownCommand) {
    std::string whyNot;
    const std::string halt = HaltScript(&whyNot);
    if (halt.empty()) GTEST_SKIP() << whyNot;
    DefaultUPSSts(&PtUPSSts);
    PtUPSSts.Power_OSDelay = 2;
    WriteFile(Path(SettingsFileName), FormatUPSSts(PtUPSSts));
    StartAgent(std::string(OnMains) + "2 status +ACFAIL\n", {"--shutdown-command", halt + " now"});
    EXPECT_TRUE(WaitFor([&] { return ReadFile(Path("halted")) == "now\n"; }, seconds(10)));
    EXPECT_TRUE(WaitFor([&] { return LogHas("Shutting down: " + halt + " now"); }, seconds(3)));
    EXPECT_TRUE(WaitFor([&] { return LogHas(halt + " ended with exit status 0"); }, seconds(3)));
    // The report reads the history beside the running agent, which keeps its lock.
    Child report =
        Spawn({AgentBinary, "--folder", Folder(), "--history-report", "--csv"}, Path("report.csv"));
    EXPECT_EQ(WaitExit(report, seconds(5)), 0);
    EXPECT_NE(ReadFile(Path("report.csv")).find(",shutdown run,power failure,0\n"),
              std::string::npos)
        << ReadFile(Path("report.csv"));
    EXPECT_TRUE(WaitForValues(Open)) << "the agent runs on";
    // Once the agent has closed it, the report reads the file as it stands
    // and leaves no -wal or -shm of its own behind.
    EXPECT_EQ(Terminate(agent_), 0);
    report = Spawn({AgentBinary, "--folder", Folder(), "--history-report"}, Path("report.txt"));
    EXPECT_EQ(WaitExit(report, seconds(5)), 0);
    EXPECT_NE(ReadFile(Path("report.txt")).find("shutdown run"), std::string::npos);
    EXPECT_NE(::access(Path("ZAN_HISTORY.DB-wal").c_str(), F_OK), 0);
}

// A history planted with triggers that would never end, or a FIFO that
// would hold an open: the countdown and the shutdown come on time, the agent
// ends at once on SIGTERM and stays small, and its history goes on in a
// fresh database.
TEST_F(E2eTest, PlantedHistoryNeverHoldsTheAgentUp) {
    std::string whyNot;
    const std::string halt = HaltScript(&whyNot);
    if (halt.empty()) GTEST_SKIP() << whyNot;
    const std::string endless = " BEGIN WITH RECURSIVE c(x) AS (VALUES(1) UNION ALL SELECT x + 1"
                                " FROM c) SELECT count(*) FROM c; END;";
    for (const char* aside : {".not-ours-", ".not-a-file-"}) {
        SCOPED_TRACE(aside);
        for (const char* old : {"halted", HistoryFileName, LogFileName, "ZAN_HISTORY.DB-wal"})
            ::unlink(Path(old).c_str());
        if (std::string(aside) == ".not-a-file-") {
            ASSERT_EQ(::mkfifo(Path(HistoryFileName).c_str(), 0644), 0);
        } else {
            HistoryDb planted; // the agent's own tables, and more
            ASSERT_TRUE(planted.Open(Path(HistoryFileName), HistoryDb::Mode::Write).Ok() &&
                        planted
                            .Exec(("CREATE TRIGGER s BEFORE INSERT ON samples" + endless +
                                   "CREATE TRIGGER e BEFORE INSERT ON events" + endless)
                                      .c_str())
                            .Ok());
        }
        DefaultUPSSts(&PtUPSSts);
        PtUPSSts.Power_OSDelay = 3;
        WriteFile(Path(SettingsFileName), FormatUPSSts(PtUPSSts));
        const auto start = std::chrono::steady_clock::now();
        auto after = [&] { return std::chrono::steady_clock::now() - start; };
        StartAgent(std::string(OnMains) + "2 status +ACFAIL\n",
                   {"--shutdown-command", halt + " now"});
        ASSERT_TRUE(WaitForValues(Counting, seconds(6)));
        EXPECT_LT(after(), seconds(5)) << "the countdown starts with the power failure";
        ASSERT_TRUE(WaitFor([&] { return ReadFile(Path("halted")) == "now\n"; }, seconds(8)));
        EXPECT_LT(after(), seconds(8)) << "the shutdown runs when the countdown ends";
        std::ifstream status("/proc/" + std::to_string(agent_.Pid) + "/status");
        long rssKb = -1;
        for (std::string word; status >> word && rssKb < 0;)
            if (word == "VmRSS:") status >> rssKb;
        EXPECT_TRUE(rssKb > 0 && rssKb < 64 * 1024) << rssKb << " kB";
        EXPECT_EQ(WaitExit(agent_, seconds(2), SIGTERM), 0);
        EXPECT_TRUE(LogHas("moved aside as " + Path(HistoryFileName) + aside));
        HistoryDb history;
        ASSERT_TRUE(history.Open(Path(HistoryFileName), HistoryDb::Mode::Read).Ok());
        int fails = 0;
        sqlite3_exec(
            history.Handle(), "SELECT 1 FROM events WHERE kind = 'power-fail'",
            [](void* n, int, char**, char**) { return ++*static_cast<int*>(n), 0; }, &fails,
            nullptr);
        EXPECT_EQ(fails, 1) << "the power failure is in the fresh history";
    }
}

TEST_F(E2eTest, SignalsReloadEndCleanlyOrLeaveItRunning) {
    StartAgent(OnMains);
    ASSERT_TRUE(WaitForValues(Open));
    // Signals that would end it by default without the last values file.
    for (int sig : {SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGRTMIN + 1,
                    SIGPIPE, SIGXFSZ, SIGHUP})
        ::kill(agent_.Pid, sig);
    ::unlink(Path(ValuesFileName).c_str());
    EXPECT_TRUE(WaitForValues(Open)) << "still stepping after them";
    EXPECT_TRUE(WaitFor(
        [&] { return LogHas("Settings file missing: keeping the settings in force"); }, seconds(3)))
        << "hangup reloads the settings";
    for (int sig : {SIGTERM, SIGINT, SIGQUIT}) {
        SCOPED_TRACE(sig);
        if (agent_.Pid <= 0) StartAgent(OnMains);
        ASSERT_TRUE(WaitForValues(Open));
        EXPECT_EQ(WaitExit(agent_, seconds(5), sig), 0);
        const UPSVal v = Values(); // the last values file says disconnected
        EXPECT_EQ(v.flag_OpenUPS == 0 && (v.StatusFlag.AllSts & UPS_COMMERR), true);
        EXPECT_TRUE(LogHas("Agent stopped"));
    }
}

// The messages themselves are the option parser's unit tests; here, that the
// program prints them and exits 2 (0 for --help).
TEST_F(E2eTest, BadCommandLinesExitWithTwo) {
    const struct {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        int status;
        std::string output;
        std::string folder = ""; // one not there yet, else Folder()
    } cases[] = {
        {{}, {}, 2, "corvanta-agent: no UPS given: use --simulate"},
        {{"--simulate", "--speed", "2"}, {}, 2, "corvanta-agent: unknown option '--speed'"},
        {{"--simulate", Path("bad.scn")}, {}, 2, "line 1: unknown command 'explode'"},
        // clang-format off
        {{"--simulate", Path("none.scn")}, {}, 2, "none.scn: cannot be read (No such file or directory)",
         Path("fresh")},
        {{"--simulate"}, {}, 1, "program folder " + Path("bad.scn/fresh") + ": Not a directory",
         Path("bad.scn/fresh")},
        // clang-format on
        {{"--simulate"}, {{"CORVANTA_TEST_TIME", "yesterday"}}, 2, "CORVANTA_TEST_TIME: expected"},
        {{"--help"}, {}, 0, "Usage: corvanta-agent"},
        {{"--history-report"}, {}, 1, "no power history yet: "},
    };
    WriteFile(Path("bad.scn"), "0 explode\n");
    for (const auto& c : cases) {
        std::vector<std::string> argv{AgentBinary, "--folder",
                                      c.folder.empty() ? Folder() : c.folder};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        Child child = Spawn(argv, Path("bad.out"), c.env);
        EXPECT_EQ(WaitExit(child, seconds(5)), c.status) << c.output;
        EXPECT_NE(ReadFile(Path("bad.out")).find(c.output), std::string::npos)
            << ReadFile(Path("bad.out"));
    }
    EXPECT_NE(::access(Path("fresh").c_str(), F_OK), 0) << "made for an agent that never ran";
}

} // namespace
} // namespace e2e
