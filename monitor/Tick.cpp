// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The one-second tick: read the agent's values (or run the schedule on a new
// minute), redraw the gauges whose values changed, evaluate the status word
// and advance the countdown; and the same read and evaluation, without the
// second, when the agent replaces the values file between ticks.
#include <string>

#include "Clock.h"
#include "Controls.h"
#include "Desktop.h"
#include "Folder.h"
#include "HID.h"
#include "HistoryWindow.h"
#include "MonitorTesting.h"
#include "NutStatus.h"
#include "Schedule.h"
#include "Translation.h"
#include "Windows.h"
#include "file.h"
#include "menu.h"
#include "monitor.h"
#include "screen.h"

void ResetStatusState();
void ResetNutStatus();

namespace {

int oldMinute = -1;

struct Ratings {
    short volt, current, battVolt;
    bool operator==(const Ratings&) const = default;
};

Ratings CurrentRatings() {
    return {PtUPSSts.RatingVolt, PtUPSSts.RatingCurrent, PtUPSSts.RatingBattVolt};
}

// Why the UPS's state is not known, for the status bar; empty while it is.
std::string LinkDetailText(const ValuesLinkState& link) {
    if (link.link == ValuesLink::Live) {
        if (PtUPSVal.flag_OpenUPS != 0) return "";
        const std::string why = LastLinkLostReason();
        return why.empty()
                   ? Translated("StatusBar", "agent running, UPS not answering")
                   : Substituted(Translated("StatusBar", "agent running, UPS not answering: %1"),
                                 {why});
    }
    if (link.link != ValuesLink::Lost) return "";
    switch (link.reason) {
    case LostReason::FolderMissing:
        return Substituted(Translated("StatusBar", "program folder %1 not found"), {CurDir});
    case LostReason::FolderUnreadable:
        return Substituted(Translated("StatusBar", "program folder %1 not readable: needs %2"),
                           {CurDir, link.detail});
    case LostReason::AgentNotRunning:
        return Translated("StatusBar", "agent not running");
    case LostReason::NoUpdate:
        return Substituted(Translated("StatusBar", "no update for %1 s"),
                           {std::to_string(link.age)});
    case LostReason::ForeignWriter:
        return Substituted(Translated("StatusBar", "values written by user %1 ignored"),
                           {link.detail});
    case LostReason::NoValues:
        break;
    }
    return Translated("StatusBar", "no values from the agent");
}

// A folder moved from under its name (the monitor and the agent go on with
// the folder they opened, wherever it went), the link's detail, and the
// agent's word on its UPS server.
std::string StatusBarText() {
    std::string text;
    const auto add = [&text](const std::string& part) {
        if (!part.empty()) text += (text.empty() ? "" : "; ") + part;
    };
    if (ProgramFolderMoved())
        add(Substituted(
            Translated("StatusBar",
                       "program folder %1 was moved or renamed: still read where it went"),
            {CurDir}));
    add(LinkDetailText(GetValuesLink()));
    if (const auto& nut = NutStatusNow()) add(NutStatusText(*nut));
    return text;
}

// Shows what a read or the minute work changed: the gauges whose values
// moved, the status word, the link's detail and a countdown changed by
// anything but its own second.
void ShowChanges(const UPSVal& oldUPSVal, ValuesLink oldLink) {
    // The first values replace the waiting state everywhere.
    if (oldLink == ValuesLink::Waiting && GetValuesLink().link == ValuesLink::Live && MainWindow)
        DrawControls(MainWindow);
    if (PtUPSVal.flag_OpenUPS != 0) RedrawMainControl(kCommunicationText);
    if (oldUPSVal.ItemVal[2] != PtUPSVal.ItemVal[2]) {
        RedrawMainControl(kBatteryGauge);
        RedrawMainControl(kBatteryFigure);
    }
    if (oldUPSVal.SupportItem != PtUPSVal.SupportItem) {
        // Another set of measurements: new selector lists, maybe another slot.
        FillMeterSelectors();
        RedrawMainControl(kMeter);
    }
    const int k = GetSupportIndex(PtUPSSts.Main_Meter[0] - 1);
    if (oldUPSVal.ItemVal[k] != PtUPSVal.ItemVal[k]) RedrawMainControl(kMeter);
    ReadNutStatus();
    // The UPS's primary orders this computer down: the shutdown is under way
    // for the badge, the tray and the notices alike, whatever the countdown.
    if (NutStatusNow() && NutStatusNow()->Forced) PtUPSVal.StatusFlag.AllSts |= UPS_SHUTACT;
    CheckStatus();
    if (MainWindow) SetWindowStatusText(MainWindow, StatusBarText());
}

// The panel notes the values and the desktop follows what the window shows;
// the badge turns to and from "Shutting down" on the agent's word or the
// grace after a run-out, which move no other figure.
void FollowOnDesktop(bool wasShuttingDown) {
    // The window's side first: the tray and the notices then say the same.
    FollowValues();
    UpdateDesktop();
    if (ShuttingDown() != wasShuttingDown) RedrawMainControl(kCountdown);
}

} // namespace

void MyTimer(EventLoopTimerRef, void*) {
    const bool wasShuttingDown = ShuttingDown();
    const UPSVal oldUPSVal = PtUPSVal;
    const ValuesLink oldLink = GetValuesLink().link;
    DateTimeRec now;
    GetTime(&now);
    if (now.minute != oldMinute) {
        oldMinute = now.minute;
        CheckScheduleUPS();
        GetNext();
        // The agent may have learnt the ratings since: a new scale redraws the meter.
        const Ratings before = CurrentRatings();
        LoadRatings();
        if (!(CurrentRatings() == before)) RedrawMainControl(kMeter);
        // The next shutdown's text and its today colour follow the minute.
        RedrawMainControl(kNextShutdownText);
    } else {
        ReadUPSVal();
    }
    ShowChanges(oldUPSVal, oldLink);
    const short beforeCount = PtUPSVal.DownTime;
    if (PtUPSVal.flag_OpenUPS != 0 && (PtUPSVal.StatusFlag.AllSts & UPS_COMMERR) == 0) CountDown();
    // CountDown redraws the second it took; a countdown started, moved or
    // ended by a read or the status is redrawn here, so the badge and the
    // figure never outlive DownTime.
    if (PtUPSVal.DownTime == beforeCount && PtUPSVal.DownTime != oldUPSVal.DownTime)
        RedrawMainControl(kCountdown);
    FollowOnDesktop(wasShuttingDown);
    TickHistoryWindow(CurrentTime());
}

void ReadAndShowValues() {
    const bool wasShuttingDown = ShuttingDown();
    const UPSVal oldUPSVal = PtUPSVal;
    const ValuesLink oldLink = GetValuesLink().link;
    ReadUPSVal();
    ShowChanges(oldUPSVal, oldLink);
    // Only the timer counts seconds: a read between ticks never shortens the
    // countdown.
    if (PtUPSVal.DownTime != oldUPSVal.DownTime) RedrawMainControl(kCountdown);
    FollowOnDesktop(wasShuttingDown);
}

void ResetMonitorState() {
    oldMinute = -1;
    ResetStatusState();
    ResetNutStatus();
}
