// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// --alerts FILE: the events the user chose, told to ntfy topics, webhooks
// and mailboxes without any scripting. Delivery runs on a thread of its own
// from a queue that retries for ten minutes and survives a restart of the
// agent in a small spool in the program folder.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Integrations.h"

// The spool of alerts not yet delivered, in the program folder.
constexpr const char* AlertsSpoolName = "ZAN_ALERTS.DAT";

// One section of the file.
struct AlertChannel {
    enum class Type { Webhook, Ntfy, Email };
    Type Kind = Type::Webhook;
    std::string Url; // the webhook's or topic's URL; the mail server's
    std::string From, User;
    std::vector<std::string> To;
    std::string Secret; // the bearer token or the mail password, read from its file
    std::string CaFile; // empty: the system's certificates
    std::set<std::string> Events;

    // "ntfy https://ntfy.sh/ups": for the log and the spool.
    std::string Name() const;
};

struct AlertsConfig {
    std::vector<AlertChannel> Channels;
};

// The file's text (path only for the messages); the secret files it names
// are read as well. False with *error "FILE:LINE: reason".
bool ParseAlertsConfig(const std::string& text, const std::string& path, AlertsConfig* out,
                       std::string* error);
// The file itself: a regular file of root or the agent's user that nobody
// else can write; then as ParseAlertsConfig.
bool LoadAlertsConfig(const std::string& path, AlertsConfig* out, std::string* error);

// Delivers one alert to one channel; false with *error for the log.
class AlertSender {
  public:
    virtual ~AlertSender() = default;
    virtual bool Send(const AlertChannel& channel, const AgentEvent& event, std::string* error) = 0;
};
// libcurl's; a transfer gives up soon once *stop is set.
std::unique_ptr<AlertSender> MakeCurlSender(const std::atomic<bool>* stop);

// The undelivered alerts and their retries, without a thread: the alert
// thread drives it, and so can a test, on a clock of its own (milliseconds
// since 1970).
class AlertQueue {
  public:
    static constexpr std::int64_t GiveUpAfter = 10 * 60 * 1000; // after the event, ms
    static constexpr std::int64_t FirstRetry = 1000, LongestRetry = 60 * 1000;
    static constexpr std::size_t Bound = 100;            // events waiting, at most
    static constexpr std::size_t SpoolBound = 64 * 1024; // bytes

    AlertQueue(AlertsConfig config, AlertSender& sender, std::function<std::int64_t()> now,
               std::string spool, const std::atomic<bool>* stop = nullptr);

    // At start: takes back what the spool of a former run holds.
    void LoadSpool();
    void Add(const AgentEvent& event);
    // Sends what is due; the time of the next try, or -1 when nothing waits.
    std::int64_t Work();
    std::vector<std::string> TakeReports() { return std::exchange(reports_, {}); }
    std::size_t Waiting() const { return waiting_.size(); }

  private:
    struct Pending {
        AgentEvent Event;
        std::int64_t Queued = 0;
        std::vector<std::size_t> Channels; // not yet delivered to
    };
    struct ChannelState {
        std::int64_t NextTry = 0, Delay = 0;
        bool Failing = false;
        std::string LastError;
    };
    void Push(Pending p);
    void WriteSpool();
    std::vector<std::size_t> ChannelsFor(const std::string& kind,
                                         const std::set<std::string>* named) const;

    AlertsConfig config_;
    AlertSender& sender_;
    std::function<std::int64_t()> now_;
    std::string spool_;
    const std::atomic<bool>* stop_;
    std::vector<ChannelState> state_;
    std::deque<Pending> waiting_;
    bool behind_ = false; // dropping reported, until the queue has drained
    std::vector<std::string> reports_;
};
