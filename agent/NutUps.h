// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent on a real UPS served by Network UPS Tools: a UPS source that
// asks upsd for the status four times a second and for all variables once a
// second, sends the instant commands of the self tests and the UPS-side
// turn-off, and takes its part among the computers the UPS feeds: logged in
// as a secondary or the primary, obeying or ordering a forced shutdown.
//
// The conversation with upsd runs on a thread of its own, so a server that
// hangs or a connection that takes long never holds up the agent's second:
// Poll() only takes the latest answer.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "NutMapping.h"
#include "UpsSource.h"

// Where the UPS is: UPS@HOST[:PORT].
struct NutTarget {
    std::string Ups;
    std::string Host;
    std::uint16_t Port = 3493;
};

// "ups@host", "ups@host:3493", "ups@[::1]:3493"; false with *error when
// malformed.
bool ParseNutTarget(const std::string& text, NutTarget* out, std::string* error);

// ReadPasswordFile (Security.h), refusing what a NUT login cannot send.
bool ReadNutPasswordFile(const std::string& path, std::string* password, std::string* error);

// What a problem of the session means for the log and the monitor, in plain
// words: upsd's error answers about the UPS named, other texts as they are.
std::string NutProblemText(const std::string& ups, const std::string& problem);

// One conversation with upsd. The real one speaks TCP through libnutclient;
// tests script one. Calls may block up to the link's own timeout.
class NutLink {
  public:
    virtual ~NutLink() = default;
    // Connects and, when a user is configured, logs in.
    virtual bool Connect(std::string* error) = 0;
    virtual void Disconnect() = 0;
    // Outcome of a request: Failed means the connection is broken and has
    // to be opened again; Refused is an error answer of a working server
    // ("DATA-STALE", "DRIVER-NOT-CONNECTED", "ACCESS-DENIED", ...).
    enum class Result { Ok, Refused, Failed };
    virtual Result ListVariables(NutVariables* out, std::string* error) = 0;
    virtual Result ListCommands(std::set<std::string>* out, std::string* error) = 0;
    virtual Result SetVariable(const std::string& name, const std::string& value,
                               std::string* error) = 0;
    virtual Result RunCommand(const std::string& name, std::string* error) = 0;
    // GET VAR <ups> ups.status: what a countdown needs, between full lists.
    virtual Result GetStatus(std::string* status, std::string* error) = 0;
    // LOGIN <ups>; for the primary also PRIMARY <ups> (MASTER on an older
    // server), so missing rights show at once rather than when they count.
    virtual Result Login(bool primary, std::string* error) = 0;
    // GET NUMLOGINS <ups>: the computers logged in, this one included.
    virtual Result CountLogins(int* count, std::string* error) = 0;
    // LIST CLIENT <ups>: where the computers logged in connect from.
    virtual Result ListClients(std::vector<std::string>* out, std::string* error) = 0;
    // PRIMARY (or MASTER) and FSD <ups>: the forced shutdown of every
    // computer the UPS feeds.
    virtual Result ForceShutdown(std::string* error) = 0;
};

// The libnutclient link; null when the agent was built without it.
std::unique_ptr<NutLink> MakeNutTcpLink(const NutTarget& target, const std::string& user,
                                        const std::string& password);

// The polling and command logic, without threads or clocks, so tests drive
// it second by second.
class NutSession {
  public:
    // role: Observer without credentials (never logs in).
    NutSession(NutLink& link, bool canCommand, NutRole role = NutRole::Observer)
        : link_(link), canCommand_(canCommand), role_(role) {}

    // A quarter of a second: (re)connects and logs in when due, asks for
    // the status, and for every variable and the logins once a second. now
    // is a steady time in seconds.
    void Tick(double now);

    bool Connected() const { return mapped_.Reading.Connected; }
    const NutMapped& Latest() const { return mapped_; }
    const UpsRatings& Ratings() const { return ratings_; }
    // Why the UPS is not answering, "" while it answers.
    const std::string& Problem() const { return problem_; }
    // Seconds until the next connection attempt after this failure.
    double Backoff() const { return backoff_; }

    bool StartSelfTest(bool deep, std::string* note);
    bool TurnOffAfter(int seconds, std::string* note);
    // The primary's forced shutdown, sent at the next tick (again after a
    // reconnect until answered); the logins are then counted every tick.
    void OrderOthersDown() { orderWanted_ = role_ == NutRole::Primary; }
    // The next tick reads every variable, not only the status.
    void ReadAllNext() { lastFull_ = -1e9; }
    // Fills what the session knows of the computers on the UPS; Ups and
    // Where are the caller's.
    void Share(UpsSharing* out) const;

  private:
    void Lost(double now, const std::string& why);
    // An error answer that leaves the connection up: no data for now.
    void NoData(const std::string& why);
    bool Offers(const std::string& command, std::string* note);
    bool LogIn(double now);
    bool Poll(double now);
    bool CountOthers(double now);

    NutLink& link_;
    bool canCommand_;
    NutRole role_;
    bool open_ = false;          // TCP connection up
    double nextAttempt_ = 0;     // when to try connecting again
    double backoff_ = 0;         // current back-off, seconds
    bool commandsKnown_ = false; // LIST CMD read on this connection
    std::set<std::string> commands_;
    NutVariables vars_;      // the last full list, its status kept current
    double lastFull_ = -1e9; // when it was read
    NutMapped mapped_;
    UpsRatings ratings_;
    std::string problem_ = "not yet connected";
    bool loggedIn_ = false; // on this connection
    double nextLogin_ = 0;  // a refused login is tried again now and then
    std::string loginProblem_;
    bool roleRefused_ = false;
    int logins_ = -1; // NUMLOGINS, this computer included; -1: unknown
    std::vector<std::string> clients_;
    bool orderWanted_ = false, orderAnswered_ = false, ordered_ = false;
    std::string orderProblem_;
};

class NutUps : public UpsSource {
  public:
    // canCommand: a user and password were given, so instant commands may
    // be sent and the agent logs in with the role given.
    NutUps(std::unique_ptr<NutLink> link, NutTarget target, bool canCommand,
           NutRole role = NutRole::Observer);
    ~NutUps() override;

    UpsReading Poll() override;
    bool Fresh(UpsReading* out) override;
    int WakeFd() const override;
    UpsRatings Ratings() const override;
    std::string Name() const override;
    bool StartSelfTest(bool deep, std::string* note) override;
    bool TurnOffAfter(int seconds, std::string* note) override;
    std::optional<UpsSharing> Sharing() const override;
    void OrderOthersDown() override;
    bool Resync() override;

  private:
    struct Shared;
    bool RunOnWorker(int kind, int argument, std::string* note);
    UpsReading TakeLatest(); // with the mutex held
    std::string Silence() const;
    static void Work(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    NutTarget target_;
    std::thread worker_;
};
