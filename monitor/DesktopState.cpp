// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopState.h"

#include <cstdio>
#include <tuple>

#include "Clock.h"
#include "DialogTables.h"
#include "NutStatus.h"
#include "Translation.h"
#include "Ups.h"
#include "file.h"
#include "screen.h"

namespace {

constexpr int kChargeSlot = 2; // "Battery Level", tenths of a percent
constexpr int kLoadSlot = 15;  // "Output Loading", tenths of a percent
constexpr std::int32_t kLow = UPS_BATTLOW | UPS_BATTDEPLETED;
const char* const kDot = " \u00b7 ";

int Slot(int slot) {
    if (((PtUPSVal.SupportItem >> slot) & 1) == 0) return -1;
    return PtUPSVal.ItemVal[slot] < 0 ? -1 : PtUPSVal.ItemVal[slot] / 10;
}

bool OnBattery(const UpsPicture& p) {
    return (p.status & UPS_ACFAIL) != 0;
}
// A low battery on mains is the next charge's business, not an alarm.
bool LowOnBattery(const UpsPicture& p) {
    return OnBattery(p) && (p.status & kLow) != 0;
}

// A stored "2026-03-01" as the locale writes a day.
std::string ShownDay(const std::string& iso) {
    int year = 0, month = 0, day = 0;
    return std::sscanf(iso.c_str(), "%4d-%2d-%2d", &year, &month, &day) == 3
               ? LocalDate(year, month, day)
               : iso;
}

std::string Percent(int n) {
    return Substituted(Translated("Desktop", "%1%"), {std::to_string(n)});
}

// "3 min 12 s", "1 h 05 min", "40 s".
std::string Duration(long s) {
    char minutes[8];
    std::snprintf(minutes, sizeof minutes, "%02ld", s % 3600 / 60);
    if (s >= 3600)
        return Substituted(Translated("Desktop", "%1 h %2 min"),
                           {std::to_string(s / 3600), minutes});
    if (s >= 60)
        return Substituted(Translated("Desktop", "%1 min %2 s"),
                           {std::to_string(s / 60), std::to_string(s % 60)});
    return Substituted(Translated("Desktop", "%1 s"), {std::to_string(s)});
}

std::string RuntimeText(int s) {
    if (s >= 3600) return Substituted(Translated("Desktop", "%1 left"), {Duration(s - s % 60)});
    return Substituted(Translated("Desktop", "%1 min left"),
                       {s < 60 ? std::string("<1") : std::to_string(s / 60)});
}

// Charge and time left, for the power notices: "62 %, 23 min left".
std::string BatteryFigures(const UpsPicture& p) {
    std::string s;
    if (p.charge >= 0) s = Substituted(Translated("Desktop", "Battery %1"), {Percent(p.charge)});
    if (p.runtime > 0) s += (s.empty() ? "" : ", ") + RuntimeText(p.runtime);
    return s.empty() ? s : s + ".";
}

// The figures after a notice's first sentence.
std::string Figures(const UpsPicture& p) {
    const std::string figures = BatteryFigures(p);
    return figures.empty() ? figures : " " + figures;
}

} // namespace

UpsPicture PictureNow() {
    UpsPicture p;
    if (ValuesAreLive())
        p.link = PictureLink::Live;
    else if (GetValuesLink().link != ValuesLink::Waiting)
        p.link = PictureLink::Lost;
    p.status = PtUPSVal.StatusFlag.AllSts;
    p.charge = Slot(kChargeSlot);
    p.load = Slot(kLoadSlot);
    p.runtime = PtUPSVal.BattEstimate > 0 ? PtUPSVal.BattEstimate : -1;
    p.down = PtUPSVal.DownTime < 0 ? -1 : PtUPSVal.DownTime;
    // A countdown that ran out a moment ago is the shutdown under way.
    if (ShuttingDown()) p.status |= UPS_SHUTACT;
    p.known = ValuesKnown();
    if (p.link == PictureLink::Live) p.nut = NutStatusNow();
    // As the agent decides it: due from the date on, by the local calendar.
    DateTimeRec now;
    GetTime(&now);
    char today[40];
    std::snprintf(today, sizeof today, "%04d-%02d-%02d", now.year, now.month, now.day);
    const std::string due = DateText(PtUPSSts.BR_Date_Next);
    if (!due.empty() && due <= today) p.replaceDue = due;
    return p;
}

TrayState TrayStateOf(const UpsPicture& p) {
    if (p.link == PictureLink::Waiting) return TrayState::Waiting;
    if (p.link == PictureLink::Lost) return TrayState::CommLost;
    if (p.status & UPS_SHUTACT) return TrayState::ShuttingDown;
    if (p.down >= 0) return TrayState::ShutdownPending;
    if (p.status & kLow) return TrayState::LowBattery;
    if (OnBattery(p)) return TrayState::OnBattery;
    if (p.status & UPS_BATTREPLACE) return TrayState::ReplaceBattery;
    if (p.charge >= 0 && p.charge < 100) return TrayState::Charging;
    return TrayState::Charged;
}

