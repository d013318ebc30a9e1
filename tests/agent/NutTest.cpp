// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The Network UPS Tools bridge: variables to the values record, stale data,
// the instant commands, the password file, and the bridge's own thread.
#include <atomic>
#include <thread>

#include "AgentTestSupport.h"
#include "NutMapping.h"
#include "NutUps.h"

namespace agent_test {
namespace {

constexpr auto Bit = [](int slot) { return std::int32_t{1} << slot; };

// "name=value;name=value" as upsd lists them.
NutVariables Vars(const std::string& text) {
    NutVariables vars;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ';');)
        vars[item.substr(0, item.find('='))] = item.substr(item.find('=') + 1);
    return vars;
}

TEST(NutMapping, FullSetFillsEverySlotItNames) {
    NutMapped m = MapNutVariables(Vars(
        "ups.status=OL CHRG;battery.voltage=27.2;battery.current=1.3;battery.charge=100;"
        "input.frequency=50.0;input.voltage=230.4;input.current=4.1;input.L2-N.voltage=231;"
        "input.L2.current=4.2;input.L3-N.voltage=229;input.L3.current=4.3;output.frequency=49.9;"
        "output.voltage=230.0;output.current=3.1;ups.load=30;output.L2-N.voltage=230.1;"
        "output.L2.current=3.2;output.L2.power.percent=31;output.L3-N.voltage=230.2;"
        "output.L3.current=3.3;output.L3.power.percent=32;input.bypass.frequency=50.1;"
        "input.bypass.voltage=229.9;input.bypass.current=0.1;input.bypass.L2-N.voltage=229.8;"
        "input.bypass.L2.current=0.2;input.bypass.L3-N.voltage=229.7;input.bypass.L3.current=0.3;"
        "ups.temperature=28.5;battery.temperature=31.0;input.voltage.nominal=230;"
        "output.voltage.nominal=220;output.current.nominal=4.3;battery.voltage.nominal=24;"
        "input.frequency.nominal=50;ups.power.nominal=1500;input.transfer.low=170;"
        "input.transfer.high=280.5;battery.runtime=2712.6"));
    ASSERT_FALSE(m.Waiting);
    const short expected[ItemCount] = {272,  13,  1000, 500,  2304, 41,   0,    2310, 42,  0,
                                       2290, 43,  499,  2300, 31,   300,  2301, 32,   310, 2302,
                                       33,   320, 501,  2299, 1,    2298, 2,    2297, 3,   285};
    EXPECT_EQ(std::vector<short>(m.Reading.ItemVal, m.Reading.ItemVal + ItemCount),
              std::vector<short>(expected, expected + ItemCount));
    // NUT has no frequency per input line: slots 6 and 9 stay unsupported.
    EXPECT_EQ(m.Reading.SupportItem, 0x3FFFFFFF & ~Bit(6) & ~Bit(9));
    EXPECT_EQ(m.Ratings, (UpsRatings{2300, 43, 240, 1500, 500}));
    EXPECT_EQ(std::tuple(m.Reading.BattEstimate, m.Reading.TxVoltLo, m.Reading.TxVoltHi),
              std::tuple(2713, 1700, 2805));
    // Runtime in whole seconds, held to what the record's short can carry.
    const std::pair<const char*, short> runtimes[] = {{" 60 ", 60}, {"99999", 32767}, {"0", 0},
                                                      {"-5", 0},    {"n/a", 0},       {"1e3", 0}};
    const std::string onBattery = "ups.status=OB;battery.runtime=";
    for (const auto& [text, seconds] : runtimes)
        EXPECT_EQ(MapNutVariables(Vars(onBattery + text)).Reading.BattEstimate, seconds) << text;
}

