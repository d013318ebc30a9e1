// Which files the agent is willing to read.
#include <sys/stat.h>
#include <unistd.h>

#include "AgentTestSupport.h"
#include "CoreTestSupport.h"
#include "Security.h"
#include "file.h"

namespace agent_test {
namespace {

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

TEST_F(AgentTest, GoesOnWhateverStandsUnderAFolderFileName) {
    using namespace corvanta_test;
    const char* names[] = {SettingsFileName, CalendarFileName, CommandFileName,
                           LogFileName,      ValuesFileName,   RatingFileName};
    for (const char* name : names) {
        for (Standin what : AllStandins) {
            const std::string trace = std::string(name) + ", " + StandinName(what);
            SCOPED_TRACE(trace);
            agent.reset();
            for (const std::string& entry : ListFolder(Folder()))
                RemoveTree(Path(entry));
            PlantStandin(Path(name), what, "");
            {
                Watchdog watchdog(30, trace);
                StartAgent();
                Seconds(2);
            }
            EXPECT_EQ(ReadValues().flag_OpenUPS, 1);
        }
    }
}

} // namespace
} // namespace agent_test