TrayState KnownStateOf(const UpsPicture& p) {
    if (p.link != PictureLink::Lost || !p.known) return TrayStateOf(p);
    UpsPicture last = p;
    last.link = PictureLink::Live;
    last.status &= ~UPS_COMMERR;
    return TrayStateOf(last);
}

std::string ClockText(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
    return text;
}

std::string NutRoleText(const NutState& s) {
    if (s.Role == NutRole::Observer)
        return Translated(
            "Desktop",
            "Not logged in to the UPS server: a primary will not wait for this computer");
    std::string text = s.Role == NutRole::Primary ? Translated("Desktop", "Primary")
                                                  : Translated("Desktop", "Secondary");
    if (s.Others < 0) return text;
    const std::string others =
        s.Others == 0   ? Translated("Desktop", "no other computer on this UPS")
        : s.Others == 1 ? Translated("Desktop", "1 other computer on this UPS")
                        : Substituted(Translated("Desktop", "%1 other computers on this UPS"),
                                      {std::to_string(s.Others)});
    return text + kDot + others;
}

std::string NutStatusText(const NutState& s) {
    return (s.Problem.empty() ? "" : s.Problem + "; ") + NutRoleText(s);
}

std::string TrayToolTip(const UpsPicture& p) {
    // Stale figures are not shown as if they were read.
    if (p.link == PictureLink::Waiting) return Translated("Desktop", "Waiting for the agent");
    const std::string power = OnBattery(p) ? Translated("Desktop", "last known: on battery")
                                           : Translated("Desktop", "last known: on mains");
    const bool shutting = (p.status & UPS_SHUTACT) != 0;
    if (p.link == PictureLink::Lost) {
        std::string lost = Translated("Desktop", "Communication lost");
        if (!p.known) return lost;
        return lost + kDot + power +
               (shutting ? kDot + Translated("Desktop", "shutting down") : "");
    }
    // An observer's role is the status bar's to explain: the tip stays short.
    const std::string role =
        p.nut && p.nut->Role != NutRole::Observer ? kDot + NutRoleText(*p.nut) : "";
    if (shutting) return Translated("Desktop", "Shutting down") + role;
    std::string s =
        OnBattery(p) ? Translated("Desktop", "On battery") : Translated("Desktop", "On mains");
    if (p.status & kLow)
        s += kDot + Translated("Desktop", "battery low");
    else if (p.status & UPS_BATTREPLACE)
        s += kDot + Translated("Desktop", "replace battery");
    else if (TrayStateOf(p) == TrayState::Charging)
        s += kDot + Translated("Desktop", "charging");
    if (p.charge >= 0) s += kDot + Percent(p.charge);
    if (p.load >= 0) s += kDot + Substituted(Translated("Desktop", "load %1"), {Percent(p.load)});
    if (p.runtime > 0) s += kDot + RuntimeText(p.runtime);
    if (p.down >= 0)
        s += kDot + Substituted(Translated("Desktop", "shutdown in %1"), {ClockText(p.down)});
    return s + role;
}

NoticeGroup GroupOf(NoticeKind kind) {
    switch (kind) {
    case NoticeKind::PowerFailure:
    case NoticeKind::PowerRestored:
    case NoticeKind::Overload:
    case NoticeKind::Overheat:
        return NoticeGroup::Power;
    case NoticeKind::BatteryLow:
    case NoticeKind::ReplaceBattery:
        return NoticeGroup::Battery;
    case NoticeKind::LinkLost:
    case NoticeKind::LinkRestored:
        return NoticeGroup::Link;
    default:
        return NoticeGroup::Shutdown;
    }
}

bool IsCountdownNotice(NoticeKind kind) {
    return kind != NoticeKind::StillRunning && GroupOf(kind) == NoticeGroup::Shutdown;
}