TEST(NutMapping, StatusAlarmsBeeperTestsAndPartialSets) {
    // clang-format off
    const std::pair<const char*, std::int32_t> tokens[] = {
        {"OL RB OVER BYPASS CAL", UPS_BATTREPLACE | UPS_OVERLOAD | UPS_BYPASS | UPS_TESTING},
        {"OFF TRIM BOOST", UPS_OUTPUTOFF | UPS_BUCK | UPS_BOOST},
        {"FSD OB LB", UPS_SHUTACT | UPS_ACFAIL | UPS_BATTLOW},
        {"  OB   LB  ", UPS_ACFAIL | UPS_BATTLOW},
        {"OBX LBB OFFLINE ob lb", 0}, // whole tokens only, in capitals
    };
    // clang-format on
    for (const auto& [status, bits] : tokens)
        EXPECT_EQ(NutStatusBits(status), bits) << '"' << status << '"';
    constexpr std::int32_t Waiting = -1, OH = UPS_OVERHEAT, BP = UPS_BEEPER, TF = UPS_TESTFAIL;
    // The variables; the slots supported (Waiting: not yet connected) and
    // some of their values; the status, the status bits that must and must
    // not be available, the ratings.
    // clang-format off
    const std::tuple<const char*, std::int32_t, std::vector<std::pair<int, short>>, std::int32_t,
                     std::int32_t, std::int32_t, UpsRatings> cases[] = {
        {"battery.charge=100", Waiting, {}, 0, 0, 0, {}},
        {"ups.status=OB DISCHRG;battery.charge=87;input.voltage=0.0;ups.mfr=Dummy;"
         "battery.runtime=1200;output.voltage.nominal=120", Bit(2) | Bit(4), {{2, 870}, {4, 0}},
         UPS_ACFAIL, UPS_ACFAIL, OH | BP | TF, {1200, 0, 0}},
        // Second names stand in; what is no number is not reported.
        {"ups.status=OL;input.L1-N.voltage=400;output.voltage=n/a;output.L1-N.voltage=229.5;"
         "output.L1.power.percent=12;battery.temperature=33.3;battery.voltage=",
         Bit(4) | Bit(13) | Bit(15) | Bit(29), {{4, 4000}, {13, 2295}, {15, 120}, {29, 333}}, 0, 0, 0, {}},
        {"ups.status=OL;ups.temperature=49.9", Bit(29), {}, 0, OH, 0, {}},
        {"ups.status=OL;ups.temperature=50.0", Bit(29), {}, OH, OH, 0, {}},
        {"ups.status=OL;input.bypass.L1.current=0.4", Bit(24), {{24, 4}}, 0, 0, 0, {}},
        {"ups.status=OL ALARM;ups.alarm=Replace battery!", 0, {}, UPS_BATTREPLACE, OH, 0, {}},
        {"ups.status=OL;ups.beeper.status=enabled", 0, {}, 0, BP, 0, {}},
        {"ups.status=OB;ups.beeper.status=enabled", 0, {}, UPS_ACFAIL | BP, BP, 0, {}},
        {"ups.status=OB LB;ups.beeper.status=muted", 0, {}, UPS_ACFAIL | UPS_BATTLOW, BP, 0, {}},
        {"ups.status=OL ALARM;ups.beeper.status=enabled;ups.alarm=Fan failure", 0, {},
         BP | UPS_FAN, BP | OH, 0, {}},
        {"ups.status=OL;ups.test.result=In progress", 0, {}, UPS_TESTING, TF, 0, {}},
        {"ups.status=OL;ups.test.result=Done and error", 0, {}, TF, TF, 0, {}}};
    // clang-format on
    for (const auto& [vars, support, values, status, avail, notAvail, ratings] : cases) {
        SCOPED_TRACE(vars);
        NutMapped m = MapNutVariables(Vars(vars));
        EXPECT_EQ(m.Waiting, support == Waiting);
        EXPECT_EQ(m.Reading.Connected, support != Waiting);
        EXPECT_EQ(m.Reading.SupportItem, support == Waiting ? 0 : support);
        for (auto [slot, value] : values)
            EXPECT_EQ(m.Reading.ItemVal[slot], value) << "slot " << slot;
        EXPECT_EQ(m.Reading.Status, status);
        EXPECT_EQ(m.Reading.StatusAvail & (avail | notAvail), avail);
        EXPECT_EQ(m.Ratings, ratings);
    }
}

// A scripted upsd that notes every call but the polling ones.
class ScriptedLink : public NutLink {
  public:
    Result ListResult = Result::Ok;
    NutVariables Vars{{"ups.status", "OL"}, {"battery.charge", "100"}};
    std::set<std::string> Commands{"test.battery.start.quick", "shutdown.return"};
    Result SetResult = Result::Ok;
    int Connects = 0, Lists = 0;
    // LIST VAR hangs while Held, as on a server that took the connection and
    // then stopped answering.
    std::atomic<bool> Held = false;

