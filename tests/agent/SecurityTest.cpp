// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the agent is willing to read and run, and the program runner for
// real: what runs is exactly what was checked, with whose rights, in what
// surroundings and for how long.
#include <atomic>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>

#include "AgentLock.h"
#include "AgentTestSupport.h"
#include "CommandRunner.h"
#include "EventPrograms.h"

namespace agent_test {
namespace {

constexpr uid_t Nobody = 65534;
constexpr mode_t OnEvent = 1; // a program run at an event, not directly

// Root writes anywhere: a read-only folder is a tmpfs mounted so in a mount
// namespace of this process alone, taken before any thread starts.
const bool privateMounts = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                           ::mount(nullptr, "/", nullptr, MS_PRIVATE | MS_REC, nullptr) == 0;

// Bounded waits for child processes: generous, a loaded machine is slow.
bool WaitUntil(const std::function<bool()>& ok) {
    for (int i = 0; i < 3000 && !ok(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
        corvanta_test::RemoveTree(programs_);
        AgentTest::TearDown();
    }
    std::string Program(const std::string& name) const { return programs_ + "/" + name; }
    void Script(const std::string& name, const std::string& body, int mode = 0755) {
        WriteFile(Program(name), "#!/bin/sh\n" + body + "\n", mode);
    }
    // Collects Finished() until n programs have ended.
    std::size_t Reap(PosixRunner& runner, std::size_t n) {
        std::size_t ended = 0;
        WaitUntil([&] { return (ended += runner.Finished().size()) >= n; });
        return ended;
    }
    // Collects the reports of events until there are n.
    static std::vector<std::string> Reports(Integration& events, std::size_t n) {
        std::vector<std::string> all;
        WaitUntil([&] {
            std::ranges::copy(events.TakeReports(), std::back_inserter(all));
            return all.size() >= n;
        });
        return all;
    }
    std::string programs_;
};

// The data files (by name, planted with the mode's file type; mode 0: a
// link) and the programs (by path, planted beforehand; OnEvent: run at an
// event). A data file of nobody's lies in a folder of nobody's.
TEST_F(RunnerTest, RefusesWhatOthersCouldChangeAndWhatIsNoProgram) {
    const bool root = ::geteuid() == 0;
    Script("ok.sh", "");
    WriteFile(Program("data.txt"), "; id > " + Path("owned") + "\n", 0644);
    Script("world.sh", "", 0757);
    Script("group.sh", "", 0775);
    ASSERT_EQ(::mkdir(Program("sticky").c_str(), 0755), 0);
    ::chmod(Program("sticky").c_str(), 01777);
    Script("sticky/in.sh", "");
    for (const char* link : {"sticky/ok.lnk", "theirs.lnk"})
        ASSERT_EQ(::symlink(Program("ok.sh").c_str(), Program(link).c_str()), 0);
    ASSERT_EQ(root ? ::lchown(Program("theirs.lnk").c_str(), Nobody, Nobody) : 0, 0);
    ASSERT_EQ(::mkfifo(Program("fifo").c_str(), 0755), 0);
    // s1 starts five scripts in a row, the most the kernel runs; s0 six.
    for (int i = 5; i >= 0; --i)
        WriteFile(Program("s" + std::to_string(i)),
                  "#!" + (i < 5 ? Program("s" + std::to_string(i + 1)) : "/bin/sh") + "\n", 0755);
    Script("py", "id > " + Path("owned"));
    ASSERT_EQ(root ? ::chown(Program("py").c_str(), Nobody, Nobody) : 0, 0);
    WriteFile(Program("theirs.sh"), "#! " + Program("py") + " -x\n", 0755);
    WriteFile(Program("rel.sh"), "#!sh\n", 0755);
    const std::string open = ", which other users can change";
    // The file, its mode, its owner, why it is refused (empty: taken).
    const std::tuple<std::string, mode_t, uid_t, std::string> cases[] = {
        // clang-format off
        {SettingsFileName, S_IFREG | 0600, Nobody, ""},
        {SettingsFileName, S_IFREG | 0664, 0, "is writable by its group"},
        {SettingsFileName, S_IFREG | 0646, 0, "is writable by other users"},
        {SettingsFileName, 0, 0, "is a symbolic link"},
        {SettingsFileName, S_IFREG | 0644, 54321, "belongs to user 54321, not to root or to the agent's user"},
        {SettingsFileName, S_IFIFO | 0644, 0, "is not a regular file"},
        {CalendarFileName, S_IFREG | 0646, 0, "is writable by other users"},
        {CalendarFileName, 0, 0, "is a symbolic link"},
        {CommandFileName, S_IFREG | 0646, 0, "is writable by other users"},
        {CommandFileName, 0, 0, "is a symbolic link"},
        {Program("data.txt"), 0, 0, "is not executable (no execute bit)"},
        {Program("world.sh"), 0, 0, "is writable by other users"},
        {Program("group.sh"), OnEvent, 0, "is writable by its group"},
        {Program("sticky/ok.lnk"), OnEvent, 0, "lies in folder " + Program("sticky") + open},
        {Program("sticky/in.sh"), 0, 0, "lies in folder " + Program("sticky") + open},
        {Program("sticky/ok.lnk"), 0, 0, "lies in folder " + Program("sticky") + open},
        {Program("theirs.lnk"), 0, Nobody, "goes through link " + Program("theirs.lnk") + ", which belongs to user 65534"},
        {Program("fifo"), 0, 0, "is not a regular file"},
        {"ok.sh", 0, 0, "is not an absolute path"},
        {"", 0, 0, "nothing to run"},
        {Program("s1"), 0, 0, ""},
        {Program("s0"), 0, 0, "runs through more interpreters that are scripts than the system allows (5 scripts in a row)"},
        {Program("theirs.sh"), 0, Nobody, "runs through interpreter " + Program("py") + ", which belongs to user 65534, not to root or to user 0 who would run it"},
        {Program("rel.sh"), 0, 0, "runs through interpreter sh, which is not an absolute path"},
        // clang-format on
    };
    UPSSts settings{};
    DefaultUPSSts(&settings);
    settings.Power_OSDelay = 11;
    for (const auto& [file, mode, owner, why] : cases) {
        if (owner && !root) continue;
        SCOPED_TRACE(file + " " + std::to_string(mode) + " " + std::to_string(owner));
        if (mode == OnEvent) {
            EventPrograms events({file});
            events.OnEvent(AgentEvent{});
            EXPECT_EQ(Reports(events, 1),
                      std::vector<std::string>{"Event program refused: " + file + " " + why});
            continue;
        }
        if (file.empty() || file[0] == '/' || file == "ok.sh") {
            PosixRunner runner;
            std::string said;
            const auto argv = file.empty() ? std::vector<std::string>{} : std::vector{file};
            EXPECT_EQ(runner.Start(argv, AgentIdentity(), &said),
                      why.empty() ? StartResult::Started : StartResult::Refused);
            EXPECT_EQ(said, why);
            if (why.empty()) Reap(runner, 1);
            continue;
        }
        agent.reset();
        for (const std::string& entry : corvanta_test::ListFolder(Folder()))
            corvanta_test::RemoveTree(Path(entry));
        const int reader = file == SettingsFileName ? 0 : file == CalendarFileName ? 1 : 2;
        const std::string path = S_ISREG(mode) ? Path(file) : Path("real");
        WriteFile(path, std::array{FormatUPSSts(settings),
                                   CalendarWith(2026, {{3, 10, 0, ScheduleTest, 14, 1}}),
                                   std::string("0\n0\n1\n")}[reader]);
        EXPECT_TRUE(mode || ::symlink(path.c_str(), Path(file).c_str()) == 0);
        if (S_ISFIFO(mode)) ::mkfifo(Path(file).c_str(), 0644);
        if (mode) ::chmod(path.c_str(), mode & 07777);
        // Only root can give files away; the rows that need it say so.
        EXPECT_TRUE(::chown(path.c_str(), owner, owner) == 0 || ::geteuid() != 0);
        EXPECT_TRUE(::chown(Folder().c_str(), owner == Nobody ? Nobody : 0, 0) == 0 ||
                    ::geteuid() != 0);
        ups.Done.clear();
        SetTestTime(2026, 3, 10, 14, 0, 0);
        StartAgent();
        Seconds(61);
        const bool taken = std::array{agent->Settings().Power_OSDelay == 11, !ups.Done.empty(),
                                      LogHas("Cancel request")}[reader];
        EXPECT_EQ(taken, why.empty()) << testing::PrintToString(LogTexts());
        EXPECT_EQ(LogHas(std::array{"Settings file", "Calendar", "Request"}[reader] +
                         std::string(" refused: ") + file + " " + why),
                  !why.empty());
        EXPECT_TRUE(mode || FileExists(path)) << "only the link goes";
        EXPECT_TRUE(reader < 2 || !FileExists(Path(file))) << "removed once read";
    }
    // A library is checked alike, without asking for the execute bit.
    for (const auto& [file, why] :
         {std::pair{Program("data.txt"), std::string()},
          {Program("world.sh"), std::string("is writable by other users")}}) {
        std::string said;
        EXPECT_EQ(!OpenTrustedLibrary(file, ::geteuid(), &said), !why.empty());
        EXPECT_EQ(said, why);
    }
    EXPECT_FALSE(FileExists(Path("owned")));
}

// Whatever stands under a folder file's name, or where a request is taken
// aside to be read, the agent goes on: it never blocks, never reads without
// end, replaces what it writes and still reads the requests.
TEST_F(AgentTest, GoesOnWhateverStandsUnderAFolderFileName) {
    using namespace corvanta_test;
    const std::string taken = "ZAN_CMD.TAKEN";
    for (const std::string name : {SettingsFileName, CalendarFileName, CommandFileName, LogFileName,
                                   ValuesFileName, RatingFileName, taken.c_str()}) {
        for (Standin what : AllStandins) {
            const std::string trace = name + ", " + StandinName(what);
            SCOPED_TRACE(trace);
            agent.reset();
            for (const std::string& entry : ListFolder(Folder()))
                RemoveTree(Path(entry));
            PlantStandin(Path(name), what, "");
            // One that cannot be removed: requests are read in place.
            if (name == taken && what == Standin::Folder) WriteFile(Path(name + "/x"), "");
            Watchdog watchdog(30, trace);
            StartAgent();
            Seconds(2);
            EXPECT_EQ(ReadValues().flag_OpenUPS, 1);
            EXPECT_EQ(ReadFile(Path(RatingFileName)), "2300\n43\n240\n");
            if (name == SettingsFileName || name == CommandFileName) continue;
            WriteSettings([&](UPSSts& s) { s.Power_OSDelay = 21; });
            WriteFile(Path(CommandFileName), "1\n0\n0\n");
            Seconds(1);
            EXPECT_EQ(agent->Settings().Power_OSDelay, 21);
            EXPECT_FALSE(FileExists(Path(CommandFileName)));
        }
    }
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
    const std::string link = Program("cmd"), next = Program("cmd.next"), good = Program("good.sh"),
                      evil = Program("theirs/evil.sh");
    ASSERT_EQ(::symlink(good.c_str(), link.c_str()), 0);
    const pid_t flipper = ::fork();
    ASSERT_GE(flipper, 0);
    if (flipper == 0) // the child flips until it is killed
        for (unsigned i = 0;; ++i) {
            if (::symlink((i % 2 ? good : evil).c_str(), next.c_str()) == 0)
                ::rename(next.c_str(), link.c_str());
        }
    PosixRunner runner;
    std::size_t started = 0;
    std::string why;
    for (int i = 0; i < 200; ++i)
        started += runner.Start({link}, AgentIdentity(), &why) == StartResult::Started;
    ::kill(flipper, SIGKILL);
    ::waitpid(flipper, nullptr, 0);
    EXPECT_EQ(Reap(runner, started), started);
    EXPECT_GT(started, 0u);
    EXPECT_EQ(SplitLines(ReadFile(Path("good"))).size(), started);
    EXPECT_FALSE(FileExists(Path("evil")));
}

// The command file runs as the user whose word the settings are: a file of
// root's in another user's folder may be one of the agent's own renamed
// there, and one in a folder others can change may be anyone's. Swapped:
// the agent's ratings file renamed over the settings and reloaded; nothing
// of the old settings carries over to the new owner. What ran says whose
// rights it had, root's groups dropped.
TEST_F(RunnerTest, CommandFileRunsAsTheUserWhoseWordTheSettingsAre) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the files away";
    const std::string cmd = Program("whoami.sh"), started = "Command file started: " + cmd;
    Script("whoami.sh", "id -u > " + Path("uid") + "; id -G > " + Path("groups"));
    // The owners of the folder and of the settings, the folder's mode, whether
    // swapped; what is logged (empty: the command file is not mentioned) and
    // the user the command file wrote (empty: it never ran).
    const std::tuple<uid_t, uid_t, mode_t, bool, std::string, std::string> cases[] = {
        {0, 0, 0755, false, started + " as user 0", "0\n"},
        {Nobody, 0, 0755, false, started + " as user 65534", "65534\n"},
        {Nobody, Nobody, 0755, false, started + " as user 65534", "65534\n"},
        {0, 0, 0757, false,
         "Command file refused: " + cmd + " is named by settings in the program folder " +
             Folder() + ", which other users can change",
         ""},
        {Nobody, Nobody, 0755, true, "", ""},
    };
    PosixRunner real;
    for (const auto& [folder, owner, mode, swapped, logged, uid] : cases) {
        SCOPED_TRACE(swapped ? "swapped" : logged);
        agent.reset();
        for (const char* name : {LogFileName, "uid", "groups"})
            ::unlink(Path(name).c_str());
        WriteSettings([&](UPSSts& s) {
            s.flag_EnableCommand = 1;
            CopyField(s.CommandFile, sizeof s.CommandFile, cmd.c_str());
        });
        ASSERT_EQ(::chown(Path(SettingsFileName).c_str(), owner, owner), 0);
        ASSERT_EQ(::chown(Folder().c_str(), folder, folder) + ::chmod(Folder().c_str(), mode), 0);
        ups.Next.Status = 0;
        StartAgent({}, &real);
        if (swapped) {
            ASSERT_EQ(::rename(Path(RatingFileName).c_str(), Path(SettingsFileName).c_str()), 0);
            WriteFile(Path(CommandFileName), "1\n0\n0\n");
            Seconds(1);
        }
        ups.Next.Status = UPS_ACFAIL;
        Seconds(180);
        EXPECT_EQ(LogHas(logged.empty() ? "Command file" : logged), !logged.empty())
            << testing::PrintToString(LogTexts());
        ASSERT_TRUE(uid.empty() || WaitUntil([&] { return ReadFile(Path("groups")).size() > 1; }));
        EXPECT_EQ(ReadFile(Path("uid")), uid);
        EXPECT_TRUE(uid != "65534\n" || ReadFile(Path("groups")).find(" 0") == std::string::npos)
            << "root's groups dropped";
    }
    agent.reset();
}

// A folder that takes no change costs one line per cause, not one a second.
TEST_F(AgentTest, AReadOnlyFolderIsReportedOncePerCause) {
    const bool root = ::geteuid() == 0;
    if (root && !privateMounts) GTEST_SKIP() << "no mount namespace of our own";
    ASSERT_TRUE(!root || ::mount("tmpfs", Folder().c_str(), "tmpfs", 0, "size=512k") == 0);
    ASSERT_EQ(root ? ::mount(nullptr, Folder().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr)
                   : ::chmod(Folder().c_str(), 0555),
              0);
    UniqueFile echo(std::tmpfile()), errors(std::tmpfile());
    agent = std::make_unique<Agent>(ups, ups, AgentOptions{{}, echo.get(), errors.get()});
    Seconds(5);
    ASSERT_EQ(root ? ::umount2(Folder().c_str(), MNT_DETACH) : ::chmod(Folder().c_str(), 0755), 0);
    for (std::FILE* f : {echo.get(), errors.get()}) {
        std::rewind(f);
        std::vector<std::string> texts;
        for (char line[512]; std::fgets(line, sizeof line, f);)
            texts.emplace_back(line + (f == echo.get() ? 22 : 0));
        EXPECT_EQ(std::set(texts.begin(), texts.end()).size(), texts.size())
            << testing::PrintToString(texts);
        EXPECT_GE(texts.size(), f == echo.get() ? 4u : 2u) << "the folder is reported";
    }
}

TEST_F(RunnerTest, SurroundingsOfAStartedProgramAndItsTimeLimit) {
    // The folder lock of a running agent must not outlive it in a program
    // it started, such as a shutdown command still running.
    AgentFolderLock lock;
    std::string why;
    ASSERT_EQ(lock.Take(Folder(), &why), AgentFolderLock::Result::Taken) << why;
    ::setenv("LD_PRELOAD", "/nonexistent.so", 1);
    const std::string path = ::getenv("PATH");
    ::setenv("PATH", Folder().c_str(), 1);
    Script("env.sh", "sleep 600 & { echo $$; echo $!; echo \"$PATH\"; echo \"${LD_PRELOAD-none}\";"
                     " pwd; readlink /proc/self/fd/0; cut -d' ' -f5 /proc/$$/stat; } > " +
                         Path("env.tmp") + "; mv " + Path("env.tmp") + " " + Path("env") +
                         "; wait");
    long long now = 1000;
    PosixRunner runner([&] { return now; }, 60);
    StartResult started = runner.Start({Program("env.sh")}, AgentIdentity(), &why);
    ::unsetenv("LD_PRELOAD");
    ::setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(started, StartResult::Started) << why;
    ASSERT_TRUE(WaitUntil([&] { return FileExists(Path("env")); }));
    std::vector<std::string> env = SplitLines(ReadFile(Path("env")));
    ASSERT_EQ(env.size(), 7u);
    const pid_t script = std::stoi(env[0]), sleeper = std::stoi(env[1]);
    EXPECT_EQ(env,
              (std::vector<std::string>{
                  env[0], env[1], "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin",
                  "none", "/", "/dev/null", env[0]}))
        << "fixed PATH, no LD_*, in /, reading /dev/null, in a process group of its own";
    struct stat held = {}, st = {};
    ASSERT_EQ(::stat(lock.Path().c_str(), &held), 0);
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + env[0] + "/fd"))
        EXPECT_FALSE(::stat(fd.path().c_str(), &st) == 0 && st.st_ino == held.st_ino &&
                     st.st_dev == held.st_dev)
            << "the agent's lock reached the program";
    now += 59;
    EXPECT_TRUE(runner.Finished().empty()) << "still running";
    now += 1;
    const std::string name = Program("env.sh");
    EXPECT_EQ(runner.Finished(),
              (std::vector<ProgramEnd>{
                  {name, name + " did not end within 60 s and was killed", false, true}}));
    // A zombie waiting for a busy init counts as gone.
    EXPECT_TRUE(WaitUntil([&] {
        runner.Finished();
        return ::kill(script, 0) != 0 &&
               (::kill(sleeper, 0) != 0 ||
                ReadFile("/proc/" + std::to_string(sleeper) + "/stat").find(") Z") !=
                    std::string::npos);
    })) << "the whole group went";
}

