// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's alerts on private servers on 127.0.0.1: a web server taking
// the webhook and the ntfy post, a mail server that insists on STARTTLS and
// a login; and an alert that waits out a web server that is down, over a
// restart of the agent.
#include <arpa/inet.h>
#include <sys/socket.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;
using corvanta_test::FileExists;

const std::string Python = "/usr/bin/python3", Scripts = CORVANTA_E2E_DIR;

std::string FreePort() {
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof a;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0); // bound for a free port, given back
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size), ::close(fd);
    return std::to_string(ntohs(a.sin_port));
}

class AlertsE2e : public E2eTest {
  protected:
    void Serve(const std::vector<std::string>& argv, const std::string& output) {
        children_.push_back(&monitors_.emplace_back(Spawn(argv, Path(output))));
    }
    bool Heard(const std::string& record, const std::string& text) {
        return WaitFor([&] { return ReadFile(Path(record)).find(text) != std::string::npos; },
                       seconds(10));
    }
    const std::string web = FreePort(), hook = "url = http://127.0.0.1:" + web;
};

TEST_F(AlertsE2e, WebhookNtfyAndMailTellAPowerFailure) {
    if (Shell(Python + " -c 'import aiosmtpd' 2>&1; openssl version >/dev/null 2>&1 || echo no") !=
        "")
        GTEST_SKIP() << "packages python3-aiosmtpd and openssl are not installed";
    const std::string mail = FreePort(), cert = Path("cert.pem"), key = Path("key.pem");
    // The name in the certificate is the one the agent connects to.
    Shell("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost -addext "
          "subjectAltName=DNS:localhost -keyout " +
          key + " -out " + cert + " 2>/dev/null");
    WriteFile(Path("password"), "pass word\n");
    ::chmod(Path("password").c_str(), 0600);
    WriteFile(Path("alerts.conf"),
              "[webhook]\n" + hook + "/hook\nevents = all\n[ntfy]\n" + hook +
                  "/ups\nevents = power-fail\n[email]\nserver = smtp://localhost:" + mail +
                  "\nfrom = ups@example.org\nto = me@example.org\nuser = ups\npassword-file = " +
                  Path("password") + "\nca-file = " + cert + "\nevents = power-fail\n");
    Serve({Python, Scripts + "/alerts_http.py", web, Path("web")}, "web.out");
    Serve({Python, Scripts + "/alerts_smtp.py", mail, cert, key, "ups", "pass word", Path("mail")},
          "mail.out");
    ASSERT_TRUE(Heard("mail.out", "ready"));
    StartAgent(std::string(OnMains) + "2 status +ACFAIL\n", {"--alerts", Path("alerts.conf")});
    EXPECT_TRUE(Heard("web", R"({\"event\":\"power-fail\",\"message\":\"Power failure)"));
    for (const char* header : {R"("Title": "UPS simulated UPS: power failure")",
                               R"("Priority": "urgent")", R"("Tags": "warning")"})
        EXPECT_TRUE(Heard("web", header)) << header;
    EXPECT_TRUE(Heard("mail", "Subject: UPS simulated UPS: power failure"));
    EXPECT_TRUE(Heard("mail", "Event: power-fail"));
}

TEST_F(AlertsE2e, AnAlertWaitsForItsServerOverARestart) {
    WriteFile(Path("alerts.conf"), "[webhook]\n" + hook + "/hook\nevents = power-fail\n");
    StartAgent(std::string(OnMains) + "1 status +ACFAIL\n", {"--alerts", Path("alerts.conf")});
    ASSERT_TRUE(
        WaitFor([&] { return LogHas("Alert to webhook http://127.0.0.1:" + web); }, seconds(10)));
    EXPECT_EQ(Terminate(agent_), 0);
    EXPECT_TRUE(FileExists(Path("ZAN_ALERTS.DAT")));
    StartAgent(OnMains, {"--alerts", Path("alerts.conf")});
    Serve({Python, Scripts + "/alerts_http.py", web, Path("web")}, "web.out");
    EXPECT_TRUE(Heard("web", R"(\"event\":\"power-fail\")"));
    EXPECT_TRUE(WaitFor([&] { return !FileExists(Path("ZAN_ALERTS.DAT")); }, seconds(5)));
    EXPECT_FALSE(LogHas("undelivered"));
}

} // namespace
