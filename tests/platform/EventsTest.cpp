// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The event layer: commands from buttons and menus going up from the window
// to the application, and the folder watch. The default close is seen
// by the dialogs' tests (a close box that no handler takes).
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

#include "FolderWatch.h"
#include "PlatformTesting.h"
#include "Windows.h"

namespace {

using Strings = std::vector<std::string>;
Strings gCalls;
HICommand gLast;

// A handler as "<answer><name>": + handled, - not handled. It notes its
// name and the command it was sent.
OSStatus Recorder(EventHandlerCallRef, EventRef event, void* userData) {
    const std::string& how = *static_cast<std::string*>(userData);
    gCalls.push_back(how.substr(1));
    GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof gLast, nullptr,
                      &gLast);
    return how[0] == '+' ? noErr : eventNotHandledErr;
}
const EventTypeSpec kCommand{kEventClassCommand, kEventCommandProcess};

} // namespace

TEST(Events, ButtonsAndMenusSendTheirCommandsUpToTheApplication) {
    WindowRef window = nullptr;
    MyCreateWindow("main", "MainMenu", "LogManageWindow", &window);
    std::string w = "-window", a = "+app"; // the window passes it on
    EventHandlerRef refs[2] = {};
    InstallEventHandler(GetWindowEventTarget(window), Recorder, 1, &kCommand, &w, &refs[0]);
    InstallEventHandler(GetApplicationEventTarget(), Recorder, 1, &kCommand, &a, &refs[1]);
    window->findChild<QPushButton*>("okButton")->click();
    EXPECT_EQ(gCalls, (Strings{"window", "app"}));
    EXPECT_EQ(FourCharCodeText(gLast.commandID), "ok  ");
    EXPECT_TRUE(SelectMenuCommand(FourCharCodeFromText("cshu")));
    EXPECT_EQ(FourCharCodeText(gLast.commandID), "cshu");
    RemoveEventHandler(refs[0]), RemoveEventHandler(refs[1]);
    DisposeWindow(window);
}

TEST(Events, TheFolderWatchReportsItsOwnFileOnce) {
    QTemporaryDir dir;
    const std::string at = dir.path().toStdString() + "/";
    int seen = 0;
    ASSERT_TRUE(WatchFolderFile(dir.path().toStdString(), "watched", [&] { ++seen; }));
    std::fclose(std::fopen((at + "other").c_str(), "wb"));
    std::fclose(std::fopen((at + "watched.tmp").c_str(), "wb"));
    ASSERT_EQ(std::rename((at + "watched.tmp").c_str(), (at + "watched").c_str()), 0);
    std::remove((at + "watched").c_str());
    // The file system's events come when they come: at most five seconds.
    const QDeadlineTimer limit(5000);
    while (seen == 0 && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    StopWatchingFolderFile();
    EXPECT_EQ(seen, 1) << "one call for the queued events of one file";
}
