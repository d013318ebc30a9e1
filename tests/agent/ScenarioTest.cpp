// The scenario format and the simulated UPS that plays it.
#include "Scenario.h"
#include "AgentTestSupport.h"
#include "SimulatedUps.h"

namespace agent_test {
namespace {

Scenario Parse(const std::string& text) {
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, &s, &error)) << error;
    return s;
}

TEST(ScenarioParse, Values) {
    struct Case {
        const char* text;
        bool ok;
        int tenths;
    } cases[] = {
        {"230", true, 2300},     {"230.5", true, 2305},     {"-1.5", true, -15},
        {"0", true, 0},          {"+4.", true, 40},         {".5", true, 5},
        {"3276.7", true, 32767}, {"3276.8", false, 0},      {"1.25", false, 0},
        {"", false, 0},          {"abc", false, 0},         {"1e3", false, 0},
        {"-", false, 0},         {"99999999999", false, 0},
    };
    for (const auto& c : cases) {
        int v = -999;
        EXPECT_EQ(ParseTenths(c.text, &v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.tenths) << c.text;
        }
    }
}

TEST(ScenarioParse, NamesOfMeasurementsAndStatusBits) {
    EXPECT_EQ(ItemByName("InputVoltage"), 4);
    EXPECT_EQ(ItemByName("inputvoltage"), 4);
    EXPECT_EQ(ItemByName("OutputLoading3"), 21);
    EXPECT_EQ(ItemByName("29"), 29);
    EXPECT_EQ(ItemByName("30"), -1);
    EXPECT_EQ(ItemByName("Input Voltage"), -1);
    EXPECT_EQ(StatusMaskByName("ACFAIL"), UPS_ACFAIL);
    EXPECT_EQ(StatusMaskByName("ups_battlow"), UPS_BATTLOW);
    EXPECT_EQ(StatusMaskByName("COMMERR"), 0) << "the agent's own bits are not scenario bits";
}

TEST(ScenarioParse, ErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"0 set InputVoltage", "line 1: 'set' takes a measurement and a value"},
        {"0 set Nowhere 3", "line 1: 'set' takes a measurement and a value"},
        {"# c\n\n0 set InputVoltage abc", "line 3: bad value 'abc'"},
        {"5 status +ACFAIL\n3 status -ACFAIL", "line 2: time 3 goes back"},
        {"0 status ACFAIL", "line 1: expected +NAME or -NAME of a status bit, got 'ACFAIL'"},
        {"0 status +COMMERR", "line 1: expected +NAME or -NAME"},
        {"0 ramp BatteryLevel 20 0", "line 1: bad ramp length '0'"},
        {"0 link sideways", "line 1: 'link' takes up or down"},
        {"0 jump", "line 1: unknown command 'jump'"},
        {"soon set InputVoltage 1", "line 1: expected a time in seconds or m:ss"},
        {"1:75 end", "line 1: expected a time"},
        {"0 end", "line 1: a cycle must last at least one second"},
        {"5 end\n6 status +ACFAIL", "line 2: nothing may follow 'end'"},
        {"5 status +ACFAIL\n5 end", "line 2: a step at 5 s would never play"},
        {"ratings 230 4.3", "line 1: 'ratings' takes volts, amperes and battery volts"},
        {"0 noise InputVoltage -1", "line 1: noise must not be negative"},
        {"support Bogus", "line 1: unknown measurement 'Bogus'"},
    };
    for (const auto& c : cases) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(ParseScenario(c.text, &s, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
    }
}

TEST(ScenarioParse, MissingFileIsNamed) {
    Scenario s;
    std::string error;
    EXPECT_FALSE(LoadScenarioFile("/nonexistent/x.scn", &s, &error));
    EXPECT_EQ(error, "/nonexistent/x.scn: cannot be read");
}

TEST(ScenarioParse, DefaultScenario) {
    Scenario s = Parse(DefaultScenarioText());
    EXPECT_EQ(s.Length, 180);
    EXPECT_EQ(s.Ratings, (UpsRatings{2300, 43, 240}));
    // Battery voltage, battery level, input frequency and voltage, output
    // frequency, voltage, current and loading, temperature.
    EXPECT_EQ(s.SupportItem, (1 << 0) | (1 << 2) | (1 << 3) | (1 << 4) | (1 << 12) | (1 << 13) |
                                 (1 << 14) | (1 << 15) | (1 << 29));
}

