// The monitor's status evaluation and its one-second tick: the lights, the
// countdown and the redraws for sequences of status words and agent values.
#include <fcntl.h>
#include <filesystem>
#include <fstream>

#include "FrontendTestSupport.h"

TEST_F(MonitorTest, StatusSequences) {
    // Status words and what each showed. On and Off start afresh with the
    // delays on (180 s for a power failure, 60 s for a low battery) or off.
    // A low battery on mains is remembered: a power failure does not light it.
    // Power return ends the countdown and forgets the low battery: the next
    // one is news. A failure only starts a countdown or shortens it. A lost
    // link redraws the whole window.
    constexpr std::int32_t On = -1, Off = -2;
    const std::pair<std::int32_t, const char*> steps[] = {
        {On, ""},
        {UPS_BATTLOW, "-1 [] 142 tbut_128"},
        {UPS_BATTLOW | UPS_ACFAIL, "180 [1] 141 tbut_128"},
        {0, "-1 [] 142 tbut_128 141 tbut_128"},
        {UPS_ACFAIL | UPS_TESTING, "180 [1] 141 tbut_128"},
        {UPS_ACFAIL | UPS_BATTLOW, "60 [12] 142 tbut_128"},
        {UPS_BATTLOW, "-1 [2] 141 tbut_128"},
        {UPS_BATTLOW, "-1 [2] 142 tbut_128"},
        {0, "-1 [] 142 tbut_128"},
        {UPS_ACFAIL | UPS_BATTLOW, "60 [12] 142 tbut_128 141 tbut_128"},
        {UPS_COMMERR | UPS_ACFAIL | UPS_BATTLOW, "60 [012] window"},
        {UPS_ACFAIL, "60 [1] 142 tbut_128 window"},
        {UPS_BEEPER | UPS_OVERHEAT | UPS_OVERLOAD, "-1 [456] 141 tbut_128"},
        {UPS_BATTREPLACE, "-1 [3] 142"},
        {0, "-1 [] 142"},
        {Off, ""},
        {UPS_ACFAIL, "-1 [1] 141 tbut_128"},
        {UPS_ACFAIL | UPS_BATTLOW, "-1 [12] 142 tbut_128"}};
    for (const auto& [status, want] : steps) {
        if (status < 0) {
            Restart();
            PtUPSSts.flag_Enable_Power_OSDelay = PtUPSSts.flag_Enable_Battery_OSDelay =
                status == On;
            PtUPSSts.Power_OSDelay = 180;
            PtUPSSts.Battery_OSDelay = 60;
            continue;
        }
        PtUPSVal.StatusFlag.AllSts = status;
        CheckStatus();
        EXPECT_EQ(Shown(), want) << status;
    }
}

TEST_F(MonitorTest, TicksAndReads) {
    // The communication text, while the link is open, then what changed.
    EXPECT_EQ(Feed('t'), "-1 [] 128");
    agent.ItemVal[2] = 995;
    EXPECT_EQ(Feed('t'), "-1 [] 128 155 157");
    agent.ItemVal[4] = 2310;
    EXPECT_EQ(Feed('t'), "-1 [] 128 152");
    agent.ItemVal[13] = 2288; // not the meter's slot
    EXPECT_EQ(Feed('t'), "-1 [] 128");
    // Fewer measurements: the selectors follow, the meter falls back to slot 0.
    agent.SupportItem = 1 << 2;
    EXPECT_EQ(Feed('t'), "-1 [] 128 152");
    agent.flag_OpenUPS = 0;
    EXPECT_EQ(Feed('t'), "-1 [] ");
    // Ratings are read on the minute only; a new scale redraws the meter.
    // Then a countdown.
    std::ofstream(FolderFile("ZAN_RATING.DAT")) << "2300\n120\n240\n";
    EXPECT_EQ(Feed('t') + "| " + Feed('m'), "-1 [] | -1 [] 152 162");
    agent.flag_OpenUPS = 1;
    agent.StatusFlag.AllSts = UPS_ACFAIL;
    // The agent's figure is followed (the core reconciles it with ours), and
    // the tick takes a second, even on a new minute; a read between ticks never.
    const std::tuple<short, char, const char*> steps[] = {
        {100, 't', "99 [1] 128 141 tbut_128 tbut_128"},
        {110, 'm', "98 [1] 162 128 tbut_128"},
        {110, 'r', "110 [1] 128 tbut_128"},
        {-1, 'r', "-1 [1] 128 tbut_128"}, // the agent ends it
        {50, 't', "49 [1] 128 tbut_128"}};
    for (const auto& [down, act, want] : steps) {
        agent.DownTime = down;
        EXPECT_EQ(Feed(act), want);
    }
    // No second goes while the link is down.
    agent.flag_OpenUPS = 0;
    EXPECT_EQ(Feed('t'), "49 [1] ");
}

TEST_F(MonitorTest, WaitingAndLost) {
    auto said = [&] { return Said("main", {128}) + " " + GetWindowStatusText(MainWindow); };
    // A stale file at start is deleted, and nothing is shown until the limit:
    // the agent may still be starting.
    const timespec old{CurrentTime() - 11, 0}, times[2] = {old, old};
    ASSERT_EQ(::utimensat(AT_FDCWD, FolderFile(ValuesFileName).c_str(), times, 0), 0);
    Restart();
    EXPECT_FALSE(std::filesystem::exists(FolderFile(ValuesFileName)));
    EXPECT_EQ(Said("main", {128, 141, 142, 157}) + " " + Shown(),
              "#707070 12b 'Waiting for the agent…' '' '' 14b '--' -1 [] ");
    Tick();
    AdvanceTestTime(10);
    Tick();
    EXPECT_EQ(said(), "#707070 12b 'Waiting for the agent…' ");
    AdvanceTestTime(1);
    Tick();
    EXPECT_EQ(said(), "#f00000 14b 'Disconnect' no values from the agent");
    // The agent's lock gone: lost at once.
    agentLock.Release();
    Feed('t');
    EXPECT_EQ(said(), "#f00000 14b 'Disconnect' agent not running");
}
