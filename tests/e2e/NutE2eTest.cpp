// The agent in bridge mode on a private Network UPS Tools server (upsd with
// the dummy-ups driver on 127.0.0.1), with the real monitor: what the
// monitor shows as the dummy UPS goes on battery, runs low, comes back, and
// as upsd goes away and returns.
#include <QImage>

#include <arpa/inet.h>
#include <fstream>
#include <grp.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "E2eSupport.h"
#include "Folder.h"
#include "NutUps.h"
#include "SnapshotReading.h"
#include "file.h"

namespace e2e {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const char* const Upsd = "/lib/nut/upsd";

// The agent answers a change of the UPS within about a second; the tests
// allow more so that a loaded machine does not fail them.
const std::chrono::seconds Prompt(5);
const char* const DummyUps = "/lib/nut/dummy-ups";

// A TCP port on 127.0.0.1 that nobody listens on right now.
int FreePort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = -1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

class NutE2e : public MonitorSnapshotTest {
  protected:
    void SetUp() override {
        MonitorSnapshotTest::SetUp();
        if (IsSkipped()) return;
        if (::access(Upsd, X_OK) != 0 || ::access(DummyUps, X_OK) != 0)
            GTEST_SKIP() << "Network UPS Tools is not installed (" << Upsd << ", " << DummyUps
                         << ")";
        // The daemons drop to user nut when started as root: their folder
        // sits outside the test's private one, root:nut 0770.
        char tmpl[] = "/tmp/corvanta-nut-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        nutDir_ = tmpl;
        nutGroup_ = -1;
        if (::geteuid() == 0) {
            if (group* g = ::getgrnam("nut")) nutGroup_ = static_cast<int>(g->gr_gid);
        }
        if (nutGroup_ >= 0) {
            ASSERT_EQ(::chown(nutDir_.c_str(), 0, static_cast<gid_t>(nutGroup_)), 0);
            ASSERT_EQ(::chmod(nutDir_.c_str(), 0770), 0);
        }
        port_ = FreePort();
        ASSERT_GT(port_, 0);
        Config("ups.conf", "[dummy]\n  driver = dummy-ups\n  port = dummy.dev\n"
                           "  pollinterval = 1\n  desc = \"test UPS\"\n");
        Config("upsd.conf", "LISTEN 127.0.0.1 " + std::to_string(port_) + "\n");
        Config("upsd.users", "[admin]\n  password = e2e-only\n  actions = SET\n"
                             "  instcmds = ALL\n");
        Config("dummy.dev", "ups.status: OL\n"
                            "battery.charge: 100\n"
                            "battery.voltage: 27.2\n"
                            "battery.voltage.nominal: 24\n"
                            "input.voltage: 230.4\n"
                            "input.voltage.nominal: 230\n"
                            "input.frequency: 50.0\n"
                            "output.voltage: 230.0\n"
                            "output.current.nominal: 4.3\n"
                            "ups.load: 30\n"
                            "ups.temperature: 28.5\n"
                            "ups.delay.shutdown: 20\n");
        // The agent's password file: its own, readable by root only.
        std::string pw = Path("nut.pw");
        std::ofstream(pw) << "e2e-only\n";
        ASSERT_EQ(::chmod(pw.c_str(), 0600), 0);
    }

    void TearDown() override {
        StopNut();
        E2eTest::TearDown();
        if (!nutDir_.empty() && !HasFailure()) {
            EXPECT_EQ(std::system(("rm -rf '" + nutDir_ + "'").c_str()), 0);
        }
    }

    void Config(const std::string& name, const std::string& text) {
        std::string path = nutDir_ + "/" + name;
        std::ofstream(path) << text;
        if (nutGroup_ >= 0) {
            ASSERT_EQ(::chown(path.c_str(), 0, static_cast<gid_t>(nutGroup_)), 0);
            ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        }
    }

    std::map<std::string, std::string> NutEnv() const {
        return {{"NUT_CONFPATH", nutDir_}, {"NUT_STATEPATH", nutDir_}, {"NUT_ALTPIDPATH", nutDir_}};
    }