TEST(ScenarioParse, ShippedScenarioFilesParse) {
    for (const char* name : {"flap.scn", "faults.scn"}) {
        Scenario s;
        std::string error;
        EXPECT_TRUE(LoadScenarioFile(std::string(CORVANTA_SCENARIO_DIR) + "/" + name, &s, &error))
            << error;
        EXPECT_GT(s.Length, 0) << name;
        EXPECT_EQ(s.Ratings, (UpsRatings{2300, 43, 240})) << name;
    }
}

TEST(SimulatedUps, PlaysStepsRampsAndRepeats) {
    SimulatedUps ups(Parse("0 set BatteryLevel 100\n"
                           "0 status clear\n"
                           "2 status +ACFAIL\n"
                           "2 ramp BatteryLevel 60 4\n"
                           "8 status -ACFAIL\n"
                           "10 end\n"));
    std::vector<int> level, onBattery;
    for (int t = 0; t < 13; ++t) {
        UpsReading r = ups.Poll();
        level.push_back(r.ItemVal[2]);
        onBattery.push_back((r.Status & UPS_ACFAIL) != 0);
        EXPECT_TRUE(r.Connected);
    }
    EXPECT_EQ(level, (std::vector<int>{1000, 1000, 1000, 900, 800, 700, 600, 600, 600, 600, 1000,
                                       1000, 1000}));
    EXPECT_EQ(onBattery, (std::vector<int>{0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1}));
}

TEST(SimulatedUps, WithoutEndItHoldsTheLastState) {
    SimulatedUps ups(Parse("0 set InputVoltage 230\n1 set InputVoltage 0\n1 link down\n"));
    ups.Poll();
    for (int t = 0; t < 5; ++t) {
        UpsReading r = ups.Poll();
        EXPECT_EQ(r.ItemVal[4], 0);
        EXPECT_FALSE(r.Connected);
    }
}

TEST(SimulatedUps, NoiseStaysWithinItsAmplitude) {
    SimulatedUps ups(Parse("0 set InputVoltage 230\n0 noise InputVoltage 0.8\n"));
    int low = 99999, high = -99999;
    for (int t = 0; t < 500; ++t) {
        int v = ups.Poll().ItemVal[4];
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_EQ(low, 2292);
    EXPECT_EQ(high, 2308);
}

TEST(SimulatedUps, SelfTestShowsTestingForAWhile) {
    SimulatedUps ups(Parse("0 set InputVoltage 230\n"));
    std::string note;
    ASSERT_TRUE(ups.StartSelfTest(false, &note));
    int testing = 0;
    for (int t = 0; t < 40; ++t)
        testing += (ups.Poll().Status & UPS_TESTING) != 0;
    EXPECT_EQ(testing, 10);
}

TEST_F(AgentTest, DefaultScenarioOneCycleWithDefaultSettings) {
    Scenario s = Parse(DefaultScenarioText());
    SimulatedUps sim(s);
    AgentOptions options;
    agent = std::make_unique<Agent>(sim, runner, options);
    agent->Start();
    std::vector<short> downTime;
    for (int t = 0; t < 180; ++t) {
        agent->Step();
        downTime.push_back(agent->DownTime());
        AdvanceTestTime(1);
    }
    EXPECT_EQ(downTime[19], -1);
    EXPECT_EQ(downTime[20], 180); // the mains fails at 0:20
    EXPECT_EQ(downTime[124], 76);
    EXPECT_EQ(downTime[125], 30); // battery low at 2:05
    EXPECT_EQ(downTime[149], 6);
    EXPECT_EQ(downTime[150], -1); // the mains returns before the end
    UPSVal v = ReadValues();
    EXPECT_NEAR(v.ItemVal[4], 2298, 8); // back on mains, about 230 V
    EXPECT_EQ(v.ItemVal[12], 500);
    EXPECT_TRUE(LogHas("Shutdown countdown ended: power restored"));
    EXPECT_FALSE(LogHas("expired"));
}

} // namespace
} // namespace agent_test