    bool Connect(std::string*) override { return ++Connects, true; }
    void Disconnect() override { calls_.push_back("disconnect"); }
    Result ListVariables(NutVariables* out, std::string* error) override {
        while (Held)
            std::this_thread::yield();
        ++Lists;
        if (ListResult == Result::Ok) *out = Vars;
        *error = ListResult == Result::Refused ? "DATA-STALE" : "broken";
        return ListResult;
    }
    Result ListCommands(std::set<std::string>* out, std::string*) override {
        return *out = Commands, calls_.push_back("LIST CMD"), Result::Ok;
    }
    Result SetVariable(const std::string& name, const std::string& value,
                       std::string* error) override {
        return *error = "READONLY", calls_.push_back("SET " + name + " " + value), SetResult;
    }
    Result RunCommand(const std::string& name, std::string*) override {
        return calls_.push_back("INSTCMD " + name), Result::Ok;
    }
    Result LoginResult = Result::Ok;
    int Gets = 0, Logins = 1;
    Result GetStatus(std::string* status, std::string*) override {
        return ++Gets, *status = Vars["ups.status"], Result::Ok;
    }
    Result Login(bool primary, std::string* error) override {
        calls_.push_back(primary ? "LOGIN PRIMARY" : "LOGIN");
        return *error = "ACCESS-DENIED", LoginResult;
    }
    Result CountLogins(int* count, std::string*) override { return *count = Logins, Result::Ok; }
    Result ListClients(std::vector<std::string>* out, std::string*) override {
        return *out = {"10.0.0.2"}, calls_.push_back("LIST CLIENT"), Result::Ok;
    }
    Result ForceShutdown(std::string*) override { return calls_.push_back("FSD"), Result::Ok; }
    // The calls noted since the last time.
    std::vector<std::string> Calls() { return std::exchange(calls_, {}); }

  private:
    std::vector<std::string> calls_;
};

// Losing upsd, the back-off and the driver's WAIT are seen end to end; here
// a server that answers without data, and what an answer does to the back-off.
TEST(NutSession, StaleDataKeepsTheConnectionAndTheLastValues) {
    ScriptedLink link;
    NutSession session(link, false);
    session.Tick(0);
    ASSERT_TRUE(session.Connected());
    link.ListResult = NutLink::Result::Refused;
    link.Vars["battery.charge"] = "55";
    for (int t = 1; t <= 4; ++t)
        session.Tick(t);
    // Asked every second; the last values kept.
    EXPECT_EQ(std::tuple(session.Connected(), link.Connects, link.Lists, session.Problem(),
                         session.Latest().Reading.ItemVal[2]),
              std::tuple(false, 1, 5, "DATA-STALE", 1000));
    link.ListResult = NutLink::Result::Ok;
    session.Tick(5);
    EXPECT_EQ(session.Latest().Reading.ItemVal[2], 550);
    // Gone: the connection is closed at once and the back-off starts afresh.
    link.ListResult = NutLink::Result::Failed;
    session.Tick(6);
    EXPECT_EQ(link.Calls(), std::vector<std::string>{"disconnect"});
    EXPECT_EQ(session.Backoff(), 1);
}

TEST(NutSession, InstantCommands) {
    using R = NutLink::Result;
    using Calls = std::vector<std::string>;
    // The command; whether the agent may command, whether upsd lists it, what
    // a SET gets; whether it went, the calls made, a part of the note.
    // clang-format off
    const std::tuple<std::string, bool, bool, R, bool, Calls, const char*> cases[] = {
        {"quick test", true, true, R::Ok, true, {"LIST CMD", "INSTCMD test.battery.start.quick"}, "sent"},
        {"deep test", true, false, R::Ok, false, {"LIST CMD"}, "does not offer test.battery.start.deep"},
        {"turn off", true, true, R::Ok, true,
         {"LIST CMD", "SET ups.delay.shutdown 60", "INSTCMD shutdown.return"}, "in 60 s"},
        {"turn off", true, true, R::Refused, false, {"LIST CMD", "SET ups.delay.shutdown 60"}, "not sent"},
        {"quick test", false, true, R::Ok, false, {}, "--nut-user"}};
    // clang-format on
    for (const auto& [name, canCommand, listed, set, ok, calls, noteHas] : cases) {
        SCOPED_TRACE(noteHas);
        ScriptedLink link;
        if (!listed) link.Commands = {"load.off"};
        link.SetResult = set;
        NutSession session(link, canCommand);
        session.Tick(0);
        std::string note;
        EXPECT_EQ(name == "turn off" ? session.TurnOffAfter(60, &note)
                                     : session.StartSelfTest(name == "deep test", &note),
                  ok);
        EXPECT_EQ(link.Calls(), calls);
        EXPECT_NE(note.find(noteHas), std::string::npos) << note;
    }
}

