// The program runner for real: what runs is exactly what was checked, with
// whose rights, in what surroundings and for how long.
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "AgentLock.h"
#include "AgentTestSupport.h"
#include "CommandRunner.h"
#include "CoreTestSupport.h"
#include "file.h"

namespace agent_test {
namespace {

constexpr uid_t Nobody = 65534;

// Bounded waits for child processes: generous, a loaded machine is slow.
bool WaitUntil(const std::function<bool()>& ok) {
    for (int i = 0; i < 3000; ++i) {
        if (ok()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ok();
}

class RunnerTest : public AgentTest {
  protected:
    void SetUp() override {
        AgentTest::SetUp();
        std::string whyNot;
        programs_ = corvanta_test::MakeProgramFolder(&whyNot);
        if (programs_.empty()) GTEST_SKIP() << whyNot;
    }
    void TearDown() override {
        if (!programs_.empty()) corvanta_test::RemoveTree(programs_);
        AgentTest::TearDown();
    }
    std::string Program(const std::string& name) const { return programs_ + "/" + name; }
    // A script that writes its output into the test's folder.
    void Script(const std::string& name, const std::string& body, int mode = 0755) {
        WriteFile(Program(name), "#!/bin/sh\n" + body + "\n", mode);
    }
    // Collects Finished() until n programs have ended.
    std::vector<std::string> Reap(PosixRunner& runner, std::size_t n) {
        std::vector<std::string> ended;
        WaitUntil([&] {
            for (auto& text : runner.Finished())
                ended.push_back(text);
            return ended.size() >= n;
        });
        return ended;
    }

    std::string programs_;
};

TEST_F(RunnerTest, RefusesWhatOthersCouldChangeAndWhatIsNoProgram) {
    const bool root = ::geteuid() == 0;
    Script("ok.sh", "");
    WriteFile(Program("data.txt"), "; id > " + Path("owned") + "\n", 0644);
    Script("group.sh", "", 0775);
    Script("world.sh", "", 0757);
    for (const char* dir : {"open", "sticky"})
        ASSERT_EQ(::mkdir(Program(dir).c_str(), 0755), 0);
    ::chmod(Program("open").c_str(), 0777);
    ::chmod(Program("sticky").c_str(), 01777);
    Script("open/in.sh", "");
    Script("sticky/in.sh", "");
    ASSERT_EQ(::symlink(Program("ok.sh").c_str(), Program("sticky/ok.lnk").c_str()), 0);
    ASSERT_EQ(::symlink(Program("ok.sh").c_str(), Program("theirs.lnk").c_str()), 0);
    if (root) {
        ASSERT_EQ(::lchown(Program("theirs.lnk").c_str(), Nobody, Nobody), 0);
    }
    ASSERT_EQ(::mkfifo(Program("fifo").c_str(), 0755), 0);
    struct Case {
        std::string path;
        std::string why;
        bool needsRoot = false;
    } cases[] = {
        {Program("data.txt"), "is not executable (no execute bit)"},
        {Program("group.sh"), "is writable by its group"},
        {Program("world.sh"), "is writable by other users"},
        {Program("open/in.sh"),
         "lies in folder " + Program("open") + ", which other users can change"},
        {Program("sticky/in.sh"),
         "lies in folder " + Program("sticky") + ", which other users can change"},
        {Program("sticky/ok.lnk"),
         "lies in folder " + Program("sticky") + ", which other users can change"},
        {Program("theirs.lnk"),
         "goes through link " + Program("theirs.lnk") + ", which belongs to user 65534", true},
        {Program("fifo"), "is not a regular file"},
        {"/dev/null", "is not a regular file"},
        {Program(""), "is not a regular file"},
        {"ok.sh", "is not an absolute path"},
        {Program("none.sh"), "cannot be found (No such file or directory)"},
    };
    PosixRunner runner;
    for (const auto& c : cases) {
        if (c.needsRoot && !root) continue;
        std::string why;
        EXPECT_EQ(runner.Start({c.path}, AgentIdentity(), &why), StartResult::Refused) << c.path;
        EXPECT_EQ(why, c.why) << c.path;
    }
    std::string why;
    StartResult own = runner.Start({Program("theirs.lnk")}, AgentIdentity(), &why);
    EXPECT_EQ(own, root ? StartResult::Refused : StartResult::Started)
        << "a link of one's own leads to the program";
    if (own == StartResult::Started) Reap(runner, 1);
    EXPECT_FALSE(corvanta_test::FileExists(Path("owned")));
}

TEST_F(RunnerTest, TheFlippedInProgramNeverRuns) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: the program flipped in belongs to nobody";
    // The link lies in a folder the check accepts; it flips between a
    // trusted program and one of another user as fast as it can. Whatever
    // the check sees is what runs.
    Script("good.sh", "echo x >> " + Path("good"));
    ASSERT_EQ(::mkdir(Program("theirs").c_str(), 0755), 0);
    Script("theirs/evil.sh", "echo x >> " + Path("evil"));
    ASSERT_EQ(::chown(Program("theirs").c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chown(Program("theirs/evil.sh").c_str(), Nobody, Nobody), 0);
    const std::string link = Program("cmd"), next = Program("cmd.next");
    ASSERT_EQ(::symlink(Program("good.sh").c_str(), link.c_str()), 0);
    pid_t flipper = ::fork();
    ASSERT_GE(flipper, 0);
    if (flipper == 0) {
        for (unsigned i = 0;; ++i) {
            ::symlink(i % 2 ? Program("good.sh").c_str() : Program("theirs/evil.sh").c_str(),
                      next.c_str());
            ::rename(next.c_str(), link.c_str());
        }
    }
    PosixRunner runner;
    std::size_t started = 0;
    for (int i = 0; i < 200; ++i) {
        std::string why;
        if (runner.Start({link}, AgentIdentity(), &why) == StartResult::Started) ++started;
    }
    ::kill(flipper, SIGKILL);
    ::waitpid(flipper, nullptr, 0);
    EXPECT_EQ(Reap(runner, started).size(), started);
    EXPECT_GT(started, 0u);
    EXPECT_EQ(SplitLines(ReadFile(Path("good"))).size(), started);
    EXPECT_FALSE(corvanta_test::FileExists(Path("evil")));
}

TEST_F(RunnerTest, CommandFileRunsAsTheOwnerOfTheSettingsThatNamedIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the settings file away";
    Script("whoami.sh", "id -u > " + Path("uid") + "; id -G > " + Path("groups"));
    // Files of the folder's owner are trusted; the output folder is nobody's
    // too, so that the command file can write there.
    ASSERT_EQ(::chmod(Folder().c_str(), 0755), 0);
    ASSERT_EQ(::chown(Folder().c_str(), Nobody, Nobody), 0);
    struct Case {
        uid_t owner;
        const char* uid;
    } cases[] = {{Nobody, "65534\n"}, {0, "0\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.owner);
        ::unlink(Path("uid").c_str());
        WriteSettings([&](UPSSts& s) {
            s.Power_OSDelay = 30;
            s.flag_EnableCommand = 1;
            CopyField(s.CommandFile, sizeof s.CommandFile, Program("whoami.sh").c_str());
            s.Command_Time = 60;
        });
        ASSERT_EQ(::chown(Path(SettingsFileName).c_str(), c.owner, c.owner), 0);
        PosixRunner real;
        Agent agent(ups, real, AgentOptions{});
        agent.Start();
        ups.Next.Status = UPS_ACFAIL;
        agent.Step();
        EXPECT_TRUE(LogHas("Command file started: " + Program("whoami.sh") + " as user " +
                           std::to_string(c.owner)));
        ASSERT_TRUE(WaitUntil([&] { return ReadFile(Path("uid")).size() > 1; }));
        EXPECT_EQ(ReadFile(Path("uid")), c.uid);
        if (c.owner != 0) {
            EXPECT_EQ(ReadFile(Path("groups")).find(" 0"), std::string::npos)
                << "root's groups dropped";
        }
        ups.Next.Status = 0;
    }
}

TEST_F(RunnerTest, SurroundingsOfAStartedProgram) {
    // The folder lock of a running agent must not outlive it in a program
    // it started, such as a shutdown command still running.
    AgentFolderLock lock;
    std::string error;
    ASSERT_EQ(lock.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    ::setenv("LD_PRELOAD", "/nonexistent.so", 1);
    const std::string path = ::getenv("PATH");
    ::setenv("PATH", Folder().c_str(), 1);
    Script("env.sh", "{ echo $$; echo \"$PATH\"; echo \"${LD_PRELOAD-none}\"; pwd;"
                     " readlink /proc/self/fd/0; cut -d' ' -f5 /proc/$$/stat; } > " +
                         Path("env.tmp") + "; mv " + Path("env.tmp") + " " + Path("env") +
                         "; exec sleep 600");
    PosixRunner runner;
    std::string why;
    StartResult started = runner.Start({Program("env.sh")}, AgentIdentity(), &why);
    ::unsetenv("LD_PRELOAD");
    ::setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(started, StartResult::Started) << why;
    ASSERT_TRUE(WaitUntil([&] { return corvanta_test::FileExists(Path("env")); }));
    std::vector<std::string> env = SplitLines(ReadFile(Path("env")));
    ASSERT_EQ(env.size(), 6u);
    const pid_t pid = std::stoi(env[0]);
    EXPECT_EQ(env, (std::vector<std::string>{
                       env[0], "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin",
                       "none", "/", "/dev/null", env[0]}))
        << "fixed PATH, no LD_*, in /, reading /dev/null, in a process group of its own";
    lock.Release();
    EXPECT_EQ(::kill(pid, 0), 0) << "still running";
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::NotRunning);
    ::kill(-pid, SIGKILL);
    Reap(runner, 1);
}

TEST_F(RunnerTest, AProgramOverItsTimeLimitIsKilledWithItsGroup) {
    long long now = 1000;
    PosixRunner runner([&] { return now; }, 60);
    Script("hang.sh", "sleep 600 & echo $$ $! > " + Path("pids") + "; wait");
    std::string why;
    ASSERT_EQ(runner.Start({Program("hang.sh")}, AgentIdentity(), &why), StartResult::Started)
        << why;
    ASSERT_TRUE(WaitUntil([&] { return SplitLines(ReadFile(Path("pids"))).size() == 1; }));
    pid_t script = 0, sleeper = 0;
    ASSERT_EQ(std::sscanf(ReadFile(Path("pids")).c_str(), "%d %d", &script, &sleeper), 2);
    now += 59;
    EXPECT_TRUE(runner.Finished().empty());
    now += 1;
    EXPECT_EQ(
        runner.Finished(),
        std::vector<std::string>{Program("hang.sh") + " did not end within 60 s and was killed"});
    std::vector<std::string> later;
    EXPECT_TRUE(WaitUntil([&] {
        for (auto& text : runner.Finished())
            later.push_back(text);
        return ::kill(script, 0) != 0;
    }));
    EXPECT_TRUE(later.empty()) << "the kill is logged once";
    // A zombie waiting for a busy init counts as gone.
    EXPECT_TRUE(WaitUntil([&] {
        return ::kill(sleeper, 0) != 0 ||
               ReadFile("/proc/" + std::to_string(sleeper) + "/stat").find(") Z") !=
                   std::string::npos;
    })) << "the whole group went";
}

} // namespace
} // namespace agent_test
