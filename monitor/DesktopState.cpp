// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopState.h"

#include <cstdio>
#include <tuple>

#include "Clock.h"
#include "DialogTables.h"
#include "NutStatus.h"
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

std::string Percent(int n) {
    return std::to_string(n) + "%";
}

// "3 min 12 s", "1 h 05 min", "40 s".
std::string Duration(long s) {
    char text[40];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld h %02ld min", s / 3600, s % 3600 / 60);
    else if (s >= 60)
        std::snprintf(text, sizeof text, "%ld min %ld s", s / 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld s", s);
    return text;
}

std::string RuntimeText(int s) {
    if (s >= 3600) return Duration(s - s % 60) + " left";
    return (s < 60 ? std::string("<1") : std::to_string(s / 60)) + " min left";
}

// Charge and time left, for the power notices: "62 %, 23 min left".
std::string BatteryFigures(const UpsPicture& p) {
    std::string s;
    if (p.charge >= 0) s = "Battery " + Percent(p.charge);
    if (p.runtime > 0) s += (s.empty() ? "" : ", ") + RuntimeText(p.runtime);
    return s.empty() ? s : s + ".";
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
        return "Not logged in to the UPS server: a primary will not wait for this computer";
    std::string text = s.Role == NutRole::Primary ? "Primary" : "Secondary";
    if (s.Others < 0) return text;
    const std::string others = s.Others == 0   ? "no other computer"
                               : s.Others == 1 ? "1 other computer"
                                               : std::to_string(s.Others) + " other computers";
    return text + kDot + others + " on this UPS";
}

std::string NutStatusText(const NutState& s) {
    return (s.Problem.empty() ? "" : s.Problem + "; ") + NutRoleText(s);
}

std::string TrayToolTip(const UpsPicture& p) {
    // Stale figures are not shown as if they were read.
    if (p.link == PictureLink::Waiting) return "Waiting for the agent";
    const std::string power = OnBattery(p) ? "on battery" : "on mains";
    const bool shutting = (p.status & UPS_SHUTACT) != 0;
    if (p.link == PictureLink::Lost) {
        if (!p.known) return "Communication lost";
        return "Communication lost" + (kDot + ("last known: " + power)) +
               (shutting ? kDot + std::string("shutting down") : "");
    }
    // An observer's role is the status bar's to explain: the tip stays short.
    const std::string role =
        p.nut && p.nut->Role != NutRole::Observer ? kDot + NutRoleText(*p.nut) : "";
    if (shutting) return "Shutting down" + role;
    std::string s = OnBattery(p) ? "On battery" : "On mains";
    if (p.status & kLow)
        s += kDot + std::string("battery low");
    else if (p.status & UPS_BATTREPLACE)
        s += kDot + std::string("replace battery");
    else if (TrayStateOf(p) == TrayState::Charging)
        s += kDot + std::string("charging");
    if (p.charge >= 0) s += kDot + Percent(p.charge);
    if (p.load >= 0) s += kDot + ("load " + Percent(p.load));
    if (p.runtime > 0) s += kDot + RuntimeText(p.runtime);
    if (p.down >= 0) s += kDot + ("shutdown in " + ClockText(p.down));
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
            out.push_back({NoticeKind::LinkLost, "Communication lost",
                           "No values from the UPS agent: the power state is unknown.",
                           kUrgencyNormal});
        }
        return out;
    }
    if (linkLostShown_) {
        linkLostShown_ = false;
        out.push_back({NoticeKind::LinkRestored, "Communication restored",
                       "The UPS agent reports again.", kUrgencyNormal});
    }
    // Against the last values read, so a change while the link was down is
    // still told once.
    const UpsPicture& was = lastLive_;
    const bool restored = OnBattery(was) && !OnBattery(p);
    if (OnBattery(p) && !OnBattery(was)) {
        failedAt_ = now;
        out.push_back({NoticeKind::PowerFailure, "Power failure",
                       "The UPS runs on its battery. " + BatteryFigures(p), kUrgencyCritical});
    } else if (restored) {
        std::string body = "The UPS runs on mains again";
        if (failedAt_ >= 0 && now >= failedAt_) body += " after " + Duration(now - failedAt_);
        out.push_back({NoticeKind::PowerRestored, "Power restored", body + ".", kUrgencyNormal});
        failedAt_ = -1;
    }
    if (LowOnBattery(p) && !LowOnBattery(was))
        out.push_back({NoticeKind::BatteryLow, "Battery low",
                       "The battery is nearly empty. " + BatteryFigures(p), kUrgencyCritical});
    else if (LowOnBattery(was) && !LowOnBattery(p))
        out.push_back({NoticeKind::BatteryLow, "", "", kUrgencyNormal});
    // The agent raises the flag on the date set, or the UPS on its own test.
    if ((p.status & UPS_BATTREPLACE) && !(was.status & UPS_BATTREPLACE))
        out.push_back({NoticeKind::ReplaceBattery, "Replace battery",
                       p.replaceDue.empty()
                           ? "The UPS asks for a new battery."
                           : "Battery replacement was due on " + p.replaceDue + ".",
                       kUrgencyNormal});
    const std::tuple<std::int32_t, NoticeKind, const char*, const char*> alarms[] = {
        {UPS_OVERLOAD, NoticeKind::Overload, "Overload", "The UPS carries more than it can."},
        {UPS_OVERHEAT, NoticeKind::Overheat, "Overheat", "The UPS is too hot."}};
    for (const auto& [bit, kind, summary, body] : alarms)
        if ((p.status & bit) != (was.status & bit))
            out.push_back((p.status & bit) ? Notice{kind, summary, body, kUrgencyCritical}
                                           : Notice{kind, "", "", kUrgencyNormal});
    // Once the shutdown is under way the countdown has nothing more to say.
    const bool shutting = (p.status & UPS_SHUTACT) != 0, wasShutting = (was.status & UPS_SHUTACT);
    const int wasDown = wasShutting ? -1 : was.down;
    const std::string in = "The computer shuts down in " + ClockText(p.down) + ".";
    const bool forced = p.nut && p.nut->Forced, wasForced = was.nut && was.nut->Forced;
    if (shutting) {
        // One notice for the shutdown: the primary's order, coming later,
        // replaces the plain one.
        if (!wasShutting || (forced && !wasForced))
            out.push_back({NoticeKind::ShuttingDown,
                           forced ? "The UPS's primary orders this computer to shut down now"
                                  : "Shutting down",
                           "The computer is shutting down now.", kUrgencyCritical});
    } else if (wasShutting && p.down < 0) {
        out.push_back({NoticeKind::CountdownOver, "", "", kUrgencyNormal});
    } else if (p.down >= 0 && wasDown < 0) {
        out.push_back({NoticeKind::CountdownStarted, "Shutdown pending", in,
                       p.down < 60 ? kUrgencyCritical : kUrgencyNormal});
    } else if (p.down >= 0 && p.down < 60 && wasDown >= 60) {
        out.push_back(
            {NoticeKind::LastMinute, "Shutdown in less than a minute", in, kUrgencyCritical});
    } else if (p.down < 0 && wasDown >= 0) {
        // The power's return and a countdown run out are not cancellations.
        if (wasDown >= 1 && !restored)
            out.push_back({NoticeKind::ShutdownCancelled, "Shutdown cancelled",
                           "The computer keeps running.", kUrgencyNormal});
        else
            out.push_back({NoticeKind::CountdownOver, "", "", kUrgencyNormal});
    }
    lastLive_ = p;
    return out;
}
