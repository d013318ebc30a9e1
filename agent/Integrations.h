// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the agent tells the rest of the house: programs run at each event,
// a metrics file for Prometheus, an MQTT broker, alerts. Each is handed the event or the second's
// state and must return at once: its work goes to a thread of its own, so
// the agent's one-second loop never waits for it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "Ups.h"

// A kind of event the history records, and how an alert presents it.
struct EventKind {
    const char* Name;  // "power-fail"
    const char* Title; // "power failure": follows the UPS's name in an alert's title
    bool Urgent;       // someone should look now
    const char* Tag;   // an emoji short code for ntfy
};
// Every kind there is: the agent's events and the alerts' choices both
// come from here (defined in Integrations.cpp).
std::span<const EventKind> EventKinds();
// Null when the history knows no such kind.
const EventKind* FindEventKind(std::string_view name);

// One event the history records.
struct AgentEvent {
    std::string Kind;             // "power-fail", "countdown", ...
    std::string Message;          // the log line's text
    std::int64_t Time = 0;        // seconds since 1970 (the agent's clock)
    std::string Ups;              // the UPS's name as the agent's log gives it
    std::optional<double> Charge; // battery level, %
    std::optional<int> Runtime;   // seconds left on battery
    std::optional<double> Load;   // output load, %
};

// The agent's state after a second (or a fresher reading between seconds).
struct AgentSnapshot {
    std::int64_t Time = 0;
    bool Connected = false; // the UPS answers
    UPSVal Values{};        // as the values file holds them
    std::int32_t Status = 0;
    int CountdownLeft = -1;            // seconds; -1: none runs
    int OutagesTotal = 0;              // power failures since the agent started
    std::int64_t SecondsOnBattery = 0; // since the agent started
};

// Whether two snapshots say the same, whatever their time: an idle agent
// hands over the same state every second, and a link wakes only for news.
bool SameState(const AgentSnapshot& a, const AgentSnapshot& b);

// What an integration's thread shares with the agent's: the thread may be
// left behind at the end, so it lives as long as either holds it.
struct WorkerState {
    std::mutex Lock;
    std::condition_variable Wake;
    bool Stopping = false;
    bool Done = false; // the thread has finished
    std::vector<std::string> Reports;

    std::vector<std::string> TakeReports();
    // Tells the thread to stop (wake, if given, rouses it from whatever else
    // it sleeps on) and waits up to the given milliseconds for it; a thread
    // that hangs on a server or a disk is left behind, never waited for.
    void StopWorker(std::thread& worker, int milliseconds, const std::function<void()>& wake = {});
    // Said by the thread as its last word.
    void Finished();
};

class Integration {
  public:
    virtual ~Integration() = default;
    virtual void OnEvent(const AgentEvent&) {}
    virtual void OnSnapshot(const AgentSnapshot&) {}
    // Lines for the agent's log, from the integration's own thread (a
    // program refused, a queue that overflowed).
    virtual std::vector<std::string> TakeReports() { return {}; }
    // Whether someone asked through the integration to cancel the countdown
    // since the last call; *by says how, for the log ("over MQTT").
    virtual bool TakeCancelRequest(std::string* /*by*/) { return false; }
    // At the agent's end: a last word within the given milliseconds.
    virtual void Stop(int /*milliseconds*/) {}
};

// The shared writing of an event's fields. JSON's string, quotes included.
std::string JsonQuoted(std::string_view text);
// ISO 8601 in local time with the offset written out: 2026-03-10T14:00:05+01:00.
std::string LocalIsoTime(std::int64_t seconds);
// A figure as a person writes it: "87", "87.5".
std::string EventFigure(double value);

// --on-event PROGRAM...: each event runs each program in turn (defined in
// EventPrograms.cpp).
std::unique_ptr<Integration> MakeEventPrograms(std::vector<std::string> programs);
// --metrics-file PATH (defined in MetricsFile.cpp).
std::unique_ptr<Integration> MakeMetricsFile(std::string path, std::string ups);
// --alerts FILE: the channels the file names, already read and checked
// (defined in Alerts.cpp).
struct AlertsConfig;
std::unique_ptr<Integration> MakeAlerts(AlertsConfig config);
