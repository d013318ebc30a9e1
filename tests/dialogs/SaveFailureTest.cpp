// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A save that fails never passes for one: each window that writes stays open
// over a message naming the file and the reason, keeps what the user set,
// leaves the file and the records as they were, and saves once the folder is
// mended.
#include <sched.h>
#include <sys/mount.h>

#include <QMessageBox>
#include <QSettings>
#include <QtTest/QTest>

#include "DialogTestSupport.h"
#include "Preferences.h"

namespace {

using namespace dialogs_test;
using corvanta_test::ReadFile;

// Root writes anywhere: its folder is made unwritable or full as a tmpfs in a
// mount namespace of this process alone, taken before any thread starts and
// gone with the process.
const bool root = geteuid() == 0;
const bool privateMounts = root && unshare(CLONE_NEWNS) == 0 &&
                           mount(nullptr, "/", nullptr, MS_PRIVATE | MS_REC, nullptr) == 0;

enum Fault { Unwritable, DiskFull, FolderAtName };

class SaveFailure : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        if (root && !privateMounts) GTEST_SKIP() << "no mount namespace of our own";
        ASSERT_TRUE(!root || mount("tmpfs", Folder().c_str(), "tmpfs", 0, "size=512k") == 0);
        QCoreApplication::setOrganizationName(QStringLiteral("Corvanta")); // none is an error
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(Folder()));
        SetTestTime(2026, 3, 10, 12, 0);
    }
    void TearDown() override {
        if (privateMounts) umount2(Folder().c_str(), MNT_DETACH);
        DialogTest::TearDown();
    }
    // Brings the fault on the file's folder, or (mend) takes it away.
    void Fault(enum Fault f, const std::string& file, bool mend) {
        const std::string filler = Folder() + "/filler";
        int rc = 0;
        if (f == FolderAtName)
            rc = mend ? rmdir(file.c_str()) : unlink(file.c_str()) + mkdir(file.c_str(), 0755);
        else if (f == Unwritable && root)
            rc = mount(nullptr, Folder().c_str(), nullptr, MS_REMOUNT | (mend ? 0 : MS_RDONLY),
                       nullptr);
        else if (f == Unwritable)
            rc = chmod(file.substr(0, file.rfind('/')).c_str(), mend ? 0755 : 0555);
        else if (root && mend)
            rc = unlink(filler.c_str());
        else if (root) // cat goes on until the disk is full, then fails: rc 0
            rc = std::system(("cat /dev/zero > '" + filler + "' 2>/dev/null").c_str()) == 0;
        ASSERT_EQ(rc, 0);
    }
};

