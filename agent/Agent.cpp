// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Agent.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "CalendarDate.h"
#include "Clock.h"
#include "Folder.h"
#include "NutState.h"
#include "Security.h"
#include "file.h"

namespace {

// After a stall (a suspended machine, a stopped process) the schedule is
// caught up for at most this many minutes; older entries are history.
constexpr long MaxCatchUpMinutes = 10;

// A gap this long (seconds) between the boot-time and monotonic clocks is
// a sleep of the computer, not the jitter of reading two clocks.
constexpr long MinSleep = 3;
// After a sleep the countdown waits at most this many seconds for a fresh
// reading of the UPS; a UPS that stays silent is then a lost link as ever.
constexpr int ResyncWait = 5;

// At the end, each integration gets this long (ms) for its last word.
constexpr int IntegrationStopWait = 300;
// Who cancels through the monitor's request file.
constexpr const char* ByTheUser = "by the user";

// Taken from the folder while it is read, so that a request the monitor
// writes meanwhile is not deleted unread.
constexpr const char* TakenCommandFileName = "ZAN_CMD.TAKEN";

struct BitEvent {
    std::int32_t Mask;
    LogKind SetKind;
    const char* SetText;
    const char* ClearText;
    const char* SetEvent; // the history's kind of event; null: not kept
    const char* ClearEvent;
};

// Events other than the power failure and the low battery, which also arm
// the countdown and are handled on their own.
const BitEvent OtherEvents[] = {
    {UPS_BATTDEPLETED, LogKind::Alarm, "Battery depleted", "Battery no longer depleted", nullptr,
     nullptr},
    {UPS_BATTREPLACE, LogKind::Warning, "Battery needs to be replaced",
     "Battery replacement no longer requested", "replace-battery", nullptr},
    {UPS_OVERLOAD, LogKind::Alarm, "Overload", "Overload ended", "overload", "overload-end"},
    {UPS_OVERHEAT, LogKind::Alarm, "Overheat", "Temperature back to normal", "overheat",
     "overheat-end"},
    {UPS_BYPASS, LogKind::Warning, "Output on bypass", "Output back from bypass", nullptr, nullptr},
    {UPS_OUTPUTOFF, LogKind::Warning, "UPS output off", "UPS output on", nullptr, nullptr},
    {UPS_TESTING, LogKind::Info, "Self test running", "Self test finished", "test", "test-end"},
    {UPS_TESTFAIL, LogKind::Alarm, "Self test failed", "Self test failure cleared", "test-failed",
     nullptr},
};

const char* CauseText(CountdownCause cause) {
    switch (cause) {
    case CountdownCause::PowerFailure:
        return "power failure";
    case CountdownCause::BatteryLow:
        return "battery low";
    case CountdownCause::Schedule:
        return "scheduled shutdown";
    case CountdownCause::None:
        break;
    }
    return "none";
}

// A measurement the UPS reports, in its unit; empty when it does not.
std::optional<double> Item(const UPSVal& v, int slot) {
    if (!((v.SupportItem >> slot) & 1)) return std::nullopt;
    return v.ItemVal[slot] / 10.0;
}

std::string HourMinute(int hour, int minute) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    return text;
}

} // namespace

long MinuteNumber(int year, int month, int day, int hour, int minute) {
    return DaysFromCivil(year, month, day) * 1440 + hour * 60 + minute;
}

DateTimeRec DateTimeOfMinute(long minute) {
    const long days = (minute >= 0 ? minute : minute - 1439) / 1440;
    const long inDay = minute - days * 1440;
    const CivilDate d = CivilFromDays(days);
    return MakeDateTime(d.year, d.month, d.day, static_cast<int>(inDay / 60),
                        static_cast<int>(inDay % 60));
}

Agent::Agent(UpsSource& source, CommandRunner& runner, AgentOptions options)
    : source_(source), runner_(runner), options_(std::move(options)), log_(FolderFile(LogFileName)),
      valuesProblem_("the values file " + ShownPath(FolderFile(ValuesFileName))) {
    log_.SetEcho(options_.Echo);
    log_.SetErrors(options_.Errors);
    valuesProblem_.SetStream(options_.Errors);
    val_.DownTime = -1;
}

void Agent::Start() {
    folderOwner_ = ProgramFolderOwner();
    DefaultUPSSts(&sts_);
    Log(LogKind::Info, "Agent " + options_.Version + " started with the " + source_.Name());
    if (const auto sharing = source_.Sharing()) {
        shared_ = true;
        role_ = sharing->State.Role;
        if (role_ == NutRole::Observer)
            Log(LogKind::Warning, "Not logged in to " + sharing->Where +
                                      ": a primary will not wait for this computer");
    } else {
        // A file left by an agent on a UPS server would speak for this one.
        ::unlink(FolderFile(NutStateFileName).c_str());
    }
    ReadSettings(true);
    ReadCalendar(true);
    WriteRatings();
    started_ = true;
}

