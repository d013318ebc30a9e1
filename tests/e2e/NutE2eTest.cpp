// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent in bridge mode on a private Network UPS Tools server (upsd with
// the dummy-ups driver on 127.0.0.1), with the real monitor: what the
// monitor shows as the dummy UPS goes on battery, runs low, comes back, and
// as upsd goes away and returns; and the agent as primary or secondary among
// NUT's own upsmon and other agents.
#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "E2eSupport.h"
#include "NutState.h"

namespace e2e {
namespace {

using corvanta_test::FileExists;

const char *const Upsd = "/lib/nut/upsd", *const DummyUps = "/lib/nut/dummy-ups",
                  *const Upsmon = "/lib/nut/upsmon";

// The agent answers a change of the UPS within about a second; the tests
// allow more so that a loaded machine does not fail them.
const std::chrono::seconds Prompt(5);

// A TCP port on 127.0.0.1 that nobody listens on right now; with listener,
// one that *listener listens on and never answers (the kernel accepts).
int FreePort(int* listener = nullptr) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{
        .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    socklen_t len = sizeof a;
    int port = -1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0 &&
        (!listener || ::listen(s, 8) == 0))
        port = ntohs(a.sin_port);
    listener ? void(*listener = s) : void(::close(s));
    return port;
}

// A plain connection to upsd (-1: none); an answer then takes two seconds
// at most.
int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a{.sin_family = AF_INET,
                        .sin_port = htons(static_cast<uint16_t>(port)),
                        .sin_addr = {htonl(INADDR_LOOPBACK)},
                        .sin_zero = {}};
    const timeval limit{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return fd;
    ::close(fd);
    return -1;
}

// Sends a request line and returns its answer's line; "" when none came.
std::string Ask(int fd, std::string line) {
    std::string answer;
    line += "\n";
    if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) < 0) return answer;
    for (char c = 0; ::recv(fd, &c, 1, 0) == 1 && c != '\n';)
        answer += c;
    return answer;
}

// The time a shutdown script wrote (date +%s.%N), once it is there; 0 if not.
double Stamp(const std::string& path) {
    std::string text;
    WaitFor([&] { return (text = ReadFile(path)).ends_with("\n"); }, seconds(10));
    return std::atof(text.c_str());
}

class NutE2e : public E2eTest {
  protected:
    void SetUp() override {
        E2eTest::SetUp();
        if (IsSkipped()) return;
        if (::access(Upsd, X_OK) != 0 || ::access(DummyUps, X_OK) != 0 ||
            ::access(Upsmon, X_OK) != 0)
            GTEST_SKIP() << "Network UPS Tools is not installed (" << Upsd << ")";
        // The daemons drop to user nut when started as root: their folder
        // sits outside the test's private one, root:nut 0770, files 0640.
        char tmpl[] = "/tmp/corvanta-nut-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        nutDir_ = tmpl;
        const group* nut = ::geteuid() == 0 ? ::getgrnam("nut") : nullptr;
        ASSERT_GT(port_ = FreePort(), 0);
        const std::pair<std::string, std::string> files[] = {
            {"", ""},
            {"ups.conf", "[dummy]\n driver = dummy-ups\n port = dummy.dev\n pollinterval = 1\n"},
            {"upsd.conf", "LISTEN 127.0.0.1 " + std::to_string(port_) + "\n"},
            {"upsd.users", "[admin]\n password = e2e-only\n actions = SET\n instcmds = ALL\n"
                           " upsmon primary\n"},
            {"dummy.dev", "ups.status: OL\nbattery.charge: 100\nbattery.voltage: 27.2\n"
                          "battery.voltage.nominal: 24\ninput.voltage: 230.4\n"
                          "input.voltage.nominal: 230\ninput.frequency: 50.0\n"
                          "output.voltage: 230.0\noutput.current.nominal: 4.3\nups.load: 30\n"
                          "ups.temperature: 28.5\nups.delay.shutdown: 20\n"}};
        for (const auto& [name, text] : files) {
            const std::string path = nutDir_ + "/" + name;
            if (!name.empty()) std::ofstream(path) << text;
            if (!nut) continue;
            ASSERT_EQ(::chown(path.c_str(), 0, nut->gr_gid), 0);
            ASSERT_EQ(::chmod(path.c_str(), name.empty() ? 0770 : 0640), 0);
        }
        // The agent's password file: its own, readable by root only.
        std::ofstream(Path("nut.pw")) << "e2e-only\n";
        ASSERT_EQ(::chmod(Path("nut.pw").c_str(), 0600), 0);
    }

