// The Network UPS Tools bridge: status tokens and variables to the values
// record, the connection's losses and recoveries, the instant commands, and
// what the command line and the password file accept.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "AgentTestSupport.h"
#include "NutMapping.h"
#include "NutUps.h"
#include "Options.h"
#include "file.h"

namespace {

std::int32_t Bit(int slot) {
    return std::int32_t{1} << slot;
}

TEST(NutMapping, StatusTokensToBits) {
    const struct {
        const char* status;
        std::int32_t bits;
    } cases[] = {
        {"OL", 0},
        {"OL CHRG", 0},
        {"OB DISCHRG", UPS_ACFAIL},
        {"OB LB", UPS_ACFAIL | UPS_BATTLOW},
        {"OL RB", UPS_BATTREPLACE},
        {"OL OVER", UPS_OVERLOAD},
        {"OL BYPASS", UPS_BYPASS},
        {"OL CAL", UPS_TESTING},
        {"OFF", UPS_OUTPUTOFF},
        {"OL TRIM", UPS_BUCK},
        {"OL BOOST", UPS_BOOST},
        {"FSD OB LB", UPS_SHUTACT | UPS_ACFAIL | UPS_BATTLOW},
        {"  OB   LB  ", UPS_ACFAIL | UPS_BATTLOW},
        // Whole tokens only: none of these is OB, LB or OFF.
        {"OBX LBB OFFLINE", 0},
        {"ob lb", 0},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NutStatusBits(c.status), c.bits) << '"' << c.status << '"';
}

TEST(NutMapping, NumbersToTenths) {
    const struct {
        const char* text;
        bool ok;
        short tenths;
    } cases[] = {
        {"230.4", true, 2304}, {"230", true, 2300},    {"27.25", true, 273},
        {"27.24", true, 272},  {"-1.5", true, -15},    {"-0.05", true, -1},
        {"+12.0", true, 120},  {".5", true, 5},        {"7.", true, 70},
        {" 49.9 ", true, 499}, {"99999", true, 32767}, {"-99999999999", true, -32768},
        {"", false, 0},        {"-", false, 0},        {"abc", false, 0},
        {"12abc", false, 0},   {"1e3", false, 0},      {"1,5", false, 0},
        {"12 34", false, 0},   {".", false, 0},
    };
    for (const auto& c : cases) {
        short v = -999;
        EXPECT_EQ(NutTenths(c.text, &v), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(v, c.tenths) << '"' << c.text << '"';
        }
    }
}

TEST(NutMapping, FullSetFillsEverySlotItNames) {
    NutVariables vars{{"ups.status", "OL CHRG"},
                      {"battery.voltage", "27.2"},
                      {"battery.current", "1.3"},
                      {"battery.charge", "100"},
                      {"input.frequency", "50.0"},
                      {"input.voltage", "230.4"},
                      {"input.current", "4.1"},
                      {"input.L2-N.voltage", "231"},
                      {"input.L2.current", "4.2"},
                      {"input.L3-N.voltage", "229"},
                      {"input.L3.current", "4.3"},
                      {"output.frequency", "49.9"},
                      {"output.voltage", "230.0"},
                      {"output.current", "3.1"},
                      {"ups.load", "30"},
                      {"output.L2-N.voltage", "230.1"},
                      {"output.L2.current", "3.2"},
                      {"output.L2.power.percent", "31"},
                      {"output.L3-N.voltage", "230.2"},
                      {"output.L3.current", "3.3"},
                      {"output.L3.power.percent", "32"},
                      {"input.bypass.frequency", "50.1"},
                      {"input.bypass.voltage", "229.9"},
                      {"input.bypass.current", "0.1"},
                      {"input.bypass.L2-N.voltage", "229.8"},
                      {"input.bypass.L2.current", "0.2"},
                      {"input.bypass.L3-N.voltage", "229.7"},
                      {"input.bypass.L3.current", "0.3"},
                      {"ups.temperature", "28.5"},
                      {"battery.temperature", "31.0"},
                      {"input.voltage.nominal", "230"},
                      {"output.voltage.nominal", "220"},
                      {"output.current.nominal", "4.3"},
                      {"battery.voltage.nominal", "24"}};
    NutMapped m = MapNutVariables(vars);
    ASSERT_FALSE(m.Waiting);
    const UpsReading& r = m.Reading;
    EXPECT_TRUE(r.Connected);
    const short expected[ItemCount] = {272,  13,  1000, 500,  2304, 41,   0,    2310, 42,  0,
                                       2290, 43,  499,  2300, 31,   300,  2301, 32,   310, 2302,
                                       33,   320, 501,  2299, 1,    2298, 2,    2297, 3,   285};
    for (int i = 0; i < ItemCount; ++i)
        EXPECT_EQ(r.ItemVal[i], expected[i]) << "slot " << i;
    // NUT has no frequency per input line: slots 6 and 9 stay unsupported.
    EXPECT_EQ(r.SupportItem, 0x3FFFFFFF & ~Bit(6) & ~Bit(9));
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(m.Ratings, (UpsRatings{2300, 43, 240}));
}

TEST(NutMapping, FewVariablesReportOnlyThose) {
    NutVariables vars{{"ups.status", "OB DISCHRG"}, {"battery.charge", "87"},
                      {"input.voltage", "0.0"},     {"ups.mfr", "Dummy"},
                      {"battery.runtime", "1200"},  {"output.voltage.nominal", "120"}};
    NutMapped m = MapNutVariables(vars);
    EXPECT_TRUE(m.Reading.Connected);
    EXPECT_EQ(m.Reading.SupportItem, Bit(2) | Bit(4));
    EXPECT_EQ(m.Reading.ItemVal[2], 870);
    EXPECT_EQ(m.Reading.ItemVal[4], 0);
    EXPECT_EQ(m.Reading.Status, UPS_ACFAIL);
    // No temperature, alarm, beeper or test result: those bits are not available.
    EXPECT_EQ(m.Reading.StatusAvail & (UPS_OVERHEAT | UPS_BEEPER | UPS_TESTFAIL), 0);
    EXPECT_NE(m.Reading.StatusAvail & UPS_ACFAIL, 0);
    // Input nominal missing: the output's stands in; unknown ratings stay 0.
    EXPECT_EQ(m.Ratings, (UpsRatings{1200, 0, 0}));
}

TEST(NutMapping, SecondNamesStandInAndBadNumbersAreNotReported) {
    NutVariables vars{{"ups.status", "OL"},
                      {"input.L1-N.voltage", "400"},
                      {"output.voltage", "n/a"},
                      {"output.L1-N.voltage", "229.5"},
                      {"output.L1.power.percent", "12"},
                      {"battery.temperature", "33.3"},
                      {"battery.voltage", ""}};
    NutMapped m = MapNutVariables(vars);
    EXPECT_EQ(m.Reading.SupportItem, Bit(4) | Bit(13) | Bit(15) | Bit(29));
    EXPECT_EQ(m.Reading.ItemVal[4], 4000);
    EXPECT_EQ(m.Reading.ItemVal[13], 2295);
    EXPECT_EQ(m.Reading.ItemVal[15], 120);
    EXPECT_EQ(m.Reading.ItemVal[29], 333);
}

TEST(NutMapping, WaitOrNoStatusIsNotYetConnected) {
    const char* const statuses[] = {"WAIT", "", nullptr};
    for (const char* status : statuses) {
        NutVariables vars{{"battery.charge", "100"}};
        if (status) vars["ups.status"] = status;
        NutMapped m = MapNutVariables(vars);
        EXPECT_TRUE(m.Waiting) << (status ? status : "(none)");
        EXPECT_FALSE(m.Reading.Connected);
        EXPECT_EQ(m.Reading.SupportItem, 0);
    }
}

TEST(NutMapping, AlarmTemperatureBeeperAndTestResult) {
    const struct {
        NutVariables extra;
        const char* status;
        std::int32_t set;   // bits expected among the watched ones
        std::int32_t avail; // bits expected available among the watched ones
    } cases[] = {
        {{}, "OL", 0, 0},
        {{{"ups.temperature", "49.9"}}, "OL", 0, UPS_OVERHEAT},
        {{{"ups.temperature", "50.0"}}, "OL", UPS_OVERHEAT, UPS_OVERHEAT},
        {{{"battery.temperature", "61"}}, "OL", UPS_OVERHEAT, UPS_OVERHEAT},
        {{{"ups.alarm", "UPS Overheat!"}}, "OL ALARM", UPS_OVERHEAT, UPS_OVERHEAT},
        {{{"ups.alarm", "Replace battery!"}}, "OL ALARM", UPS_BATTREPLACE, UPS_OVERHEAT},
        {{{"ups.alarm", "Awaiting power"}}, "OL ALARM", 0, UPS_OVERHEAT},
        {{{"ups.beeper.status", "enabled"}}, "OL", 0, UPS_BEEPER},
        {{{"ups.beeper.status", "enabled"}}, "OB", UPS_BEEPER, UPS_BEEPER},
        {{{"ups.beeper.status", "muted"}}, "OB LB", 0, UPS_BEEPER},
        {{{"ups.beeper.status", "disabled"}}, "OL ALARM", 0, UPS_BEEPER},
        {{{"ups.beeper.status", "enabled"}, {"ups.alarm", "Fan failure"}},
         "OL ALARM",
         UPS_BEEPER,
         UPS_BEEPER | UPS_OVERHEAT},
        {{{"ups.test.result", "In progress"}}, "OL", UPS_TESTING, UPS_TESTFAIL},
        {{{"ups.test.result", "Done and error"}}, "OL", UPS_TESTFAIL, UPS_TESTFAIL},
        {{{"ups.test.result", "Done and passed"}}, "OL", 0, UPS_TESTFAIL},
    };
    const std::int32_t watched =
        UPS_OVERHEAT | UPS_BATTREPLACE | UPS_BEEPER | UPS_TESTING | UPS_TESTFAIL;
    for (const auto& c : cases) {
        NutVariables vars = c.extra;
        vars["ups.status"] = c.status;
        NutMapped m = MapNutVariables(vars);
        std::string shown = std::string(c.status) + " with " + std::to_string(c.extra.size()) +
                            " extra: " + (c.extra.empty() ? "" : c.extra.begin()->second);
        EXPECT_EQ(m.Reading.Status & watched, c.set) << shown;
        EXPECT_EQ(m.Reading.StatusAvail & c.avail, c.avail) << shown;
    }
}

// A scripted upsd: each call takes the next scripted answer.
class ScriptedLink : public NutLink {
  public:
    bool ConnectOk = true;
    Result ListResult = Result::Ok;
    NutVariables Vars{{"ups.status", "OL"}, {"battery.charge", "100"}};
    std::set<std::string> Commands{"test.battery.start.quick", "shutdown.return"};
    Result SetResult = Result::Ok;
    std::vector<std::string> Calls;

