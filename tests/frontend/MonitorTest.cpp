// The monitor's status evaluation and its one-second tick: the lights, the
// countdown and the redraws for sequences of status words and agent values.
#include <fstream>

#include "FrontendTestSupport.h"

TEST_F(MonitorTest, StatusSequences) {
    // Status words and what each showed, with the delays of 180 s for a power
    // failure and 60 s for a low battery. A low battery on mains is remembered:
    // a power failure does not light it. Power return ends the countdown and
    // forgets the low battery: the next one is news. A failure only starts a
    // countdown or shortens it. A lost link redraws the whole window.
    const std::pair<std::int32_t, const char*> steps[] = {
        {UPS_BATTLOW, "-1 [] main_142 tbut_128"},
        {UPS_BATTLOW | UPS_ACFAIL, "180 [1] main_141 tbut_128"},
        {0, "-1 [] main_142 tbut_128 main_141 tbut_128"},
        {UPS_ACFAIL | UPS_TESTING, "180 [1] main_141 tbut_128"},
        {UPS_ACFAIL | UPS_BATTLOW, "60 [12] main_142 tbut_128"},
        {UPS_BATTLOW, "-1 [2] main_141 tbut_128"},
        {UPS_BATTLOW, "-1 [2] main_142 tbut_128"},
        {0, "-1 [] main_142 tbut_128"},
        {UPS_ACFAIL | UPS_BATTLOW, "60 [12] main_142 tbut_128 main_141 tbut_128"},
        {UPS_COMMERR | UPS_ACFAIL | UPS_BATTLOW, "60 [012] window"},
        {UPS_ACFAIL, "60 [1] main_142 tbut_128 window"},
        {UPS_BEEPER | UPS_OVERHEAT | UPS_OVERLOAD, "-1 [456] main_141 tbut_128"},
        {UPS_BATTREPLACE, "-1 [3] main_142"},
        {0, "-1 [] main_142"}};
    PtUPSSts.flag_Enable_Power_OSDelay = PtUPSSts.flag_Enable_Battery_OSDelay = 1;
    PtUPSSts.Power_OSDelay = 180;
    PtUPSSts.Battery_OSDelay = 60;
    for (const auto& [status, want] : steps) {
        PtUPSVal.StatusFlag.AllSts = status;
        CheckStatus();
        EXPECT_EQ(Shown(), want) << status;
    }
    // Delays turned off: no countdown.
    PtUPSSts.flag_Enable_Power_OSDelay = PtUPSSts.flag_Enable_Battery_OSDelay = 0;
    PtUPSVal.StatusFlag.AllSts = UPS_ACFAIL | UPS_BATTLOW;
    CheckStatus();
    EXPECT_EQ(Shown(), "-1 [12] main_142 tbut_128 main_141 tbut_128");
}

TEST_F(MonitorTest, TicksAndReads) {
    // The communication text, while the link is open, then what changed.
    EXPECT_EQ(Feed('t'), "-1 [] main_128");
    agent.ItemVal[2] = 995;
    EXPECT_EQ(Feed('t'), "-1 [] main_128 main_155 main_157");
    agent.ItemVal[4] = 2310;
    EXPECT_EQ(Feed('t'), "-1 [] main_128 main_152");
    agent.ItemVal[13] = 2288; // not the meter's slot
    EXPECT_EQ(Feed('t'), "-1 [] main_128");
    // Fewer measurements: the selectors follow, the meter falls back to slot 0.
    agent.SupportItem = 1 << 2;
    EXPECT_EQ(Feed('t'), "-1 [] main_128 main_152");
    agent.flag_OpenUPS = 0;
    EXPECT_EQ(Feed('t'), "-1 [] ");
    // Ratings are read on the minute only; a new scale redraws the meter.
    // Then a countdown.
    std::ofstream(FolderFile("ZAN_RATING.DAT")) << "2300\n120\n240\n";
    EXPECT_EQ(Feed('t'), "-1 [] ");
    EXPECT_EQ(Feed('m'), "-1 [] main_152 main_162");
    agent.flag_OpenUPS = 1;
    agent.StatusFlag.AllSts = UPS_ACFAIL;
    // The agent's figure is followed (the core reconciles it with ours), and
    // the tick takes a second, even on a new minute; a read between ticks never.
    const std::tuple<short, char, const char*> steps[] = {
        {100, 't', "99 [1] main_128 main_141 tbut_128 tbut_128"},
        {110, 'm', "98 [1] main_162 main_128 tbut_128"},
        {110, 'r', "110 [1] main_128 tbut_128"},
        {-1, 'r', "-1 [1] main_128 tbut_128"}, // the agent ends it
        {50, 't', "49 [1] main_128 tbut_128"}};
    for (const auto& [down, act, want] : steps) {
        agent.DownTime = down;
        EXPECT_EQ(Feed(act), want);
    }
    // No second goes while the link is down.
    agent.flag_OpenUPS = 0;
    EXPECT_EQ(Feed('t'), "49 [1] ");
}
