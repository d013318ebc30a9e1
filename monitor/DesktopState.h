// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop is told about the UPS: the tray's state and tooltip, and
// the notifications that changes of the evaluated state call for. Taken from
// the same evaluation the main window shows, after each tick and read; no
// Qt, so the tables of tests read it directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "NutState.h"

enum class PictureLink { Waiting, Live, Lost };

// The evaluated state as the desktop sees it. Figures are -1 where the UPS
// does not give them.
struct UpsPicture {
    PictureLink link = PictureLink::Waiting;
    std::int32_t status = 0; // the status word after the evaluation
    int charge = -1;         // battery level, %
    int load = -1;           // output loading, %
    int runtime = -1;        // seconds the battery lasts (BattEstimate)
    int down = -1;           // seconds to the shutdown; -1 when none runs
    // Whether status holds values once read: the last known ones when lost.
    bool known = true;
    // The agent's word on its UPS server, while the values are live; the
    // tick sets UPS_SHUTACT for a forced shutdown.
    std::optional<NutState> nut;
    // The next battery replacement date ("2026-03-01") once it has come;
    // empty before it, or when none is set.
    std::string replaceDue;
};

// PtUPSVal and the values link as the last tick or read left them.
UpsPicture PictureNow();

enum class TrayState {
    Waiting,
    Charged,
    Charging,
    OnBattery,
    LowBattery,
    ReplaceBattery,
    CommLost,
    ShutdownPending,
    ShuttingDown,
};

TrayState TrayStateOf(const UpsPicture& p);
// What the tray's icon shows: the state, or while the link is lost the last
// known one (drawn dimmed, with the lost mark); CommLost when none is known.
TrayState KnownStateOf(const UpsPicture& p);
// "On battery · 62 % · load 31 % · shutdown in 02:41".
std::string TrayToolTip(const UpsPicture& p);
// The computer's place at the UPS server: "Secondary · 1 other computer on
// this UPS", "Primary", or for an observer that no primary waits for it.
std::string NutRoleText(const NutState& s);
// For the status bar: the server's refusal, if any, then the role text.
std::string NutStatusText(const NutState& s);
// Seconds as "02:41".
std::string ClockText(int seconds);

enum class NoticeKind {
    PowerFailure,
    PowerRestored,
    BatteryLow,
    ReplaceBattery,
    LinkLost,
    LinkRestored,
    CountdownStarted,
    LastMinute,
    ShutdownCancelled,
    CountdownOver, // ended by power or by running out: the countdown notice goes
    StillRunning,  // the main window went to the tray
    ShuttingDown,
    Overload,
    Overheat,
};

// The kinds the user switches on and off together.
enum class NoticeGroup { Power, Battery, Link, Shutdown };
NoticeGroup GroupOf(NoticeKind kind);
// Whether the notice replaces the one countdown notification.
bool IsCountdownNotice(NoticeKind kind);

constexpr int kUrgencyNormal = 1;
constexpr int kUrgencyCritical = 2;

// A notice without a summary takes back the one of its kind (the countdown
// notice for CountdownOver): its cause has ended.
struct Notice {
    NoticeKind kind;
    std::string summary;
    std::string body;
    int urgency = kUrgencyNormal;
};

// Turns successive pictures into notices, one per change: a state that lasts
// is not announced again, and nothing is said of what was not read.
class NoticeDetector {
  public:
    // now: the clock in seconds, for how long an outage lasted.
    std::vector<Notice> Step(const UpsPicture& p, long now);

  private:
    UpsPicture lastLive_{};
    bool linkLostShown_ = false;
    long failedAt_ = -1;
};
