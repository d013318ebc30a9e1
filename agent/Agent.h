// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The UPS agent as a state machine: Step() is one second of its life. The
// main loop calls it once per wall-clock second; tests call it directly with
// a scripted UPS source, a recording command runner and the test clock.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

#include "AgentCalendar.h"
#include "AgentLog.h"
#include "CommandRunner.h"
#include "History.h"
#include "Integrations.h"
#include "ProblemReport.h"
#include "Security.h"
#include "Ups.h"
#include "UpsSource.h"

// Why the countdown runs; decides what ends it and which UPS-side delay
// follows it. The countdown keeps each cause with a deadline of its own.
enum class CountdownCause { None, PowerFailure, BatteryLow, Schedule };

struct AgentOptions {
    // Program and arguments run when the countdown expires; empty: the agent
    // only logs that it would shut down now.
    std::vector<std::string> ShutdownCommand;
    // Copy log lines to this stream as well (null: don't).
    std::FILE* Echo = nullptr;
    // Failed writes of the values file and the log go here (null: nowhere).
    std::FILE* Errors = stderr;
    std::string Version = "0";
    // As the UPS's primary: seconds to wait for the other computers to log
    // out after ordering them down.
    int HostSync = 15;
    // Told of every event and every second (not owned).
    std::vector<Integration*> Integrations = {};
};

class Agent {
  public:
    Agent(UpsSource& source, CommandRunner& runner, AgentOptions options);

    // Reads settings and calendar, writes the ratings and the first log line.
    void Start();
    // One second: requests, one UPS reading, events, schedule, countdown,
    // and the values file.
    void Step();
    // Between the seconds: acts on a fresher reading of the UPS, when its
    // source has one, and writes the values file at once if they changed.
    // The countdown and the minute's work stay with Step.
    void Refresh();
    // Settings and calendar are read again at the next Step (SIGHUP).
    void RequestReload() { reloadPending_ = true; }
    // Last log line, the samples still waiting, and a values file that no
    // longer claims a live UPS.
    void Stop();
    // On mains, samples are committed to the history at most this often.
    static constexpr std::int64_t HistoryBatchSeconds = 600;
    // Tests: returns once the history has written what it was handed.
    void WaitHistory() { history_.WaitIdle(); }

    const UPSVal& Values() const { return val_; }
    short DownTime() const { return val_.DownTime; }
    // The cause whose deadline comes first (None: no countdown runs).
    CountdownCause Cause() const { return Soonest(false); }
    const UPSSts& Settings() const { return sts_; }
    const AgentCalendar& Calendar() const { return calendar_; }

  private:
    void ReadSettings(bool atStart);
    void ReadCalendar(bool atStart);
    void HandleRequests();
    void Evaluate(const UpsReading& r);
    void EvaluateLoad();
    void CheckMinutes();
    void CheckMinute(long minute);
    void CheckBatteryDate(const DateTimeRec& now);
    struct Deadline {
        int Left = -1;      // seconds; -1: not armed
        bool Fresh = false; // armed since the last tick: not counted down yet
    };
    Deadline& Slot(CountdownCause cause) { return deadlines_.at(static_cast<int>(cause) - 1); }
    const Deadline& Slot(CountdownCause cause) const {
        return deadlines_.at(static_cast<int>(cause) - 1);
    }
    CountdownCause Soonest(bool powerOnly) const;
    // Seconds left once this second is counted: what the log reports.
    int NextLeft(CountdownCause cause) const;
    void SetDownTime();
    void Arm(int delay, CountdownCause cause);
    void CancelCountdown(const std::string& by);
    // A cancel request (by: who asked, for the log), with or without a
    // countdown running.
    void Cancel(const std::string& by);
    void EndPowerCountdown();
    void TickCountdown();
    void Expire();
    // Runs the shutdown command; with a cause, the UPS-side turn-off of
    // that cause follows.
    void ShutDown(CountdownCause cause);
    // The UPS's primary ordered every computer down.
    void ObeyForcedShutdown();
    // As the primary: the others are told to go and awaited before this
    // computer goes (second: a whole second has passed).
    void HoldForOthers(CountdownCause cause);
    void CheckHold(bool second);
    // What the UPS server says of the computers on the UPS: logged, and
    // passed to the monitor.
    void FollowSharing();
    // A sleep of the computer since the last step: logged, and the UPS read
    // afresh before the countdown may go on.
    void CheckResume();
    void RunCommandFile();
    void WriteValues(bool stopping, bool onlyIfChanged);
    void WriteRatings();
    void Log(LogKind kind, const std::string& text) { log_.Append(kind, text); }
    // Logs text and keeps it in the history as an event of the given kind
    // (null: only logged).
    void Event(const char* kind, LogKind logKind, const std::string& text);
    std::int32_t StatusWord() const;
    // The second's state to the integrations.
    void TellIntegrations();
    void TakeSample();
    void CommitSamples();