    bool Connect(std::string* error) override {
        Calls.push_back("connect");
        if (!ConnectOk) *error = "Connection refused";
        return ConnectOk;
    }
    void Disconnect() override { Calls.push_back("disconnect"); }
    Result ListVariables(NutVariables* out, std::string* error) override {
        Calls.push_back("LIST VAR");
        if (ListResult == Result::Ok) *out = Vars;
        *error = ListResult == Result::Refused ? "DATA-STALE" : "broken";
        return ListResult;
    }
    Result ListCommands(std::set<std::string>* out, std::string*) override {
        Calls.push_back("LIST CMD");
        *out = Commands;
        return Result::Ok;
    }
    Result SetVariable(const std::string& name, const std::string& value,
                       std::string* error) override {
        Calls.push_back("SET " + name + " " + value);
        *error = "READONLY";
        return SetResult;
    }
    Result RunCommand(const std::string& name, std::string*) override {
        Calls.push_back("INSTCMD " + name);
        return Result::Ok;
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(Calls.begin(), Calls.end(), call));
    }
};

TEST(NutSession, RefusedConnectionsBackOffUpToTenSeconds) {
    ScriptedLink link;
    link.ConnectOk = false;
    NutSession session(link, false);
    std::vector<double> attempts;
    for (int t = 0; t <= 60; ++t) {
        int before = link.Count("connect");
        session.Tick(t);
        if (link.Count("connect") > before) attempts.push_back(t);
        EXPECT_FALSE(session.Connected());
    }
    EXPECT_EQ(attempts, (std::vector<double>{0, 1, 3, 7, 15, 25, 35, 45, 55}));
    EXPECT_NE(session.Problem().find("refused"), std::string::npos);
}

