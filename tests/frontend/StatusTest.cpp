// Status evaluation: sequences of status words against lights, countdown and
// redraws; the countdown's own second.
#include "FrontendTestSupport.h"
#include "monitor.h"

namespace {

// Which of the seven lights are on, as a bit per light; checks that each
// light's on and off controls agree.
int Lights() {
    int on = 0;
    for (int n = 0; n < 7; ++n) {
        const bool onVisible = IsControlVisible(MainControl("main", 300 + n));
        const bool offVisible = IsControlVisible(MainControl("main", 320 + n));
        EXPECT_NE(onVisible, offVisible) << "light " << n;
        if (onVisible) on |= 1 << n;
    }
    return on;
}

constexpr int L(int n) {
    return 1 << n;
}

struct Step {
    std::int32_t status;
    short downBefore; // set before the evaluation; 999 leaves it alone
    short downAfter;
    int lights;
    std::vector<std::string> redraws;
};

class StatusTest : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        PtUPSSts.flag_Enable_Power_OSDelay = 1;
        PtUPSSts.Power_OSDelay = 180;
        PtUPSSts.flag_Enable_Battery_OSDelay = 1;
        PtUPSSts.Battery_OSDelay = 60;
        PtUPSVal.DownTime = -1;
        TakeRedraws();
    }
    void Run(const std::vector<Step>& steps) {
        int i = 0;
        for (const Step& s : steps) {
            PtUPSVal.StatusFlag.AllSts = s.status;
            if (s.downBefore != 999) PtUPSVal.DownTime = s.downBefore;
            CheckStatus();
            EXPECT_EQ(PtUPSVal.DownTime, s.downAfter) << "step " << i;
            EXPECT_EQ(Lights(), s.lights) << "step " << i;
            EXPECT_EQ(TakeRedraws(), s.redraws) << "step " << i;
            ++i;
        }
    }
};

} // namespace

TEST_F(StatusTest, LowBatteryOnMainsLightsNothingButRedraws) {
    Run({
        {UPS_BATTLOW, 999, -1, 0, {"main_142", "tbut_128"}},
        // Remembered as set: a power failure now does not light the battery.
        {UPS_BATTLOW | UPS_ACFAIL, 999, 180, L(1), {"main_141", "tbut_128"}},
        {UPS_BATTLOW | UPS_ACFAIL, 999, 180, L(1), {}},
    });
}

TEST_F(StatusTest, OutageWithLowBatteryThenPowerReturn) {
    Run({
        {UPS_ACFAIL, 999, 180, L(1), {"main_141", "tbut_128"}},
        {UPS_ACFAIL | UPS_BATTLOW, 999, 60, L(1) | L(2), {"main_142", "tbut_128"}},
        // Power return ends the countdown and forgets the low battery bit...
        {UPS_BATTLOW, 999, -1, L(2), {"main_141", "tbut_128"}},
    });
    EXPECT_EQ(PtUPSVal.StatusFlag.AllSts, 0);
    // ...so the agent's next low battery is news, on mains: no light changes.
    Run({
        {UPS_BATTLOW, 999, -1, L(2), {"main_142", "tbut_128"}},
        {0, 999, -1, 0, {"main_142", "tbut_128"}},
    });
}

TEST_F(StatusTest, BothInOneTickTheShorterDelayWins) {
    Run({{UPS_ACFAIL | UPS_BATTLOW,
          999,
          60,
          L(1) | L(2),
          {"main_142", "tbut_128", "main_141", "tbut_128"}}});
    PtUPSSts.Power_OSDelay = 30;
    Run({{0, 999, -1, 0, {"main_142", "tbut_128", "main_141", "tbut_128"}},
         {UPS_ACFAIL | UPS_BATTLOW,
          -1,
          30,
          L(1) | L(2),
          {"main_142", "tbut_128", "main_141", "tbut_128"}}});
}

TEST_F(StatusTest, ArmingOnlyStartsOrShortens) {
    PtUPSSts.Power_OSDelay = 30;
    Run({{UPS_ACFAIL, 100, 30, L(1), {"main_141", "tbut_128"}}});
    PtUPSSts.Power_OSDelay = 300;
    Run({{0, 999, -1, 0, {"main_141", "tbut_128"}},
         {UPS_ACFAIL, 100, 100, L(1), {"main_141", "tbut_128"}}});
}

TEST_F(StatusTest, DisabledDelaysLeaveTheCountdownAlone) {
    PtUPSSts.flag_Enable_Power_OSDelay = 0;
    PtUPSSts.flag_Enable_Battery_OSDelay = 0;
    Run({{UPS_ACFAIL, 999, -1, L(1), {"main_141", "tbut_128"}},
         {UPS_ACFAIL | UPS_BATTLOW, 999, -1, L(1) | L(2), {"main_142", "tbut_128"}}});
}

TEST_F(StatusTest, CommunicationLossRedrawsTheWholeWindowFirst) {
    Run({{UPS_COMMERR | UPS_ACFAIL, 999, 180, L(0) | L(1), {"main_141", "tbut_128", "window"}}});
    Run({{UPS_ACFAIL, 999, 180, L(1), {"window"}}});
}

TEST_F(StatusTest, SimpleLightsAndReplacement) {
    Run({
        {UPS_BEEPER | UPS_OVERHEAT | UPS_OVERLOAD, 999, -1, L(6) | L(5) | L(4), {}},
        {UPS_BATTREPLACE, 999, -1, L(3), {"main_142"}},
        {0, 999, -1, 0, {"main_142"}},
        {0, 999, -1, 0, {}},
    });
}

TEST_F(StatusTest, TheFirstEvaluationArmsLikeAFreshFailure) {
    PtUPSVal.DownTime = -1;
    Run({{UPS_ACFAIL | UPS_TESTING, 999, 180, L(1), {"main_141", "tbut_128"}}});
}

TEST_F(StatusTest, CountDownTakesOneSecondAndRedraws) {
    const std::pair<short, short> cases[] = {{5, 4}, {1, 0}, {0, -1}, {-1, -1}, {-7, -7}};
    for (const auto& [before, after] : cases) {
        PtUPSVal.DownTime = before;
        CountDown();
        EXPECT_EQ(PtUPSVal.DownTime, after);
        EXPECT_EQ(TakeRedraws(),
                  before >= 0 ? std::vector<std::string>{"tbut_128"} : std::vector<std::string>{});
    }
}