void Agent::ReadSettings(bool atStart) {
    std::string path = FolderFile(SettingsFileName);
    struct stat st {};
    int fd = OpenForReadNoFollow(path, &st);
    if (fd < 0) {
        if (errno == ENOENT) {
            Log(LogKind::Info, atStart ? "No settings file: using the default settings"
                                       : "Settings file missing: keeping the settings in force");
        } else {
            Log(LogKind::Warning, std::string("Settings file refused: ") + SettingsFileName +
                                      (errno == ELOOP ? " is a symbolic link" : " cannot be read") +
                                      "; keeping the settings in force");
        }
        log_.SetLimit(sts_.LogEntry);
        return;
    }
    std::string why;
    if (!IsTrustedDataFile(st, folderOwner_, &why)) {
        ::close(fd);
        Log(LogKind::Warning, std::string("Settings file refused: ") + SettingsFileName + " " +
                                  why + "; keeping the settings in force");
        return;
    }
    UniqueFile in = CappedStream(UniqueFd(fd), SettingsFileCap);
    if (!in) return;
    struct stat folder {};
    const bool folderKnown = ProgramFolderStatus(&folder);
    SettingsWriter writer = WriterOfSettings(st, folderKnown ? &folder : nullptr);
    // A line missing from the file keeps the value in force, never a zero
    // delay; but only a value of the same owner's file, or someone else's
    // command file could run with this file's owner's rights.
    const bool sameSource =
        settingsWriter_ == writer && st.st_uid == settingsOwner_ && st.st_gid == settingsGroup_;
    UPSSts fresh = sts_;
    if (!sameSource) DefaultUPSSts(&fresh);
    ParseUPSSts(in.get(), &fresh);
    in.reset();
    sts_ = fresh;
    // The command file it names runs with its writer's rights, never more.
    settingsWriter_ = std::move(writer);
    settingsOwner_ = st.st_uid;
    settingsGroup_ = st.st_gid;
    log_.SetLimit(sts_.LogEntry);
    Log(LogKind::Info, atStart ? "Settings loaded" : "Settings reloaded");
}

void Agent::ReadCalendar(bool atStart) {
    std::string why;
    switch (calendar_.Load(FolderFile(CalendarFileName), folderOwner_, &why)) {
    case AgentCalendar::LoadResult::Missing:
        if (!atStart) Log(LogKind::Info, "Calendar reloaded: no calendar file, nothing scheduled");
        break;
    case AgentCalendar::LoadResult::Refused:
        Log(LogKind::Warning, std::string("Calendar refused: ") + CalendarFileName + " " + why +
                                  "; nothing scheduled");
        break;
    case AgentCalendar::LoadResult::Loaded:
        Log(LogKind::Info, std::string(atStart ? "Calendar loaded" : "Calendar reloaded") + ": " +
                               std::to_string(calendar_.Count()) + " scheduled entries from " +
                               std::to_string(calendar_.BaseYear()));
        break;
    }
}