std::vector<Notice> NoticeDetector::Step(const UpsPicture& p, long now) {
    std::vector<Notice> out;
    if (p.link == PictureLink::Waiting) return out;
    if (p.link == PictureLink::Lost) {
        // Lost before anything was read is the start-up, not news.
        if (!linkLostShown_ && lastLive_.link == PictureLink::Live) {
            linkLostShown_ = true;
            out.push_back(
                {NoticeKind::LinkLost, Translated("Desktop", "Communication lost"),
                 Translated("Desktop", "No values from the UPS agent: the power state is unknown."),
                 kUrgencyNormal});
        }
        return out;
    }
    if (linkLostShown_) {
        linkLostShown_ = false;
        out.push_back({NoticeKind::LinkRestored, Translated("Desktop", "Communication restored"),
                       Translated("Desktop", "The UPS agent reports again."), kUrgencyNormal});
    }
    // Against the last values read, so a change while the link was down is
    // still told once.
    const UpsPicture& was = lastLive_;
    const bool restored = OnBattery(was) && !OnBattery(p);
    if (OnBattery(p) && !OnBattery(was)) {
        failedAt_ = now;
        out.push_back({NoticeKind::PowerFailure, Translated("Desktop", "Power failure"),
                       Translated("Desktop", "The UPS runs on its battery.") + Figures(p),
                       kUrgencyCritical});
    } else if (restored) {
        const std::string body =
            failedAt_ >= 0 && now >= failedAt_
                ? Substituted(Translated("Desktop", "The UPS runs on mains again after %1."),
                              {Duration(now - failedAt_)})
                : Translated("Desktop", "The UPS runs on mains again.");
        out.push_back({NoticeKind::PowerRestored, Translated("Desktop", "Power restored"), body,
                       kUrgencyNormal});
        failedAt_ = -1;
    }
    if (LowOnBattery(p) && !LowOnBattery(was))
        out.push_back({NoticeKind::BatteryLow, Translated("Desktop", "Battery low"),
                       Translated("Desktop", "The battery is nearly empty.") + Figures(p),
                       kUrgencyCritical});
    else if (LowOnBattery(was) && !LowOnBattery(p))
        out.push_back({NoticeKind::BatteryLow, "", "", kUrgencyNormal});
    // The agent raises the flag on the date set, or the UPS on its own test.
    if ((p.status & UPS_BATTREPLACE) && !(was.status & UPS_BATTREPLACE))
        out.push_back(
            {NoticeKind::ReplaceBattery, Translated("Desktop", "Replace battery"),
             p.replaceDue.empty()
                 ? Translated("Desktop", "The UPS asks for a new battery.")
                 : Substituted(Translated("Desktop", "Battery replacement was due on %1."),
                               {ShownDay(p.replaceDue)}),
             kUrgencyNormal});
    const std::tuple<std::int32_t, NoticeKind, std::string, std::string> alarms[] = {
        {UPS_OVERLOAD, NoticeKind::Overload, Translated("Desktop", "Overload"),
         Translated("Desktop", "The UPS carries more than it can.")},
        {UPS_OVERHEAT, NoticeKind::Overheat, Translated("Desktop", "Overheat"),
         Translated("Desktop", "The UPS is too hot.")}};
    for (const auto& [bit, kind, summary, body] : alarms)
        if ((p.status & bit) != (was.status & bit))
            out.push_back((p.status & bit) ? Notice{kind, summary, body, kUrgencyCritical}
                                           : Notice{kind, "", "", kUrgencyNormal});
    // Once the shutdown is under way the countdown has nothing more to say.
    const bool shutting = (p.status & UPS_SHUTACT) != 0, wasShutting = (was.status & UPS_SHUTACT);
    const int wasDown = wasShutting ? -1 : was.down;
    const std::string in =
        Substituted(Translated("Desktop", "The computer shuts down in %1."), {ClockText(p.down)});
    const bool forced = p.nut && p.nut->Forced, wasForced = was.nut && was.nut->Forced;
    if (shutting) {
        // One notice for the shutdown: the primary's order, coming later,
        // replaces the plain one.
        if (!wasShutting || (forced && !wasForced))
            out.push_back({NoticeKind::ShuttingDown,
                           forced ? Translated("Desktop", "The UPS's primary orders this computer "
                                                          "to shut down now")
                                  : Translated("Desktop", "Shutting down"),
                           Translated("Desktop", "The computer is shutting down now."),
                           kUrgencyCritical});
    } else if (wasShutting && p.down < 0) {
        out.push_back({NoticeKind::CountdownOver, "", "", kUrgencyNormal});
    } else if (p.down >= 0 && wasDown < 0) {
        out.push_back({NoticeKind::CountdownStarted, Translated("Desktop", "Shutdown pending"), in,
                       p.down < 60 ? kUrgencyCritical : kUrgencyNormal});
    } else if (p.down >= 0 && p.down < 60 && wasDown >= 60) {
        out.push_back({NoticeKind::LastMinute,
                       Translated("Desktop", "Shutdown in less than a minute"), in,
                       kUrgencyCritical});
    } else if (p.down < 0 && wasDown >= 0) {
        // The power's return and a countdown run out are not cancellations.
        if (wasDown >= 1 && !restored)
            out.push_back({NoticeKind::ShutdownCancelled,
                           Translated("Desktop", "Shutdown cancelled"),
                           Translated("Desktop", "The computer keeps running."), kUrgencyNormal});
        else
            out.push_back({NoticeKind::CountdownOver, "", "", kUrgencyNormal});
    }
    lastLive_ = p;
    return out;
}
