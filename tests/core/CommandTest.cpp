// The command file ZAN_CMD.DAT: three lines, requests cleared once written,
// kept raised when the write fails, and requests in a row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "Folder.h"
#include "file.h"

namespace {

using namespace corvanta_test;

class CommandTest : public CoreTest {
  protected:
    std::string CommandPath() const { return Path(CommandFileName); }
};

TEST_F(CommandTest, WritesTheThreeFlagsAsThreeLinesAndClearsThem) {
    struct Case {
        int sts, sch, cancel;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, 0, "0\n0\n0\n"}, {1, 0, 0, "1\n0\n0\n"}, {0, 1, 0, "0\n1\n0\n"},
        {0, 0, 1, "0\n0\n1\n"}, {1, 1, 1, "1\n1\n1\n"},
    };
    for (const Case& c : cases) {
        flag_LoadSTS = c.sts;
        flag_LoadSCH = c.sch;
        flag_LoadCancelShutdown = c.cancel;
        WriteCommand();
        EXPECT_EQ(ReadFile(CommandPath()), c.text);
        EXPECT_EQ(flag_LoadSTS, 0);
        EXPECT_EQ(flag_LoadSCH, 0);
        EXPECT_EQ(flag_LoadCancelShutdown, 0);
    }
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{CommandFileName});
}

TEST_F(CommandTest, AFailedWriteKeepsTheRequestsForTheNextWrite) {
    const std::string good = Folder();
    std::string error;
    // A folder that does not exist.
    ASSERT_TRUE(SetCurDir(Path("gone").c_str(), &error));
    flag_LoadCancelShutdown = 1;
    WriteCommand();
    EXPECT_EQ(flag_LoadCancelShutdown, 1);
    // A path through a regular file.
    WriteFileRaw(Path("plain"), "keep");
    ASSERT_TRUE(SetCurDir(Path("plain").c_str(), &error));
    flag_LoadSTS = 1;
    WriteCommand();
    EXPECT_EQ(flag_LoadSTS, 1);
    EXPECT_EQ(flag_LoadCancelShutdown, 1);
    EXPECT_EQ(ReadFile(Path("plain")), "keep");

    ASSERT_TRUE(SetCurDir(good.c_str(), &error));
    flag_LoadSCH = 1;
    WriteCommand();
    EXPECT_EQ(ReadFile(CommandPath()), "1\n1\n1\n") << "old and new requests go out together";
    EXPECT_EQ(flag_LoadSTS + flag_LoadSCH + flag_LoadCancelShutdown, 0);
}

TEST_F(CommandTest, TwoRequestsInARowGiveTwoFilesTheSecondOnlyCarryingItsOwn) {
    PtUPSSts.LoadWarn = 80;
    WriteUPSSts();
    EXPECT_EQ(ReadFile(CommandPath()), "1\n0\n0\n");
    LoadSchedule(); // allocates an empty calendar
    WriteSchedule();
    EXPECT_EQ(ReadFile(CommandPath()), "0\n1\n0\n") << "the first request is lost if unread";
}

TEST_F(CommandTest, AnUnreadCommandFileIsReplacedWhole) {
    WriteFileRaw(CommandPath(), "1\n1\n1\nsomething the agent left\n");
    flag_LoadCancelShutdown = 1;
    WriteCommand();
    EXPECT_EQ(ReadFile(CommandPath()), "0\n0\n1\n");
}

} // namespace
