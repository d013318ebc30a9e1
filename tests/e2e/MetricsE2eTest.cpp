// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The metrics file as Prometheus's own tools take it: node_exporter's
// textfile collector serves a simulated outage as it happens, and promtool
// finds nothing wrong with the file.
#include <arpa/inet.h>
#include <sys/socket.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;
const std::string Ob = "network_ups_tools_ups_status{flag=\"OB\",ups=\"simulated\"} ";

// Whether node_exporter on 127.0.0.1:port serves the line; a read waits 2 s at most.
bool Serves(std::uint16_t port, const std::string& line) {
    const sockaddr_in a{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    const timeval wait{2, 0};
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    std::string page = "\n", get = "GET /metrics HTTP/1.0\r\n\r\n";
    char b[8192];
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) == 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 &&
        ::send(fd, get.data(), get.size(), 0) > 0)
        for (ssize_t n; (n = ::recv(fd, b, sizeof b, 0)) > 0;)
            page.append(b, static_cast<std::size_t>(n));
    ::close(fd);
    return page.find("\n" + line + "\n") != std::string::npos;
}

TEST_F(E2eTest, MetricsServedByNodeExporter) {
    const std::string exporter = "/usr/bin/prometheus-node-exporter",
                      promtool = "/usr/bin/promtool";
    if (::access(exporter.c_str(), X_OK) != 0 || ::access(promtool.c_str(), X_OK) != 0)
        GTEST_SKIP() << "packages prometheus-node-exporter and prometheus are not installed";
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof a;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0); // bound for a free port, given back
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), size), 0);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size), ::close(fd);
    const std::uint16_t port = ntohs(a.sin_port);
    const std::string dir = Path("prom"), file = dir + "/corvanta.prom";
    children_.push_back(&monitors_.emplace_back(Spawn( // ended with the test's other children
        {exporter, "--collector.disable-defaults", "--collector.textfile",
         "--collector.textfile.directory=" + dir,
         "--web.listen-address=127.0.0.1:" + std::to_string(port)},
        Path("exporter.out"))));
    StartAgent(std::string(OnMains) + "4 status +ACFAIL\n7 status -ACFAIL\n",
               {"--metrics-file", file});
    // The folder comes late: said once, then written again.
    ASSERT_TRUE(WaitFor([&] { return LogHas(file + " not written: No such file"); }, seconds(5)));
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    for (const char* ob : {"0", "1", "0"}) // the sample names its labels in order
        ASSERT_TRUE(WaitFor([&] { return Serves(port, Ob + ob); }, seconds(10))) << ob;
    EXPECT_EQ(Shell(promtool + " check metrics <" + file + " 2>&1; echo $?"), "0\n");
    EXPECT_TRUE(Serves(port, "corvanta_outages_total{ups=\"simulated\"} 1") &&
                LogHas(file + " written again"));
    EXPECT_EQ(Terminate(agent_), 0);
    EXPECT_TRUE(Serves(port, "corvanta_agent_up{ups=\"simulated\"} 0"));
}

} // namespace
