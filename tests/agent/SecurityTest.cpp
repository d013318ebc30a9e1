// Which programs the agent is willing to run.
#include <sys/stat.h>
#include <unistd.h>

#include "AgentTestSupport.h"
#include "Security.h"

namespace agent_test {
namespace {

TEST_F(AgentTest, TrustedProgramChecks) {
    ::mkdir(Path("open").c_str(), 0777);
    ::chmod(Path("open").c_str(), 0777);
    ::mkdir(Path("sticky").c_str(), 0777);
    ::chmod(Path("sticky").c_str(), 01777);
    ::mkdir(Path("dir.sh").c_str(), 0755);
    WriteFile(Path("ok.sh"), "#!/bin/sh\n", 0755);
    WriteFile(Path("group.sh"), "#!/bin/sh\n", 0775);
    WriteFile(Path("world.sh"), "#!/bin/sh\n", 0757);
    WriteFile(Path("open/in.sh"), "#!/bin/sh\n", 0755);
    WriteFile(Path("sticky/in.sh"), "#!/bin/sh\n", 0755);
    ::symlink(Path("ok.sh").c_str(), Path("link.sh").c_str());
    ::symlink(Path("group.sh").c_str(), Path("badlink.sh").c_str());
    struct Case {
        std::string path;
        bool ok;
        std::string why;
    } cases[] = {
        {Path("ok.sh"), true, ""},
        {Path("link.sh"), true, ""},
        {Path("group.sh"), false, "is writable by its group"},
        {Path("badlink.sh"), false, "is writable by its group"},
        {Path("world.sh"), false, "is writable by other users"},
        {Path("dir.sh"), false, "is not a regular file"},
        {Path("open/in.sh"), false,
         "lies in folder " + Path("open") + ", which other users can change"},
        {Path("sticky/in.sh"), true, ""},
        {"ok.sh", false, "is not an absolute path"},
        {"", false, "is not an absolute path"},
        {Path("none.sh"), false, "cannot be found (No such file or directory)"},
        {"/bin/sh", true, ""},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(IsTrustedProgram(c.path, &why), c.ok) << c.path;
        EXPECT_EQ(why, c.why) << c.path;
    }
}

TEST_F(AgentTest, ProgramOwnedByAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file away";
    WriteFile(Path("theirs.sh"), "#!/bin/sh\n", 0755);
    ASSERT_EQ(::chown(Path("theirs.sh").c_str(), 54321, 54321), 0);
    std::string why;
    EXPECT_FALSE(IsTrustedProgram(Path("theirs.sh"), &why));
    EXPECT_EQ(why, "belongs to user 54321, not to root or to the agent's user");
}

TEST(TrustedDataFile, ModesAndOwners) {
    struct Case {
        mode_t mode;
        uid_t owner;
        uid_t folderOwner;
        bool ok;
    } cases[] = {
        {S_IFREG | 0644, 0, 0, true},
        {S_IFREG | 0600, 54321, 54321, true},
        {S_IFREG | 0644, 54321, 0, ::geteuid() == 54321},
        {S_IFREG | 0664, 0, 0, false},
        {S_IFREG | 0646, 0, 0, false},
        {S_IFIFO | 0644, 0, 0, false},
        {S_IFDIR | 0755, 0, 0, false},
    };
    for (const auto& c : cases) {
        struct stat st {};
        st.st_mode = c.mode;
        st.st_uid = c.owner;
        std::string why;
        EXPECT_EQ(IsTrustedDataFile(st, c.folderOwner, &why), c.ok) << std::oct << c.mode;
    }
}

TEST_F(AgentTest, OpeningForReadNeitherFollowsLinksNorBlocksOnFifos) {
    WriteFile(Path("file"), "x");
    ::symlink(Path("file").c_str(), Path("link").c_str());
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    struct stat st {};
    int fd = OpenForReadNoFollow(Path("file"), &st);
    EXPECT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(OpenForReadNoFollow(Path("link"), &st), -1);
    EXPECT_EQ(errno, ELOOP);
    fd = OpenForReadNoFollow(Path("fifo"), &st);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ::close(fd);
}

} // namespace
} // namespace agent_test
