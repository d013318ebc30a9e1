// The monitor's status evaluation and its one-second tick: lights, countdown
// and redraws for sequences of status words and of the agent's values.
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "FrontendTestSupport.h"

namespace {

// The lights that are on, by number ("12"); each light's on and off
// controls must agree.
std::string Lights() {
    std::string on;
    for (int n = 0; n < 7; ++n) {
        const bool lit = IsControlVisible(MainControl("main", 300 + n));
        EXPECT_NE(lit, IsControlVisible(MainControl("main", 320 + n))) << "light " << n;
        if (lit) on += static_cast<char>('0' + n);
    }
    return on;
}

constexpr short K = 999; // leaves the countdown as it is

class TickTest : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        PtUPSSts.Main_Meter[0] = 2; // the meter shows slot 4
        agent.flag_OpenUPS = 1;
        agent.SupportItem = (1 << 2) | (1 << 4) | (1 << 13);
        agent.ItemVal[2] = 1000;
        agent.ItemVal[4] = 2301;
        agent.DownTime = -1;
        Tick(); // the minute's work; then a first read
        Feed();
    }
    void Tick() { MyTimer(nullptr, nullptr); }
    // The agent writes its values; the tick that follows, or a read between
    // ticks; the redraws they caused.
    std::string Feed(bool tick = true) {
        WriteValues(agent);
        Redraws();
        tick ? Tick() : ReadAndShowValues();
        return Redraws();
    }
    UPSVal agent{};
};

} // namespace

TEST_F(MonitorTest, StatusSequences) {
    // Status words, each with the countdown set before it (K: left alone), and
    // after it the countdown, the lights on and the redraws. R starts afresh,
    // with the delays on (180 s power failure, 60 s low battery) or off (0).
    constexpr std::int32_t R = -1;
    const std::tuple<std::int32_t, short, const char*> steps[] = {
        {R, 1, ""},
        // Low battery on mains: remembered, so a power failure does not light it.
        {UPS_BATTLOW, K, "-1 [] main_142 tbut_128"},
        {UPS_BATTLOW | UPS_ACFAIL, K, "180 [1] main_141 tbut_128"},
        {UPS_BATTLOW | UPS_ACFAIL, K, "180 [1] "},
        // Power return ends the countdown and forgets the low battery: the
        // next one is news.
        {0, K, "-1 [] main_142 tbut_128 main_141 tbut_128"},
        {UPS_ACFAIL | UPS_TESTING, K, "180 [1] main_141 tbut_128"},
        {UPS_ACFAIL | UPS_BATTLOW, K, "60 [12] main_142 tbut_128"},
        {UPS_BATTLOW, K, "-1 [2] main_141 tbut_128"},
        {UPS_BATTLOW, K, "-1 [2] main_142 tbut_128"},
        {0, K, "-1 [] main_142 tbut_128"},
        // Both at once: the shorter delay; a failure only starts or shortens.
        {UPS_ACFAIL | UPS_BATTLOW, K, "60 [12] main_142 tbut_128 main_141 tbut_128"},
        {0, K, "-1 [] main_142 tbut_128 main_141 tbut_128"},
        {UPS_ACFAIL, 200, "180 [1] main_141 tbut_128"},
        {0, K, "-1 [] main_141 tbut_128"},
        {UPS_ACFAIL, 100, "100 [1] main_141 tbut_128"},
        // A lost link redraws the whole window.
        {UPS_COMMERR | UPS_ACFAIL, K, "100 [01] window"},
        {UPS_ACFAIL, K, "100 [1] window"},
        {UPS_BEEPER | UPS_OVERHEAT | UPS_OVERLOAD, K, "-1 [456] main_141 tbut_128"},
        {UPS_BATTREPLACE, K, "-1 [3] main_142"},
        {0, K, "-1 [] main_142"},
        {R, 0, ""},
        {UPS_ACFAIL, K, "-1 [1] main_141 tbut_128"},
        {UPS_ACFAIL | UPS_BATTLOW, K, "-1 [12] main_142 tbut_128"},
    };
    for (const auto& [status, before, want] : steps) {
        if (status == R) {
            Restart();
            PtUPSSts.flag_Enable_Power_OSDelay = PtUPSSts.flag_Enable_Battery_OSDelay = before;
            PtUPSSts.Power_OSDelay = 180;
            PtUPSSts.Battery_OSDelay = 60;
            PtUPSVal.DownTime = -1;
            Redraws();
            continue;
        }
        PtUPSVal.StatusFlag.AllSts = status;
        if (before != K) PtUPSVal.DownTime = before;
        CheckStatus();
        EXPECT_EQ(std::to_string(PtUPSVal.DownTime) + " [" + Lights() + "] " + Redraws(), want)
            << status;
    }
}