TEST(NutSession, RecoveryBringsFreshValuesAtTheFirstAnswer) {
    ScriptedLink link;
    NutSession session(link, false);
    session.Tick(0);
    ASSERT_TRUE(session.Connected());
    EXPECT_EQ(session.Latest().Reading.ItemVal[2], 1000);

    // upsd goes away: lost at once, the connection closed.
    link.ListResult = NutLink::Result::Failed;
    session.Tick(1);
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(link.Calls.back(), "disconnect");
    link.ConnectOk = false;
    for (int t = 2; t < 10; ++t)
        session.Tick(t);
    // Back: the attempt that connects reads the variables in the same second.
    link.ConnectOk = true;
    link.ListResult = NutLink::Result::Ok;
    link.Vars["battery.charge"] = "55";
    link.Calls.clear();
    double t = 10;
    while (!session.Connected() && t < 30)
        session.Tick(++t);
    EXPECT_EQ(link.Calls, (std::vector<std::string>{"connect", "LIST VAR"}));
    EXPECT_EQ(session.Latest().Reading.ItemVal[2], 550);
    EXPECT_TRUE(session.Problem().empty());
    // A successful answer resets the back-off.
    link.ListResult = NutLink::Result::Failed;
    session.Tick(t + 1);
    EXPECT_EQ(session.Backoff(), 1);
}

