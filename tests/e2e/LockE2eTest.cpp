// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's lock against the users of its folder: whatever lock they hold
// on the folder or on a file in it, the real agent starts and the monitor's
// probe sees it; a second agent refuses and says which process runs there.
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>

#include "AgentLock.h"
#include "E2eSupport.h"

namespace e2e {
namespace {

constexpr uid_t Nobody = 65534;

// An agent of a user keeps its lock in $XDG_RUNTIME_DIR/corvanta: there a
// private folder, which the probe is pointed at too; root's stays the real one.
class LockE2e : public E2eTest {
  protected:
    void SetUp() override {
        E2eTest::SetUp();
        SetAgentLockPlaces("", Lock("corvanta"));
        env_ = {{"XDG_RUNTIME_DIR", Lock("")}};
    }
    std::map<std::string, std::string> env_;
};

// A user of the folder holding a flock (how) on target until *release is
// closed; false when the lock could not be had.
bool HoldAsNobody(const std::string& target, int how, bool file, int* release, pid_t* pid) {
    int ready[2], hold[2];
    if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(hold, O_CLOEXEC) != 0) return false;
    *pid = ::fork();
    if (*pid == 0) {
        ::close(hold[1]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            _exit(1);
        const int fd = ::open(target.c_str(), O_RDONLY | (file ? O_CREAT : 0), 0644);
        char ok = fd >= 0 && ::flock(fd, how | LOCK_NB) == 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        (void)!::read(hold[0], &ok, 1); // until the test lets go
        _exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    char ok = '0';
    (void)!::read(ready[0], &ok, 1);
    ::close(ready[0]);
    *release = hold[1];
    return ok == '1';
}

TEST_F(LockE2e, NoLockAUserHoldsInTheFolderStopsTheAgentOrHidesIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hold the locks as another user";
    ASSERT_EQ(::chmod(Folder().c_str(), 0777), 0); // every user may read and write it
    for (const auto& [how, file] :
         {std::pair{LOCK_SH, false}, {LOCK_EX, false}, {LOCK_SH, true}, {LOCK_EX, true}}) {
        SCOPED_TRACE(std::string(how == LOCK_SH ? "shared" : "exclusive") + " lock on the " +
                     (file ? "file" : "folder"));
        int release = -1;
        pid_t holder = -1;
        EXPECT_TRUE(HoldAsNobody(file ? Path("held") : Folder(), how, file, &release, &holder));
        ::unlink(Path(ValuesFileName).c_str());
        StartAgent(OnMains, {}, env_);
        EXPECT_TRUE(WaitForValues(Open)) << ReadFile(Path("agent.out"));
        EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::Running);
        EXPECT_EQ(Terminate(agent_), 0);
        EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::NotRunning);
        ::close(release);
        ::waitpid(holder, nullptr, 0);
    }
}

TEST_F(LockE2e, ASecondAgentRefusesAndTheLogNamesTheFirst) {
    StartAgent(OnMains, {}, env_);
    ASSERT_TRUE(WaitForValues(Open));
    // Nothing in the folder frees the lock when removed.
    for (const char* name : {ValuesFileName, LogFileName, RatingFileName, "scenario.scn"})
        ::unlink(Path(name).c_str());
    const std::string said =
        "nother agent (process " + std::to_string(agent_.Pid) + ") already runs on " + Folder();
    Child second =
        Spawn({AgentBinary, "--folder", Folder(), "--simulate"}, Path("second.out"), env_);
    EXPECT_EQ(WaitExit(second, seconds(5)), 1);
    EXPECT_NE(ReadFile(Path("second.out")).find("corvanta-agent: a" + said), std::string::npos)
        << ReadFile(Path("second.out"));
    EXPECT_TRUE(LogHas("A" + said)) << ReadFile(Path(LogFileName));
    EXPECT_TRUE(Alive(agent_));
    // An agent of a user yields to root's, though it keeps its lock elsewhere.
    if (::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) != 0) return;
    ASSERT_EQ(::chmod(Folder().c_str(), 0755), 0);
    ASSERT_EQ(::chown(Lock("").c_str(), Nobody, Nobody), 0);
    second = Spawn({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                    AgentBinary, "--folder", Folder(), "--simulate"},
                   Path("user.out"), env_);
    EXPECT_EQ(WaitExit(second, seconds(5)), 1);
    EXPECT_NE(ReadFile(Path("user.out")).find("a" + said + " as root"), std::string::npos)
        << ReadFile(Path("user.out"));
}

} // namespace
} // namespace e2e