void Agent::HandleRequests() {
    std::string waiting = FolderFile(CommandFileName);
    std::string taken = FolderFile(TakenCommandFileName);
    std::string from = taken;
    if (::rename(waiting.c_str(), taken.c_str()) != 0) {
        if (errno == ENOENT) return; // no request waiting
        // The working name is ours: clear whatever stands there, try again.
        int cause = errno;
        if (::unlink(taken.c_str()) != 0) ::rmdir(taken.c_str());
        if (::rename(waiting.c_str(), taken.c_str()) != 0) {
            if (errno == ENOENT) return;
            // Never ignore a request: read it where it stands. A folder
            // that takes no change at all (read-only) refuses the rename
            // before it looks for a request, so none may be waiting.
            from = waiting;
            const bool inTheWay = cause == EISDIR || cause == ENOTEMPTY || cause == EEXIST;
            if (!takeProblem_)
                Log(LogKind::Warning,
                    std::string("Request file cannot be taken aside") +
                        (inTheWay ? std::string(": ") + TakenCommandFileName + " is in the way ("
                                  : std::string(" (")) +
                        std::strerror(cause) + "); requests are read in place");
            takeProblem_ = true;
        }
    }
    if (from == taken) takeProblem_ = false;

    long long request[3] = {0, 0, 0};
    struct stat st {};
    int fd = OpenForReadNoFollow(from, &st);
    int openError = errno;
    if (fd < 0 && openError == ENOENT) return; // none waiting, or gone before it was read
    if (fd < 0) ::lstat(from.c_str(), &st);    // what to remove
    if (stuckRequest_ && st.st_dev == stuckRequest_->st_dev && st.st_ino == stuckRequest_->st_ino &&
        st.st_ctim.tv_sec == stuckRequest_->st_ctim.tv_sec &&
        st.st_ctim.tv_nsec == stuckRequest_->st_ctim.tv_nsec) {
        if (fd >= 0) ::close(fd); // already acted on, and it cannot be removed
        return;
    }
    std::string why;
    bool trusted = false;
    if (fd < 0) {
        why = openError == ELOOP ? "is a symbolic link" : "cannot be read";
    } else if (IsTrustedDataFile(st, folderOwner_, &why)) {
        trusted = true;
        if (UniqueFile in = CappedStream(UniqueFd(std::exchange(fd, -1)), CommandFileCap)) {
            char line[64];
            for (int i = 0; i < 3 && std::fgets(line, sizeof line, in.get()); ++i)
                request[i] = AtoiWide(line);
        }
    }
    if (fd >= 0) ::close(fd);
    // Only what was read goes: a request written meanwhile under the name
    // stays for the next second.
    struct stat now {};
    bool same =
        ::lstat(from.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
    stuckRequest_.reset();
    if (same && ::unlink(from.c_str()) != 0 && ::rmdir(from.c_str()) != 0) stuckRequest_ = st;
    if (!trusted) {
        Log(LogKind::Warning,
            std::string("Request refused: ") + CommandFileName + " " + why + "; nothing done");
        return;
    }
    if (request[0] == 1) ReadSettings(false);
    if (request[1] == 1) ReadCalendar(false);
    if (request[2] == 1) Cancel(ByTheUser);
}

void Agent::Cancel(const std::string& by) {
    if (Cause() != CountdownCause::None)
        CancelCountdown(by);
    else
        Log(LogKind::Info, "Cancel request" + (by == ByTheUser ? "" : " " + by) +
                               ": no shutdown countdown running");
}

void Agent::Step() {
    if (!started_) Start();
    // The history's thread may not write the log itself.
    for (const std::string& line : history_.TakeReports())
        Log(LogKind::Warning, line);
    for (const ProgramEnd& end : runner_.Finished()) {
        // Only a failure of the shutdown command says the computer is not
        // going down after all.
        if (shuttingDown_ && end.Failed && end.Program == shutdownProgram_) {
            shuttingDown_ = false;
            Event("shutdown-failed", LogKind::Alarm, "Shutdown command failed: " + end.Text);
        } else {
            Log(LogKind::Info, end.Text);
        }
    }
    if (reloadPending_) {
        reloadPending_ = false;
        ReadSettings(false);
        ReadCalendar(false);
    }
    HandleRequests();
    for (Integration* i : options_.Integrations)
        if (std::string by; i->TakeCancelRequest(&by)) Cancel(by);
    CheckResume();
    Evaluate(source_.Poll());
    CheckMinutes();
    if (resyncLeft_ > 0) {
        // The countdown waits for a reading from after the sleep.
        --resyncLeft_;
        SetDownTime();
    } else {
        TickCountdown();
    }
    FollowSharing();
    CheckHold(true);
    if (!ratingsValid_ || !(source_.Ratings() == ratingsWritten_)) WriteRatings();
    WriteValues(false, false);
    if (connected_ && (upsStatus_ & UPS_ACFAIL)) ++secondsOnBattery_;
    TellIntegrations();
    TakeSample();
    history_.Thin(CurrentTime());
}

void Agent::Event(const char* kind, LogKind logKind, const std::string& text) {
    Log(logKind, text);
    if (!kind) return;
    // The alerts offer EventKinds() to choose from: a kind missing there
    // could never be chosen.
    assert(FindEventKind(kind));
    history_.AddEvent(CurrentTime(), kind, text);
    if (std::strcmp(kind, "power-fail") == 0) ++outages_;
    if (options_.Integrations.empty()) return;
    AgentEvent e;
    e.Kind = kind;
    e.Message = text;
    e.Time = CurrentTime();
    const auto sharing = source_.Sharing();
    e.Ups = sharing ? sharing->Where : source_.Name();
    e.Charge = Item(val_, 2);
    if (val_.BattEstimate > 0) e.Runtime = val_.BattEstimate;
    e.Load = Item(val_, 15);
    for (Integration* i : options_.Integrations)
        i->OnEvent(e);
}

void Agent::TellIntegrations() {
    if (options_.Integrations.empty()) return;
    AgentSnapshot s;
    s.Time = CurrentTime();
    s.Connected = connected_;
    s.Values = val_;
    s.Status = StatusWord() | (connected_ ? 0 : UPS_COMMERR);
    s.CountdownLeft = val_.DownTime;
    s.OutagesTotal = outages_;
    s.SecondsOnBattery = secondsOnBattery_;
    for (Integration* i : options_.Integrations) {
        i->OnSnapshot(s);
        for (const std::string& line : i->TakeReports())
            Log(LogKind::Warning, line);
    }
}

void Agent::TakeSample() {
    const std::int64_t now = CurrentTime();
    // While the link is down the last values are stale: the history keeps a
    // gap rather than repeat them.
    if (connected_ && History::SampleDue(lastSample_, now, upsStatus_)) {
        lastSample_ = now;
        HistorySample s;
        s.time = now;
        s.batteryVolts = Item(val_, 0);
        s.charge = Item(val_, 2);
        s.inputHz = Item(val_, 3);
        s.inputVolts = Item(val_, 4);
        s.outputVolts = Item(val_, 13);
        s.load = Item(val_, 15);
        s.temperature = Item(val_, 29);
        if (val_.BattEstimate > 0) s.runtimeSeconds = val_.BattEstimate;
        s.status = StatusWord();
        pendingSamples_.push_back(s);
    }
    // On battery every sample counts: the next second may be the last.
    if (!pendingSamples_.empty() &&
        ((upsStatus_ & UPS_ACFAIL) || now < pendingSamples_.front().time ||
         now - pendingSamples_.front().time >= HistoryBatchSeconds))
        CommitSamples();
}

void Agent::CommitSamples() {
    // Handed over, never waited for: a failed commit is reported by the
    // history and not retried, so samples do not pile up while the disk is
    // unwell.
    history_.AddSamples(std::exchange(pendingSamples_, {}));
}

void Agent::Refresh() {
    if (!started_) return;
    UpsReading r;
    if (source_.Fresh(&r)) Evaluate(r);
    FollowSharing();
    CheckHold(false);
    WriteValues(false, true);
    TellIntegrations();
}

void Agent::Evaluate(const UpsReading& r) {
    bool first = !everPolled_;
    everPolled_ = true;
    if (!r.Connected) {
        // The reason is news when the link goes and when it changes, not
        // every second.
        const std::string text =
            LinkLostText + (r.Problem.empty() ? std::string() : ": " + r.Problem);
        if (connected_ || first)
            Event("link-lost", LogKind::Alarm, text);
        else if (!r.Problem.empty() && r.Problem != lostProblem_)
            Log(LogKind::Alarm, text);
        if (connected_ || first || !r.Problem.empty()) lostProblem_ = r.Problem;
        connected_ = false;
        return; // the last values stand, marked as lost
    }
    if (!connected_ && !first) Event("link-back", LogKind::Info, LinkBackText);
    connected_ = true;
    resyncLeft_ = 0;

    val_.Type = r.Type;
    val_.SupportItem = r.SupportItem;
    std::copy(std::begin(r.ItemVal), std::end(r.ItemVal), std::begin(val_.ItemVal));
    val_.BattEstimate = r.BattEstimate;
    val_.TxVoltLo = r.TxVoltLo;
    val_.TxVoltHi = r.TxVoltHi;
    statusAvail_ = r.StatusAvail;

    const std::int32_t now = r.Status & ~AgentOwnedBits;
    const std::int32_t set = now & ~upsStatus_;
    const std::int32_t cleared = upsStatus_ & ~now;
    upsStatus_ = now;

    if (set & UPS_ACFAIL) {
        Event("power-fail", LogKind::Warning, "Power failure: running on battery");
        if (sts_.flag_Enable_Power_OSDelay) Arm(sts_.Power_OSDelay, CountdownCause::PowerFailure);
    }
    if (cleared & UPS_ACFAIL) {
        Event("power-back", LogKind::Info, "Power restored");
        EndPowerCountdown();
    }
    if (set & UPS_BATTLOW) Event("battery-low", LogKind::Alarm, "Battery low");
    if (cleared & UPS_BATTLOW) Log(LogKind::Info, "Battery no longer low");
    // On battery with a low battery, whichever of the two was reported last.
    if ((set & (UPS_BATTLOW | UPS_ACFAIL)) && (now & UPS_BATTLOW) && (now & UPS_ACFAIL) &&
        sts_.flag_Enable_Battery_OSDelay)
        Arm(sts_.Battery_OSDelay, CountdownCause::BatteryLow);

    for (const auto& e : OtherEvents) {
        if (set & e.Mask) Event(e.SetEvent, e.SetKind, e.SetText);
        if (cleared & e.Mask) Event(e.ClearEvent, LogKind::Info, e.ClearText);
    }
    EvaluateLoad();
    // The UPS's forced shutdown: its power goes soon, whatever the delays.
    // Only for a computer logged in to it; our own order (as the primary)
    // is already being carried out.
    if ((set & UPS_SHUTACT) && role_ != NutRole::Observer && !forced_ && !holding_ &&
        !shuttingDown_)
        ObeyForcedShutdown();
}

void Agent::EvaluateLoad() {
    constexpr int LoadSlot = 15; // "Output Loading", tenths of a percent
    bool measured = (val_.SupportItem >> LoadSlot) & 1;
    int load = val_.ItemVal[LoadSlot];
    bool warn = measured && sts_.LoadWarn > 0 && load >= sts_.LoadWarn * 10;
    bool severe = measured && sts_.LoadSeverity > 0 && load >= sts_.LoadSeverity * 10;
    std::string percent = std::to_string(load / 10) + " %";
    if (warn != loadWarn_)
        Log(warn ? LogKind::Warning : LogKind::Info,
            warn ? "Load " + percent + " at or above the warning level of " +
                       std::to_string(sts_.LoadWarn) + " %"
                 : "Load back below the warning level");
    if (severe != loadSevere_)
        Log(severe ? LogKind::Alarm : LogKind::Info,
            severe ? "Load " + percent + " at or above the severe level of " +
                         std::to_string(sts_.LoadSeverity) + " %"
                   : "Load back below the severe level");
    loadWarn_ = warn;
    loadSevere_ = severe;
}

void Agent::CheckMinutes() {
    DateTimeRec now{};
    GetTime(&now);
    long minute = MinuteNumber(now.year, now.month, now.day, now.hour, now.minute);
    if (lastMinute_ >= 0 && minute <= lastMinute_)
        return; // same minute, or the clock went back: never run a minute twice
    long from =
        lastMinute_ < 0 ? minute : std::max(lastMinute_ + 1, minute - MaxCatchUpMinutes + 1);
    lastMinute_ = minute;
    for (long m = from; m <= minute; ++m)
        CheckMinute(m);
    CheckBatteryDate(now);
    struct stat rated {};
    if (ratingsValid_ &&
        (::lstat(FolderFile(RatingFileName).c_str(), &rated) != 0 || !S_ISREG(rated.st_mode)))
        ratingsValid_ = false; // removed or replaced by something else: write it again
}

void Agent::CheckMinute(long minute) {
    DateTimeRec t = DateTimeOfMinute(minute);
    for (int k = 0; k < ScheduleEntriesPerDay; ++k) {
        ScheduleStr e = calendar_.Entry(t.year, t.month, t.day, k);
        if (e.Button == ScheduleNone || e.Hour != t.hour || e.Minute != t.minute) continue;
        std::string at = HourMinute(t.hour, t.minute);
        std::string note;
        switch (e.Button) {
        case ScheduleShutdown:
            Log(LogKind::Warning, "Scheduled shutdown at " + at);
            if (sts_.flag_Enable_Schedule_OSDelay)
                Arm(sts_.Schedule_OSDelay, CountdownCause::Schedule);
            else
                Log(LogKind::Info, "Scheduled shutdown countdown is off in the settings");
            break;
        case ScheduleRestart:
            Log(LogKind::Info, "Scheduled restart at " + at);
            break;
        case ScheduleTest:
        case ScheduleDeepTest: {
            bool deep = e.Button == ScheduleDeepTest;
            std::string what = deep ? "deep self test" : "self test";
            if (source_.StartSelfTest(deep, &note))
                Event("test-start", LogKind::Info,
                      "Scheduled " + what + " at " + at + " started (" + note + ")");
            else
                Event("test-failed", LogKind::Warning,
                      "Scheduled " + what + " at " + at + " failed: " + note);
            break;
        }
        default:
            break; // an unknown kind schedules nothing
        }
    }
}

void Agent::CheckBatteryDate(const DateTimeRec& now) {
    const char* next = sts_.BR_Date_Next;
    bool valid = std::strlen(next) == 8 &&
                 std::all_of(next, next + 8, [](char c) { return c >= '0' && c <= '9'; });
    char today[32];
    std::snprintf(today, sizeof today, "%04d%02d%02d", now.year, now.month, now.day);
    bool due = valid && std::strcmp(today, next) >= 0;
    if (due && !batteryDateDue_)
        Event("replace-battery", LogKind::Warning,
              std::string("Battery replacement date ") + std::string(next, 4) + "/" +
                  std::string(next + 4, 2) + "/" + std::string(next + 6, 2) +
                  " reached: the battery needs to be replaced");
    batteryDateDue_ = due;
}

// Ties go to the low battery, then the power failure: the most urgent
// cause decides the UPS-side delay when two expire in the same second.
CountdownCause Agent::Soonest(bool powerOnly) const {
    CountdownCause best = CountdownCause::None;
    for (CountdownCause c :
         {CountdownCause::BatteryLow, CountdownCause::PowerFailure, CountdownCause::Schedule}) {
        if (powerOnly && c == CountdownCause::Schedule) continue;
        const int left = Slot(c).Left;
        if (left >= 0 && (best == CountdownCause::None || left < Slot(best).Left)) best = c;
    }
    return best;
}

int Agent::NextLeft(CountdownCause cause) const {
    const Deadline& d = Slot(cause);
    return d.Fresh ? d.Left : d.Left - 1;
}

void Agent::SetDownTime() {
    const CountdownCause first = Soonest(false);
    val_.DownTime = static_cast<short>(first == CountdownCause::None ? -1 : Slot(first).Left);
}

void Agent::Arm(int delay, CountdownCause cause) {
    const std::string reason = CauseText(cause);
    if (delay < 0) {
        Log(LogKind::Warning, "Shutdown countdown for " + reason +
                                  " not started: its delay in the settings is negative");
        return;
    }
    Deadline& d = Slot(cause);
    if (d.Left >= 0 && NextLeft(cause) <= delay) return; // a deadline never moves later
    const CountdownCause first = Soonest(false);
    const int before = first == CountdownCause::None ? -1 : NextLeft(first);
    d.Left = delay;
    d.Fresh = true;
    SetDownTime();
    const std::string seconds = std::to_string(delay) + " s";
    if (before < 0) {
        commandStarted_ = false;
        Event("countdown", LogKind::Warning,
              "Shutdown countdown started: " + seconds + " (" + reason + ")");
    } else if (delay < before) {
        Event("countdown", LogKind::Warning,
              "Shutdown countdown shortened to " + seconds + " (" + reason + ")");
    } else {
        // Not sooner than what runs, but still due when that ends first.
        Event("countdown", LogKind::Warning,
              "Shutdown countdown stays at " + std::to_string(before) + " s; " + reason +
                  " kept: " + seconds + " (" + CauseText(first) + ")");
    }
}

void Agent::CancelCountdown(const std::string& by) {
    const char* cause = CauseText(Soonest(false));
    deadlines_ = {};
    commandStarted_ = false;
    SetDownTime();
    Event("countdown-cancel", LogKind::Info,
          "Shutdown countdown cancelled " + by + " (" + cause + ")");
}

// The mains are back: the power failure and the low battery no longer call
// for a shutdown. A scheduled one does not depend on the mains; it runs on.
void Agent::EndPowerCountdown() {
    const CountdownCause ended = Soonest(true);
    if (ended == CountdownCause::None) return;
    const char* cause = CauseText(ended);
    Slot(CountdownCause::PowerFailure) = {};
    Slot(CountdownCause::BatteryLow) = {};
    SetDownTime();
    std::string text = "Shutdown countdown ended: power restored";
    if (const CountdownCause left = Soonest(false); left != CountdownCause::None) {
        const int seconds = NextLeft(left);
        text += std::string("; ") + CauseText(left) + " remains: " + std::to_string(seconds) + " s";
        // The command file ran for a nearer end: it runs again before this one.
        if (seconds > sts_.Command_Time) commandStarted_ = false;
    } else {
        commandStarted_ = false;
    }
    Event("countdown-end", LogKind::Info, text + " (" + cause + ")");
}

void Agent::TickCountdown() {
    // A cause armed since the last tick (in this step or between the
    // seconds) counts from here, so a countdown never runs short.
    for (Deadline& d : deadlines_)
        if (d.Left > 0 && !std::exchange(d.Fresh, false)) --d.Left;
    const bool running = Soonest(false) != CountdownCause::None;
    SetDownTime();
    if (!running) return;
    if (sts_.flag_EnableCommand && !commandStarted_ && val_.DownTime <= sts_.Command_Time) {
        commandStarted_ = true;
        RunCommandFile();
    }
    if (val_.DownTime == 0) Expire();
}

void Agent::RunCommandFile() {
    std::string path = sts_.CommandFile;
    if (path.empty()) {
        Log(LogKind::Warning, "Command file not run: no command file is set");
        return;
    }
    if (settingsWriter_ && !settingsWriter_->Refusal.empty()) {
        Log(LogKind::Warning, "Command file refused: " + path + " " + settingsWriter_->Refusal);
        return;
    }
    RunAs as = settingsWriter_ ? IdentityOfOwner(settingsWriter_->Uid, settingsWriter_->Gid)
                               : AgentIdentity();
    std::string why;
    switch (runner_.Start({path}, as, &why)) {
    case StartResult::Started:
        Log(LogKind::Info, "Command file started: " + path + " as user " + std::to_string(as.Uid));
        break;
    case StartResult::Refused:
        Log(LogKind::Warning, "Command file refused: " + path + " " + why);
        break;
    case StartResult::Failed:
        Log(LogKind::Warning, "Command file could not be started: " + path + ": " + why);
        break;
    }
}

void Agent::Expire() {
    const CountdownCause cause = Soonest(false);
    // Every cause is spent: the values file shows 0 for this second, -1 after.
    deadlines_ = {};
    commandStarted_ = false;
    Event("countdown-expired", LogKind::Alarm,
          std::string("Shutdown countdown expired (") + CauseText(cause) + ")");
    // A scheduled shutdown on mains concerns this computer only.
    if (role_ == NutRole::Primary &&
        (cause != CountdownCause::Schedule || (upsStatus_ & UPS_ACFAIL)))
        HoldForOthers(cause);
    else
        ShutDown(cause);
}

void Agent::ShutDown(CountdownCause cause) {
    const auto& cmd = options_.ShutdownCommand;
    if (cmd.empty()) {
        shuttingDown_ = false;
        Event("shutdown-failed", LogKind::Alarm,
              "No shutdown command given: the computer would shut down now");
    } else {
        std::string why, line;
        for (const auto& a : cmd)
            line += (line.empty() ? "" : " ") + a;
        switch (runner_.Start(cmd, AgentIdentity(), &why)) {
        case StartResult::Started:
            shuttingDown_ = true;
            shutdownProgram_ = cmd[0];
            Event("shutdown", LogKind::Alarm, "Shutting down: " + line);
            break;
        case StartResult::Refused:
            shuttingDown_ = false;
            Event("shutdown-failed", LogKind::Alarm,
                  "Shutdown command refused: " + cmd[0] + " " + why);
            break;
        case StartResult::Failed:
            shuttingDown_ = false;
            Event("shutdown-failed", LogKind::Alarm,
                  "Shutdown command could not be started: " + cmd[0] + ": " + why);
            break;
        }
    }
    short enabled = 0, delay = 0;
    switch (cause) {
    case CountdownCause::PowerFailure:
        enabled = sts_.flag_Enable_Power_UPSDelay;
        delay = sts_.Power_UPSDelay;
        break;
    case CountdownCause::BatteryLow:
        enabled = sts_.flag_Enable_Battery_UPSDelay;
        delay = sts_.Battery_UPSDelay;
        break;
    case CountdownCause::Schedule:
        enabled = sts_.flag_Enable_Schedule_UPSDelay;
        delay = sts_.Schedule_UPSDelay;
        break;
    case CountdownCause::None:
        break;
    }
    if (enabled && delay >= 0) {
        std::string note;
        bool ok = source_.TurnOffAfter(delay, &note);
        if (!note.empty())
            note[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(note[0])));
        Log(ok ? LogKind::Info : LogKind::Warning, note);
    }
}

