// The folder lock that keeps one agent per program folder, and the probe the
// monitor uses to see whether an agent is alive.
#include <gtest/gtest.h>

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
