// Requests from the monitor (ZAN_CMD.DAT) and the settings file checks.
#include <algorithm>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "AgentTestSupport.h"
#include "Clock.h"
#include "file.h"

namespace agent_test {
namespace {

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

TEST_F(AgentTest, SettingsSaveReachesTheAgentWithinASecond) {
    StartAgent();
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 15; });
    WriteRequest(1, 0, 0);
    ups.Next.Status = UPS_ACFAIL;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 15);
    EXPECT_FALSE(Exists(Path(CommandFileName))) << "a request is deleted once read";
    EXPECT_TRUE(LogHas("Settings reloaded"));
}

TEST_F(AgentTest, CancelEndsTheCountdown) {
    StartAgent();
    ups.Next.Status = UPS_ACFAIL;
    Seconds(3);
    ASSERT_EQ(agent->DownTime(), 178);
    WriteRequest(0, 0, 1);
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), -1);
    EXPECT_EQ(ReadValues().DownTime, -1);
    EXPECT_TRUE(LogHas("Shutdown countdown cancelled by the user"));
    // The outage goes on; only a new event arms again.
    Seconds(5);
    EXPECT_EQ(agent->DownTime(), -1);
    ups.Next.Status = UPS_ACFAIL | UPS_BATTLOW;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 30);
}

TEST_F(AgentTest, CancelWithoutCountdownIsOnlyNoted) {
    StartAgent();
    WriteRequest(0, 0, 1);
    Seconds(1);
    EXPECT_TRUE(LogHas("Cancel request: no shutdown countdown running"));
}

TEST_F(AgentTest, RequestLinesOtherThanOneAskNothing) {
    StartAgent();
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 15; });
    const char* texts[] = {"0\n0\n0\n", "2\n0\n0\n", "", "\n\n\n", "x1\n"};
    for (const char* t : texts) {
        WriteFile(Path(CommandFileName), t);
        Seconds(1);
        EXPECT_FALSE(Exists(Path(CommandFileName)));
    }
    EXPECT_FALSE(LogHas("Settings reloaded"));
}

TEST_F(AgentTest, UntrustedRequestFilesAreRefusedAndRemoved) {
    StartAgent();
    ups.Next.Status = UPS_ACFAIL;
    Seconds(1);
    WriteFile(Path(CommandFileName), "0\n0\n1\n", 0646);
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 179);
    EXPECT_TRUE(LogHas("Request refused: ZAN_CMD.DAT is writable by other users"));
    EXPECT_FALSE(Exists(Path(CommandFileName)));

    WriteFile(Path("elsewhere"), "0\n0\n1\n");
    ASSERT_EQ(::symlink(Path("elsewhere").c_str(), Path(CommandFileName).c_str()), 0);
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 178);
    EXPECT_TRUE(LogHas("Request refused: ZAN_CMD.DAT is a symbolic link"));
    EXPECT_TRUE(Exists(Path("elsewhere"))) << "only the link goes";
}

TEST_F(AgentTest, WhateverStandsAtTheAgentsOwnNamesNeverStopsIt) {
    const std::string taken = Path("ZAN_CMD.TAKEN");
    WriteFile(Path("elsewhere"), "precious\n");
    struct Case {
        const char* what;
        std::function<void()> plant;
    } cases[] = {
        {"a file", [&] { WriteFile(taken, "0\n0\n1\n"); }},
        {"a link", [&] { ::symlink(Path("elsewhere").c_str(), taken.c_str()); }},
        {"a FIFO", [&] { ::mkfifo(taken.c_str(), 0644); }},
        {"an empty folder", [&] { ::mkdir(taken.c_str(), 0755); }},
        {"a folder with a file in it",
         [&] {
             ::mkdir(taken.c_str(), 0755);
             WriteFile(taken + "/x", "");
         }},
    };
    StartAgent();
    short delay = 20;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.plant();
        for (int twice = 0; twice < 2; ++twice) {
            WriteSettings([&](UPSSts& s) { s.Power_OSDelay = ++delay; });
            WriteRequest(1, 0, 0);
            Seconds(1);
            EXPECT_EQ(agent->Settings().Power_OSDelay, delay);
            EXPECT_FALSE(Exists(Path(CommandFileName)));
        }
    }
    EXPECT_EQ(ReadFile(Path("elsewhere")), "precious\n");
    // An empty folder where the values or the ratings file goes is replaced
    // by it (the ratings are looked at once a minute).
    for (const char* name : {ValuesFileName, RatingFileName}) {
        ASSERT_EQ(::unlink(Path(name).c_str()), 0);
        ASSERT_EQ(::mkdir(Path(name).c_str(), 0755), 0);
    }
    Seconds(61);
    EXPECT_EQ(ReadValues().flag_OpenUPS, 1);
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "2300\n43\n240\n");
    auto texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "Request file cannot be taken aside: ZAN_CMD.TAKEN is in the way "
                         "(Is a directory); requests are read in place"),
              1);
}