void Agent::ObeyForcedShutdown() {
    forced_ = true;
    deadlines_ = {};
    commandStarted_ = false;
    SetDownTime();
    Event("forced-shutdown", LogKind::Alarm, "Forced shutdown ordered by the UPS's primary");
    if (role_ == NutRole::Primary) {
        // Another primary's order: the others are still awaited; the UPS
        // is the orderer's to turn off.
        HoldForOthers(CountdownCause::None);
        return;
    }
    // The primary turns the UPS off once this computer has logged out.
    ShutDown(CountdownCause::None);
}

void Agent::HoldForOthers(CountdownCause cause) {
    holding_ = true;
    holdAnnounced_ = false;
    holdSeconds_ = 0;
    holdFresh_ = true;
    holdCause_ = cause;
    shuttingDown_ = true; // the monitor shows the shutdown from now on
    source_.OrderOthersDown();
    CheckHold(false);
}

void Agent::CheckHold(bool second) {
    if (!holding_) return;
    // Counted from the next whole second, like a countdown.
    if (second && !std::exchange(holdFresh_, false)) ++holdSeconds_;
    const UpsSharing s = source_.Sharing().value_or(UpsSharing{});
    const int others = s.State.Others;
    const std::string wait = "waiting up to " + std::to_string(options_.HostSync) + " s for ";
    if (!holdAnnounced_ && s.OrderAnswered) {
        holdAnnounced_ = true;
        holdOthers_ = others;
        if (!s.Ordered)
            Log(LogKind::Alarm, "Forced shutdown not set at the UPS server: " + s.OrderProblem +
                                    "; " + wait + "the other computers");
        else if (others == 0)
            Event("forced-shutdown", LogKind::Alarm,
                  "Forced shutdown set at the UPS server: no other computer logged in");
        else
            Event("forced-shutdown", LogKind::Alarm,
                  "Forced shutdown set at the UPS server: " + wait +
                      (others < 0 ? std::string("the other computers")
                                  : std::to_string(others) +
                                        (others == 1 ? " other computer" : " other computers")) +
                      " to log out");
    }
    if (s.Ordered && others == 0) {
        if (holdOthers_ != 0)
            Log(LogKind::Info,
                "All other computers logged out after " + std::to_string(holdSeconds_) + " s");
    } else if (holdSeconds_ >= options_.HostSync) {
        if (!holdAnnounced_)
            Log(LogKind::Alarm, "Forced shutdown not set at the UPS server: it did not answer");
        std::string who;
        for (const std::string& c : s.Clients)
            who += (who.empty() ? "" : ", ") + c;
        Log(LogKind::Warning, "Host sync time of " + std::to_string(options_.HostSync) + " s over" +
                                  (who.empty() ? "" : ": still logged in: " + who));
    } else {
        return;
    }
    holding_ = false;
    ShutDown(holdCause_);
}