TEST_F(TickTest, RedrawsFollowWhatChanged) {
    EXPECT_EQ(Feed(), "main_128"); // the communication text while the link is open
    agent.ItemVal[2] = 995;
    EXPECT_EQ(Feed(), "main_128 main_155 main_157");
    agent.ItemVal[4] = 2310;
    EXPECT_EQ(Feed(), "main_128 main_152");
    agent.ItemVal[13] = 2288; // not the meter's slot
    EXPECT_EQ(Feed(), "main_128");
    // Fewer measurements: the selectors follow, the meter falls back to slot 0.
    agent.SupportItem = 1 << 2;
    EXPECT_EQ(Feed(), "main_128 main_152");
    EXPECT_EQ(CountMenuItems(GetControlPopupMenuRef(MainControl("main", 150))), 1);
    agent.flag_OpenUPS = 0;
    EXPECT_EQ(Feed(), "");
    // Ratings are read on the minute only; a new scale redraws the meter.
    std::ofstream(dir.path().toStdString() + "/ZAN_RATING.DAT") << "2300\n120\n240\n";
    EXPECT_EQ(Feed(), "");
    AdvanceTestTime(60);
    Tick();
    EXPECT_EQ(Redraws(), "main_152 main_162");
    EXPECT_EQ(PtUPSSts.RatingCurrent, 120);
    std::ofstream(dir.path().toStdString() + "/ZAN_RATING.DAT") << "garbage\n";
    AdvanceTestTime(60);
    Tick();
    EXPECT_EQ(Redraws(), "main_162");
    EXPECT_EQ(PtUPSSts.RatingVolt, 2300);
}

TEST_F(TickTest, CountdownAcrossReadsAndTicks) {
    agent.StatusFlag.AllSts = UPS_ACFAIL;
    // The agent's figure, a read between ticks (r) or a tick a minute on (m),
    // then the figure shown and the redraws.
    const std::tuple<short, char, short, const char*> steps[] = {
        {100, 't', 99, "main_128 main_141 tbut_128 tbut_128"}, // followed, then the tick's second
        {100, 't', 98, "main_128 tbut_128"},                   // within 5 of ours: ours stands
        {103, 't', 97, "main_128 tbut_128"},
        {110, 't', 109, "main_128 tbut_128"}, // 6 or more above: the agent's
        {110, 'm', 108,
         "main_162 main_128 tbut_128"}, // the minute reads nothing, the second still goes
        {110, 'r', 108, "main_128"},    // a read never takes a second
        {96, 'r', 108, "main_128"},
        {120, 'r', 120, "main_128 tbut_128"},
        {-1, 'r', -1, "main_128 tbut_128"}, // the agent ends it
        {50, 't', 49, "main_128 tbut_128"},
    };
    for (const auto& [down, act, shown, redraws] : steps) {
        agent.DownTime = down;
        if (act == 'm') AdvanceTestTime(60);
        EXPECT_EQ(Feed(act != 'r'), redraws) << down;
        EXPECT_EQ(PtUPSVal.DownTime, shown) << down;
    }
    // No second goes while the link is down.
    agent.flag_OpenUPS = 0;
    Feed();
    EXPECT_EQ(PtUPSVal.DownTime, 49);
    std::remove(FolderFile(ValuesFileName).c_str()); // lost
    Tick();
    EXPECT_EQ(PtUPSVal.DownTime, 49);
    // Our own countdown (a power failure with a low battery) that the agent's
    // next read ends.
    agent.flag_OpenUPS = 1;
    agent.DownTime = -1;
    agent.StatusFlag.AllSts = UPS_ACFAIL | UPS_BATTLOW;
    Feed();
    EXPECT_EQ(PtUPSVal.DownTime, 29);
    EXPECT_EQ(Feed(), "main_128 tbut_128");
    EXPECT_EQ(PtUPSVal.DownTime, -1);
}

TEST_F(TickTest, StartAndTheAgentGone) {
    auto age = [](long seconds) {
        const timespec t{CurrentTime() - seconds, 0}, times[2] = {t, t};
        ASSERT_EQ(::utimensat(AT_FDCWD, FolderFile(ValuesFileName).c_str(), times, 0), 0);
    };
    auto kept = [] { return std::filesystem::exists(FolderFile(ValuesFileName)); };
    auto shown = [&] {
        return Redraws() + " " + Said("main", {128}) + " " + GetWindowStatusText(MainWindow);
    };
    // Silent past the limit, its lock still held.
    age(10);
    Tick();
    EXPECT_EQ(shown(), "main_128 #007000 14b 'Connected' ");
    age(14);
    Tick();
    EXPECT_EQ(shown(), "window #f00000 14b 'Disconnect' no update for 14 s");
    Feed();
    EXPECT_EQ(shown(), " #007000 14b 'Connected' ");
    // A stale file at start is deleted; the agent may still be starting.
    age(11);
    Restart();
    EXPECT_FALSE(kept());
    EXPECT_EQ(Said("main", {128, 141, 142, 157}) + " [" + Lights() + "]",
              "#707070 12b 'Waiting for the agent…' '' '' 14b '--' []");
    Tick();
    AdvanceTestTime(10);
    Tick();
    EXPECT_EQ(shown(), "main_162 #707070 12b 'Waiting for the agent…' ");
    AdvanceTestTime(1);
    Tick();
    EXPECT_EQ(shown(), "window #f00000 14b 'Disconnect' no values from the agent");
    // A running agent's file is read before the first frame, and kept.
    agent.StatusFlag.AllSts = UPS_ACFAIL;
    agent.DownTime = 100;
    WriteValues(agent);
    Restart();
    EXPECT_TRUE(kept());
    EXPECT_EQ(Said("main", {141}) + " " + Said("tbut", {128}) + " [" + Lights() + "]",
              "#a0a000 14b 'Battery' #a0a000 18b '01:40' [1]");
    // Killed: its lock goes with it, its file stays until the next start.
    Tick();
    agentLock.Release();
    Redraws();
    Tick();
    EXPECT_EQ(shown(), "window #f00000 14b 'Disconnect' agent not running");
    Restart();
    EXPECT_FALSE(kept());
    EXPECT_EQ(shown(), " #f00000 14b 'Disconnect' agent not running");
}
