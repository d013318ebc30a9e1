// The one-second tick: what it reads, what it redraws, and the countdown
// across reads and ticks.
#include <fstream>

#include "Clock.h"
#include "FrontendTestSupport.h"
#include "HID.h"
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
    // Runs the two start-up ticks (the minute tick, then the first read,
    // which removes the values file), then one read of the agent's values.
    void Settle() {
        Tick();
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

TEST_F(TickTest, StartUpTicks) {
    WriteValuesFile(agent);
    Tick(); // a minute tick reads nothing
    EXPECT_EQ(PtUPSVal.flag_OpenUPS, 0);
    EXPECT_TRUE(FolderFileExists(ValuesFileName));
    EXPECT_EQ(TakeRedraws(), V({"main_162"}));

    Tick(); // the first read removes the old file and finds nothing
    EXPECT_FALSE(FolderFileExists(ValuesFileName));
    EXPECT_TRUE(PtUPSVal.StatusFlag.AllSts & UPS_COMMERR);
    EXPECT_EQ(TakeRedraws(), V({"window"}));
    EXPECT_TRUE(IsControlVisible(MainControl("main", 300)));

    Feed(); // the agent's values arrive
    EXPECT_EQ(PtUPSVal.flag_OpenUPS, 1);
    EXPECT_FALSE(IsControlVisible(MainControl("main", 300)));
    EXPECT_EQ(TakeRedraws(),
              V({"main_128", "main_155", "main_157", "main_152", "main_152", "window"}));
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
        Tick();
        EXPECT_EQ(PtUPSVal.DownTime, s.shown) << s.agentDown;
    }
    Record(MainControl("tbut", 128));
    EXPECT_FALSE(IsControlVisible(MainControl("cdic", 128)));
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
