// What the agent reads from people: its command line, the scenario format
// and numbers, and the simulated UPS that plays them. The command lines and
// scenario files it refuses as a whole program are in the end-to-end tests.
#include <climits>
#include <sstream>

#include "AgentTestSupport.h"
#include "NutMapping.h"
#include "NutUps.h"
#include "Options.h"
#include "Scenario.h"
#include "SimulatedUps.h"

namespace agent_test {
namespace {

// The words of a command line after the program's name, split at '|'.
ParseOutcome ParseWords(const std::string& words, AgentCommandLine* cl, std::string* message) {
    std::vector<std::string> args{"corvanta-agent"};
    std::istringstream in(words);
    for (std::string w; std::getline(in, w, '|');)
        args.push_back(w);
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    return ParseAgentCommandLine(static_cast<int>(argv.size()), argv.data(), cl, message);
}

TEST(AgentOptions, CommandLines) {
    using enum ParseOutcome;
    const struct {
        const char* words;
        ParseOutcome outcome;
        const char* message; // its start
    } cases[] = {
        // clang-format off
        {"--folder=/tmp/x|--simulate=s.scn", Run, ""},
        {"--nut=ups@host:1|--nut-user|mon|--nut-password-file|/etc/p", Run, ""},
        {"--help", ShowHelp, "Usage"},
        {"--simulate|--version", ShowVersion, ""},
        {"--folder=", BadUsage, "--folder needs a folder"},
        {"--simulate|--simulate", BadUsage, "--simulate given twice"},
        {"--simulate|a.scn|b.scn", BadUsage, "unexpected argument 'b.scn'"},
        {"--simulate|--shutdown-command|  ", BadUsage, "--shutdown-command needs a command"},
        {"--simulate|--shutdown-command|poweroff", BadUsage, "--shutdown-command: 'poweroff' is not an absolute path"},
        {"--nut|ups@host|--simulate", BadUsage, "--simulate and --nut"},
        {"--nut|host", BadUsage, "--nut: expected UPS@HOST"},
        {"--nut|a@b|--nut-user|mon\nINSTCMD x|--nut-password-file|/p", BadUsage, "--nut-user: a NUT user name has no blanks"},
        {"--nut|a@b|--nut-user|mon", BadUsage, "--nut-user and --nut-password-file go together"},
        {"--simulate|--nut-user|mon|--nut-password-file|/p", BadUsage, "--nut-user and --nut-password-file need --nut"},
        // clang-format on
    };
    for (const auto& c : cases) {
        AgentCommandLine cl;
        std::string message;
        EXPECT_EQ(ParseWords(c.words, &cl, &message), c.outcome) << c.words;
        EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.words << " gave: " << message;
    }
    AgentCommandLine cl;
    std::string message;
    ASSERT_EQ(ParseWords("--folder|/srv/ups|--simulate|flap.scn|--shutdown-command|"
                         "/usr/bin/systemctl  poweroff",
                         &cl, &message),
              Run);
    EXPECT_EQ(std::tie(cl.HasFolder, cl.Folder, cl.ScenarioFile, cl.ShutdownCommand),
              std::make_tuple(true, std::string("/srv/ups"), std::string("flap.scn"),
                              std::vector<std::string>{"/usr/bin/systemctl", "poweroff"}));
}

// The test clock's start time is read end to end only: it is a test hook.
TEST(AgentOptions, NutTargets) {
    // clang-format off
    const std::pair<const char*, const char*> targets[] = { // UPS@HOST:PORT as taken, or refused
        {"dummy@localhost", "dummy@localhost:3493"},
        {"ups@[::1]:4000", "ups@::1:4000"},
        {"ups@[::1]", "ups@::1:3493"},
        {"ups", nullptr},
        {"@host", nullptr},
        {"ups@host:65536", nullptr},
        {"ups@host:12x", nullptr},
        {"ups@[::1", nullptr},
        {"u ps@host", nullptr},
    };
    // clang-format on
    for (const auto& [text, taken] : targets) {
        NutTarget n;
        std::string error;
        EXPECT_EQ(ParseNutTarget(text, &n, &error), taken != nullptr) << text << ": " << error;
        EXPECT_EQ(n.Ups + "@" + n.Host + ":" + std::to_string(n.Port), taken ? taken : "@:3493");
    }
}

// Scenario values must fit a measurement exactly; NUT's are rounded and clamped.
TEST(Numbers, ToTenths) {
    constexpr int Bad = INT_MIN;
    const struct {
        const char* text;
        int scenario, nut;
    } cases[] = {
        // clang-format off
        {"230.5", 2305, 2305},
        {"-1.5", -15, -15},
        {"+4.", 40, 40},
        {".5", 5, 5},
        {"3276.7", 32767, 32767},
        {"3276.8", Bad, 32767},
        {"1.25", Bad, 13},
        {"-0.05", Bad, -1},
        {" 49.9 ", Bad, 499},
        {"-99999999999", Bad, -32768},
        {"", Bad, Bad},
        {"-", Bad, Bad},
        {"12abc", Bad, Bad},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE('"' + std::string(c.text) + '"');
        int scenario = Bad;
        short nut = -999;
        EXPECT_EQ(ParseTenths(c.text, &scenario), c.scenario != Bad);
        EXPECT_EQ(scenario, c.scenario);
        EXPECT_EQ(NutTenths(c.text, &nut), c.nut != Bad);
        EXPECT_EQ(nut, c.nut == Bad ? -999 : c.nut);
    }
}

TEST(ScenarioParse, NamesAndErrors) {
    const std::pair<const char*, int> items[] = {{"inputvoltage", 4}, {"29", 29}, {"30", -1}};
    for (const auto& [name, item] : items)
        EXPECT_EQ(ItemByName(name), item) << name;
    EXPECT_EQ(StatusMaskByName("ups_battlow"), UPS_BATTLOW);
    const std::pair<const char*, const char*> errors[] = {
        {"0 set InputVoltage", "line 1: 'set' takes a measurement and a value"},
        {"# c\n\n0 set InputVoltage abc", "line 3: bad value 'abc'"},
        {"5 status +ACFAIL\n3 status -ACFAIL", "line 2: time 3 goes back"},
        {"0 status ACFAIL", "line 1: expected +NAME or -NAME of a status bit, got 'ACFAIL'"},
        {"0 status +COMMERR", "line 1: expected +NAME or -NAME"},
        {"0 ramp BatteryLevel 20 0", "line 1: bad ramp length '0'"},
        {"0 link sideways", "line 1: 'link' takes up or down"},
        {"1:75 end", "line 1: expected a time"},
        {"0 end", "line 1: a cycle must last at least one second"},
        {"5 end\n6 status +ACFAIL", "line 2: nothing may follow 'end'"},
        {"5 status +ACFAIL\n5 end", "line 2: a step at 5 s would never play"},
        {"ratings 230 4.3", "line 1: 'ratings' takes volts, amperes and battery volts"},
        {"0 noise InputVoltage -1", "line 1: noise must not be negative"},
        {"support Bogus", "line 1: unknown measurement 'Bogus'"},
    };
    for (const auto& [text, error] : errors) {
        Scenario s;
        std::string why;
        EXPECT_FALSE(ParseScenario(text, &s, &why)) << text;
        EXPECT_EQ(why.rfind(error, 0), 0u) << text << " gave: " << why;
    }
    for (const char* name : {"flap.scn", "faults.scn"}) {
        Scenario s;
        std::string why;
        EXPECT_TRUE(LoadScenarioFile(std::string(CORVANTA_SCENARIO_DIR) + "/" + name, &s, &why))
            << why;
        EXPECT_EQ(std::pair(s.Length > 0, s.Ratings), std::pair(true, UpsRatings{2300, 43, 240}));
    }
}

Scenario Parse(const std::string& text) {
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, &s, &error)) << error;
    return s;
}

