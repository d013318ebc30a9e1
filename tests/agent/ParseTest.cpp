// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the agent reads from people: its command line, the scenario format
// and numbers, and the default scenario as the simulated UPS plays it. That
// the program refuses bad command lines and scenario files, and plays a
// scenario over time, is in the end-to-end tests.
#include <climits>

#include "AgentTestSupport.h"
#include "NutMapping.h"
#include "NutUps.h"
#include "Options.h"
#include "Scenario.h"
#include "SimulatedUps.h"

namespace agent_test {
namespace {

TEST(AgentOptions, CommandLines) {
    using enum ParseOutcome;
    // The words after the program's name, the outcome, the message's start.
    // clang-format off
    const std::tuple<std::vector<const char*>, ParseOutcome, const char*> cases[] = {
        {{"--nut=ups@host:1", "--nut-user", "mon", "--nut-password-file", "/etc/p"}, Run, ""},
        {{"--folder=/tmp/x", "--simulate=s.scn"}, Run, ""}, {{"--folder="}, BadUsage, "--folder needs a folder"},
        {{"--simulate", "--simulate"}, BadUsage, "--simulate given twice"},
        {{"--simulate", "a.scn", "b.scn"}, BadUsage, "unexpected argument 'b.scn'"},
        {{"--simulate", "--shutdown-command", "  "}, BadUsage, "--shutdown-command needs a command"},
        {{"--simulate", "--shutdown-command", "poweroff"}, BadUsage, "--shutdown-command: 'poweroff' is not an absolute path"},
        {{"--nut", "ups@host", "--simulate"}, BadUsage, "--simulate and --nut"},
        {{"--nut", "host"}, BadUsage, "--nut: expected UPS@HOST"}, {{"--nut", "ups@[::1]:4000"}, Run, ""},
        {{"--nut", "ups@host:65536"}, BadUsage, "--nut: port 65536 is out of range"},
        {{"--nut", "ups@[::1"}, BadUsage, "--nut: unclosed '['"},
        {{"--nut", "u ps@host"}, BadUsage, "--nut: bad UPS name 'u ps'"},
        {{"--nut", "a@b", "--nut-user", "mon\nINSTCMD x", "--nut-password-file", "/p"}, BadUsage, "--nut-user: a NUT user name has no blanks"},
        {{"--nut", "a@b", "--nut-user", "mon"}, BadUsage, "--nut-user and --nut-password-file go together"},
        {{"--simulate", "--nut-user", "mon", "--nut-password-file", "/p"}, BadUsage, "--nut-user and --nut-password-file need --nut"},
        {{"--nut=u@h", "--nut-user=m", "--nut-password-file=/p", "--nut-role=primary", "--nut-hostsync=0"}, Run, ""},
        {{"--nut=u@h", "--nut-user=m", "--nut-password-file=/p", "--nut-role=master"}, BadUsage, "--nut-role: expected secondary or primary"},
        {{"--nut=u@h", "--nut-role=secondary"}, BadUsage, "--nut-role needs --nut-user"},
        {{"--nut=u@h", "--nut-user=m", "--nut-password-file=/p", "--nut-hostsync=5"}, BadUsage, "--nut-hostsync goes with --nut-role primary"},
        {{"--nut=u@h", "--nut-user=m", "--nut-password-file=/p", "--nut-role=primary", "--nut-hostsync=3601"}, BadUsage, "--nut-hostsync: expected seconds"},
        {{"--simulate", "--on-event=/a", "--on-event", "/b", "--metrics-file=/m"}, Run, ""},
        {{"--simulate", "--on-event", "notify.sh"}, BadUsage, "--on-event: 'notify.sh' is not an absolute path"},
        {{"--simulate", "--metrics-file=m.prom"}, BadUsage, "--metrics-file needs an absolute path"},
        {{"--history-report", "--metrics-file=/m"}, BadUsage, "--history-report watches no UPS"},
        {{"--simulate", "--mqtt=mqtts://[::1]:8884/", "--mqtt-user=u", "--mqtt-password-file=/p"}, Run, ""},
        {{"--simulate", "--mqtt", "tcp://h"}, BadUsage, "--mqtt: expected mqtt://HOST[:PORT]"},
        {{"--simulate", "--mqtt", "mqtt://h:"}, BadUsage, "--mqtt: bad port"}, {{"--simulate", "--mqtt", "mqtt://:1"}, BadUsage, "--mqtt: no host"},
        {{"--simulate", "--mqtt-user=u", "--mqtt-password-file=/p"}, BadUsage, "--mqtt-user and --mqtt-password-file need --mqtt"},
        {{"--history-report", "--since=2026-02-28", "--csv"}, Run, ""},
        {{"--history-report", "--since", "2026-02-29"}, BadUsage, "--since: expected a date YYYY-MM-DD, got '2026-02-29'"},
        {{"--history-report", "--since", "2026-02-01x"}, BadUsage, "--since: expected a date"},
        {{"--history-report", "--since"}, BadUsage, "--since: expected a date"},
        {{"--simulate", "--csv"}, BadUsage, "--since and --csv go with --history-report"},
        {{"--history-report", "--simulate"}, BadUsage, "--history-report watches no UPS"}};
    // clang-format on
    for (const auto& [words, outcome, start] : cases) {
        SCOPED_TRACE(testing::PrintToString(words));
        std::vector<const char*> argv{"corvanta-agent"};
        argv.insert(argv.end(), words.begin(), words.end());
        AgentCommandLine cl;
        std::string message;
        const int argc = static_cast<int>(argv.size());
        EXPECT_EQ(ParseAgentCommandLine(argc, argv.data(), &cl, &message), outcome);
        EXPECT_EQ(message.rfind(start, 0), 0u) << message;
    }
    // The port when none is given, and an address in brackets.
    NutTarget n;
    std::string error;
    ASSERT_TRUE(ParseNutTarget("ups@[::1]", &n, &error)) << error;
    EXPECT_EQ(n.Ups + "@" + n.Host + ":" + std::to_string(n.Port), "ups@::1:3493");
}

// Scenario values must fit a measurement exactly; NUT's are rounded and clamped.
TEST(Numbers, ToTenths) {
    constexpr int Bad = INT_MIN;
    // The text, its tenths in a scenario and from NUT.
    // clang-format off
    const std::tuple<const char*, int, int> cases[] = {
        {"230.5", 2305, 2305}, {"-1.5", -15, -15}, {".5", 5, 5}, {"3276.7", 32767, 32767},
        {"3276.8", Bad, 32767}, {"1.25", Bad, 13}, {"-0.05", Bad, -1}, {" 49.9 ", Bad, 499},
        {"-99999999999", Bad, -32768}, {"", Bad, Bad}, {"12abc", Bad, Bad}};
    // clang-format on
    for (const auto& [text, inScenario, fromNut] : cases) {
        SCOPED_TRACE('"' + std::string(text) + '"');
        int scenario = Bad;
        short nut = -999;
        EXPECT_EQ(ParseTenths(text, &scenario), inScenario != Bad);
        EXPECT_EQ(scenario, inScenario);
        EXPECT_EQ(NutTenths(text, &nut), fromNut != Bad);
        EXPECT_EQ(nut, fromNut == Bad ? -999 : fromNut);
    }
}

TEST(ScenarioParse, NamesAndErrors) {
    const std::pair<const char*, int> items[] = {{"inputvoltage", 4}, {"29", 29}, {"30", -1}};
    for (const auto& [name, item] : items)
        EXPECT_EQ(ItemByName(name), item) << name;
    EXPECT_EQ(StatusMaskByName("ups_battlow"), UPS_BATTLOW);
    // clang-format off
    const std::pair<const char*, const char*> errors[] = {
        {"0 set InputVoltage", "line 1: 'set' takes a measurement and a value"},
        {"# c\n\n0 set InputVoltage abc", "line 3: bad value 'abc'"},
        {"5 status +ACFAIL\n3 status -ACFAIL", "line 2: time 3 goes back"},
        {"0 status ACFAIL", "line 1: expected +NAME or -NAME of a status bit, got 'ACFAIL'"},
        {"0 status +COMMERR", "line 1: expected +NAME or -NAME"},
        {"0 ramp BatteryLevel 20 0", "line 1: bad ramp length '0'"},
        {"0 link sideways", "line 1: 'link' takes up or down"}, {"1:75 end", "line 1: expected a time"},
        {"1x end", "line 1: expected a time"},
        {"0 end", "line 1: a cycle must last at least one second"},
        {"5 end\n6 status +ACFAIL", "line 2: nothing may follow 'end'"},
        {"5 status +ACFAIL\n5 end", "line 2: a step at 5 s would never play"},
        {"ratings 230 4.3", "line 1: 'ratings' takes volts, amperes and battery volts"},
        {"runtime 0", "line 1: 'runtime' takes the seconds a full battery lasts"},
        {"0 noise InputVoltage -1", "line 1: noise must not be negative"},
        {"0 sleep 0.5", "line 1: 'sleep' takes whole seconds, at least 1"},
        {"support Bogus", "line 1: unknown measurement 'Bogus'"}};
    // clang-format on
    Scenario s;
    for (const auto& [text, error] : errors) {
        std::string why;
        EXPECT_FALSE(ParseScenario(text, &s, &why)) << text;
        EXPECT_EQ(why.rfind(error, 0), 0u) << text << " gave: " << why;
    }
    // The shipped scenarios; flap.scn is played by the soak test.
    std::string why;
    EXPECT_TRUE(LoadScenarioFile(std::string(CORVANTA_SCENARIO_DIR) + "/faults.scn", &s, &why))
        << why;
}

// The default cycle: the mains fails at 0:20, the battery runs low at 2:05
// and the mains returns at 2:30, before the default countdown would expire.
TEST(SimulatedUps, DefaultScenario) {
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(DefaultScenarioText(), &s, &error)) << error;
    EXPECT_EQ(std::pair(s.Length, s.Ratings), std::pair(180, UpsRatings{2300, 43, 240, 1000, 500}));
    SimulatedUps ups(s);
    EXPECT_EQ(SimulatedUps(s).Poll().BattEstimate, 1500); // a full battery
    std::vector<std::pair<int, std::int32_t>> changes;
    std::int32_t last = 0;
    for (int t = 0; t < 180; ++t) {
        const std::int32_t bits = ups.Poll().Status & (UPS_ACFAIL | UPS_BATTLOW);
        if (bits != last) changes.emplace_back(t, last = bits);
    }
    EXPECT_EQ(changes, (std::vector<std::pair<int, std::int32_t>>{
                           {20, UPS_ACFAIL}, {125, UPS_ACFAIL | UPS_BATTLOW}, {150, 0}}));
}

// A scenario's sleep is the computer's: the agent says so on waking.
TEST_F(AgentTest, ScenarioSleepIsLoggedOnWaking) {
    Scenario s;
    std::string why;
    ASSERT_TRUE(ParseScenario("0 set BatteryLevel 100\n2 sleep 30\n", &s, &why)) << why;
    SimulatedUps simulated(s);
    agent = std::make_unique<Agent>(simulated, ups, AgentOptions{});
    agent->Step();
    Seconds(3);
    EXPECT_TRUE(LogHas("Resumed after 30 s asleep"));
}

} // namespace
} // namespace agent_test
