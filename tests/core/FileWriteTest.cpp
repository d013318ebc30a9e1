// Replacing files: WriteFileAtomic itself (old file whole after any failure,
// nothing left behind, never through a planted link) and the writers built on
// it, with the command file's request flags.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Folder.h"
#include "file.h"

namespace {

using namespace corvanta_test;
using Names = std::vector<std::string>;

class FileWriteTest : public CoreTest {};

TEST_F(FileWriteTest, CreatesAndReplacesWholeWithTheUsualPermissions) {
    const std::string target = Path("target");
    const mode_t mask = umask(022);
    const std::string texts[] = {"first\n", "second, longer\n", "3\n", std::string("\0\1\xFF\n", 4),
                                 ""};
    for (const std::string& text : texts) {
        ASSERT_TRUE(WriteFileAtomic(target, text));
        EXPECT_EQ(ReadFile(target), text) << "no tail of the old text";
    }
    umask(mask);
    // The agent may run as another user: readable like a plain fopen "w" file.
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(ListFolder(Folder()), Names{"target"});
}

TEST_F(FileWriteTest, FailuresLeaveNothingBehind) {
    WriteFileRaw(Path("plain"), "plain");
    ASSERT_EQ(mkdir(Path("dir").c_str(), 0755), 0);
    WriteFileRaw(Path("dir/inside"), "x"); // a non-empty folder cannot be renamed over
    for (const char* name : {"no/such/folder/file", "plain/file", "dir"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(WriteFileAtomic(Path(name), std::string("data")));
        EXPECT_EQ(ListFolder(Folder()), (Names{"dir", "plain"}));
        EXPECT_EQ(ListFolder(Path("dir")), Names{"inside"});
        EXPECT_EQ(ReadFile(Path("plain")), "plain");
    }
}

TEST_F(FileWriteTest, NeverFollowsALinkOrStumblesOverALeftoverFile) {
    // The temporary name is the implementation's choice: plant links and
    // read-only files under every name it could plausibly take.
    const std::string victim = Path("victim");
    WriteFileRaw(victim, "victim");
    const Names links = {"target.tmp", "target~",     "target.new", "target.swp", ".target",
                         "CALTMP.DAT", "target.temp", "#target#",   ".#target",   "target.TMP"};
    for (const std::string& name : links)
        ASSERT_EQ(symlink(victim.c_str(), Path(name).c_str()), 0);
    for (const char* name : {".target.tmp", "target.part", "target.bak"}) {
        WriteFileRaw(Path(name), "left by a crash");
        chmod(Path(name).c_str(), 0444);
    }
    ASSERT_TRUE(WriteFileAtomic(Path("target"), std::string("fresh")));
    EXPECT_EQ(ReadFile(victim), "victim");
    EXPECT_EQ(ReadFile(Path("target")), "fresh");
    EXPECT_FALSE(IsSymlink(Path("target")));
    struct stat st {};
    ASSERT_EQ(stat(victim.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u) << "no hard link to the victim";
}

struct Writer {
    const char* file;
    std::function<void()> write; // raises its request and writes
    int* flag;                   // the request it raises
};

std::vector<Writer> Writers() {
    return {
        {SettingsFileName, [] { WriteUPSSts(); }, &flag_LoadSTS},
        {CalendarFileName,
         [] {
             LoadSchedule();
             PtSchedule[7] = ScheduleStr{1, 2, 3};
             WriteSchedule();
         },
         &flag_LoadSCH},
        {CommandFileName,
         [] {
             flag_LoadCancelShutdown = 1;
             WriteCommand();
         },
         &flag_LoadCancelShutdown},
    };
}

TEST_F(FileWriteTest, AFullDiskLeavesTheOldFileWhole) {
    SetTestTime(2024, 5, 15, 10, 0);
    const std::string old = "old, longer than the limit\n";
    for (const Writer& w : Writers()) {
        SCOPED_TRACE(w.file);
        for (const std::string& name : ListFolder(Folder()))
            std::remove(Path(name).c_str());
        WriteFileRaw(Path(w.file), old);
        WithFileSizeLimit(3, w.write);
        EXPECT_EQ(ReadFile(Path(w.file)), old);
        EXPECT_EQ(ListFolder(Folder()), Names{w.file}) << "no temporary file, no request sent";
        // A file that was written sends its request; one that was not, none.
        EXPECT_EQ(*w.flag, w.flag == &flag_LoadCancelShutdown ? 1 : 0);
        *w.flag = 0;
    }
}

TEST_F(FileWriteTest, CommandFlagsAreWrittenAsThreeLinesAndCleared) {
    struct Case {
        int sts, sch, cancel;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, 0, "0\n0\n0\n"}, {1, 0, 0, "1\n0\n0\n"}, {0, 1, 0, "0\n1\n0\n"},
        {0, 0, 1, "0\n0\n1\n"}, {1, 1, 1, "1\n1\n1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFileRaw(Path(CommandFileName), "1\n1\n1\nleft unread by the agent\n");
        flag_LoadSTS = c.sts;
        flag_LoadSCH = c.sch;
        flag_LoadCancelShutdown = c.cancel;
        WriteCommand();
        EXPECT_EQ(ReadFile(Path(CommandFileName)), c.text);
        EXPECT_EQ(flag_LoadSTS + flag_LoadSCH + flag_LoadCancelShutdown, 0);
    }
    // Two saves in a row: the second file carries only its own request.
    WriteUPSSts();
    LoadSchedule();
    WriteSchedule();
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "0\n1\n0\n");
}

TEST_F(FileWriteTest, ARequestThatCouldNotBeWrittenGoesOutWithTheNext) {
    // A folder under the command file's name: the settings are written, the
    // request cannot be and waits.
    ASSERT_EQ(mkdir(Path(CommandFileName).c_str(), 0755), 0);
    WriteUPSSts();
    EXPECT_TRUE(FileExists(Path(SettingsFileName)));
    EXPECT_EQ(flag_LoadSTS, 1);
    EXPECT_EQ(ListFolder(Folder()), (Names{CommandFileName, SettingsFileName}));
    RemoveTree(Path(CommandFileName));
    flag_LoadCancelShutdown = 1;
    WriteCommand();
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "1\n0\n1\n");
    EXPECT_EQ(flag_LoadSTS + flag_LoadCancelShutdown, 0);
}

} // namespace
