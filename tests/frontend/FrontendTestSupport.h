// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The monitor started on a temporary program folder with the test clock set,
// and what controls draw written as one line, for tables of worked examples.
#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "AgentLock.h"
#include "Clock.h"
#include "Controls.h"
#include "CoreTesting.h"
#include "Folder.h"
#include "FolderWatch.h"
#include "MonitorTesting.h"
#include "ObjectClass.h"
#include "PlatformTesting.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "ScheduleTesting.h"
#include "Windows.h"
#include "file.h"
#include "monitor.h"

// One word per operation: P(aint), F(rame), A(rc) (its angles after '/'),
// I(nvert) with their rectangle "left,top,right,bottom", L(ine) "from,to",
// and T(ext) with its box and justification (unless boxes is false), then
// the 'text'.
// A colour (high bytes) and a text size and face ("14b") come when they change.
inline std::string Ops(const std::vector<DrawOp>& ops, bool boxes = true) {
    std::string s, pen, style;
    char w[64];
    for (const DrawOp& o : ops) {
        const char k = "PFALIT"[o.kind];
        const bool line = k == 'L';
        std::snprintf(w, sizeof w, " #%02x%02x%02x", o.color.red >> 8, o.color.green >> 8,
                      o.color.blue >> 8);
        if (w != pen) s += pen = w;
        std::snprintf(w, sizeof w, " %d%c", o.size, o.face == bold ? 'b' : 'n');
        if (k == 'T' && w != style) s += style = w;
        std::snprintf(w, sizeof w, " %c%d,%d,%d,%d", k, line ? o.a : o.rect.left,
                      line ? o.b : o.rect.top, line ? o.h : o.rect.right,
                      line ? o.v : o.rect.bottom);
        if (k != 'T' || boxes) s += w;
        if (k == 'A' || (k == 'T' && boxes)) s += "/" + std::to_string(o.a);
        if (k == 'A') s += "/" + std::to_string(o.b);
        if (k == 'T') s += " '" + o.text + "'";
    }
    return s.empty() ? s : s.substr(1);
}

// What controls of the main window draw through their class.
inline std::string Said(const char (&sig)[5], std::initializer_list<int> numbers) {
    RecordingPort port;
    for (int n : numbers)
        SendControlDrawEvent(MainControl({FourCharCode(sig), n}), &port);
    return Ops(port.ops, false);
}

// The monitor on its own folder, its clock set and the agent's first values
// read; the tests feed it more and look at what it shows.
class MonitorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(SetCurDir(dir.path().toLocal8Bit().constData(), &error)) << error;
        const std::string run = lockPlaces.path().toStdString();
        SetAgentLockPlaces(run + "/root", run + "/own");
        ASSERT_EQ(agentLock.Take(CurDir, &error), AgentFolderLock::Result::Taken) << error;
        SetTestTime(2026, 3, 10, 12, 0, 0);
        PtUPSSts = UPSSts{};
        PtUPSSts.Main_Meter[0] = 2; // the meter shows slot 4
        ResetMonitorState();
        ResetReadUPSValState();
        ResetScheduleState();
        PtUPSVal = UPSVal{};
        ASSERT_TRUE(StartMonitor());
        StopWatchingFolderFile(); // tests read the values when they choose
        SetRedrawObserver([this](ControlRef c, WindowRef) {
            redraws += (redraws.empty() ? "" : " ") + (c ? ControlName(c) : "window");
        });
        agent.flag_OpenUPS = 1, agent.DownTime = -1;
        agent.SupportItem = (1 << 2) | (1 << 4) | (1 << 13);
        Tick(); // the minute's work, then a first read
        Feed('t');
    }
    void TearDown() override {
        SetRedrawObserver({});
        RemoveAllEventLoopTimers();
        RemoveAllEventHandlers(GetApplicationEventTarget());
        if (MainWindow) DisposeWindow(std::exchange(MainWindow, nullptr));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ResetCalendarUsers();
        FreeSchedule();
        ClearTestTime();
    }
    void Tick() { MyTimer(nullptr, nullptr); }
    // The agent writes its values, then a tick (t), a tick on a new minute
    // (m) or a read between ticks (r); what that showed.
    std::string Feed(char act) {
        std::uint8_t image[UPSValImageSize];
        EncodeUPSVal(agent, image);
        EXPECT_TRUE(WriteFileAtomic(FolderFile(ValuesFileName), image, sizeof image));
        Shown();
        if (act == 'm') AdvanceTestTime(60);
        act == 'r' ? ReadAndShowValues() : Tick();
        return Shown();
    }
    // The countdown, the lights on by number ("[12]") and the redraws since
    // the last look ("main_152 window"); a light's on and off
    // controls agree.
    std::string Shown() {
        std::string on;
        for (int n = 0; n < kStatusLights; ++n) {
            const bool lit = IsControlVisible(MainControl(LitLight(n)));
            EXPECT_NE(lit, IsControlVisible(MainControl(UnlitLight(n)))) << n;
            if (lit) on += static_cast<char>('0' + n);
        }
        return std::to_string(PtUPSVal.DownTime) + " [" + on + "] " + std::exchange(redraws, "");
    }

    QTemporaryDir dir, lockPlaces;
    AgentFolderLock agentLock; // held as a running agent holds it
    std::string redraws;
    UPSVal agent{};
};
