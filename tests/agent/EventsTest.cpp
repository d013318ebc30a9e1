// What the agent reports: the values file, the ratings file and the event
// lines that status changes produce.
#include <algorithm>
#include <sys/stat.h>

#include "AgentTestSupport.h"
#include "Clock.h"
#include "file.h"

namespace agent_test {
namespace {

TEST_F(AgentTest, ValuesFileCarriesTheReading) {
    ups.Next.ItemVal[4] = 2297;
    StartAgent();
    UPSVal v = ReadValues();
    EXPECT_EQ(v.flag_OpenUPS, 1);
    EXPECT_EQ(v.SupportItem, ups.Next.SupportItem);
    EXPECT_EQ(v.ItemVal[4], 2297);
    EXPECT_EQ(v.ItemVal[2], 1000);
    EXPECT_EQ(v.StatusFlag.AllSts, 0);
    EXPECT_EQ(v.DownTime, -1);
    EXPECT_EQ(v.Items, 3);
}

TEST_F(AgentTest, RatingsFileHoldsTheNominalValuesInTenths) {
    StartAgent();
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "2300\n43\n240\n");
    // Removed by someone: written again within the minute.
    ::unlink(Path(RatingFileName).c_str());
    Seconds(60);
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "2300\n43\n240\n");
    ups.Rated = {1200, 80, 120};
    Seconds(1);
    EXPECT_EQ(ReadFile(Path(RatingFileName)), "1200\n80\n120\n");
}

struct LoadCase {
    short load; // tenths of a percent
    bool warn, severe;
};

TEST_F(AgentTest, LoadBitsFollowTheThresholds) {
    WriteSettings([](UPSSts& s) {
        s.LoadWarn = 80;
        s.LoadSeverity = 90;
    });
    StartAgent();
    const LoadCase cases[] = {
        {799, false, false}, {800, true, false}, {899, true, false},
        {900, true, true},   {1200, true, true}, {300, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.load);
        ups.Next.ItemVal[15] = c.load;
        Seconds(1);
        std::int32_t s = ReadValues().StatusFlag.AllSts;
        EXPECT_EQ((s & UPS_LOADWARN) != 0, c.warn);
        EXPECT_EQ((s & UPS_LOADSEVERITY) != 0, c.severe);
    }
    EXPECT_TRUE(LogHas("Load 80 % at or above the warning level of 80 %"));
    EXPECT_TRUE(LogHas("Load 90 % at or above the severe level of 90 %"));
    EXPECT_TRUE(LogHas("Load back below the warning level"));
}

TEST_F(AgentTest, LoadWithoutAMeasuredSlotSetsNoBits) {
    ups.Next.SupportItem &= ~(1 << 15);
    ups.Next.ItemVal[15] = 1500;
    StartAgent();
    EXPECT_EQ(ReadValues().StatusFlag.AllSts & (UPS_LOADWARN | UPS_LOADSEVERITY), 0);
}

TEST_F(AgentTest, EventsAreLoggedOncePerChangeInOrder) {
    StartAgent();
    const std::int32_t steps[] = {
        UPS_ACFAIL,
        UPS_ACFAIL | UPS_BATTLOW,
        UPS_ACFAIL | UPS_BATTLOW,
        UPS_OVERLOAD | UPS_OVERHEAT,
        UPS_BATTREPLACE,
        0,
    };
    for (auto s : steps) {
        ups.Next.Status = s;
        Seconds(1);
    }
    std::vector<std::string> texts = LogTexts();
    std::vector<std::string> events;
    for (const auto& t : texts)
        if (t.rfind("Agent", 0) != 0 && t.rfind("No settings", 0) != 0) events.push_back(t);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "Power failure: running on battery",
                          "Shutdown countdown started: 180 s (power failure)",
                          "Battery low",
                          "Shutdown countdown shortened to 30 s (battery low)",
                          "Power restored",
                          "Shutdown countdown ended: power restored",
                          "Battery no longer low",
                          "Overload",
                          "Overheat",
                          "Battery needs to be replaced",
                          "Overload ended",
                          "Temperature back to normal",
                          "Battery replacement no longer requested",
                      }));
}

TEST_F(AgentTest, LogLinesCarryKindAndClock) {
    StartAgent();
    SetTestTime(2026, 3, 10, 14, 5, 7);
    ups.Next.Status = UPS_ACFAIL;
    agent->Step();
    std::vector<std::string> lines = SplitLines(ReadFile(Path(LogFileName)));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "W 2026/03/10 14:05:07 Power failure: running on battery");
    EXPECT_EQ(lines[0].substr(0, 22), "I 2026/03/10 14:00:00 ");
}

TEST_F(AgentTest, LostAndRestoredCommunication) {
    StartAgent();
    ups.Next.Connected = false;
    ups.Next.ItemVal[4] = 0; // not taken while the UPS does not answer
    Seconds(2);
    UPSVal v = ReadValues();
    EXPECT_EQ(v.flag_OpenUPS, 0);
    EXPECT_NE(v.StatusFlag.AllSts & UPS_COMMERR, 0);
    EXPECT_EQ(v.ItemVal[4], 2300);
    ups.Next.Connected = true;
    Seconds(1);
    v = ReadValues();
    EXPECT_EQ(v.flag_OpenUPS, 1);
    EXPECT_EQ(v.StatusFlag.AllSts & UPS_COMMERR, 0);
    std::vector<std::string> texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Communication with the UPS lost"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Communication with the UPS restored"), 1);
}

TEST_F(AgentTest, CountdownRunsOnWhileTheLinkIsLost) {
    StartAgent();
    ups.Next.Status = UPS_ACFAIL;
    Seconds(1);
    ups.Next.Connected = false;
    Seconds(3);
    EXPECT_EQ(agent->DownTime(), 177);
}

TEST_F(AgentTest, StopLeavesAValuesFileThatClaimsNoUps) {
    StartAgent();
    ups.Next.Status = UPS_ACFAIL;
    Seconds(1);
    agent->Stop();
    UPSVal v = ReadValues();
    EXPECT_EQ(v.flag_OpenUPS, 0);
    EXPECT_NE(v.StatusFlag.AllSts & UPS_COMMERR, 0);
    EXPECT_EQ(v.DownTime, -1);
    EXPECT_EQ(LogTexts().back(), "Agent stopped");
}

TEST_F(AgentTest, BatteryReplacementDateRaisesTheBit) {
    WriteSettings([](UPSSts& s) { CopyField(s.BR_Date_Next, sizeof s.BR_Date_Next, "20260311"); });
    StartAgent();
    EXPECT_EQ(ReadValues().StatusFlag.AllSts & UPS_BATTREPLACE, 0);
    SetTestTime(2026, 3, 11, 0, 0, 0);
    agent->Step();
    EXPECT_NE(ReadValues().StatusFlag.AllSts & UPS_BATTREPLACE, 0);
    EXPECT_TRUE(LogHas("Battery replacement date 2026/03/11 reached"));
}

TEST_F(AgentTest, ReloadRequestedBySignalTakesTheNewSettings) {
    StartAgent();
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 42; });
    agent->RequestReload();
    ups.Next.Status = UPS_ACFAIL;
    Seconds(1);
    EXPECT_EQ(agent->DownTime(), 42);
    EXPECT_TRUE(LogHas("Settings reloaded"));
}

} // namespace
} // namespace agent_test
