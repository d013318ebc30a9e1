// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent on a private mosquitto broker: what Home Assistant would read,
// a simulated outage as it happens, the cancel button, and the last will.
#include <arpa/inet.h>
#include <sys/socket.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;

TEST_F(E2eTest, MqttFollowsAnOutage) {
    const std::string broker = "/usr/sbin/mosquitto", clients = "/usr/bin/mosquitto_sub";
    if (::access(broker.c_str(), X_OK) != 0 || ::access(clients.c_str(), X_OK) != 0)
        GTEST_SKIP() << "packages mosquitto and mosquitto-clients are not installed";
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof a;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0); // bound for a free port, given back
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), size), 0);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size), ::close(fd);
    const std::string port = std::to_string(ntohs(a.sin_port)), heard = Path("heard");
    WriteFile(Path("broker.conf"),
              "listener " + port + " 127.0.0.1\nallow_anonymous true\npersistence false\n");
    children_.push_back(
        &monitors_.emplace_back(Spawn({broker, "-c", Path("broker.conf")}, Path("broker.out"))));
    const std::string to = " -h 127.0.0.1 -p " + port + " ";
    const auto pub = [&](const std::string& args) {
        return Shell("/usr/bin/mosquitto_pub" + to + args + " 2>&1; echo $?") == "0\n";
    };
    ASSERT_TRUE(WaitFor([&] { return pub("-r -t ready -m 1"); }, seconds(5)));
    children_.push_back(
        &monitors_.emplace_back(Spawn({clients, "-h", "127.0.0.1", "-p", port, "-v", "-t", "ready",
                                       "-t", "corvanta/#", "-t", "homeassistant/#"},
                                      heard)));
    const auto has = [&](const std::string& text) {
        return ReadFile(heard).find(text) != std::string::npos;
    };
    ASSERT_TRUE(WaitFor([&] { return has("ready 1"); }, seconds(5))); // subscribed
    StartAgent(std::string(OnMains) + "3 status +ACFAIL\n", {"--mqtt", "mqtt://127.0.0.1:" + port});
    for (const char* state : {R"("on_battery":false)", R"("on_battery":true)"})
        ASSERT_TRUE(WaitFor([&] { return has(state); }, seconds(10))) << state;
    ASSERT_TRUE(WaitForValues(Counting));
    // Every config and state is JSON; the configs' ids differ and each names
    // its device and availability.
    WriteFile(Path("check.py"), R"(import json, sys
ids = set()
for line in open(sys.argv[1]):
    topic, payload = line.rstrip("\n").split(" ", 1)
    if topic.startswith("homeassistant/"):
        d = json.loads(payload)
        assert d["device"]["manufacturer"] == "Corvanta" and d["availability_topic"]
        ids.add(d["unique_id"])
    elif topic.endswith("/state"):
        json.loads(payload)
print(len(ids))
)");
    EXPECT_EQ(Shell("python3 " + Path("check.py") + " " + heard + " 2>&1"), "6\n");
    const std::string text = ReadFile(heard), online = "/availability online";
    const std::size_t at = text.find(online);
    ASSERT_NE(at, std::string::npos);
    const std::string base = text.substr(0, at).substr(text.rfind('\n', at) + 1);
    ASSERT_TRUE(pub("-t " + base + "/cancel -m PRESS"));
    EXPECT_TRUE(WaitForValues(Idle));
    EXPECT_TRUE(LogHas("Shutdown countdown cancelled over MQTT (power failure)"));
    WaitExit(agent_, seconds(5), SIGKILL);
    EXPECT_TRUE(WaitFor([&] { return has(base + "/availability offline"); }, seconds(5)));
}

} // namespace