TEST(NutSession, StaleDataKeepsTheConnectionAndAsksEverySecond) {
    ScriptedLink link;
    NutSession session(link, false);
    session.Tick(0);
    link.ListResult = NutLink::Result::Refused;
    for (int t = 1; t <= 5; ++t) {
        session.Tick(t);
        EXPECT_FALSE(session.Connected());
    }
    EXPECT_EQ(link.Count("connect"), 1);
    EXPECT_EQ(link.Count("LIST VAR"), 6);
    EXPECT_EQ(session.Problem(), "DATA-STALE");
    // The last values stay for the agent to show as lost; ratings stay too.
    EXPECT_EQ(session.Latest().Reading.ItemVal[2], 1000);
    link.ListResult = NutLink::Result::Ok;
    session.Tick(6);
    EXPECT_TRUE(session.Connected());
}

TEST(NutSession, WaitCountsAsNotYetConnected) {
    ScriptedLink link;
    link.Vars = {{"ups.status", "WAIT"}};
    NutSession session(link, false);
    session.Tick(0);
    EXPECT_FALSE(session.Connected());
    EXPECT_NE(session.Problem().find("WAIT"), std::string::npos);
    link.Vars = {{"ups.status", "OL"}};
    session.Tick(1);
    EXPECT_TRUE(session.Connected());
}

TEST(NutSession, InstantCommands) {
    const struct {
        const char* name;
        bool canCommand;
        bool listed;
        NutLink::Result set;
        bool ok;
        std::vector<std::string> calls; // after the first LIST VAR
        const char* noteHas;
    } cases[] = {
        {"quick test",
         true,
         true,
         NutLink::Result::Ok,
         true,
         {"LIST CMD", "INSTCMD test.battery.start.quick"},
         "sent"},
        {"deep test not listed",
         true,
         false,
         NutLink::Result::Ok,
         false,
         {"LIST CMD"},
         "does not offer test.battery.start.deep"},
        {"turn off",
         true,
         true,
         NutLink::Result::Ok,
         true,
         {"LIST CMD", "SET ups.delay.shutdown 60", "INSTCMD shutdown.return"},
         "in 60 s"},
        {"turn off, delay read-only",
         true,
         true,
         NutLink::Result::Refused,
         false,
         {"LIST CMD", "SET ups.delay.shutdown 60"},
         "not sent"},
        {"turn off, not listed",
         true,
         false,
         NutLink::Result::Ok,
         false,
         {"LIST CMD"},
         "does not offer shutdown.return"},
        {"no user", false, true, NutLink::Result::Ok, false, {}, "--nut-user"},
    };
    for (const auto& c : cases) {
        ScriptedLink link;
        if (!c.listed) link.Commands = {"load.off"};
        link.SetResult = c.set;
        NutSession session(link, c.canCommand);
        session.Tick(0);
        link.Calls.clear();
        std::string note;
        bool deep = std::string(c.name).find("deep") != std::string::npos;
        bool ok = std::string(c.name).find("turn off") != std::string::npos
                      ? session.TurnOffAfter(60, &note)
                      : session.StartSelfTest(deep, &note);
        EXPECT_EQ(ok, c.ok) << c.name;
        EXPECT_EQ(link.Calls, c.calls) << c.name;
        EXPECT_NE(note.find(c.noteHas), std::string::npos) << c.name << ": " << note;
    }
}