void Agent::FollowSharing() {
    if (!shared_) return;
    const std::optional<UpsSharing> s = source_.Sharing();
    if (!s) return;
    const UpsSharing before = sharingSeen_.value_or(UpsSharing{});
    if (s->LoggedIn && !before.LoggedIn)
        Log(LogKind::Info, "Logged in to UPS " + s->Ups +
                               (s->RoleRefused ? std::string()
                                               : std::string(" as ") + NutRoleName(s->State.Role)));
    // A connection's problems are the lost link's news; the others (a
    // refused login) are told here, once each.
    if (connected_ && !s->State.Problem.empty() && s->State.Problem != before.State.Problem) {
        std::string text = s->State.Problem;
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        Log(LogKind::Warning,
            text + (role_ == NutRole::Primary ? ": the other computers cannot be ordered down"
                                              : ": a primary will not wait for this computer"));
    }
    sharingSeen_ = s;
    NutState state = s->State;
    state.Forced = forced_;
    if (nutWritten_ == state) return;
    const std::string text = EncodeNutState(state);
    if (ReplaceOwnFile(FolderFile(NutStateFileName), text.data(), text.size())) nutWritten_ = state;
}

void Agent::CheckResume() {
    const long gap = SleptSeconds();
    const long slept = lastSleepGap_ < 0 ? 0 : gap - lastSleepGap_;
    lastSleepGap_ = gap;
    if (slept < MinSleep) return;
    Log(LogKind::Info, "Resumed after " + std::to_string(slept) + " s asleep");
    // What the UPS said before the sleep may be long over: the countdown
    // neither starts nor runs out on it.
    if (source_.Resync()) resyncLeft_ = ResyncWait;
}