// The status four times a second, everything once a second; the login at
// each connection; the primary's order and the others it waits for.
TEST(NutSession, RolesLoginsAndTheForcedShutdown) {
    using R = NutLink::Result;
    using Calls = std::vector<std::string>;
    const struct {
        NutRole role;
        R login;
        Calls calls; // over two seconds, the order given after the first
        int others;  // then
        const char* problem;
    } cases[] = {
        {NutRole::Observer, R::Ok, {}, 2, ""},
        {NutRole::Secondary, R::Ok, {"LOGIN"}, 1, ""},
        {NutRole::Secondary, R::Refused, {"LOGIN"}, 2, "login refused by the UPS server"},
        {NutRole::Primary,
         R::Ok,
         {"LOGIN PRIMARY", "FSD", "LIST CLIENT", "LIST CLIENT", "LIST CLIENT", "LIST CLIENT"},
         1,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calls.size());
        ScriptedLink link;
        link.LoginResult = c.login;
        link.Logins = 2;
        NutSession session(link, true, c.role);
        for (int quarter = 0; quarter < 8; ++quarter) {
            if (quarter == 4) session.OrderOthersDown();
            if (quarter == 5) link.Vars["ups.status"] = "OB";
            session.Tick(quarter / 4.0);
        }
        // Only the status was asked for since the last full list: it shows.
        EXPECT_EQ(std::tuple(link.Lists, link.Gets, session.Latest().Reading.Status),
                  std::tuple(2, 6, UPS_ACFAIL));
        EXPECT_EQ(link.Calls(), c.calls);
        UpsSharing share;
        session.Share(&share);
        EXPECT_EQ(std::tuple(share.State.Others, share.State.Problem, share.Ordered),
                  std::tuple(c.others, c.problem, c.role == NutRole::Primary));
        EXPECT_EQ(share.Clients.size(), c.role == NutRole::Primary ? 1u : 0u);
        // Reconnected, it logs in again.
        link.ListResult = R::Failed;
        session.Tick(2);
        link.ListResult = R::Ok;
        session.Tick(4);
        const Calls again = link.Calls();
        EXPECT_EQ(again.size() > 1 ? again[1] : "", c.calls.empty() ? "" : c.calls[0]);
    }
}

TEST(NutUps, PollNeverWaitsForAHungServer) {
    auto owned = std::make_unique<ScriptedLink>();
    ScriptedLink* held = owned.get();
    held->Held = true;
    NutUps ups(std::move(owned), NutTarget{"ups", "localhost", 3493}, true);
    EXPECT_EQ(ups.Poll().Problem, "no answer from upsd yet") << "the worker is stuck in LIST VAR";
    held->Held = false;
    // A server that answers is worth waiting for at the first reading: the
    // agent's first second then never logs a lost UPS.
    NutUps answering(std::make_unique<ScriptedLink>(), NutTarget{"ups", "localhost", 3493}, false);
    EXPECT_TRUE(answering.Poll().Connected);
    auto stale = std::make_unique<ScriptedLink>();
    stale->ListResult = NutLink::Result::Refused;
    NutUps refusing(std::move(stale), NutTarget{"ups", "localhost", 3493}, false);
    EXPECT_EQ(refusing.Poll().Problem, "the UPS server has no fresh data from UPS 'ups'");
}

TEST_F(AgentTest, NutPasswordFile) {
    // The content, the mode (0: a link to the first), the password or, with
    // a leading blank, what the error says.
    // clang-format off
    const std::tuple<const char*, int, const char*> cases[] = {
        {"s3cret\r\nsecond line\n", 0640, "s3cret"}, {"with blanks inside", 0600, " blanks"},
        {"s3cret\n", 0644, " readable by other users"}, {"\nlater\n", 0600, " no password"},
        {"s3cret\n", 0620, " writable by its group"}, {"s3cret\n", 0, " symbolic link"},
        {"pass\tword\n", 0600, " control characters"}};
    // clang-format on
    int n = 0;
    for (const auto& [content, mode, result] : cases) {
        const std::string file = Path("pw" + std::to_string(n++));
        SCOPED_TRACE(file);
        if (mode) WriteFile(file, content, mode);
        EXPECT_TRUE(mode || ::symlink(Path("pw0").c_str(), file.c_str()) == 0);
        const bool ok = result[0] != ' ';
        std::string password, error;
        EXPECT_EQ(ReadNutPasswordFile(file, &password, &error), ok) << error;
        EXPECT_EQ(password, ok ? result : "");
        EXPECT_NE(error.find(ok ? "" : result), std::string::npos) << error;
        EXPECT_EQ(error.find("s3cret"), std::string::npos) << "no password in messages";
    }
}

} // namespace
} // namespace agent_test
