// The agent in bridge mode on a private Network UPS Tools server (upsd with
// the dummy-ups driver on 127.0.0.1), with the real monitor: what the
// monitor shows as the dummy UPS goes on battery, runs low, comes back, and
// as upsd goes away and returns.
#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "E2eSupport.h"

namespace e2e {
namespace {

using corvanta_test::FileExists;

const char *const Upsd = "/lib/nut/upsd", *const DummyUps = "/lib/nut/dummy-ups";

// The agent answers a change of the UPS within about a second; the tests
// allow more so that a loaded machine does not fail them.
const std::chrono::seconds Prompt(5);

// A TCP port on 127.0.0.1 that nobody listens on right now.
int FreePort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET, a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = -1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

class NutE2e : public E2eTest {
  protected:
    void SetUp() override {
        E2eTest::SetUp();
        if (IsSkipped()) return;
        if (::access(Upsd, X_OK) != 0 || ::access(DummyUps, X_OK) != 0)
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
            {"upsd.users", "[admin]\n password = e2e-only\n actions = SET\n instcmds = ALL\n"},
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
        StopNut();
        E2eTest::TearDown();
        if (!nutDir_.empty() && !HasFailure()) corvanta_test::RemoveTree(nutDir_);
    }

    // The driver first, so that upsd finds its socket.
    void StartNut() {
        const std::map<std::string, std::string> env{
            {"NUT_CONFPATH", nutDir_}, {"NUT_STATEPATH", nutDir_}, {"NUT_ALTPIDPATH", nutDir_}};
        const std::string run = std::to_string(++runs_);
        driver_ = Spawn({DummyUps, "-a", "dummy", "-F"}, Path("dummy-ups" + run + ".out"), env);
        const std::string socket = nutDir_ + "/dummy-ups-dummy";
        ASSERT_TRUE(WaitFor([&] { return Alive(driver_) && FileExists(socket); }, seconds(5)))
            << ReadFile(driver_.Output);
        upsd_ = Spawn({Upsd, "-F"}, Path("upsd" + run + ".out"), env);
        ASSERT_GT(upsd_.Pid, 0);
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

    std::string nutDir_;
    int port_ = -1, runs_ = 0;
    Child driver_, upsd_;
};

bool Live(const UPSVal& v) {
    return v.flag_OpenUPS == 1 && !(v.StatusFlag.AllSts & UPS_COMMERR);
}

TEST_F(NutE2e, MonitorFollowsTheDummyUpsAndUpsdRestarts) {
    ASSERT_NO_FATAL_FAILURE(StartNut());
    // The agent runs as a service would: by name and port, with a user for
    // the instant commands whose password comes from a file.
    agent_ = Spawn({AgentBinary, "--folder", Folder(), "--nut", Target(), "--nut-user", "admin",
                    "--nut-password-file", Path("nut.pw")},
                   Path("agent.out"));
    ASSERT_GT(agent_.Pid, 0);
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

} // namespace
} // namespace e2e
