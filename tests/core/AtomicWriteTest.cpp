// WriteFileAtomic: the replacement through a temporary file beside the target.
// The old file stays whole on any failure, nothing is left behind, and a link
// planted where a temporary file might go is never followed.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "Folder.h"
#include "file.h"

namespace {

using namespace corvanta_test;

class AtomicWriteTest : public CoreTest {};

TEST_F(AtomicWriteTest, CreatesAndReplacesAFile) {
    const std::string target = Path("target.txt");
    ASSERT_TRUE(WriteFileAtomic(target, std::string("first\n")));
    EXPECT_EQ(ReadFile(target), "first\n");
    ASSERT_TRUE(WriteFileAtomic(target, std::string("second, longer\n")));
    EXPECT_EQ(ReadFile(target), "second, longer\n");
    ASSERT_TRUE(WriteFileAtomic(target, std::string("3\n")));
    EXPECT_EQ(ReadFile(target), "3\n") << "a shorter text leaves no tail of the old one";
    const unsigned char bytes[] = {0, 1, 2, 0xFF, '\n', 0};
    ASSERT_TRUE(WriteFileAtomic(target, bytes, sizeof bytes));
    EXPECT_EQ(ReadFile(target), std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
    ASSERT_TRUE(WriteFileAtomic(target, std::string()));
    EXPECT_EQ(ReadFile(target), "");
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{"target.txt"});
}

TEST_F(AtomicWriteTest, FailsWithoutAFolder) {
    EXPECT_FALSE(WriteFileAtomic(Path("no/such/folder/file"), std::string("x")));
    WriteFileRaw(Path("plain"), "plain");
    EXPECT_FALSE(WriteFileAtomic(Path("plain/file"), std::string("x")));
    EXPECT_EQ(ReadFile(Path("plain")), "plain");
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{"plain"});
}

TEST_F(AtomicWriteTest, AFailedRenameLeavesNoTemporaryFile) {
    // A non-empty folder under the target's name cannot be replaced.
    ASSERT_EQ(mkdir(Path("target").c_str(), 0755), 0);
    WriteFileRaw(Path("target/inside"), "x");
    EXPECT_FALSE(WriteFileAtomic(Path("target"), std::string("data")));
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{"target"});
    EXPECT_EQ(ReadFile(Path("target/inside")), "x");
}

TEST_F(AtomicWriteTest, AFullDiskLeavesTheOldFileWhole) {
    const std::string target = Path("target");
    const std::string old(4000, 'o');
    ASSERT_TRUE(WriteFileAtomic(target, old));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool ok = WriteFileAtomic(target, std::string(10000, 'n'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok) << "a short write must be reported";
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{"target"});
}

TEST_F(AtomicWriteTest, NeverFollowsALinkPlantedUnderATemporaryName) {
    // The temporary name is the implementation's choice; plant links under
    // every name a temporary file beside the target could plausibly take.
    const std::string victim = Path("victim");
    WriteFileRaw(victim, "victim");
    const std::vector<std::string> planted = {
        "target.tmp",  "target~",    ".target.tmp", "target.new",  "target.swp", ".target",
        "target.part", "CALTMP.DAT", "target.TMP",  "target.temp", "#target#",   ".#target"};
    for (const std::string& name : planted)
        ASSERT_EQ(symlink(victim.c_str(), Path(name).c_str()), 0);

    ASSERT_TRUE(WriteFileAtomic(Path("target"), std::string("fresh")));
    EXPECT_EQ(ReadFile(victim), "victim");
    EXPECT_EQ(ReadFile(Path("target")), "fresh");
    EXPECT_FALSE(IsSymlink(Path("target")));
    struct stat st {};
    ASSERT_EQ(stat(victim.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u) << "no hard link to the victim was made";
}

TEST_F(AtomicWriteTest, ALeftoverTemporaryFileNeverBlocks) {
    // Regular files (even read-only ones) under plausible temporary names.
    for (const char* name : {"target.tmp", "target~", ".target.tmp", "target.new"}) {
        WriteFileRaw(Path(name), "left by a crash");
        chmod(Path(name).c_str(), 0444);
    }
    EXPECT_TRUE(WriteFileAtomic(Path("target"), std::string("fresh")));
    EXPECT_EQ(ReadFile(Path("target")), "fresh");
}

TEST_F(AtomicWriteTest, ReplacingKeepsTheOldFileUntilTheRename) {
    // Another open handle of the old file still sees the old bytes in full:
    // the file is replaced, not rewritten in place.
    const std::string target = Path("target");
    ASSERT_TRUE(WriteFileAtomic(target, std::string("old content\n")));
    std::FILE* reader = std::fopen(target.c_str(), "r");
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(WriteFileAtomic(target, std::string("new\n")));
    char buf[64] = {};
    ASSERT_NE(std::fgets(buf, sizeof buf, reader), nullptr);
    std::fclose(reader);
    EXPECT_STREQ(buf, "old content\n");
    EXPECT_EQ(ReadFile(target), "new\n");
}

} // namespace
