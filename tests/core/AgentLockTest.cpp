// The folder lock that keeps one agent per program folder, and the probe the
// monitor uses to see whether an agent is alive.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <unistd.h>

#include "AgentLock.h"
#include "CoreTestSupport.h"

namespace {

using namespace corvanta_test;

class AgentLockTest : public CoreTest {};

TEST_F(AgentLockTest, OneHolderAndTheProbeSeesIt) {
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::NotRunning);
    std::string error;
    AgentFolderLock first;
    ASSERT_EQ(first.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::Running);
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::Running) << "the probe took nothing away";

    // No file in the folder stands for the lock, so deleting files frees nothing.
    EXPECT_TRUE(ListFolder(Folder()).empty());
    AgentFolderLock second;
    EXPECT_EQ(second.Take(Folder(), &error), AgentFolderLock::Result::HeldByAnotherAgent);
    EXPECT_FALSE(second.Held());

    first.Release();
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::NotRunning);
    EXPECT_EQ(second.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
}

TEST_F(AgentLockTest, AProbeInProgressNeverMakesTheAgentRefuse) {
    // A monitor's probe holds a shared lock; the agent waits it out.
    int probe = open(Folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    ASSERT_EQ(flock(probe, LOCK_SH | LOCK_NB), 0);
    AgentFolderLock lock;
    std::string error;
    auto taking = std::async(std::launch::async, [&] { return lock.Take(Folder(), &error); });
    close(probe);
    EXPECT_EQ(taking.get(), AgentFolderLock::Result::Taken) << error;
}

TEST_F(AgentLockTest, FoldersThatCannotBeLocked) {
    WriteFileRaw(Path("file"), "x");
    EXPECT_EQ(ProbeAgentLock(Path("missing")), AgentPresence::NotRunning);
    EXPECT_EQ(ProbeAgentLock(Path("file")), AgentPresence::Unknown);
    AgentFolderLock lock;
    std::string error;
    EXPECT_EQ(lock.Take(Path("file"), &error), AgentFolderLock::Result::Failed);
    EXPECT_NE(error.find(Path("file")), std::string::npos) << error;
}

} // namespace
