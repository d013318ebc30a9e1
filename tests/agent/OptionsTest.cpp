// The agent's command line.
#include "Options.h"
#include "AgentTestSupport.h"

namespace agent_test {
namespace {

struct OptionCase {
    std::vector<const char*> args;
    ParseOutcome outcome;
    const char* message; // start of the message for BadUsage
};

TEST(AgentOptions, CommandLines) {
    const OptionCase cases[] = {
        {{"--simulate"}, ParseOutcome::Run, ""},
        {{"--simulate", "s.scn", "--folder", "/tmp/x"}, ParseOutcome::Run, ""},
        {{"--folder=/tmp/x", "--simulate=s.scn"}, ParseOutcome::Run, ""},
        {{"--help"}, ParseOutcome::ShowHelp, ""},
        {{"--simulate", "--version"}, ParseOutcome::ShowVersion, ""},
        {{}, ParseOutcome::BadUsage, "no UPS given: use --simulate"},
        {{"--folder"}, ParseOutcome::BadUsage, "--folder needs a folder"},
        {{"--folder="}, ParseOutcome::BadUsage, "--folder needs a folder"},
        {{"--simulate", "--folder", "a", "--folder", "b"},
         ParseOutcome::BadUsage,
         "--folder given twice"},
        {{"--simulate", "--simulate"}, ParseOutcome::BadUsage, "--simulate given twice"},
        {{"--simulate", "--bogus"}, ParseOutcome::BadUsage, "unknown option '--bogus'"},
        {{"--simulate", "a.scn", "b.scn"}, ParseOutcome::BadUsage, "unexpected argument 'b.scn'"},
        {{"--simulate", "--shutdown-command"},
         ParseOutcome::BadUsage,
         "--shutdown-command needs a command"},
        {{"--simulate", "--shutdown-command", "  "},
         ParseOutcome::BadUsage,
         "--shutdown-command needs a command"},
        {{"--simulate", "--shutdown-command", "poweroff"},
         ParseOutcome::BadUsage,
         "--shutdown-command: 'poweroff' is not an absolute path"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"corvanta-agent"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        AgentCommandLine cl;
        std::string message;
        std::string shown;
        for (const char* a : c.args)
            shown += std::string(a) + " ";
        EXPECT_EQ(ParseAgentCommandLine(static_cast<int>(argv.size()), argv.data(), &cl, &message),
                  c.outcome)
            << shown;
        if (c.outcome == ParseOutcome::BadUsage) {
            EXPECT_EQ(message.rfind(c.message, 0), 0u) << shown << " gave: " << message;
        }
    }
}

TEST(AgentOptions, ValuesAreTaken) {
    const char* argv[] = {"corvanta-agent",
                          "--folder",
                          "/srv/ups",
                          "--simulate",
                          "flap.scn",
                          "--shutdown-command",
                          "/usr/bin/systemctl  poweroff"};
    AgentCommandLine cl;
    std::string message;
    ASSERT_EQ(ParseAgentCommandLine(7, argv, &cl, &message), ParseOutcome::Run);
    EXPECT_TRUE(cl.HasFolder);
    EXPECT_EQ(cl.Folder, "/srv/ups");
    EXPECT_EQ(cl.ScenarioFile, "flap.scn");
    EXPECT_EQ(cl.ShutdownCommand, (std::vector<std::string>{"/usr/bin/systemctl", "poweroff"}));
}

TEST(AgentOptions, StartTimes) {
    struct Case {
        const char* text;
        bool ok;
    } cases[] = {
        {"2026-03-10 14:29:55", true},
        {"2026-03-10T14:29:55", true},
        {"2024-02-29 00:00:00", true},
        {"2026-02-29 00:00:00", false},
        {"2026-13-01 00:00:00", false},
        {"2026-03-10 24:00:00", false},
        {"2026-03-10", false},
        {"2026-03-10 14:29:55x", false},
        {"", false},
    };
    for (const auto& c : cases) {
        int t[6];
        EXPECT_EQ(ParseStartTime(c.text, t), c.ok) << c.text;
    }
    int t[6];
    ASSERT_TRUE(ParseStartTime("2026-03-10 14:29:55", t));
    EXPECT_EQ((std::vector<int>(t, t + 6)), (std::vector<int>{2026, 3, 10, 14, 29, 55}));
}

} // namespace
} // namespace agent_test
