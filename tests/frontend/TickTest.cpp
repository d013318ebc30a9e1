// The one-second tick: what it reads, what it redraws, and the countdown
// across reads and ticks.
#include <algorithm>
#include <fstream>
#include <optional>

#include "Clock.h"
#include "FrontendTestSupport.h"
#include "HID.h"
#include "Windows.h"
#include "file.h"
#include "monitor.h"

namespace {

class TickTest : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        PtUPSSts.Main_Meter[0] = 2;
        agent = UPSVal{};
        agent.flag_OpenUPS = 1;
        agent.SupportItem = (1 << 2) | (1 << 4) | (1 << 13);
        agent.ItemVal[2] = 1000;
        agent.ItemVal[4] = 2301;
        agent.ItemVal[13] = 2299;
        agent.DownTime = -1;
    }
    // The start-up read found nothing; the minute tick, then one read of
    // the agent's values.
    void Settle() {
        Tick();
        WriteValuesFile(agent);
        Tick();
        TakeRedraws();
    }
    void Tick() { MyTimer(nullptr, nullptr); }
    void Feed() {
        WriteValuesFile(agent);
        Tick();
    }
    UPSVal agent{};
};

std::vector<std::string> V(std::initializer_list<const char*> names) {
    return std::vector<std::string>(names.begin(), names.end());
}

} // namespace

TEST_F(TickTest, NoCountdownUntilSomeoneStartsOne) {
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    Tick();
    Tick(); // no agent: the link is lost, still no countdown
    Record(MainControl("tbut", 128));
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_FALSE(IsControlVisible(MainControl("cdic", 128)));
}

// The text a control of the main window draws, and its colour.
std::pair<std::string, RGBColor> Shown(const char (&sig)[5], int number) {
    const std::optional<DrawOp> text = OnlyText(Record(MainControl(sig, number)));
    if (!text) return {"(none)", RGBColor{}};
    return {text->text, text->color};
}

constexpr RGBColor kMuted{0x7000, 0x7000, 0x7000};
constexpr RGBColor kAlarm{0xF000, 0, 0};

TEST_F(TickTest, StartWithARunningAgent) {
    agent.StatusFlag.AllSts = UPS_ACFAIL;
    agent.DownTime = 100;
    WriteValuesFile(agent);
    Restart();
    // Read before the first frame, and the running agent's file is kept.
    EXPECT_TRUE(FolderFileExists(ValuesFileName));
    EXPECT_EQ(Shown("main", 141).first, "Battery");
    EXPECT_EQ(Shown("tbut", 128).first, "01:40");
    EXPECT_TRUE(IsControlVisible(MainControl("main", 301))) << "power failure light";
}

TEST_F(TickTest, StartWithAStaleFile) {
    WriteValuesFile(agent);
    AgeFolderFile(ValuesFileName, 11);
    Restart();
    TakeRedraws();
    EXPECT_FALSE(FolderFileExists(ValuesFileName));
    // Nothing read: no verdict anywhere.
    const std::pair<std::string, RGBColor> waiting{"Waiting for the agent…", kMuted};
    EXPECT_EQ(Shown("main", 128), waiting);
    EXPECT_EQ(Shown("main", 141).first + Shown("main", 142).first, "");
    EXPECT_EQ(Shown("main", 157), std::make_pair(std::string("--"), kMuted));
    EXPECT_FALSE(IsControlVisible(MainControl("main", 300)));
    Tick();
    AdvanceTestTime(10);
    Tick(); // the agent may still be starting
    EXPECT_EQ(Shown("main", 128), waiting);
    AdvanceTestTime(1);
    Tick(); // no values within the stale limit: lost
    EXPECT_EQ(Shown("main", 128), std::make_pair(std::string("Disconnect"), kAlarm));
    EXPECT_EQ(GetWindowStatusText(MainWindow), "no values from the agent");
    EXPECT_EQ(TakeRedraws(), V({"main_162", "window"}));

    // Left by an agent that is gone: deleted too, and lost at once.
    agentLock.Release();
    WriteValuesFile(agent);
    Restart();
    EXPECT_FALSE(FolderFileExists(ValuesFileName));
    EXPECT_EQ(GetWindowStatusText(MainWindow), "agent not running");
}

