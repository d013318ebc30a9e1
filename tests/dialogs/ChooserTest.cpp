// The command-file chooser: a chosen path reaches the actions window's field
// and only OK there stores it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFileDialog>
#include <cstring>

#include <QWidget>

#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "Windows.h"
#include "file.h"

namespace {

using namespace dialogs_test;

class Chooser : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        std::strcpy(PtUPSSts.CommandFile, "/old/command");
        corvanta_test::WriteFileRaw(Path("notify.sh"), "#!/bin/sh\n");
        OpenDialogWindow(FourCharCode("acti"));
        window = ActionsWindow;
        ASSERT_NE(window, nullptr);
    }
    WindowRef window = nullptr;
};

TEST_F(Chooser, OpensOneApplicationModalDialog) {
    ASSERT_TRUE(ClickButton(window, "brow"));
    ASSERT_NE(gOpenFileDialog, nullptr);
    auto* dialog = qobject_cast<QFileDialog*>(NavDialogGetWindow(gOpenFileDialog));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    NavDialogRef first = gOpenFileDialog;
    EXPECT_EQ(ProcessHICommand(FourCharCode("brow"), window), noErr);
    EXPECT_EQ(gOpenFileDialog, first);
    EXPECT_TRUE(IsValidWindowPtr(window));
}

TEST_F(Chooser, AChosenFileReachesTheFieldAndOnlyOkStoresIt) {
    ClickButton(window, "brow");
    ASSERT_TRUE(NavDialogChooseFile(gOpenFileDialog, Path("notify.sh")));
    EXPECT_EQ(gOpenFileDialog, nullptr);
    EXPECT_EQ(Text(window, "acti", 143), Path("notify.sh"));
    EXPECT_STREQ(PtUPSSts.CommandFile, "/old/command");
    ASSERT_TRUE(ClickButton(window, "ok  "));
    EXPECT_EQ(std::string(PtUPSSts.CommandFile), Path("notify.sh"));
    EXPECT_EQ(SettingsLine(Folder(), 30), Path("notify.sh"));
}

TEST_F(Chooser, CancelInEitherWindowChangesNothing) {
    ClickButton(window, "brow");
    ASSERT_TRUE(NavDialogCancel(gOpenFileDialog));
    EXPECT_EQ(gOpenFileDialog, nullptr);
    EXPECT_EQ(Text(window, "acti", 143), "/old/command");
    ClickButton(window, "brow");
    ASSERT_TRUE(NavDialogChooseFile(gOpenFileDialog, Path("notify.sh")));
    ASSERT_TRUE(ClickButton(window, "not!"));
    EXPECT_STREQ(PtUPSSts.CommandFile, "/old/command");
    EXPECT_FALSE(corvanta_test::FileExists(Path(SettingsFileName)));
    EXPECT_FALSE(corvanta_test::FileExists(Path(CommandFileName)));
}

TEST_F(Chooser, APathTooLongForTheSettingsIsShownButNeverStoredCut) {
    std::string dir = Folder();
    while (dir.size() < 300) {
        dir += "/" + std::string(60, 'd');
        ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    }
    const std::string file = dir + "/cmd.sh";
    corvanta_test::WriteFileRaw(file, "#!/bin/sh\n");
    ClickButton(window, "brow");
    ASSERT_TRUE(NavDialogChooseFile(gOpenFileDialog, file));
    EXPECT_EQ(Text(window, "acti", 143), file);
    ClickButton(window, "ok  ");
    EXPECT_STREQ(PtUPSSts.CommandFile, "/old/command");
    EXPECT_EQ(SettingsLine(Folder(), 30), "/old/command");
}

TEST_F(Chooser, APathForAnActionsWindowThatHasGoneIsDropped) {
    ClickButton(window, "brow");
    NavDialogRef dialog = gOpenFileDialog;
    DisposeWindow(window);
    FlushDeletes();
    ASSERT_TRUE(NavDialogChooseFile(dialog, Path("notify.sh")));
    EXPECT_EQ(gOpenFileDialog, nullptr);
    EXPECT_STREQ(PtUPSSts.CommandFile, "/old/command");
}

TEST_F(Chooser, TheCallbackIsMadeOnceAndKept) {
    EXPECT_EQ(GetNavFileEventUPP(), &MyNavFileEventProc);
    EXPECT_EQ(GetNavFileEventUPP(), GetNavFileEventUPP());
}

} // namespace
