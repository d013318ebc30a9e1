#include "E2eSupport.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "Folder.h"
#include "file.h"

extern char** environ;

namespace e2e {

const char* const AgentBinary = CORVANTA_AGENT_BIN;
const char* const MonitorBinary = CORVANTA_MONITOR_BIN;

Child Spawn(const std::vector<std::string>& argv, const std::string& outputFile,
            const std::map<std::string, std::string>& env) {
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        std::string name = entry.substr(0, entry.find('='));
        if (!env.count(name)) envText.push_back(entry);
    }
    for (const auto& [name, value] : env)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp, args;
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argCopy = argv;
    for (auto& a : argCopy)
        args.push_back(a.data());
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    Child child;
    child.Output = outputFile;
    int rc = posix_spawn(&child.Pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) child.Pid = -1;
    return child;
}

int WaitExit(Child& child, std::chrono::milliseconds wait) {
    if (child.Pid <= 0) return -1;
    auto until = std::chrono::steady_clock::now() + wait;
    while (true) {
        int status = 0;
        pid_t r = waitpid(child.Pid, &status, WNOHANG);
        if (r == child.Pid) {
            child.Pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (r < 0) {
            child.Pid = -1;
            return -1;
        }
        if (std::chrono::steady_clock::now() > until) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(child.Pid, SIGKILL);
    waitpid(child.Pid, nullptr, 0);
    child.Pid = -1;
    return -1;
}

int Terminate(Child& child, std::chrono::milliseconds wait) {
    if (child.Pid <= 0) return -1;
    ::kill(child.Pid, SIGTERM);
    return WaitExit(child, wait);
}

bool Alive(const Child& child) {
    if (child.Pid <= 0) return false;
    int status = 0;
    return waitpid(child.Pid, &status, WNOHANG) == 0;
}

long RssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

bool WaitFor(const std::function<bool()>& ok, std::chrono::milliseconds wait) {
    auto until = std::chrono::steady_clock::now() + wait;
    while (!ok()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    ASSERT_TRUE(WriteFileAtomic(path, text)) << path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

int ReadValues(const std::string& path, UPSVal* val) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return -1;
    std::uint8_t image[UPSValImageSize + 1];
    ssize_t n = ::read(fd, image, sizeof image);
    ::close(fd);
    if (n == UPSValImageSize) DecodeUPSVal(image, val);
    return static_cast<int>(n);
}

void E2eTest::SetUp() {
    char tmpl[] = "/tmp/corvanta-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    folder_ = tmpl;
    std::string error;
    ASSERT_TRUE(SetCurDir(folder_.c_str(), &error)) << error;
}

void E2eTest::TearDown() {
    for (Child* c : children_)
        if (c->Pid > 0) Terminate(*c);
    if (agent_.Pid > 0) Terminate(agent_);
    if (HasFailure()) {
        std::cerr << "--- agent output:\n" << ReadFile(Path("agent.out"));
        std::cerr << "--- event log:\n" << ReadFile(Path(LogFileName));
    }
    // A failed test keeps its folder (snapshots, logs) for a look.
    if (std::getenv("CORVANTA_E2E_KEEP") == nullptr && !HasFailure()) {
        std::string cmd = "rm -rf '" + folder_ + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
    } else {
        std::cerr << "kept " << folder_ << "\n";
    }
}

Child& E2eTest::StartAgent(const std::string& scenario, std::vector<std::string> extra,
                           const std::map<std::string, std::string>& env) {
    std::string scenarioFile = Path("scenario.scn");
    {
        std::ofstream out(scenarioFile);
        out << scenario;
    }
    std::vector<std::string> argv{AgentBinary, "--folder", Folder(), "--simulate", scenarioFile};
    argv.insert(argv.end(), extra.begin(), extra.end());
    agent_ = Spawn(argv, Path("agent.out"), env);
    EXPECT_GT(agent_.Pid, 0);
    return agent_;
}

UPSVal E2eTest::Values() const {
    UPSVal v{};
    v.DownTime = -1;
    ReadValues(Path(ValuesFileName), &v);
    return v;
}

bool E2eTest::LogHas(const std::string& text) const {
    return ReadFile(Path(LogFileName)).find(text) != std::string::npos;
}

bool E2eTest::WaitForValues(const std::function<bool(const UPSVal&)>& ok,
                            std::chrono::milliseconds wait) {
    return WaitFor(
        [&] {
            UPSVal v{};
            return ReadValues(Path(ValuesFileName), &v) == UPSValImageSize && ok(v);
        },
        wait);
}

std::string CalendarWithEntry(int year, int month, int day, const std::string& row) {
    const int at = (month - 1) * ScheduleRowsPerMonth + (day - 1) * ScheduleEntriesPerDay;
    std::string text = std::to_string(year) + "\n";
    for (int r = 0; r < ScheduleRows; ++r)
        text += r == at ? row + "\n" : std::string("0\t0\t0\n");
    return text;
}

} // namespace e2e
