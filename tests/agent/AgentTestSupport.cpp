#include "AgentTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "Clock.h"
#include "Folder.h"
#include "file.h"

namespace agent_test {

FakeUps::FakeUps() {
    Next.Connected = true;
    Next.SupportItem = (1 << 2) | (1 << 4) | (1 << 15);
    Next.ItemVal[2] = 1000;
    Next.ItemVal[4] = 2300;
    Next.ItemVal[15] = 300;
}

bool FakeUps::StartSelfTest(bool deep, std::string* note) {
    SelfTests.push_back(deep);
    *note = "test";
    return true;
}

bool FakeUps::TurnOffAfter(int seconds, std::string* note) {
    TurnOffs.push_back(seconds);
    *note = "turn off after " + std::to_string(seconds);
    return true;
}

StartResult FakeRunner::Start(const std::vector<std::string>& argv, const RunAs&,
                              std::string* why) {
    if (Answer == StartResult::Started) Started.push_back(argv);
    *why = Why;
    return Answer;
}

std::vector<std::string> FakeRunner::Finished() {
    auto done = Ending;
    Ending.clear();
    return done;
}

void AgentTest::SetUp() {
    char tmpl[] = "/tmp/corvanta-agent-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    folder_ = tmpl;
    std::string error;
    ASSERT_TRUE(SetCurDir(folder_.c_str(), &error)) << error;
    SetTestTime(2026, 3, 10, 14, 0, 0);
}

void AgentTest::TearDown() {
    agent.reset();
    ClearTestTime();
    std::string cmd = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

Agent& AgentTest::StartAgent(std::vector<std::string> shutdownCommand) {
    AgentOptions options;
    options.ShutdownCommand = std::move(shutdownCommand);
    options.Version = "test";
    agent = std::make_unique<Agent>(ups, runner, options);
    agent->Start();
    agent->Step();
    return *agent;
}

void AgentTest::Seconds(int n) {
    for (int i = 0; i < n; ++i) {
        AdvanceTestTime(1);
        agent->Step();
    }
}

UPSSts AgentTest::DefaultSettings() {
    UPSSts s{};
    DefaultUPSSts(&s);
    return s;
}

void AgentTest::WriteSettingsRecord(const UPSSts& s) {
    WriteFile(Path(SettingsFileName), FormatUPSSts(s));
}

void AgentTest::WriteRequest(int settings, int calendar, int cancel) {
    WriteFile(Path(CommandFileName), std::to_string(settings) + "\n" + std::to_string(calendar) +
                                         "\n" + std::to_string(cancel) + "\n");
}

std::vector<std::string> AgentTest::LogTexts() const {
    std::vector<std::string> texts;
    for (const auto& line : SplitLines(ReadFile(Path(LogFileName))))
        texts.push_back(line.size() > 22 ? line.substr(22) : std::string());
    return texts;
}

bool AgentTest::LogHas(const std::string& text) const {
    for (const auto& t : LogTexts())
        if (t.find(text) != std::string::npos) return true;
    return false;
}

UPSVal AgentTest::ReadValues() const {
    std::string bytes = ReadFile(Path(ValuesFileName));
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(UPSValImageSize));
    UPSVal v{};
    if (bytes.size() == UPSValImageSize)
        DecodeUPSVal(reinterpret_cast<const std::uint8_t*>(bytes.data()), &v);
    return v;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text, int mode) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    ::chmod(path.c_str(), static_cast<mode_t>(mode));
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string CalendarText(int baseYear, const std::vector<CalendarEntry>& entries) {
    std::vector<ScheduleStr> rows(ScheduleRows, ScheduleStr{0, 0, 0});
    for (const auto& e : entries)
        rows[static_cast<std::size_t>((e.slot - 1) * ScheduleRowsPerMonth + (e.day - 1) * 6 +
                                      e.entry)] = {static_cast<unsigned char>(e.button),
                                                   static_cast<unsigned char>(e.hour),
                                                   static_cast<unsigned char>(e.minute)};
    std::string text = std::to_string(baseYear) + "\n";
    for (const auto& r : rows)
        text += std::to_string(r.Button) + "\t" + std::to_string(r.Hour) + "\t" +
                std::to_string(r.Minute) + "\n";
    return text;
}

} // namespace agent_test