    void TearDown() override {
        Terminate(upsmon_), Terminate(other_);
        StopNut();
        if (HasFailure() && !monDir_.empty()) std::cerr << ReadFile(Path("upsmon.out"));
        E2eTest::TearDown();
        for (const std::string& dir : {nutDir_, monDir_})
            if (!dir.empty() && !HasFailure()) corvanta_test::RemoveTree(dir);
    }

    std::map<std::string, std::string> NutEnv(const std::string& dir) const {
        return {{"NUT_CONFPATH", dir}, {"NUT_STATEPATH", dir}, {"NUT_ALTPIDPATH", dir}};
    }
    // The driver first, so that upsd finds its socket; upsd alone restarts
    // it on the driver that runs.
    void StartNut(bool driver = true) {
        const std::string run = std::to_string(++runs_), socket = nutDir_ + "/dummy-ups-dummy";
        if (driver)
            driver_ = Spawn({DummyUps, "-a", "dummy", "-F"}, Path("dummy-ups" + run + ".out"),
                            NutEnv(nutDir_));
        ASSERT_TRUE(WaitFor([&] { return Alive(driver_) && FileExists(socket); }, seconds(5)))
            << ReadFile(driver_.Output);
        upsd_ = Spawn({Upsd, "-F"}, Path("upsd" + run + ".out"), NutEnv(nutDir_));
        ASSERT_GT(upsd_.Pid, 0);
    }