TEST(NutSession, CommandListIsReadOncePerConnection) {
    ScriptedLink link;
    NutSession session(link, true);
    session.Tick(0);
    std::string note;
    session.StartSelfTest(false, &note);
    session.StartSelfTest(false, &note);
    EXPECT_EQ(link.Count("LIST CMD"), 1);
    link.ListResult = NutLink::Result::Failed;
    session.Tick(1);
    link.ListResult = NutLink::Result::Ok;
    session.Tick(2);
    EXPECT_TRUE(session.StartSelfTest(false, &note)) << note;
    EXPECT_EQ(link.Count("LIST CMD"), 2) << "read again on the new connection";
    // While the server is away nothing is sent.
    link.ListResult = NutLink::Result::Failed;
    session.Tick(3);
    link.Calls.clear();
    EXPECT_FALSE(session.StartSelfTest(false, &note));
    EXPECT_TRUE(link.Calls.empty());
}

// A link whose LIST VAR can be held, as a server that accepted the
// connection and then hangs.
class HeldLink : public ScriptedLink {
  public:
    std::mutex Mutex;
    std::condition_variable Released;
    bool Hold = false;
    Result ListVariables(NutVariables* out, std::string* error) override {
        std::unique_lock lock(Mutex);
        Released.wait(lock, [&] { return !Hold; });
        *out = Vars;
        (void)error;
        return Result::Ok;
    }
    void Release() {
        std::lock_guard lock(Mutex);
        Hold = false;
        Released.notify_all();
    }
};

TEST(NutUps, PollNeverWaitsForAHungServer) {
    auto owned = std::make_unique<HeldLink>();
    HeldLink* link = owned.get();
    link->Hold = true;
    {
        NutUps ups(std::move(owned), NutTarget{"ups", "localhost", 3493}, true);
        // The worker is stuck in LIST VAR: Poll answers anyway, not connected.
        UpsReading r = ups.Poll();
        EXPECT_FALSE(r.Connected);
        link->Release();
        EXPECT_NE(ups.Name().find("ups@localhost:3493"), std::string::npos);
        // Commands go through the worker once it is free again.
        std::string note;
        EXPECT_TRUE(ups.StartSelfTest(false, &note)) << note;
        EXPECT_NE(note.find("test.battery.start.quick"), std::string::npos);
    }
}

TEST(NutUps, FirstPollHasTheFirstAnswer) {
    auto link = std::make_unique<ScriptedLink>();
    link->Vars["input.voltage.nominal"] = "230";
    NutUps ups(std::move(link), NutTarget{"ups", "localhost", 3493}, false);
    UpsReading r = ups.Poll();
    EXPECT_TRUE(r.Connected);
    EXPECT_EQ(r.ItemVal[2], 1000);
    EXPECT_EQ(ups.Ratings().Volt, 2300);
}

TEST(NutOptions, Targets) {
    const struct {
        const char* text;
        bool ok;
        const char* ups;
        const char* host;
        int port;
    } cases[] = {
        {"dummy@localhost", true, "dummy", "localhost", 3493},
        {"dummy@127.0.0.1:34931", true, "dummy", "127.0.0.1", 34931},
        {"ups@[::1]:4000", true, "ups", "::1", 4000},
        {"ups@[::1]", true, "ups", "::1", 3493},
        {"ups", false, "", "", 0},
        {"@host", false, "", "", 0},
        {"ups@", false, "", "", 0},
        {"ups@host:", false, "", "", 0},
        {"ups@host:0", false, "", "", 0},
        {"ups@host:65536", false, "", "", 0},
        {"ups@host:12x", false, "", "", 0},
        {"ups@[::1", false, "", "", 0},
        {"u ps@host", false, "", "", 0},
    };
    for (const auto& c : cases) {
        NutTarget t;
        std::string error;
        EXPECT_EQ(ParseNutTarget(c.text, &t, &error), c.ok) << c.text << ": " << error;
        if (!c.ok) continue;
        EXPECT_EQ(t.Ups, c.ups);
        EXPECT_EQ(t.Host, c.host);
        EXPECT_EQ(t.Port, c.port);
    }
}