// What one reading shows each second: battery level, status bits, connected.
std::vector<std::string> Play(SimulatedUps& ups, int seconds, int slot) {
    std::vector<std::string> seen;
    for (int t = 0; t < seconds; ++t) {
        const UpsReading r = ups.Poll();
        seen.push_back(std::to_string(r.ItemVal[slot]) + (r.Status & UPS_ACFAIL ? " A" : "") +
                       (r.Status & UPS_TESTING ? " T" : "") + (r.Connected ? "" : " lost"));
    }
    return seen;
}

TEST(SimulatedUps, PlaysStepsRampsAndRepeatsOrHoldsTheLastState) {
    SimulatedUps ups(Parse("0 set BatteryLevel 100\n0 status clear\n2 status +ACFAIL\n"
                           "2 ramp BatteryLevel 60 4\n8 status -ACFAIL\n10 end\n"));
    EXPECT_EQ(Play(ups, 13, 2),
              (std::vector<std::string>{"1000", "1000", "1000 A", "900 A", "800 A", "700 A",
                                        "600 A", "600 A", "600", "600", "1000", "1000", "1000 A"}));
    SimulatedUps held(Parse("0 set InputVoltage 230\n1 set InputVoltage 0\n1 link down\n"));
    EXPECT_EQ(Play(held, 4, 4), (std::vector<std::string>{"2300", "0 lost", "0 lost", "0 lost"}));
    // A quick self test shows for ten seconds.
    std::string note;
    ASSERT_TRUE(ups.StartSelfTest(false, &note));
    const std::vector<std::string> test = Play(ups, 12, 2);
    EXPECT_EQ(std::count_if(test.begin(), test.end(),
                            [](const std::string& s) { return s.find(" T") != s.npos; }),
              10);
}

// The default cycle: the mains fails at 0:20, the battery runs low at 2:05
// and the mains returns at 2:30, before the default countdown would expire.
TEST(SimulatedUps, DefaultScenario) {
    Scenario s = Parse(DefaultScenarioText());
    EXPECT_EQ(std::pair(s.Length, s.Ratings), std::pair(180, UpsRatings{2300, 43, 240}));
    SimulatedUps ups(s);
    std::vector<std::pair<int, std::int32_t>> changes;
    std::int32_t last = 0;
    for (int t = 0; t < 180; ++t) {
        const UpsReading r = ups.Poll();
        const std::int32_t bits = r.Status & (UPS_ACFAIL | UPS_BATTLOW);
        if (bits != last) changes.emplace_back(t, last = bits);
    }
    EXPECT_EQ(changes, (std::vector<std::pair<int, std::int32_t>>{
                           {20, UPS_ACFAIL}, {125, UPS_ACFAIL | UPS_BATTLOW}, {150, 0}}));
}

} // namespace
} // namespace agent_test