    // The driver first, so that upsd finds its socket.
    void StartNut() {
        ++runs_;
        driver_ = Spawn({DummyUps, "-a", "dummy", "-F"},
                        Path("dummy-ups" + std::to_string(runs_) + ".out"), NutEnv());
        ASSERT_GT(driver_.Pid, 0);
        ASSERT_TRUE(WaitFor([&] { return Alive(driver_) && SocketExists(); }, seconds(5)))
            << ReadFile(driver_.Output);
        upsd_ = Spawn({Upsd, "-F"}, Path("upsd" + std::to_string(runs_) + ".out"), NutEnv());
        ASSERT_GT(upsd_.Pid, 0);
    }

    void StopNut() {
        if (upsd_.Pid > 0) Terminate(upsd_);
        if (driver_.Pid > 0) Terminate(driver_);
    }

    bool SocketExists() const {
        struct stat st {};
        return ::stat((nutDir_ + "/dummy-ups-dummy").c_str(), &st) == 0;
    }

    // Changes the dummy UPS's status through upsd, as upsrw -s would.
    void SetStatus(const std::string& status) {
        auto link =
            MakeNutTcpLink(NutTarget{"dummy", "127.0.0.1", static_cast<std::uint16_t>(port_)},
                           "admin", "e2e-only");
        ASSERT_TRUE(link) << "agent built without libnutclient";
        std::string error;
        ASSERT_TRUE(link->Connect(&error)) << error;
        ASSERT_EQ(link->SetVariable("ups.status", status, &error), NutLink::Result::Ok) << error;
        link->Disconnect();
    }

    int LogCount(const std::string& text) const {
        std::string log = ReadFile(Path(LogFileName));
        int n = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }

    std::string nutDir_;
    int nutGroup_ = -1;
    int port_ = -1;
    int runs_ = 0;
    Child driver_;
    Child upsd_;
};

bool Live(const UPSVal& v) {
    return v.flag_OpenUPS == 1 && !(v.StatusFlag.AllSts & UPS_COMMERR);
}

TEST_F(NutE2e, MonitorFollowsTheDummyUpsAndUpsdRestarts) {
    StartNut();
    ASSERT_FALSE(HasFatalFailure());
    // The agent runs as a service would: by name and port, with a user for
    // the instant commands whose password comes from a file.
    agent_ = Spawn({AgentBinary, "--folder", Folder(), "--nut",
                    "dummy@127.0.0.1:" + std::to_string(port_), "--nut-user", "admin",
                    "--nut-password-file", Path("nut.pw")},
                   Path("agent.out"));
    ASSERT_GT(agent_.Pid, 0);
    // dummy-ups answers WAIT for its first seconds.
    ASSERT_TRUE(WaitForValues(Live, seconds(20))) << ReadFile(Path("agent.out"));
    UPSVal v = Values();
    EXPECT_EQ(v.ItemVal[2], 1000);
    EXPECT_EQ(v.ItemVal[4], 2304);
    EXPECT_EQ(v.ItemVal[29], 285);
    EXPECT_TRUE(
        WaitFor([&] { return ReadFile(Path(RatingFileName)) == "2300\n43\n240\n"; }, seconds(3)));

    // On mains.
    {
        Child& m = StartMonitor("mains.png", 5);
        QImage image = Snapshot(m, "mains.png");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(StatusNames(image), "good good good "); // Connected, Normal, Normal
        EXPECT_EQ(CountColour(image, CountdownBox, Plain), 0) << "no countdown";
    }

    // On battery: within 2 s the agent reports it and counts down.
    {
        Child& early = StartMonitor("battery1.png", 5);
        Child& late = StartMonitor("battery2.png", 7);
        std::this_thread::sleep_for(seconds(2));
        SetStatus("OB DISCHRG");
        EXPECT_TRUE(WaitForValues(
            [](const UPSVal& u) { return (u.StatusFlag.AllSts & UPS_ACFAIL) && u.DownTime >= 0; },
            Prompt));
        QImage a = Snapshot(early, "battery1.png");
        QImage b = Snapshot(late, "battery2.png");
        ASSERT_FALSE(a.isNull() || b.isNull());
        EXPECT_EQ(StatusNames(a), "good caution good "); // Connected, Battery, Normal
        EXPECT_EQ(StatusNames(b), "good caution good ");
        EXPECT_GT(CountColour(a, CountdownBox, Plain), 40) << "countdown digits";
        EXPECT_NE(a.copy(CountdownBox), b.copy(CountdownBox)) << "the countdown runs";
        EXPECT_EQ(LogCount("Shutdown countdown started: 180 s (power failure)"), 1);
    }

    // Low battery on battery: the battery shows Low, the countdown shortens.
    {
        Child& m = StartMonitor("low.png", 5);
        std::this_thread::sleep_for(seconds(1));
        SetStatus("OB LB");
        EXPECT_TRUE(WaitForValues(
            [](const UPSVal& u) { return (u.StatusFlag.AllSts & UPS_BATTLOW) && u.DownTime <= 30; },
            Prompt));
        QImage image = Snapshot(m, "low.png");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(StatusNames(image), "good caution alarm "); // Connected, Battery, Low
        EXPECT_TRUE(LogHas("Shutdown countdown shortened to 30 s (battery low)"));
    }

    // Mains back: the countdown ends.
    {
        Child& m = StartMonitor("back.png", 5);
        std::this_thread::sleep_for(seconds(1));
        SetStatus("OL");
        EXPECT_TRUE(WaitForValues([](const UPSVal& u) { return u.DownTime == -1; }, Prompt));
        QImage image = Snapshot(m, "back.png");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(StatusNames(image), "good good good ");
        EXPECT_EQ(CountColour(image, CountdownBox, Plain), 0) << "no countdown digits";
        EXPECT_EQ(CountColour(image, CountdownBox, Alarm), 0);
        EXPECT_TRUE(LogHas("Shutdown countdown ended: power restored"));
    }

    // upsd and its driver stop: Disconnect at once; both come back and the
    // same agent and monitor recover.
    {
        int lostBefore = LogCount("Communication with the UPS lost");
        int restoredBefore = LogCount("Communication with the UPS restored");
        Child& during = StartMonitor("down.png", 7);
        Child& after = StartMonitor("recovered.png", 35);
        std::this_thread::sleep_for(seconds(2));
        StopNut();
        EXPECT_TRUE(WaitForValues([](const UPSVal& u) { return !Live(u); }, Prompt));
        QImage down = Snapshot(during, "down.png");
        ASSERT_FALSE(down.isNull());
        EXPECT_EQ(StatusNames(down), "alarm alarm alarm "); // Disconnect, Unknown, Unknown
        EXPECT_EQ(LogCount("Communication with the UPS lost"), lostBefore + 1);

        StartNut();
        ASSERT_FALSE(HasFatalFailure());
        // Back-off of at most 10 s, then the driver's WAIT of about 3 s.
        EXPECT_TRUE(WaitForValues(Live, seconds(25))) << ReadFile(Path("agent.out"));
        EXPECT_TRUE(Alive(agent_)) << "the same agent";
        EXPECT_TRUE(Alive(after)) << "the same monitor";
        QImage back = Snapshot(after, "recovered.png");
        ASSERT_FALSE(back.isNull());
        EXPECT_EQ(StatusNames(back), "good good good ");
        EXPECT_EQ(LogCount("Communication with the UPS lost"), lostBefore + 1);
        EXPECT_EQ(LogCount("Communication with the UPS restored"), restoredBefore + 1);
    }

    // The password reached upsd from the file and appears nowhere else.
    EXPECT_EQ(ReadFile(Path(LogFileName)).find("e2e-only"), std::string::npos);
    EXPECT_EQ(ReadFile(Path("agent.out")).find("e2e-only"), std::string::npos);
    EXPECT_EQ(Terminate(agent_, seconds(5)), 0);
}

} // namespace
} // namespace e2e