    // NUT's own upsmon on the dummy UPS, as primary or secondary, with one
    // process (-p) that runs its shutdown command itself and exits after it,
    // logging out. Its folder is its own; as root it runs as nobody, who can
    // neither read nor write the system's upsmon.pid. Its shutdown command
    // writes the time to monDir_/halted; a silent wall first in its PATH
    // keeps its broadcasts off the terminals.
    void StartUpsmon(const std::string& role, int hostsync) {
        char tmpl[] = "/tmp/corvanta-upsmon-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        monDir_ = tmpl;
        const std::string conf =
            "MONITOR " + Target() + " 1 admin e2e-only " + role + "\nMINSUPPLIES 1\nSHUTDOWNCMD " +
            monDir_ + "/halt\nPOWERDOWNFLAG " + monDir_ + "/powerdown\nHOSTSYNC " +
            std::to_string(hostsync) + "\nFINALDELAY 0\nPOLLFREQ 1\nPOLLFREQALERT 1\nDEADTIME 3\n";
        const std::pair<std::string, std::string> files[] = {
            {"", ""},
            {"halt", "#!/bin/sh\n/bin/date +%s.%N > " + monDir_ + "/halted\n"},
            {"wall", "#!/bin/sh\ncat > /dev/null\n"},
            {"upsmon.conf", conf}};
        const bool root = ::geteuid() == 0;
        for (const auto& [name, text] : files) {
            const std::string path = monDir_ + "/" + name;
            if (!name.empty()) std::ofstream(path) << text;
            ASSERT_EQ(::chmod(path.c_str(), name == "upsmon.conf" ? 0600 : 0700), 0);
            ASSERT_TRUE(!root || ::chown(path.c_str(), 65534, 65534) == 0);
        }
        std::vector<std::string> argv{Upsmon, "-F", "-p", "-D"};
        if (root)
            argv.insert(argv.begin(),
                        {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        std::map<std::string, std::string> env = NutEnv(monDir_);
        env["PATH"] = monDir_ + ":/usr/bin:/bin";
        upsmon_ = Spawn(argv, Path("upsmon.out"), env);
        ASSERT_GT(upsmon_.Pid, 0);
    }

    // The agent on the folder and the dummy UPS (or target), logged in with
    // the password file (none: not at all), with the extra arguments.
    Child NutAgent(const std::string& folder, std::vector<std::string> extra,
                   const std::string& password = "nut.pw", std::string target = "") {
        if (!password.empty())
            extra.insert(extra.begin(),
                         {"--nut-user", "admin", "--nut-password-file", Path(password)});
        extra.insert(extra.begin(), {AgentBinary, "--folder", folder, "--nut",
                                     target.empty() ? Target() : target});
        return Spawn(extra, folder + "/agent.out");
    }
    // upsd's count of clients logged in to the dummy UPS; -1: no answer.
    int Logins() const {
        const int fd = Connect(port_);
        const std::string a = Ask(fd, "GET NUMLOGINS dummy");
        ::close(fd);
        return a.starts_with("NUMLOGINS dummy ") ? std::atoi(a.c_str() + 16) : -1;
    }
    NutState State(const std::string& folder) const {
        NutState state;
        ParseNutState(ReadFile(folder + "/" + NutStateFileName), &state);
        return state;
    }
    // Waits until the texts stand in the folder's log in this order.
    bool Logged(const std::vector<std::string>& texts, std::string folder = "") const {
        return WaitFor(
            [&] {
                const std::string log =
                    ReadFile((folder.empty() ? Folder() : folder) + "/" + LogFileName);
                std::size_t at = 0;
                for (const std::string& t : texts)
                    if ((at = log.find(t, at)) == std::string::npos) return false;
                return true;
            },
            Prompt);
    }

    void StopNut() { Terminate(upsd_), Terminate(driver_); }
    // The dummy UPS as upsd offers it.
    std::string Target() const { return "dummy@127.0.0.1:" + std::to_string(port_); }

    // Changes the dummy UPS's status through upsd.
    void SetStatus(const std::string& status) {
        Child upsrw = Spawn(
            {"upsrw", "-s", "ups.status=" + status, "-u", "admin", "-p", "e2e-only", Target()},
            Path("upsrw.out"));
        ASSERT_EQ(WaitExit(upsrw, seconds(5)), 0) << ReadFile(Path("upsrw.out"));
    }

    int LogCount(const std::string& text) const {
        std::string log = ReadFile(Path(LogFileName));
        int n = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }

    std::string nutDir_, monDir_;
    int port_ = -1, runs_ = 0;
    Child driver_, upsd_, upsmon_, other_;
};

bool Live(const UPSVal& v) {
    return v.flag_OpenUPS == 1 && !(v.StatusFlag.AllSts & UPS_COMMERR);
}

TEST_F(NutE2e, MonitorFollowsTheDummyUpsAndUpsdRestarts) {
    ASSERT_NO_FATAL_FAILURE(StartNut());
    // The agent runs as a service would: by name and port, with a user for
    // the instant commands whose password comes from a file.
    agent_ = NutAgent(Folder(), {});
    // dummy-ups answers WAIT for its first seconds.
    ASSERT_TRUE(WaitForValues(Live, seconds(20))) << ReadFile(Path("agent.out"));
    UPSVal v = Values();
    EXPECT_EQ(std::tuple(v.ItemVal[2], v.ItemVal[4], v.ItemVal[29]), std::tuple(1000, 2304, 285));
    EXPECT_TRUE(
        WaitFor([&] { return ReadFile(Path(RatingFileName)) == "2300\n43\n240\n"; }, seconds(3)));

    // Mains, battery, low battery, mains back: within a few seconds the agent
    // reports each, and the monitor shows it with the countdown it implies.
    // The status set through upsd (none for the first), the values that show
    // it reached; the names of communication, power source and battery; the
    // countdown's colour (0: no countdown); a line logged once by this step.
    using Reached = std::function<bool(const UPSVal&)>;
    // clang-format off
    const std::tuple<const char*, Reached, const char*, QRgb, const char*> steps[] = {
        {nullptr, Idle, "good good good ", 0, nullptr},
        {"OB DISCHRG",
         [](const UPSVal& u) { return (u.StatusFlag.AllSts & UPS_ACFAIL) && Counting(u); },
         "good caution good ", Plain, "Shutdown countdown started: 180 s (power failure)"},
        {"OB LB",
         [](const UPSVal& u) { return (u.StatusFlag.AllSts & UPS_BATTLOW) && u.DownTime <= 30; },
         "good caution alarm ", Alarm, "Shutdown countdown shortened to 30 s (battery low)"},
        {"OL", Idle, "good good good ", 0, "Shutdown countdown ended: power restored"}};
    // clang-format on
    int n = 0;
    for (const auto& [status, reached, names, digits, logged] : steps) {
        SCOPED_TRACE(names);
        const std::string png = "step" + std::to_string(n++) + ".png";
        // The first, on mains, is the monitor's first frame: already true.
        Child& m = StartMonitor(png, status ? 5 : 0);
        std::this_thread::sleep_for(seconds(1));
        if (status) SetStatus(status);
        EXPECT_TRUE(WaitForValues(reached, Prompt));
        QImage image = Snapshot(m, png);
        EXPECT_EQ(StatusNames(image), names);
        EXPECT_TRUE(status || CountColour(image, Gauge, GaugeGreen) > 100) << "a full gauge";
        const int plain = CountColour(image, CountdownBox, Plain),
                  alarm = CountColour(image, CountdownBox, Alarm);
        EXPECT_TRUE(digits ? (digits == Plain ? plain : alarm) > 40 : plain + alarm == 0);
        EXPECT_EQ(logged ? LogCount(logged) : 1, 1);
    }

    // upsd and its driver stop: Disconnect at once; both come back and the
    // same agent and monitor recover.
    const std::string lost = "Communication with the UPS lost",
                      restored = "Communication with the UPS restored";
    const int lostBefore = LogCount(lost), restoredBefore = LogCount(restored);
    Child& during = StartMonitor("down.png", 7);
    Child& after = StartMonitor("recovered.png", 35);
    std::this_thread::sleep_for(seconds(2));
    StopNut();
    EXPECT_TRUE(WaitForValues([](const UPSVal& u) { return !Live(u); }, Prompt));
    // Disconnect, Unknown, Unknown.
    EXPECT_EQ(StatusNames(Snapshot(during, "down.png")), "alarm alarm alarm ");
    EXPECT_GE(LogCount(lost), lostBefore + 1);

    ASSERT_NO_FATAL_FAILURE(StartNut());
    // Back-off of at most 10 s, then the driver's WAIT of about 3 s.
    EXPECT_TRUE(WaitForValues(Live, seconds(25))) << ReadFile(Path("agent.out"));
    EXPECT_TRUE(Alive(agent_)) << "the same agent";
    EXPECT_TRUE(Alive(after)) << "the same monitor";
    EXPECT_EQ(StatusNames(Snapshot(after, "recovered.png")), "good good good ");
    // One more line for each new reason (broken, refused, no driver,
    // WAIT), never one a second.
    EXPECT_LE(LogCount(lost), lostBefore + 6);
    EXPECT_EQ(LogCount(restored), restoredBefore + 1);

    // The password reached upsd from the file and appears nowhere else.
    EXPECT_EQ((ReadFile(Path(LogFileName)) + ReadFile(Path("agent.out"))).find("e2e-only"),
              std::string::npos);
    EXPECT_EQ(Terminate(agent_), 0);
}

// The agent among NUT's own clients: the roles at the server, their order of
// shutting down, logging in again, and what the server refuses.
class NutRoles : public NutE2e {};

// Secondary to NUT's upsmon: the primary's forced shutdown brings this
// computer down first, and upsmon goes on once the agent has ended (logging
// out as the computer's shutdown would end it), not after its host sync time.
TEST_F(NutRoles, SecondaryGoesDownBeforeUpsmonPrimary) {
    std::string whyNot;
    const std::string halt = HaltScript(&whyNot);
    if (halt.empty()) GTEST_SKIP() << whyNot;
    ASSERT_NO_FATAL_FAILURE(StartNut());
    ASSERT_NO_FATAL_FAILURE(StartUpsmon("primary", 30));
    agent_ = NutAgent(Folder(), {"--shutdown-command", halt + " now"});
    ASSERT_TRUE(WaitForValues(Live, seconds(20)));
    ASSERT_TRUE(WaitFor([&] { return Logins() == 2; }, Prompt));
    SetStatus("OB LB");
    const double ours = Stamp(Path("halted.at"));
    EXPECT_TRUE(State(Folder()).Forced);
    EXPECT_TRUE(Logged({"Logged in to UPS dummy as secondary",
                        "Forced shutdown ordered by the UPS's primary",
                        "Shutting down: " + halt + " now"}));
    EXPECT_EQ(Terminate(agent_), 0);
    const double its = Stamp(monDir_ + "/halted");
    EXPECT_GT(ours, 0);
    EXPECT_LT(ours, its);
    EXPECT_LT(its - ours, 10) << "long before upsmon's host sync time of 30 s";
    EXPECT_EQ(ReadFile(Path("upsmon.out")).find("Host sync timer expired"), std::string::npos);
}

// Primary over NUT's upsmon: the expired countdown sets the forced shutdown,
// upsmon goes down, and only then this computer. A secondary that never logs
// out holds the agent its host sync time and no longer.
TEST_F(NutRoles, PrimaryWaitsForSecondariesToLogOut) {
    std::string whyNot;
    const std::string halt = HaltScript(&whyNot);
    if (halt.empty()) GTEST_SKIP() << whyNot;
    DefaultUPSSts(&PtUPSSts);
    PtUPSSts.Battery_OSDelay = 2;
    WriteFile(Path(SettingsFileName), FormatUPSSts(PtUPSSts));
    ASSERT_NO_FATAL_FAILURE(StartNut());
    ASSERT_NO_FATAL_FAILURE(StartUpsmon("secondary", 30));
    agent_ = NutAgent(Folder(), {"--nut-role", "primary", "--shutdown-command", halt + " now"});
    ASSERT_TRUE(WaitForValues(Live, seconds(20)));
    ASSERT_TRUE(WaitFor([&] { return Logins() == 2; }, Prompt));
    SetStatus("OB LB");
    const double its = Stamp(monDir_ + "/halted"), ours = Stamp(Path("halted.at"));
    EXPECT_GT(its, 0);
    EXPECT_LT(its, ours);
    // The dummy UPS offers no shutdown.return to turn its output off.
    EXPECT_TRUE(
        Logged({"Logged in to UPS dummy as primary", "Shutdown countdown expired (battery low)",
                "Forced shutdown set at the UPS server: waiting up to 15 s for 1 other computer",
                "All other computers logged out after ", "Shutting down: " + halt,
                "The UPS does not offer shutdown.return"}));

    ASSERT_EQ(Terminate(agent_), 0);
    StopNut(); // and with it the forced shutdown
    ::unlink(Path("halted.at").c_str());
    ASSERT_NO_FATAL_FAILURE(StartNut());
    agent_ = NutAgent(Folder(), {"--nut-role", "primary", "--nut-hostsync", "3",
                                 "--shutdown-command", halt + " now"});
    ASSERT_TRUE(WaitForValues(Live, seconds(20)));
    const int stuck = Connect(port_);
    for (const char* request : {"USERNAME admin", "PASSWORD e2e-only", "LOGIN dummy"})
        EXPECT_EQ(Ask(stuck, request), "OK") << request;
    SetStatus("OB LB");
    ASSERT_TRUE(WaitFor([&] { return LogCount("Forced shutdown set") == 2; }, seconds(10)));
    const double forced =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(Stamp(Path("halted.at")) - forced, 3, 1);
    EXPECT_TRUE(Logged(
        {"Host sync time of 3 s over: still logged in: 127.0.0.1", "Shutting down: " + halt}));
    ::close(stuck);
}

// A primary and a secondary agent on one UPS both log in again when upsd
// restarts.
TEST_F(NutRoles, BothRolesLogInAgainAfterUpsdRestarts) {
    ASSERT_NO_FATAL_FAILURE(StartNut());
    ASSERT_EQ(::mkdir(Path("second").c_str(), 0755), 0);
    agent_ = NutAgent(Folder(), {"--nut-role", "primary"});
    other_ = NutAgent(Path("second"), {});
    ASSERT_TRUE(WaitForValues(Live, seconds(20)));
    EXPECT_TRUE(Logged({"Logged in to UPS dummy as primary"}) &&
                Logged({"Logged in to UPS dummy as secondary"}, Path("second")));
    Terminate(upsd_);
    ASSERT_TRUE(WaitForValues([](const UPSVal& u) { return !Live(u); }, Prompt));
    ASSERT_NO_FATAL_FAILURE(StartNut(false));
    ASSERT_TRUE(WaitFor([&] { return Logins() >= 0; }, Prompt));
    EXPECT_TRUE(WaitFor([&] { return Logins() == 2; }, seconds(5)));
    const NutState primary{NutRole::Primary, 1, false, ""},
        secondary{NutRole::Secondary, 1, false, ""};
    EXPECT_TRUE(WaitFor([&] { return State(Folder()) == primary; }, Prompt));
    EXPECT_TRUE(WaitFor([&] { return State(Path("second")) == secondary; }, Prompt));
}

// What the server refuses reaches the monitor's file, and the log.
TEST_F(NutRoles, ServerProblemsReachTheStateFile) {
    ASSERT_NO_FATAL_FAILURE(StartNut());
    std::ofstream(Path("bad.pw")) << "not-the-password\n";
    ASSERT_EQ(::chmod(Path("bad.pw").c_str(), 0600), 0);
    int silent = -1;
    const std::string refused = "127.0.0.1:" + std::to_string(FreePort()),
                      mute = "127.0.0.1:" + std::to_string(FreePort(&silent)),
                      lost = "Communication with the UPS lost: ";
    // The password file, the UPS, the problem written, the line logged.
    const std::tuple<std::string, std::string, std::string, std::string> rows[] = {
        {"", Target(), "",
         "Not logged in to " + Target() + ": a primary will not wait for this computer"},
        {"bad.pw", Target(), "login refused by the UPS server", ""},
        {"nut.pw", "nosuch@127.0.0.1:" + std::to_string(port_),
         "the UPS server does not know UPS 'nosuch'", lost},
        {"nut.pw", "dummy@" + refused, "the UPS server at " + refused + " refuses connections",
         lost},
        {"nut.pw", "dummy@" + mute, "the UPS server at " + mute + " does not answer", lost}};
    for (const auto& [password, target, problem, line] : rows) {
        SCOPED_TRACE(target + " " + password);
        ::unlink(Path(NutStateFileName).c_str());
        agent_ = NutAgent(Folder(), {}, password, target);
        EXPECT_TRUE(WaitFor(
            [&] {
                return ReadFile(Path(NutStateFileName)).ends_with("\nproblem=" + problem + "\n");
            },
            seconds(10)))
            << ReadFile(Path(NutStateFileName));
        EXPECT_TRUE(Logged({line == lost ? lost + problem : line}));
        EXPECT_EQ(Terminate(agent_), 0);
    }
    ::close(silent);
}

} // namespace
} // namespace e2e
