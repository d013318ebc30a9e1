// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The eleven custom control classes and their one drawing handler, which
// picks the drawing by the control's title.
#include <cstdio>
#include <cstring>

#include "Accessible.h"
#include "Clock.h"
#include "Controls.h"
#include "HID.h"
#include "ObjectClass.h"
#include "Schedule.h"
#include "Translation.h"
#include "Ups.h"
#include "file.h"
#include "screen.h"

WindowRef MainWindow = nullptr;

ControlRef MainControl(const ControlID& id) {
    if (!MainWindow) return nullptr;
    ControlRef control = nullptr;
    return GetControlByID(MainWindow, &id, &control) == noErr ? control : nullptr;
}

void RedrawMainControl(const ControlID& id) {
    if (ControlRef c = MainControl(id)) Draw1Control(c);
}

namespace {

constexpr const char* kClassNames[] = {"Countdown", "Communication", "PowerSource", "BatteryStatus",
                                       "BattLevel", "BattLevelVal",  "MeterL",      "LBRD",
                                       "NBRD",      "NST",           "Calendar"};

// Status text colours.
struct Colour {
    int r, g, b;
};
constexpr Colour kAlarm{0xF000, 0x0000, 0x0000};
constexpr Colour kCaution{0xA000, 0xA000, 0x0000};
constexpr Colour kGood{0x0000, 0x7000, 0x0000};
constexpr Colour kPlain{0x0000, 0x0000, 0x0000};
constexpr Colour kToday{0xFF00, 0x0000, 0x0000};
// No verdict: nothing was read yet, or the figure is no longer true.
constexpr Colour kMuted{0x7000, 0x7000, 0x7000};

// Small enough for the waiting text to fit the communication line.
constexpr int kWaitingSize = 12;

void Text(ControlRef control, const std::string& text, int size, Colour c) {
    DrawCustString(control, text.c_str(), size, c.r, c.g, c.b);
}

// The countdown's figure, centred under its badge whatever its width.
void CentredText(ControlRef control, const char* text, int size, Colour c) {
    DrawCustString(control, text, size, c.r, c.g, c.b, teCenter);
}

// The number in characters [from, to) of a date, as far as its leading digits
// go; characters past the date's end count as missing.
int DatePiece(const char* date, std::size_t len, std::size_t from, std::size_t to) {
    int value = 0;
    for (std::size_t i = from; i < to && i < len; ++i) {
        const char c = date[i];
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

void DrawDate(ControlRef control, const char (&date)[9]) {
    const std::size_t len = strnlen(date, sizeof date);
    Text(control,
         LocalDate(DatePiece(date, len, 0, 4), DatePiece(date, len, 4, 6),
                   DatePiece(date, len, 6, 8)),
         14, kPlain);
}

void SetCompanionVisible(bool visible) {
    ControlRef companion = MainControl(kCountdownBadge);
    if (companion && IsControlVisible(companion) != visible)
        SetControlVisibility(companion, visible, true);
}

// The agent's values come once a second: a countdown run out waits that
// long, and a little more, for the agent to say it is shutting down.
constexpr long kRunOutGrace = 3;

struct Followed {
    bool known = false;
    short down = -1;
    std::int32_t status = 0;
    long ranOutAt = -1;
};
Followed followed;

void DrawCountdown(ControlRef control) {
    const int down = PtUPSVal.DownTime;
    char text[32] = "";
    ControlRef companion = MainControl(kCountdownBadge);
    const bool shutting = ShuttingDown();
    // The badge says what is under way; the clock has nothing left to count.
    if (companion)
        SetControlTitleWithCFString(companion, shutting ? Translated("MainWindow", "Shutting down")
                                                        : Translated("MainWindow", "Shutdown in"));
    if (shutting) {
        SetCompanionVisible(true);
        CentredText(control, "", 18, kAlarm);
        return;
    }
    if (down < 0) {
        SetCompanionVisible(false);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", down / 60, down % 60);
        SetCompanionVisible(true);
    }
    // While the link is lost the figure stands still and may no longer be
    // true: a shutdown was pending, how long is unknown.
    if (down >= 0 && !ValuesAreLive()) {
        CentredText(control, "--:--", 18, kMuted);
        return;
    }
    Colour c = kPlain;
    if (down < 60)
        c = kAlarm;
    else if (down < 120)
        c = kCaution;
    CentredText(control, text, 18, c);
}

} // namespace

bool ValuesAreLive() {
    return GetValuesLink().link == ValuesLink::Live && !(PtUPSVal.StatusFlag.AllSts & UPS_COMMERR);
}

void FollowValues() {
    const std::int32_t status = PtUPSVal.StatusFlag.AllSts;
    const short down = PtUPSVal.DownTime;
    const bool waiting = GetValuesLink().link == ValuesLink::Waiting;
    if (waiting)
        followed = Followed{};
    else if (ValuesAreLive())
        followed.known = true;
    // Run out: the last second went, and not because the power came back.
    const bool powerBack = (followed.status & UPS_ACFAIL) && !(status & UPS_ACFAIL);
    if (followed.down == 0 && down < 0 && !powerBack)
        followed.ranOutAt = static_cast<long>(CurrentTime());
    else if (down >= 0)
        followed.ranOutAt = -1;
    followed.down = down;
    followed.status = status;
    // The communication light (0) tells the present; the others what was.
    const bool dim = !waiting && !ValuesAreLive();
    for (int n = 1; n < kStatusLights; ++n)
        for (const ControlID& id : {LitLight(n), UnlitLight(n)})
            if (ControlRef light = MainControl(id))
                dim ? DisableControl(light) : EnableControl(light);
    AnnouncePanel();
}

bool ValuesKnown() {
    return followed.known;
}

bool ShuttingDown() {
    if (PtUPSVal.StatusFlag.AllSts & UPS_SHUTACT) return true;
    return PtUPSVal.DownTime < 0 && followed.ranOutAt >= 0 &&
           static_cast<long>(CurrentTime()) - followed.ranOutAt < kRunOutGrace;
}

void RegisterCustomControls() {
    const EventTypeSpec drawEvent{kEventClassControl, kEventControlDraw};
    ToolboxObjectClassRef classRef = nullptr;
    for (const char* name : kClassNames)
        RegisterToolboxObjectClass(name, nullptr, 1, &drawEvent, CustEventHandler, nullptr,
                                   &classRef);
}

OSStatus CustEventHandler(EventHandlerCallRef, EventRef inEvent, void*) {
    if (GetEventKind(inEvent) != kEventControlDraw) return noErr;
    ControlRef control = nullptr;
    // NOLINTNEXTLINE(bugprone-sizeof-expression): the parameter is the handle itself
    if (GetEventParameter(inEvent, kEventParamDirectObject, typeControlRef, nullptr, sizeof control,
                          nullptr, &control) != noErr)
        return noErr;
    Str255 title;
    GetControlTitle(control, title);
    char name[256];
    std::memcpy(name, title + 1, title[0]);
    name[title[0]] = '\0';

    const std::int32_t status = PtUPSVal.StatusFlag.AllSts;
    const bool waiting = GetValuesLink().link == ValuesLink::Waiting;
    const bool live = ValuesAreLive();
    const int level = live ? PtUPSVal.ItemVal[2] : 0;
    if (std::strcmp(name, "BattLevel") == 0) {
        DrawBatteryLevel(control, level);
    } else if (std::strcmp(name, "MeterL") == 0) {
        DrawMeter(control, GetSupportIndex(PtUPSSts.Main_Meter[0] - 1));
    } else if (std::strcmp(name, "BattLevelVal") == 0) {
        if (!live) {
            Text(control, "--", 14, kMuted);
        } else {
            Text(control,
                 Substituted(Translated("MainWindow", "%1%"), {std::to_string(level / 10)}), 14,
                 level / 10 > PtUPSSts.LowBatteryLevel ? kGood : kAlarm);
        }
    } else if (std::strcmp(name, "Countdown") == 0) {
        DrawCountdown(control);
    } else if (waiting &&
               (std::strcmp(name, "Communication") == 0 || std::strcmp(name, "PowerSource") == 0 ||
                std::strcmp(name, "BatteryStatus") == 0)) {
        // Nothing read yet: say so, and no verdict on power or battery.
        Text(control,
             std::strcmp(name, "Communication") == 0
                 ? Translated("MainWindow", "Waiting for the agent…")
                 : "",
             kWaitingSize, kMuted);
    } else if (std::strcmp(name, "Communication") == 0) {
        if (status & UPS_COMMERR)
            Text(control, Translated("MainWindow", "Disconnect"), 14, kAlarm);
        else
            Text(control, Translated("MainWindow", "Connected"), 14, kGood);
    } else if (std::strcmp(name, "PowerSource") == 0) {
        if (status & UPS_COMMERR)
            Text(control, Translated("MainWindow", "Unknown"), 14, kAlarm);
        else if (status & UPS_ACFAIL)
            Text(control, Translated("MainWindow", "Battery"), 14, kCaution);
        else
            Text(control, Translated("MainWindow", "Normal"), 14, kGood);
    } else if (std::strcmp(name, "BatteryStatus") == 0) {
        if (status & UPS_COMMERR)
            Text(control, Translated("MainWindow", "Unknown"), 14, kAlarm);
        else if (status & UPS_BATTREPLACE)
            Text(control, Translated("MainWindow", "Need Replace"), 14, kCaution);
        else if (status & (UPS_BATTDEPLETED | UPS_BATTLOW))
            Text(control, Translated("MainWindow", "Low"), 14, kAlarm);
        else
            Text(control, Translated("MainWindow", "Normal"), 14, kGood);
    } else if (std::strcmp(name, "LBRD") == 0) {
        DrawDate(control, PtUPSSts.BR_Date_Last);
    } else if (std::strcmp(name, "NBRD") == 0) {
        DrawDate(control, PtUPSSts.BR_Date_Next);
    } else if (std::strcmp(name, "NST") == 0) {
        DateTimeRec now;
        GetTime(&now);
        const bool today = NextShutdown.Year == now.year && NextShutdown.Month == now.month &&
                           NextShutdown.Day == now.day;
        const DateTimeStr& n = NextShutdown;
        Text(control,
             n.Year == 0 ? Translated("MainWindow", "None")
                         : LocalDateTime(n.Year, n.Month, n.Day, n.Hour, n.Minute),
             14, today ? kToday : kPlain);
    } else if (std::strcmp(name, "Calendar") == 0) {
        DrawCustCalendar(GetControlOwner(control));
    }
    return noErr;
}