// The programs run one at a time with the event in their environment, a
// figure not known left out; behind a hang, the oldest waiting runs go.
TEST_F(RunnerTest, EventProgramsSeeTheEventOneAtATime) {
    const std::string env = Program("env.sh"), tz = ::getenv("TZ") ? ::getenv("TZ") : "";
    Script("env.sh", "env | grep ^CORVANTA_ | sort > " + Path("m") + "$CORVANTA_MESSAGE\n" +
                         "case $CORVANTA_MESSAGE in 0) exec sleep 600;; 66) exit 3; esac");
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
    ::setenv("CORVANTA_RUNTIME", "inherited", 1);
    std::atomic<long long> now = 1000;
    EventPrograms events({env}, [&] { return now.load(); });
    events.OnEvent({"power-fail", "0", 1773147605, "ups@server:3493", 87.5, 1200, 30.0});
    ASSERT_TRUE(WaitUntil([&] { return !ReadFile(Path("m0")).empty(); })); // sort writes once
    for (int i = 1; i <= 66; ++i)
        events.OnEvent({"power-back", std::to_string(i), 1773147605, "", {}, {}, {}});
    now += 60;
    const std::vector<std::string> reports = Reports(events, 3);
    ::unsetenv("CORVANTA_RUNTIME");
    tz.empty() ? ::unsetenv("TZ") : ::setenv("TZ", tz.c_str(), 1);
    ::tzset();
    const std::string at = "CORVANTA_TIME=2026-03-10T14:00:05+01:00\n"; // 1773147605 in CET
    EXPECT_EQ(ReadFile(Path("m0")),
              "CORVANTA_CHARGE=87.5\nCORVANTA_EVENT=power-fail\n"
              "CORVANTA_LOAD=30\nCORVANTA_MESSAGE=0\nCORVANTA_RUNTIME=1200\n" +
                  at + "CORVANTA_UPS=ups@server:3493\n");
    EXPECT_EQ(ReadFile(Path("m66")),
              "CORVANTA_EVENT=power-back\nCORVANTA_MESSAGE=66\n" + at + "CORVANTA_UPS=\n");
    EXPECT_TRUE(!FileExists(Path("m2")) && FileExists(Path("m3"))) << "the newest 64 run";
    EXPECT_EQ(reports, (std::vector<std::string>{
                           "Event programs fall behind: the oldest waiting ones are dropped",
                           "Event program " + env + " did not end within 60 s and was killed",
                           "Event program " + env + " ended with exit status 3"}));
}

} // namespace
} // namespace agent_test