TEST_F(TickTest, AgentStoppedOrSilent) {
    Settle();
    AgeFolderFile(ValuesFileName, 10);
    Tick(); // at the limit: still believed
    EXPECT_EQ(Shown("main", 128).first, "Connected");
    AgeFolderFile(ValuesFileName, 14);
    TakeRedraws();
    Tick();
    EXPECT_EQ(Shown("main", 128).first, "Disconnect");
    EXPECT_EQ(GetWindowStatusText(MainWindow), "no update for 14 s");
    EXPECT_EQ(TakeRedraws(), V({"window"}));
    Feed(); // the agent writes again
    EXPECT_EQ(GetWindowStatusText(MainWindow), "");
    agentLock.Release(); // killed: its fresh file stays behind
    Tick();
    EXPECT_EQ(Shown("main", 128).first, "Disconnect");
    EXPECT_EQ(GetWindowStatusText(MainWindow), "agent not running");
}

TEST_F(TickTest, RedrawChoices) {
    Settle();
    Feed(); // nothing changed: only the communication text while the link is open
    EXPECT_EQ(TakeRedraws(), V({"main_128"}));

    agent.ItemVal[2] = 995;
    Feed();
    EXPECT_EQ(TakeRedraws(), V({"main_128", "main_155", "main_157"}));

    agent.ItemVal[4] = 2310; // Main_Meter[0] 2 is slot 4
    Feed();
    EXPECT_EQ(TakeRedraws(), V({"main_128", "main_152"}));

    agent.ItemVal[13] = 2288; // another slot: no redraw
    Feed();
    EXPECT_EQ(TakeRedraws(), V({"main_128"}));

    agent.flag_OpenUPS = 0;
    Feed();
    EXPECT_EQ(TakeRedraws(), V({}));
}

TEST_F(TickTest, SelectorsFollowTheSupportedMeasurements) {
    Settle();
    ControlRef selector = MainControl("main", 150);
    MenuRef menu = GetControlPopupMenuRef(selector);
    ASSERT_EQ(CountMenuItems(menu), 3);
    EXPECT_EQ(GetMenuItemText(menu, 1), HIDItemName[2]);
    EXPECT_EQ(GetMenuItemText(menu, 2), HIDItemName[4]);
    EXPECT_EQ(GetMenuItemText(menu, 3), HIDItemName[13]);
    EXPECT_EQ(GetControlValue(selector), 2);
    EXPECT_TRUE(IsControlEnabled(selector));

    agent.SupportItem = 1 << 2; // fewer measurements: position 2 names none
    Feed();
    EXPECT_EQ(CountMenuItems(menu), 1);
    EXPECT_EQ(GetControlValue(selector), 0);
    EXPECT_EQ(PtUPSSts.Main_Meter[0], 2); // the stored choice stays
    // Position 2 now names nothing: the meter shows slot 0, which did not change.
    EXPECT_EQ(TakeRedraws(), V({"main_128", "main_152"}));
}

TEST_F(TickTest, SelectorsAreEmptyAndDisabledBeforeTheAgentReports) {
    EXPECT_EQ(CountMenuItems(GetControlPopupMenuRef(MainControl("main", 151))), 0);
    EXPECT_FALSE(IsControlEnabled(MainControl("main", 151)));
}

