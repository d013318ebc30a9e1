// The agent on a real UPS served by Network UPS Tools: a UPS source that
// reads LIST VAR from upsd four times a second and sends the instant commands of
// the self tests and the UPS-side turn-off.
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

// Reads the NUT password from the first line of a file the agent can trust:
// a regular file (no symbolic link), owned by root or the agent's user,
// writable by no one else and not readable by other users. *error never
// holds the password.
bool ReadNutPasswordFile(const std::string& path, std::string* password, std::string* error);

// What a problem of the session means for the log, in plain words: upsd's
// error answers about the UPS named, other texts as they are.
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
};

// The libnutclient link; null when the agent was built without it.
std::unique_ptr<NutLink> MakeNutTcpLink(const NutTarget& target, const std::string& user,
                                        const std::string& password);

// The polling and command logic, without threads or clocks, so tests drive
// it second by second.
class NutSession {
  public:
    NutSession(NutLink& link, bool canCommand) : link_(link), canCommand_(canCommand) {}

    // One second: (re)connects when due and asks for the variables. now is
    // a steady time in seconds.
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

  private:
    void Lost(double now, const std::string& why);
    bool Offers(const std::string& command, std::string* note);

    NutLink& link_;
    bool canCommand_;
    bool open_ = false;          // TCP connection up
    double nextAttempt_ = 0;     // when to try connecting again
    double backoff_ = 0;         // current back-off, seconds
    bool commandsKnown_ = false; // LIST CMD read on this connection
    std::set<std::string> commands_;
    NutMapped mapped_;
    UpsRatings ratings_;
    std::string problem_ = "not yet connected";
};

class NutUps : public UpsSource {
  public:
    // canCommand: a user and password were given, so instant commands may
    // be sent.
    NutUps(std::unique_ptr<NutLink> link, NutTarget target, bool canCommand);
    ~NutUps() override;

    UpsReading Poll() override;
    bool Fresh(UpsReading* out) override;
    int WakeFd() const override;
    UpsRatings Ratings() const override;
    std::string Name() const override;
    bool StartSelfTest(bool deep, std::string* note) override;
    bool TurnOffAfter(int seconds, std::string* note) override;

  private:
    struct Shared;
    bool RunOnWorker(int kind, int argument, std::string* note);
    UpsReading TakeLatest(); // with the mutex held
    static void Work(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    NutTarget target_;
    std::thread worker_;
};