TEST_F(SaveFailure, TheWindowStaysOpenOverAMessageAndSavesOnceMended) {
    const struct {
        const char *command, *name, *file, *message; // null file: the preferences
        int control, value;                          // what the user set
    } savers[] = {
        {"prop", "PropertyWindow", SettingsFileName, "The settings could not be saved", 130, 5},
        {"acti", "ActionsWindow", SettingsFileName, "The settings could not be saved", 129, 4},
        {"logm", "LogManageWindow", SettingsFileName, "The settings could not be saved", 128, 7},
        {"sche", "ScheduleWindow", CalendarFileName, "The calendar could not be saved", 131, 2},
        {"cshu", "MainWindow", CommandFileName,
         "The request to cancel the shutdown could not be sent", 0, 0},
        {"pref", "PreferencesWindow", nullptr, "The preferences could not be saved", 130, 0},
    };
    const char* reasons[3][2] = {{"Permission denied", "Read-only file system"},
                                 {"File too large", "No space left on device"},
                                 {"Is a directory", "Is a directory"}};
    for (enum Fault f : {Unwritable, DiskFull, FolderAtName}) {
        for (const auto& s : savers) {
            SCOPED_TRACE(std::string(s.command) + " fault " + std::to_string(f));
            const std::string file = s.file ? Path(s.file) : QSettings().fileName().toStdString();
            std::filesystem::create_directories(file.substr(0, file.rfind('/')));
            corvanta_test::WriteFileRaw(file, "[Values]\nStaleSeconds=10\n");
            WindowRef w = nullptr;
            if (s.file == CommandFileName)
                MyCreateWindow("main", nullptr, s.name, &w);
            else if (!s.file)
                OpenPreferencesWindow();
            else
                OpenDialogWindow(FourCharCodeFromText(s.command));
            w = w ? w : WindowsNamed(s.name).at(0);
            if (s.control) SetValue(w, s.command, s.control, s.value);
            if (s.file == CalendarFileName) ProcessHICommand(FourCharCode("oned"), w);
            const auto press = [&] {
                s.file == CommandFileName
                    ? Command(s.command)
                    : (void)ClickButton(w, s.file == CalendarFileName ? "not!" : "ok  ");
            };
            Fault(f, file, false);
            const std::string before = ReadFile(file), memory = FormatUPSSts(PtUPSSts);
            f == DiskFull && !root ? corvanta_test::WithFileSizeLimit(3, press) : press();
            EXPECT_TRUE(IsValidWindowPtr(w));
            auto* box = w->findChild<QMessageBox*>();
            ASSERT_TRUE(box);
            const char* hint = s.file == CalendarFileName
                                   ? "\nClose again to close the window without saving it."
                                   : "";
            EXPECT_EQ(box->text().toStdString(), std::string(s.message) + ": cannot write " + file +
                                                     ": " + reasons[f][root] + hint);
            EXPECT_EQ(ReadFile(file), before);
            EXPECT_EQ(FormatUPSSts(PtUPSSts), memory) << "memory holds what the file does";
            EXPECT_TRUE(!s.control || GetControlValue(Control(w, s.command, s.control)) == s.value)
                << "what the user set is kept";
            QTest::keyClick(box, Qt::Key_Escape), FlushDeletes();
            EXPECT_FALSE(w->findChild<QMessageBox*>());
            Fault(f, file, true);
            press();
            EXPECT_EQ(IsValidWindowPtr(w), s.file == CommandFileName) << "saved and gone";
            EXPECT_NE(ReadFile(file), before);
            CloseEverything();
        }
    }
}

TEST_F(SaveFailure, AScheduleWindowClosedAgainGoesWithoutItsEdits) {
    ASSERT_EQ(mkdir(Path(CalendarFileName).c_str(), 0755), 0);
    WindowRef w = Open("sche", "ScheduleWindow");
    ProcessHICommand(FourCharCode("oned"), w);
    for (bool open : {true, false}) {
        ClickButton(w, "not!");
        EXPECT_EQ(IsValidWindowPtr(w), open);
        if (open) QTest::keyClick(w->findChild<QMessageBox*>(), Qt::Key_Escape), FlushDeletes();
    }
    EXPECT_TRUE(std::filesystem::is_directory(Path(CalendarFileName)));
}

TEST_F(SaveFailure, SettingsSavedButTheAgentNotToldSaySo) {
    ASSERT_EQ(mkdir(Path(CommandFileName).c_str(), 0755), 0);
    WindowRef w = Open("logm", "LogManageWindow");
    SetValue(w, "logm", 128, 7);
    ClickButton(w, "ok  ");
    ASSERT_TRUE(w->findChild<QMessageBox*>());
    EXPECT_EQ(w->findChild<QMessageBox*>()->text().toStdString(),
              "The settings were saved, but the agent could not be told: cannot write " +
                  Path(CommandFileName) + ": Is a directory");
    EXPECT_EQ(FileLines(SettingsFileName).at(5) + " " + std::to_string(PtUPSSts.LogEntry),
              "700 700");
    EXPECT_EQ(flag_LoadSTS, 1) << "the request goes out with the next write";
}

} // namespace