TEST_F(TickTest, CountdownAcrossReadsAndTicks) {
    Settle();
    struct Step {
        short agentDown;
        bool minuteTick;
        short shown; // DownTime after the tick
    };
    const Step steps[] = {
        {100, false, 99},  // the agent starts a countdown: followed, then one second off
        {100, false, 98},  // 100 is within 5 of our 99: our figure stands
        {103, false, 97},  // still within 5
        {110, false, 109}, // 6 or more above: the agent's figure
        {110, true, 108},  // a minute tick reads nothing but the second still goes
        {-1, false, -1},   // the agent ends it
    };
    for (const Step& s : steps) {
        agent.DownTime = s.agentDown;
        agent.StatusFlag.AllSts = UPS_ACFAIL;
        WriteValuesFile(agent);
        if (s.minuteTick) AdvanceTestTime(60);
        TakeRedraws();
        Tick();
        EXPECT_EQ(PtUPSVal.DownTime, s.shown) << s.agentDown;
        // Every change of the figure is drawn, the end by a read included.
        const auto redrawn = TakeRedraws();
        EXPECT_NE(std::count(redrawn.begin(), redrawn.end(), "tbut_128"), 0) << s.agentDown;
    }
    Record(MainControl("tbut", 128));
    EXPECT_FALSE(IsControlVisible(MainControl("cdic", 128)));

    // A countdown of our own (power failure with a low battery) that the
    // agent's next read ends.
    agent.StatusFlag.AllSts = 0;
    Feed();
    agent.StatusFlag.AllSts = UPS_ACFAIL | UPS_BATTLOW;
    Feed();
    EXPECT_EQ(PtUPSVal.DownTime, 29);
    TakeRedraws();
    Feed();
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    EXPECT_EQ(TakeRedraws(), V({"main_128", "tbut_128"}));
}

TEST_F(TickTest, ReadsBetweenTicksNeverTakeASecond) {
    Settle();
    agent.StatusFlag.AllSts = UPS_ACFAIL;
    agent.DownTime = 100;
    Feed();
    EXPECT_EQ(PtUPSVal.DownTime, 99);
    const std::tuple<short, short, bool> reads[] = {
        // agent's figure, shown after the read, countdown redrawn
        {100, 99, false},
        {99, 99, false},
        {96, 99, false},
        {110, 110, true},
        {-1, -1, true}};
    for (const auto& [agentDown, shown, redrawn] : reads) {
        agent.DownTime = agentDown;
        WriteValuesFile(agent);
        TakeRedraws();
        ReadAndShowValues();
        EXPECT_EQ(PtUPSVal.DownTime, shown) << agentDown;
        const auto r = TakeRedraws();
        EXPECT_EQ(std::count(r.begin(), r.end(), "tbut_128"), redrawn ? 1 : 0) << agentDown;
    }
}

TEST_F(TickTest, NoSecondGoesWhileTheLinkIsDown) {
    Settle();
    agent.DownTime = 50;
    Feed();
    EXPECT_EQ(PtUPSVal.DownTime, 49);
    agent.flag_OpenUPS = 0;
    Feed();
    EXPECT_EQ(PtUPSVal.DownTime, 49);
    RemoveFolderFile(ValuesFileName); // lost: UPS_COMMERR
    Tick();
    EXPECT_EQ(PtUPSVal.DownTime, 49);
}

TEST_F(TickTest, RatingsAtStartAndOnTheMinute) {
    Settle();
    EXPECT_EQ(PtUPSSts.RatingVolt, 0); // no file yet
    {
        std::ofstream out(dir.path().toStdString() + "/ZAN_RATING.DAT");
        out << "2300\n120\n240\n";
    }
    Tick();
    EXPECT_EQ(PtUPSSts.RatingVolt, 0); // read on the minute only
    TakeRedraws();
    AdvanceTestTime(60);
    Tick();
    EXPECT_EQ(PtUPSSts.RatingVolt, 2300);
    EXPECT_EQ(PtUPSSts.RatingCurrent, 120);
    EXPECT_EQ(PtUPSSts.RatingBattVolt, 240);
    EXPECT_EQ(TakeRedraws(), V({"main_152", "main_162", "main_128"}));
    {
        std::ofstream out(dir.path().toStdString() + "/ZAN_RATING.DAT");
        out << "garbage\n";
    }
    AdvanceTestTime(60);
    Tick();
    EXPECT_EQ(PtUPSSts.RatingVolt, 2300); // a bad file changes nothing
    EXPECT_EQ(TakeRedraws(), V({"main_162", "main_128"}));
}