TEST_F(AgentTest, SettingsFileThatOthersCanWriteIsRefused) {
    struct Case {
        int mode;
        bool taken;
    } cases[] = {{0644, true}, {0600, true}, {0664, false}, {0646, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        WriteSettings([](UPSSts& s) { s.Power_OSDelay = 11; });
        ::chmod(Path(SettingsFileName).c_str(), static_cast<mode_t>(c.mode));
        StartAgent();
        EXPECT_EQ(agent->Settings().Power_OSDelay, c.taken ? 11 : 180);
    }
    EXPECT_TRUE(LogHas("Settings file refused: ZAN_UPS.STS is writable by its group; keeping the "
                       "settings in force"));
}

TEST_F(AgentTest, SettingsFileOwnedByAStrangerIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file away";
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 11; });
    ASSERT_EQ(::chown(Path(SettingsFileName).c_str(), 54321, 54321), 0);
    StartAgent();
    EXPECT_EQ(agent->Settings().Power_OSDelay, 180);
    EXPECT_TRUE(LogHas("belongs to user 54321"));
    // Unless the stranger owns the program folder: then it is their monitor.
    ASSERT_EQ(::chown(Folder().c_str(), 54321, 54321), 0);
    StartAgent();
    EXPECT_EQ(agent->Settings().Power_OSDelay, 11);
}

TEST_F(AgentTest, SettingsLinkIsNotFollowed) {
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 11; });
    ASSERT_EQ(::rename(Path(SettingsFileName).c_str(), Path("real.sts").c_str()), 0);
    ASSERT_EQ(::symlink(Path("real.sts").c_str(), Path(SettingsFileName).c_str()), 0);
    StartAgent();
    EXPECT_EQ(agent->Settings().Power_OSDelay, 180);
    EXPECT_TRUE(LogHas("Settings file refused: ZAN_UPS.STS is a symbolic link"));
}

TEST_F(AgentTest, ShortSettingsFileKeepsTheDefaultsOfItsMissingLines) {
    // Seventeen lines: everything up to flag_Enable_Power_OSDelay.
    std::string text = FormatUPSSts(DefaultSettings());
    std::size_t cut = 0;
    for (int i = 0; i < 17; ++i)
        cut = text.find('\n', cut) + 1;
    WriteFile(Path(SettingsFileName), text.substr(0, cut));
    StartAgent();
    EXPECT_EQ(agent->Settings().Power_OSDelay, 180) << "never a zero delay from a short file";
    EXPECT_EQ(agent->Settings().LowBatteryLevel, 20);
}

TEST_F(AgentTest, SettingsFileRemovedKeepsTheSettingsInForce) {
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 11; });
    StartAgent();
    ::unlink(Path(SettingsFileName).c_str());
    WriteRequest(1, 0, 0);
    Seconds(1);
    EXPECT_EQ(agent->Settings().Power_OSDelay, 11);
    EXPECT_TRUE(LogHas("Settings file missing: keeping the settings in force"));
}

TEST_F(AgentTest, LogEntrySettingTrimsTheLog) {
    WriteSettings([](UPSSts& s) { s.LogEntry = 100; });
    StartAgent();
    for (int i = 0; i < 120; ++i) {
        ups.Next.Status = i % 2 ? 0 : UPS_OVERLOAD;
        Seconds(1);
    }
    std::vector<std::string> texts = LogTexts();
    EXPECT_GE(texts.size(), 100u);
    EXPECT_LE(texts.size(), static_cast<std::size_t>(100 + AgentLog::Margin(100)));
    EXPECT_EQ(texts.back(), "Overload ended");
}

} // namespace
} // namespace agent_test
