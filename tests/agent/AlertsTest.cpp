// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The alerts file, and the queue's retries, limits and spool on a clock the
// test sets, with a sender that answers as told.
#include "Alerts.h"
#include "AgentTestSupport.h"

namespace agent_test {
namespace {

// Fails with "refused" while Down; records when it was tried.
struct FakeSender : AlertSender {
    std::int64_t* Now;
    bool Down = false;
    std::vector<std::int64_t> Tries;
    std::vector<AgentEvent> Sent;
    explicit FakeSender(std::int64_t* now) : Now(now) {}
    bool Send(const AlertChannel&, const AgentEvent& e, std::string* error) override {
        Tries.push_back(*Now);
        if (!Down) Sent.push_back(e);
        return Down ? (*error = "refused", false) : true;
    }
};

class AlertsTest : public AgentTest {
  protected:
    AlertsConfig Config(const std::string& text) {
        AlertsConfig c;
        std::string error;
        EXPECT_TRUE(ParseAlertsConfig(text, "alerts.conf", &c, &error)) << error;
        return c;
    }
    AlertQueue
    Queue(const std::string& text = "[webhook]\nurl = http://h/\nevents = power-fail\n") {
        return AlertQueue(
            Config(text), sender, [this] { return now; }, Path(AlertsSpoolName));
    }
    std::int64_t now = 1'773'151'200'000;
    FakeSender sender{&now};
    const AgentEvent fail{
        "power-fail", "Power\tfailure\n", 1'773'151'200, "ups@host", 87.5, 600, {}};
};

TEST_F(AlertsTest, ParsesAGoodFileAndRefusesEachBadLineWhereItStands) {
    WriteFile(Path("token"), "s3cret\n", 0600);
    WriteFile(Path("open-token"), "s3cret\n", 0644);
    const AlertsConfig good = Config(
        "# all of them\n[ntfy]\nurl = https://ntfy.sh/ups#x  # a comment\nevents = power-fail "
        "battery-low\ntoken-file = " +
        Path("token") +
        "\n\n[email]\nserver = smtps://mail.example.org\nfrom = ups@example.org\nto = a@x.org, "
        "b@x.org\nevents = all\n[webhook]\nurl = http://127.0.0.1:9/h\nevents = countdown\n");
    ASSERT_EQ(good.Channels.size(), 3u);
    EXPECT_EQ(good.Channels[0].Name(), "ntfy https://ntfy.sh/ups#x");
    EXPECT_EQ(good.Channels[0].Secret, "s3cret");
    EXPECT_EQ(good.Channels[0].Events, (std::set<std::string>{"power-fail", "battery-low"}));
    EXPECT_EQ(good.Channels[1].To, (std::vector<std::string>{"a@x.org", "b@x.org"}));
    EXPECT_EQ(good.Channels[1].Events.size(), EventKinds().size());

    const std::string ntfy = "[ntfy]\nurl = https://ntfy.sh/ups\n", mail = "[email]\n";
    const std::pair<std::string, std::string> bad[] = {
        {"", "alerts.conf:0: no [webhook], [ntfy] or [email] section"},
        {"[pager]\n", "alerts.conf:1: unknown section [pager] (webhook, ntfy or email)"},
        {"url = http://h/\n", "alerts.conf:1: a key before the first [SECTION]"},
        {ntfy + "events\n", "alerts.conf:3: expected KEY = VALUE or [SECTION]"},
        {ntfy + "events = power-fail brownout\n", "alerts.conf:3: unknown event kind 'brownout'"},
        {ntfy + "colour = red\n", "alerts.conf:3: unknown key 'colour' in [ntfy]"},
        {ntfy + "url = https://b/\n", "alerts.conf:3: url given twice in [ntfy]"},
        {ntfy + "token-file = " + Path("open-token") + "\n",
         "alerts.conf:3: " + Path("open-token") + " is readable by other users"},
        {"[webhook]\nurl = ftp://h/x\n",
         "alerts.conf:2: expected an http:// or https:// URL, got 'ftp://h/x'"},
        {"[webhook]\nurl = https://me:pw@h/\n",
         "alerts.conf:2: a user or password in the URL would "
         "show in the log: use token-file, or user and password-file"},
        {mail + "server = https://h\n",
         "alerts.conf:2: expected smtp://HOST[:PORT] or smtps://HOST[:PORT], got 'https://h'"},
        {"[webhook]\nevents = all\n", "alerts.conf:1: [webhook] needs url"},
        {mail + "server = smtp://h\nevents = all\nto = a@b\n",
         "alerts.conf:1: [email] needs from and to"},
        {mail + "server = smtp://h\nevents = all\nto = a@b\nfrom = c@d\nuser = u\n",
         "alerts.conf:1: [email]: user and password-file go together"},
    };
    for (const auto& [text, message] : bad) {
        AlertsConfig c;
        std::string error;
        EXPECT_FALSE(ParseAlertsConfig(text, "alerts.conf", &c, &error)) << text;
        EXPECT_EQ(error, message);
    }
    // The file itself is the settings' kin: nobody else may change it.
    WriteFile(Path("alerts.conf"), ntfy + "events = all\n", 0664);
    AlertsConfig c;
    std::string error;
    EXPECT_FALSE(LoadAlertsConfig(Path("alerts.conf"), &c, &error));
    EXPECT_EQ(error, Path("alerts.conf") + " is writable by its group");
}

TEST_F(AlertsTest, RetriesWithBackoffAndGivesUpAfterTenMinutesSayingSoOnce) {
    const std::string hook = "webhook http://h/";
    struct Case {
        std::int64_t DownFor; // ms after the event
        std::vector<std::int64_t> Tries;
        std::vector<std::string> Reports;
    };
    const Case cases[] = {
        {5000,
         {0, 1000, 3000, 7000},
         {"Alert to " + hook + " failed: refused (trying again for up to 10 minutes)",
          "Alerts to " + hook + " delivered again"}},
        {AlertQueue::GiveUpAfter + 1,
         {0, 1000, 3000, 7000, 15000, 31000, 63000, 123000, 183000, 243000, 303000, 363000, 423000,
          483000, 543000},
         {"Alert to " + hook + " failed: refused (trying again for up to 10 minutes)",
          "Alert undelivered after 10 minutes to " + hook + ": refused"}},
    };
    const std::int64_t start = now;
    for (const Case& c : cases) {
        now = start, sender.Tries.clear();
        AlertQueue q = Queue();
        q.Add(fail);
        AgentEvent back = fail;
        back.Kind = "power-back"; // not chosen: never sent
        q.Add(back);
        for (std::int64_t next = 0; next >= 0; next = q.Work()) {
            now = std::max(now, next);
            sender.Down = now - start < c.DownFor;
        }
        for (std::int64_t& t : sender.Tries)
            t -= start;
        EXPECT_EQ(sender.Tries, c.Tries);
        EXPECT_EQ(q.TakeReports(), c.Reports);
        EXPECT_FALSE(FileExists(Path(AlertsSpoolName)));
    }
}

TEST_F(AlertsTest, KeepsAHundredAlertsAndSaysOnceThatOlderOnesGo) {
    sender.Down = true;
    AlertQueue q = Queue();
    for (int i = 0; i < 102; ++i)
        q.Add(fail);
    EXPECT_EQ(q.Waiting(), AlertQueue::Bound);
    EXPECT_EQ(q.TakeReports(), std::vector<std::string>{
                                   "Alerts fall behind: the oldest undelivered ones are dropped"});
}

TEST_F(AlertsTest, TheSpoolCarriesAlertsOverARestartAndOnlyAnAgentsOwnIsBelieved) {
    sender.Down = true;
    Queue().Add(fail);
    sender.Down = false;
    AlertQueue again = Queue();
    again.LoadSpool();
    again.Work();
    ASSERT_EQ(sender.Sent.size(), 1u);
    const AgentEvent& e = sender.Sent[0];
    EXPECT_EQ(std::tie(e.Kind, e.Message, e.Time, e.Ups, e.Charge, e.Runtime, e.Load),
              std::tie(fail.Kind, fail.Message, fail.Time, fail.Ups, fail.Charge, fail.Runtime,
                       fail.Load));
    EXPECT_FALSE(FileExists(Path(AlertsSpoolName)));

    const std::string spool = Path(AlertsSpoolName), head = "corvanta-alerts 1\n",
                      line = "\t1\tpower-fail\t-\t-\t-\tu\tPower failure\twebhook http://h/\n",
                      fresh = std::to_string(now) + line;
    // How the spool is found, what the log says ("" nothing).
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { WriteFile(spool, head + fresh, 0664); }, "is writable by other users"},
        {[&] {
             WriteFile(Path("x"), head + fresh, 0600);
             EXPECT_EQ(::symlink(Path("x").c_str(), spool.c_str()), 0);
         },
         "is a symbolic link"},
        {[&] { WriteFile(spool, head + "1\tpower-fail\n", 0600); }, "is malformed on line 2"},
        {[&] {
             WriteFile(spool,
                       head + std::to_string(now) +
                           "\t1\tpower-fail\t-\t-\t-\tu\tP\twebhook http://evil/\n",
                       0600);
         },
         ""},
        {[&] {
             WriteFile(spool, head + std::to_string(now - AlertQueue::GiveUpAfter) + line, 0600);
         },
         "Alert undelivered after 10 minutes to webhook http://h/: the agent was not running "
         "(Power failure)"},
    };
    for (const auto& [plant, report] : cases) {
        sender.Sent.clear();
        plant();
        AlertQueue q = Queue();
        q.LoadSpool();
        q.Work();
        EXPECT_TRUE(sender.Sent.empty()) << report;
        const auto reports = q.TakeReports();
        const std::string said = reports.empty() ? "" : reports[0];
        EXPECT_TRUE(report.empty() ? said.empty() : said.find(report) != std::string::npos) << said;
        EXPECT_FALSE(FileExists(spool)) << report;
    }
}

} // namespace
} // namespace agent_test