void Agent::WriteValues(bool stopping, bool onlyIfChanged) {
    UPSVal v = val_;
    std::int32_t status = StatusWord();
    bool open = connected_ && !stopping;
    if (!open) status |= UPS_COMMERR;
    v.flag_OpenUPS = open ? 1 : 0;
    v.StatusFlag.AllSts = status;
    v.StatusAvail.AllSts = statusAvail_ | AgentOwnedBits | UPS_BATTREPLACE | UPS_SHUTACT;
    v.Items = static_cast<short>(std::popcount(static_cast<std::uint32_t>(v.SupportItem)));
    if (stopping) v.DownTime = -1;
    std::array<std::uint8_t, UPSValImageSize> image;
    EncodeUPSVal(v, image.data());
    std::string path = FolderFile(ValuesFileName);
    if (valuesWritten_ && image == lastValues_) {
        if (onlyIfChanged) return;
        // Unchanged: only the file's age is renewed (the heartbeat the
        // monitor reads), so an idle agent leaves the disk alone. Whatever
        // else stands under the name is replaced below.
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == valuesDev_ &&
            st.st_ino == valuesIno_ && st.st_size == UPSValImageSize &&
            ::utimensat(AT_FDCWD, path.c_str(), nullptr, AT_SYMLINK_NOFOLLOW) == 0)
            return;
    }
    bool ok = ReplaceOwnFile(path, image.data(), image.size());
    int cause = errno;
    struct stat st {};
    valuesWritten_ = ok && ::lstat(path.c_str(), &st) == 0;
    valuesDev_ = st.st_dev;
    valuesIno_ = st.st_ino;
    lastValues_ = image;
    bool wasFailing = valuesProblem_.Failing();
    valuesProblem_.Outcome(ok, cause);
    if (!ok && !wasFailing)
        Log(LogKind::Alarm, "Cannot write the values file " + ShownPath(path) + ": " +
                                std::strerror(cause ? cause : EIO));
    else if (ok && wasFailing)
        Log(LogKind::Info, "Values file written again");
}

