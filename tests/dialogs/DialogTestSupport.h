// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the dialogs' tests share: a private program folder and clean records
// per test (from the core tests' fixture), no windows left over, and controls
// found, set and pressed as a user would.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <gtest/gtest.h>

#include "Controls.h"
#include "CoreTestSupport.h"
#include "Dialogs.h"
#include "ScheduleModel.h"
#include "ScheduleWindow.h"
#include "UiTesting.h"
#include "Windows.h"
#include "menu.h"
#include "screen.h"

namespace dialogs_test {

inline void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every live window of that name in the description, oldest first.
inline std::vector<WindowRef> WindowsNamed(const std::string& name) {
    std::vector<WindowRef> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (IsValidWindowPtr(w) && GetWindowName(w) == name) found.push_back(w);
    return found;
}

class DialogTest : public corvanta_test::CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        CloseEverything();
        RegisterCustomControls(); // as the program does: the calendar draws its month
    }
    void TearDown() override {
        CloseEverything();
        CoreTest::TearDown();
    }
    static void CloseEverything() {
        if (gOpenFileDialog) NavDialogDispose(gOpenFileDialog);
        if (ListIP) LDispose(ListIP);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (IsValidWindowPtr(w)) DisposeWindow(w);
        FlushDeletes();
        gOpenFileDialog = nullptr, ListIP = nullptr, LogWindow = ActionsWindow = nullptr;
        ResetScheduleWindows();
        SelectYear = SelectMonth = SelectDay = BeginBlock = EndBlock = 0;
    }
    // Opens a window by its command; the one of that name.
    static WindowRef Open(const char* command, const std::string& name) {
        EXPECT_EQ(OpenDialogWindow(FourCharCodeFromText(command)), eventNotHandledErr);
        return WindowsNamed(name).at(0);
    }
    // A file of the program folder as lines; the agent's request file.
    std::vector<std::string> FileLines(const char* name) const {
        return corvanta_test::SplitLines(corvanta_test::ReadFile(Path(name)));
    }
    std::string Requests() const { return corvanta_test::ReadFile(Path(CommandFileName)); }
    bool NothingWritten() const {
        return !corvanta_test::FileExists(Path(SettingsFileName)) &&
               !corvanta_test::FileExists(Path(CommandFileName));
    }
};

inline ControlRef Control(WindowRef window, const char* signature, SInt32 id) {
    const ControlID cid{FourCharCodeFromText(signature), id};
    ControlRef control = nullptr;
    EXPECT_EQ(GetControlByID(window, &cid, &control), noErr) << signature << " " << id;
    return control;
}
inline void SetValue(WindowRef w, const char* sig, SInt32 id, SInt32 value) {
    SetControlValue(Control(w, sig, id), value);
}
// A window command as the menu sends it to the main window's handler.
inline void Command(const char* command) {
    ToolboxEvent e{.eventClass = kEventClassCommand,
                   .eventKind = kEventCommandProcess,
                   .hasCommand = true,
                   .command = {0, FourCharCodeFromText(command), {}}};
    HandleEventProc(nullptr, &e, nullptr);
}
// Clicks the window's button that sends the command. False when none does.
inline bool ClickButton(WindowRef window, const char* command) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->property("command").toString().toStdString() == command) return b->click(), true;
    return false;
}
} // namespace dialogs_test