TEST(NutOptions, CommandLines) {
    const struct {
        std::vector<const char*> args;
        ParseOutcome outcome;
        const char* message;
    } cases[] = {
        {{"--nut", "ups@host"}, ParseOutcome::Run, ""},
        {{"--nut=ups@host:1", "--nut-user", "mon", "--nut-password-file", "/etc/p"},
         ParseOutcome::Run,
         ""},
        {{"--nut", "ups@host", "--simulate"}, ParseOutcome::BadUsage, "--simulate and --nut"},
        {{"--nut", "host"}, ParseOutcome::BadUsage, "--nut: expected UPS@HOST"},
        {{"--nut"}, ParseOutcome::BadUsage, "--nut needs a value"},
        {{"--nut", "a@b", "--nut-user", "mon\nINSTCMD x", "--nut-password-file", "/p"},
         ParseOutcome::BadUsage,
         "--nut-user: a NUT user name has no blanks"},
        {{"--nut", "a@b", "--nut", "a@c"}, ParseOutcome::BadUsage, "--nut given twice"},
        {{"--nut", "a@b", "--nut-user", "mon"}, ParseOutcome::BadUsage, "--nut-user and"},
        {{"--nut", "a@b", "--nut-password-file", "/p"}, ParseOutcome::BadUsage, "--nut-user and"},
        {{"--simulate", "--nut-user", "mon", "--nut-password-file", "/p"},
         ParseOutcome::BadUsage,
         "--nut-user and --nut-password-file need --nut"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"corvanta-agent"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        AgentCommandLine cl;
        std::string message;
        EXPECT_EQ(ParseAgentCommandLine(static_cast<int>(argv.size()), argv.data(), &cl, &message),
                  c.outcome)
            << c.args[0] << " " << message;
        if (c.outcome == ParseOutcome::BadUsage) {
            EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
        }
    }
}

TEST(NutOptions, PasswordFile) {
    char tmpl[] = "/tmp/corvanta-nutpw-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string dir = tmpl;
    const struct {
        const char* content;
        mode_t mode;
        bool link;
        bool ok;
        const char* result; // the password, or what the error says
    } cases[] = {
        {"s3cret\n", 0600, false, true, "s3cret"},
        {"s3cret\r\nsecond line\n", 0640, false, true, "s3cret"},
        {"no-newline", 0400, false, true, "no-newline"},
        {"with blanks inside", 0600, false, false, "blanks"},
        {"s3cret\n", 0644, false, false, "readable by other users"},
        {"s3cret\n", 0620, false, false, "writable by its group"},
        {"s3cret\n", 0602, false, false, "writable by other users"},
        {"\nlater\n", 0600, false, false, "no password"},
        {"pass\tword\n", 0600, false, false, "control characters"},
        {"s3cret\n", 0600, true, false, "symbolic link"},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string file = dir + "/pw" + std::to_string(n++);
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, c.content, std::strlen(c.content)),
                  static_cast<ssize_t>(std::strlen(c.content)));
        ::close(fd);
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        std::string path = file;
        if (c.link) {
            path = file + ".link";
            ASSERT_EQ(::symlink(file.c_str(), path.c_str()), 0);
        }
        std::string password, error;
        EXPECT_EQ(ReadNutPasswordFile(path, &password, &error), c.ok) << c.content << error;
        if (c.ok) {
            EXPECT_EQ(password, c.result);
        } else {
            EXPECT_NE(error.find(c.result), std::string::npos) << error;
            EXPECT_EQ(error.find("s3cret"), std::string::npos) << "no password in messages";
        }
    }
    std::string missing;
    EXPECT_FALSE(ReadNutPasswordFile(dir + "/none", &missing, &missing));
    EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