// The UPS's status bits and those the agent adds itself, but the link's.
std::int32_t Agent::StatusWord() const {
    std::int32_t status = upsStatus_;
    if (loadWarn_) status |= UPS_LOADWARN;
    if (loadSevere_) status |= UPS_LOADSEVERITY;
    if (batteryDateDue_) status |= UPS_BATTREPLACE;
    // Ours or the UPS's own forced shutdown: the monitor shows one state.
    if (shuttingDown_) status |= UPS_SHUTACT;
    return status;
}

void Agent::WriteRatings() {
    UpsRatings r = source_.Ratings();
    ratingsWritten_ = r;
    ratingsValid_ = true;
    if (r == UpsRatings{}) return; // nothing known: the monitor keeps its own
    char text[96];
    // VA and hertz only when known, so a UPS without them keeps the three-line file.
    if (r.VA == 0 && r.Freq == 0)
        std::snprintf(text, sizeof text, "%d\n%d\n%d\n", r.Volt, r.Current, r.BattVolt);
    else
        std::snprintf(text, sizeof text, "%d\n%d\n%d\n%d\n%d\n", r.Volt, r.Current, r.BattVolt,
                      r.VA, r.Freq);
    if (!ReplaceOwnFile(FolderFile(RatingFileName), text, std::strlen(text))) ratingsValid_ = false;
}

void Agent::Stop() {
    CommitSamples();
    // A history that cannot finish in time is left behind: the agent must
    // end promptly when told to.
    if (!history_.Stop(History::StopWait))
        Log(LogKind::Warning, "history: still busy at the end; its last writes are lost");
    for (const std::string& line : history_.TakeReports())
        Log(LogKind::Warning, line);
    for (Integration* i : options_.Integrations) {
        i->Stop(IntegrationStopWait);
        for (const std::string& line : i->TakeReports())
            Log(LogKind::Warning, line);
    }
    Log(LogKind::Info, "Agent stopped");
    WriteValues(true, false);
}
