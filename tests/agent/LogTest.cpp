// The event log file: line format, trimming, and never writing through a
// planted link.
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "AgentLog.h"
#include "AgentTestSupport.h"
#include "Clock.h"
#include "CoreTestSupport.h"
#include "file.h"

namespace agent_test {
namespace {

TEST(AgentLogFormat, LineShapes) {
    DateTimeRec t = MakeDateTime(2026, 1, 2, 3, 4, 5);
    struct Case {
        LogKind kind;
        std::string text;
        std::string line;
    } cases[] = {
        {LogKind::Info, "Power restored", "I 2026/01/02 03:04:05 Power restored"},
        {LogKind::Warning, "x", "W 2026/01/02 03:04:05 x"},
        {LogKind::Alarm, "", "E 2026/01/02 03:04:05 "},
        {LogKind::Info, "two\nlines\tand\rmore", "I 2026/01/02 03:04:05 two lines and more"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AgentLog::FormatLine(c.kind, t, c.text), c.line);
    // A line never grows past what the monitor reads in one piece.
    std::string line = AgentLog::FormatLine(LogKind::Info, t, std::string(400, 'a'));
    EXPECT_EQ(line.size(), 254u);
}

TEST_F(AgentTest, LogGrowsByAMarginThenKeepsTheNewestLines) {
    AgentLog log(Path(LogFileName));
    log.SetLimit(5);
    const int full = 5 + AgentLog::Margin(5);
    auto lines = [&] { return SplitLines(ReadFile(Path(LogFileName))); };
    for (int i = 1; i <= full; ++i)
        ASSERT_TRUE(log.Append(LogKind::Info, "event " + std::to_string(i)));
    EXPECT_EQ(lines().size(), static_cast<std::size_t>(full)) << "appended, not rewritten";
    ASSERT_TRUE(log.Append(LogKind::Info, "event " + std::to_string(full + 1)));
    ASSERT_EQ(lines().size(), 5u);
    EXPECT_EQ(lines().front().substr(22), "event " + std::to_string(full - 3));
    EXPECT_EQ(lines().back().substr(22), "event " + std::to_string(full + 1));

    // Someone else's file under the name: counted anew, never appended blind.
    std::string other;
    for (int i = 0; i < full; ++i)
        other += "I 2020/01/01 00:00:00 other " + std::to_string(i) + "\n";
    WriteFile(Path(LogFileName), other);
    ASSERT_TRUE(log.Append(LogKind::Info, "mine"));
    EXPECT_EQ(lines().size(), 5u);
    EXPECT_EQ(lines().back().substr(22), "mine");
}

TEST_F(AgentTest, LogLimitBelowOneKeepsTheDefault) {
    AgentLog log(Path(LogFileName));
    for (int limit : {0, -3}) {
        log.SetLimit(limit);
        EXPECT_EQ(log.Limit(), 1000);
    }
    log.SetLimit(100);
    EXPECT_EQ(log.Limit(), 100);
}

TEST_F(AgentTest, LogTrimsAnOldLogWrittenElsewhere) {
    std::string old;
    for (int i = 0; i < 30; ++i)
        old += "I 2020/01/01 00:00:00 old " + std::to_string(i) + "\n";
    old += std::string(1000, 'x') + "\n";
    old += "a last line without line feed";
    WriteFile(Path(LogFileName), old);
    AgentLog log(Path(LogFileName));
    log.SetLimit(10);
    log.Append(LogKind::Info, "new");
    std::vector<std::string> lines = SplitLines(ReadFile(Path(LogFileName)));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[7], std::string(254, 'x')) << "cut to the longest line the agent writes";
    EXPECT_EQ(lines[8], "a last line without line feed");
    EXPECT_EQ(lines[9].substr(22), "new");
}

TEST_F(AgentTest, LogNeverWritesThroughAPlantedLink) {
    WriteFile(Path("victim"), "precious\n");
    ASSERT_EQ(::symlink(Path("victim").c_str(), Path(LogFileName).c_str()), 0);
    AgentLog log(Path(LogFileName));
    ASSERT_TRUE(log.Append(LogKind::Info, "hello"));
    EXPECT_EQ(ReadFile(Path("victim")), "precious\n");
    struct stat st {};
    ASSERT_EQ(::lstat(Path(LogFileName).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    std::vector<std::string> lines = SplitLines(ReadFile(Path(LogFileName)));
    ASSERT_EQ(lines.size(), 1u) << "the link's target is not read into the log either";
    EXPECT_EQ(lines[0].substr(22), "hello");
}

TEST_F(AgentTest, FailedWritesReachStandardErrorOncePerConditionAndWhenTheyWorkAgain) {
    std::FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);
    AgentOptions options;
    options.Errors = errors;
    agent = std::make_unique<Agent>(ups, runner, options);
    agent->Start();
    agent->Step();
    // As on a full disk: neither the values file nor the log can be written.
    corvanta_test::WithFileSizeLimit(100, [&] {
        ups.Next.Status = UPS_ACFAIL;
        Seconds(3);
        ups.Next.Status = 0;
        Seconds(2);
    });
    Seconds(2);
    std::rewind(errors);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, errors))
        text += buffer;
    std::fclose(errors);
    const std::string values = "the values file " + Path(ValuesFileName);
    const std::string log = "the event log " + Path(LogFileName);
    EXPECT_EQ(SplitLines(text), (std::vector<std::string>{
                                    "corvanta-agent: cannot write " + log + ": File too large",
                                    "corvanta-agent: cannot write " + values + ": File too large",
                                    "corvanta-agent: " + values + " is written again",
                                    "corvanta-agent: " + log + " is written again"}));
    EXPECT_TRUE(LogHas("Values file written again"));
}

} // namespace
} // namespace agent_test