    UpsSource& source_;
    CommandRunner& runner_;
    AgentOptions options_;
    AgentLog log_;
    AgentCalendar calendar_;
    UPSSts sts_{};
    UPSVal val_{};
    uid_t folderOwner_ = 0;
    // The settings file last loaded (none: defaults, the command file runs
    // as the agent): its owner and group, and whose word it counts as.
    std::optional<SettingsWriter> settingsWriter_;
    uid_t settingsOwner_ = 0;
    gid_t settingsGroup_ = 0;

    bool started_ = false;
    bool reloadPending_ = false;
    bool connected_ = false;
    bool everPolled_ = false;
    std::int32_t upsStatus_ = 0; // the UPS's own bits, as last reported
    std::int32_t statusAvail_ = 0;
    bool loadWarn_ = false;
    bool loadSevere_ = false;
    bool batteryDateDue_ = false;
    long lastMinute_ = -1;       // minutes since 1970 of the last schedule check
    bool valuesWritten_ = false; // lastValues_ is what the file holds
    dev_t valuesDev_ = 0;        // and the file the agent wrote it to
    ino_t valuesIno_ = 0;
    std::array<std::uint8_t, UPSValImageSize> lastValues_{};
    std::array<Deadline, 3> deadlines_{}; // by cause: power failure, battery low, schedule
    bool commandStarted_ = false;         // the command file ran for this countdown
    bool shuttingDown_ = false;           // the shutdown command started and has not failed
    std::string shutdownProgram_;         // which one, to know its end
    std::string lostProblem_;             // the reason logged for the lost link
    ProblemReport valuesProblem_;
    bool takeProblem_ = false; // ZAN_CMD.TAKEN in the way, reported
    // A request acted on that could not be removed: not acted on again.
    std::optional<struct stat> stuckRequest_;
    UpsRatings ratingsWritten_{};
    bool ratingsValid_ = false;
    // The UPS shared through a server: this computer's part.
    NutRole role_ = NutRole::Observer;
    bool shared_ = false;
    std::optional<UpsSharing> sharingSeen_;
    std::optional<NutState> nutWritten_; // what the monitor's file holds
    bool forced_ = false;                // obeying the primary's order
    bool holding_ = false;               // as the primary, waiting for the others
    bool holdAnnounced_ = false;
    int holdOthers_ = -1; // the others logged in when the order was answered
    int holdSeconds_ = 0;
    bool holdFresh_ = false; // begun since the last whole second
    CountdownCause holdCause_ = CountdownCause::None;
    int outages_ = 0;                   // power failures since the start
    std::int64_t secondsOnBattery_ = 0; // since the start
    long lastSleepGap_ = -1;            // seconds the computer slept since it started
    int resyncLeft_ = 0;                // seconds the countdown still waits for a fresh reading
    History history_;
    // Samples wait here while on mains, so the disk sees one commit every
    // few minutes rather than one every ten seconds.
    std::vector<HistorySample> pendingSamples_;
    std::optional<std::int64_t> lastSample_;
};

// Minutes since 1 January 1970 of a civil date and time, and back.
long MinuteNumber(int year, int month, int day, int hour, int minute);
DateTimeRec DateTimeOfMinute(long minute);