// The agent on the bridge: what upsd is asked, in which order, and what the
// log says. Calls come from the bridge's thread, hence the lock.
class OrderLink : public NutLink {
  public:
    explicit OrderLink(std::shared_ptr<std::mutex> m, std::shared_ptr<std::vector<std::string>> e)
        : mutex_(std::move(m)), events_(std::move(e)) {}
    std::set<std::string> Commands{"shutdown.return", "load.off"};
    bool Connect(std::string*) override { return true; }
    void Disconnect() override {}
    Result ListVariables(NutVariables* out, std::string*) override {
        *out = {{"ups.status", "OB DISCHRG"}, {"battery.charge", "80"}};
        return Result::Ok;
    }
    Result ListCommands(std::set<std::string>* out, std::string*) override {
        Note("LIST CMD");
        *out = Commands;
        return Result::Ok;
    }
    Result SetVariable(const std::string& name, const std::string& value, std::string*) override {
        Note("SET " + name + " " + value);
        return Result::Ok;
    }
    Result RunCommand(const std::string& name, std::string*) override {
        Note("INSTCMD " + name);
        return Result::Ok;
    }
    void Note(const std::string& e) {
        std::lock_guard lock(*mutex_);
        events_->push_back(e);
    }

  private:
    std::shared_ptr<std::mutex> mutex_;
    std::shared_ptr<std::vector<std::string>> events_;
};

class NutAgentTest : public agent_test::AgentTest {
  protected:
    // The agent on a NUT UPS that is on battery from the start.
    void StartOnNut(std::vector<std::string> shutdown) {
        auto link = std::make_unique<OrderLink>(mutex_, events_);
        link_ = link.get();
        nut_ = std::make_unique<NutUps>(std::move(link), NutTarget{"ups", "localhost", 3493}, true);
        AgentOptions options;
        options.ShutdownCommand = std::move(shutdown);
        options.Version = "test";
        agent = std::make_unique<Agent>(*nut_, recorder_, options);
        agent->Start();
        agent->Step();
    }
    std::vector<std::string> Events() {
        std::lock_guard lock(*mutex_);
        return *events_;
    }
    void TearDown() override {
        agent.reset();
        nut_.reset();
        agent_test::AgentTest::TearDown();
    }

    // A runner that notes its starts among upsd's calls.
    class Recorder : public CommandRunner {
      public:
        explicit Recorder(NutAgentTest& t) : t_(t) {}
        StartResult Start(const std::vector<std::string>& argv, const RunAs&,
                          std::string*) override {
            t_.link_->Note("run " + argv.back());
            return StartResult::Started;
        }
        std::vector<std::string> Finished() override { return {}; }

      private:
        NutAgentTest& t_;
    };

    std::shared_ptr<std::mutex> mutex_ = std::make_shared<std::mutex>();
    std::shared_ptr<std::vector<std::string>> events_ =
        std::make_shared<std::vector<std::string>>();
    OrderLink* link_ = nullptr;
    Recorder recorder_{*this};
    std::unique_ptr<NutUps> nut_;
};

TEST_F(NutAgentTest, ExpirySetsTheDelayThenTurnsTheUpsOffAfterTheShutdownCommand) {
    WriteSettings([](UPSSts& s) { s.Power_OSDelay = 1; });
    agent_test::WriteFile(Path("halt.sh"), "#!/bin/sh\n", 0755);
    StartOnNut({Path("halt.sh")});
    EXPECT_EQ(agent->DownTime(), 1) << "on battery at the first reading";
    Seconds(1);
    EXPECT_EQ(Events(),
              (std::vector<std::string>{"run " + Path("halt.sh"), "LIST CMD",
                                        "SET ups.delay.shutdown 60", "INSTCMD shutdown.return"}));
    EXPECT_TRUE(LogHas("The UPS turns its output off in 60 s and back on when the mains "
                       "returns (ups.delay.shutdown set, shutdown.return sent)"));
}

TEST_F(NutAgentTest, ScheduledTestTheUpsDoesNotOfferIsLoggedAndSkipped) {
    agent_test::WriteFile(Path(CalendarFileName),
                          agent_test::CalendarText(2026, {{3, 10, 0, ScheduleTest, 14, 1}}));
    WriteSettings([](UPSSts& s) { s.flag_Enable_Power_OSDelay = 0; });
    StartOnNut({});
    Seconds(60);
    EXPECT_EQ(Events(), (std::vector<std::string>{"LIST CMD"}));
    EXPECT_TRUE(LogHas("Scheduled self test at 14:01 failed: the UPS does not offer "
                       "test.battery.start.quick, so it was not sent"));
}

} // namespace
