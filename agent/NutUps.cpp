// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "NutUps.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

#include "Security.h"

namespace {

// Back-off between connection attempts: from one second up to one and a
// half, so a server that comes back is served again within two seconds; a
// refused connection costs it next to nothing.
constexpr double FirstBackoff = 1;
constexpr double MaxBackoff = 1.5;

// A refused login is tried again this often (seconds), in case the
// server's users were mended meanwhile.
constexpr double LoginRetry = 30;

// The full list of variables is read this often (seconds); in between only
// the status, which is all a countdown needs: four full lists a second would
// triple the server's work.
constexpr double FullListEvery = 0.95;

// An answer older than this is not trusted: the worker is stuck in a call
// that has not timed out.
constexpr double StaleAfter = 3;
constexpr const char* NoAnswerYet = "no answer from upsd yet";

// How long the agent's step waits for the answer to an instant command.
constexpr auto CommandWait = std::chrono::milliseconds(2500);

// Asking upsd for the status four times a second costs next to nothing, and
// a changed answer wakes the agent at once (WakeFd), so a change at the UPS
// reaches the values file within about a quarter of a second.
constexpr auto PollInterval = std::chrono::milliseconds(250);

double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

bool ParseNutTarget(const std::string& text, NutTarget* out, std::string* error) {
    auto at = text.find('@');
    if (at == std::string::npos || at == 0) {
        *error = "expected UPS@HOST[:PORT], got '" + text + "'";
        return false;
    }
    NutTarget t;
    t.Ups = text.substr(0, at);
    std::string rest = text.substr(at + 1);
    std::string port;
    if (!rest.empty() && rest[0] == '[') { // [IPv6]:port
        auto close = rest.find(']');
        if (close == std::string::npos) {
            *error = "unclosed '[' in '" + text + "'";
            return false;
        }
        t.Host = rest.substr(1, close - 1);
        std::string tail = rest.substr(close + 1);
        if (!tail.empty()) {
            if (tail[0] != ':') {
                *error = "expected ':PORT' after ']' in '" + text + "'";
                return false;
            }
            port = tail.substr(1);
            if (port.empty()) {
                *error = "empty port in '" + text + "'";
                return false;
            }
        }
    } else {
        auto colon = rest.find(':');
        t.Host = rest.substr(0, colon);
        if (colon != std::string::npos) {
            port = rest.substr(colon + 1);
            if (port.empty()) {
                *error = "empty port in '" + text + "'";
                return false;
            }
        }
    }
    if (t.Host.empty()) {
        *error = "no host in '" + text + "'";
        return false;
    }
    if (t.Ups.find_first_of(" \t\"\\") != std::string::npos) {
        *error = "bad UPS name '" + t.Ups + "'";
        return false;
    }
    if (!port.empty()) {
        if (port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            *error = "bad port '" + port + "'";
            return false;
        }
        long p = std::strtol(port.c_str(), nullptr, 10);
        if (p < 1 || p > 65535) {
            *error = "port " + port + " is out of range";
            return false;
        }
        t.Port = static_cast<std::uint16_t>(p);
    }
    *out = std::move(t);
    return true;
}

bool ReadNutPasswordFile(const std::string& path, std::string* password, std::string* error) {
    std::string text;
    if (!ReadPasswordFile(path, &text, error)) return false;
    // libnutclient sends the password as a bare word: upsd would refuse one
    // with blanks or quotes.
    if (text.find_first_of(" \"\\") != std::string::npos) {
        *error = path + ": a NUT password with blanks, quotes or backslashes cannot be sent";
        return false;
    }
    *password = std::move(text);
    return true;
}

std::string NutProblemText(const std::string& ups, const std::string& problem) {
    const std::string name = "UPS '" + ups + "'";
    if (problem == "UNKNOWN-UPS") return "the UPS server does not know " + name;
    if (problem == "DRIVER-NOT-CONNECTED")
        return "the UPS server has no driver running for " + name;
    if (problem == "DATA-STALE") return "the UPS server has no fresh data from " + name;
    if (problem == "ACCESS-DENIED") return "the UPS server denies access to " + name;
    return problem;
}

void NutSession::Lost(double now, const std::string& why) {
    link_.Disconnect();
    open_ = false;
    commandsKnown_ = false;
    loggedIn_ = false;
    logins_ = -1;
    backoff_ = backoff_ <= 0 ? FirstBackoff : std::min(MaxBackoff, backoff_ * 2);
    nextAttempt_ = now + backoff_;
    mapped_.Reading.Connected = false;
    problem_ = why;
}

void NutSession::NoData(const std::string& why) {
    backoff_ = 0;
    mapped_.Reading.Connected = false;
    problem_ = why;
}

// False when the connection broke.
bool NutSession::LogIn(double now) {
    std::string error;
    switch (link_.Login(role_ == NutRole::Primary, &error)) {
    case NutLink::Result::Failed:
        Lost(now, error);
        return false;
    case NutLink::Result::Refused:
        // Watching goes on; the server's users file may be mended.
        nextLogin_ = now + LoginRetry;
        if (error.rfind("PRIMARY ", 0) == 0) {
            // Logged in all the same: counted among the computers on the UPS.
            loggedIn_ = roleRefused_ = true;
            loginProblem_ = "primary role refused by the UPS server (" + error.substr(8) + ")";
        } else {
            loginProblem_ =
                error == "UNKNOWN-UPS"
                    ? error
                    : "login refused by the UPS server" +
                          (error == "ACCESS-DENIED" ? std::string() : " (" + error + ")");
        }
        return true;
    case NutLink::Result::Ok:
        break;
    }
    loggedIn_ = true;
    roleRefused_ = false;
    loginProblem_.clear();
    return true;
}

// One request for what a countdown needs, or the full list when a second
// has passed. False when the connection broke.
bool NutSession::Poll(double now) {
    std::string error;
    const bool full = now - lastFull_ >= FullListEvery;
    NutLink::Result result;
    if (full) {
        NutVariables vars;
        result = link_.ListVariables(&vars, &error);
        if (result == NutLink::Result::Ok) {
            vars_ = std::move(vars);
            lastFull_ = now;
        }
    } else {
        std::string status;
        result = link_.GetStatus(&status, &error);
        if (result == NutLink::Result::Ok) vars_["ups.status"] = status;
    }
    switch (result) {
    case NutLink::Result::Failed:
        Lost(now, error);
        return false;
    case NutLink::Result::Refused:
        // The server answers but has no data ("DATA-STALE",
        // "DRIVER-NOT-CONNECTED"): ask again on this connection.
        NoData(error);
        return true;
    case NutLink::Result::Ok:
        break;
    }
    backoff_ = 0;
    NutMapped m = MapNutVariables(vars_);
    if (m.Waiting) {
        NoData("the UPS driver has no data yet (WAIT)");
        return true;
    }
    mapped_ = m;
    ratings_ = m.Ratings;
    problem_.clear();
    return true;
}

// The logins, and while the forced shutdown waits for them, who they are.
bool NutSession::CountOthers(double now) {
    std::string error;
    int count = -1;
    NutLink::Result result = link_.CountLogins(&count, &error);
    if (result == NutLink::Result::Failed) {
        Lost(now, error);
        return false;
    }
    logins_ = result == NutLink::Result::Ok ? count : -1;
    if (!ordered_ || logins_ <= (loggedIn_ ? 1 : 0)) {
        clients_.clear();
        return true;
    }
    std::vector<std::string> clients;
    result = link_.ListClients(&clients, &error);
    if (result == NutLink::Result::Failed) {
        Lost(now, error);
        return false;
    }
    if (result == NutLink::Result::Ok) clients_ = std::move(clients);
    return true;
}

void NutSession::Tick(double now) {
    std::string error;
    if (!open_) {
        if (now < nextAttempt_) return;
        if (!link_.Connect(&error)) {
            Lost(now, error);
            return;
        }
        open_ = true;
        lastFull_ = -1e9;
        nextLogin_ = now;
    }
    if (role_ != NutRole::Observer && !loggedIn_ && now >= nextLogin_ && !LogIn(now)) return;
    if (orderWanted_ && !orderAnswered_) {
        switch (link_.ForceShutdown(&error)) {
        case NutLink::Result::Failed:
            Lost(now, error);
            return;
        case NutLink::Result::Refused:
            orderProblem_ = "the UPS server refused it (" + error + ")";
            break;
        case NutLink::Result::Ok:
            ordered_ = true;
            break;
        }
        orderAnswered_ = true;
    }
    const bool full = now - lastFull_ >= FullListEvery;
    if (!Poll(now)) return;
    // Once a second, and every tick while the others are awaited.
    if (full || ordered_) CountOthers(now);
}

void NutSession::Share(UpsSharing* out) const {
    out->State.Role = role_;
    out->State.Others = logins_ < 0 ? -1 : std::max(0, logins_ - (loggedIn_ ? 1 : 0));
    out->State.Problem = !open_ || !problem_.empty() ? problem_ : loginProblem_;
    out->LoggedIn = loggedIn_;
    out->OrderAnswered = orderAnswered_;
    out->Ordered = ordered_;
    out->OrderProblem = orderProblem_;
    out->Clients = clients_;
    out->RoleRefused = roleRefused_;
}

bool NutSession::Offers(const std::string& command, std::string* note) {
    if (!canCommand_) {
        *note = "no NUT user given (--nut-user), so " + command + " was not sent";
        return false;
    }
    if (!open_) {
        *note = "the UPS server is not connected, so " + command + " was not sent";
        return false;
    }
    if (!commandsKnown_) {
        std::string error;
        std::set<std::string> list;
        if (link_.ListCommands(&list, &error) != NutLink::Result::Ok) {
            *note = "the UPS server did not list its commands (" + error + "), so " + command +
                    " was not sent";
            return false;
        }
        commands_ = std::move(list);
        commandsKnown_ = true;
    }
    if (!commands_.count(command)) {
        *note = "the UPS does not offer " + command + ", so it was not sent";
        return false;
    }
    return true;
}

bool NutSession::StartSelfTest(bool deep, std::string* note) {
    const std::string command = deep ? "test.battery.start.deep" : "test.battery.start.quick";
    if (!Offers(command, note)) return false;
    std::string error;
    if (link_.RunCommand(command, &error) != NutLink::Result::Ok) {
        *note = command + " refused: " + error;
        return false;
    }
    *note = command + " sent to the UPS";
    return true;
}

bool NutSession::TurnOffAfter(int seconds, std::string* note) {
    const std::string command = "shutdown.return";
    const std::string delay = "ups.delay.shutdown";
    if (!Offers(command, note)) return false;
    // Without our own delay the UPS would use its own, which may cut the
    // power before the computer has finished shutting down: no delay, no
    // turn-off.
    std::string error;
    if (link_.SetVariable(delay, std::to_string(seconds), &error) != NutLink::Result::Ok) {
        *note = "setting " + delay + " to " + std::to_string(seconds) + " failed (" + error +
                "), so " + command + " was not sent";
        return false;
    }
    if (link_.RunCommand(command, &error) != NutLink::Result::Ok) {
        *note = command + " refused: " + error;
        return false;
    }
    *note = "the UPS turns its output off in " + std::to_string(seconds) +
            " s and back on when the mains returns (" + delay + " set, " + command + " sent)";
    return true;
}

struct NutUps::Shared {
    Shared(std::unique_ptr<NutLink> l, bool canCommand, NutRole role)
        : link(std::move(l)), session(*link, canCommand, role),
          wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Shared() {
        if (wakeFd >= 0) ::close(wakeFd);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    std::unique_ptr<NutLink> link;
    NutSession session; // used by the worker only

    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool exited = false;
    std::string label;
    std::string ups; // its name at upsd

    // The worker's latest answer.
    UpsReading reading;
    UpsSharing sharing;
    bool orderWanted = false; // the agent asked for a forced shutdown
    unsigned generation = 0;  // counts the agent's resyncs after a sleep
    bool resync = false;      // the next tick reads everything afresh
    UpsRatings ratings;
    double stamp = -1;
    double since = SteadySeconds(); // the worker's start, or the last resync
    double taken = -1;              // stamp of the answer the agent last took
    bool answered = false;          // the first Tick has finished
    int wakeFd;                     // counts changed answers for the agent's loop

    // One instant command at a time, from the agent's thread.
    enum Kind { None, QuickTest, DeepTest, TurnOff };
    Kind kind = None;
    int argument = 0;
    bool pending = false;   // waiting for the worker
    bool done = false;      // the worker's answer is in ok / note
    bool abandoned = false; // the agent stopped waiting
    bool ok = false;
    std::string note;
};

NutUps::NutUps(std::unique_ptr<NutLink> link, NutTarget target, bool canCommand, NutRole role)
    : shared_(std::make_shared<Shared>(std::move(link), canCommand,
                                       canCommand ? role : NutRole::Observer)),
      target_(std::move(target)) {
    shared_->ups = target_.Ups;
    shared_->label = target_.Ups + "@" + target_.Host + ":" + std::to_string(target_.Port);
    shared_->sharing.Ups = target_.Ups;
    shared_->sharing.Where = shared_->label;
    shared_->session.Share(&shared_->sharing);
    shared_->sharing.State.Problem.clear(); // nothing asked yet
    // Signals are the main loop's business: the worker blocks them all.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
    worker_ = std::thread(Work, shared_);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

NutUps::~NutUps() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->wake.notify_all();
    // A worker stuck in a connection attempt must not hold up the agent's
    // exit; it owns its state and ends with the process.
    bool exited =
        shared_->wake.wait_for(lock, std::chrono::seconds(2), [&] { return shared_->exited; });
    lock.unlock();
    if (exited)
        worker_.join();
    else
        worker_.detach();
}

void NutUps::Work(std::shared_ptr<Shared> s) {
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    std::string shownProblem;
    std::unique_lock lock(s->mutex);
    while (!s->stop) {
        s->wake.wait_until(lock, next, [&] { return s->stop || s->pending; });
        if (s->stop) break;
        if (s->pending) {
            Shared::Kind kind = s->kind;
            int argument = s->argument;
            s->pending = false;
            lock.unlock();
            std::string note;
            bool ok = kind == Shared::TurnOff
                          ? s->session.TurnOffAfter(argument, &note)
                          : s->session.StartSelfTest(kind == Shared::DeepTest, &note);
            lock.lock();
            if (s->abandoned)
                std::fprintf(stderr, "corvanta-agent: NUT %s: late answer: %s\n", s->label.c_str(),
                             note.c_str());
            s->ok = ok;
            s->note = note;
            s->done = true;
            s->wake.notify_all();
            continue;
        }
        if (Clock::now() < next) continue;
        if (s->orderWanted) s->session.OrderOthersDown();
        const unsigned generation = s->generation;
        if (std::exchange(s->resync, false)) s->session.ReadAllNext();
        lock.unlock();
        s->session.Tick(SteadySeconds());
        std::string problem = s->session.Problem();
        if (!problem.empty() && problem != shownProblem)
            std::fprintf(stderr, "corvanta-agent: NUT %s: %s\n", s->label.c_str(), problem.c_str());
        shownProblem = problem;
        lock.lock();
        next = Clock::now() + PollInterval;
        // Asked before the computer slept: worth nothing now.
        if (generation != s->generation) continue;
        UpsReading fresh = s->session.Latest().Reading;
        if (!fresh.Connected) fresh.Problem = NutProblemText(s->ups, problem);
        UpsSharing sharing = s->sharing;
        s->session.Share(&sharing);
        sharing.State.Problem = NutProblemText(s->ups, sharing.State.Problem);
        const bool changed = !s->answered || !(fresh == s->reading) || !(sharing == s->sharing);
        s->sharing = std::move(sharing);
        if (changed && s->wakeFd >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(s->wakeFd, &one, sizeof one);
        }
        s->reading = fresh;
        s->ratings = s->session.Ratings();
        s->stamp = SteadySeconds();
        s->answered = true;
        s->wake.notify_all();
    }
    s->exited = true;
    s->wake.notify_all();
}

UpsReading NutUps::Poll() {
    std::unique_lock lock(shared_->mutex);
    // The first reading is worth half a second: without it the agent's first
    // step would log a lost UPS that is only being connected to.
    if (!shared_->answered)
        shared_->wake.wait_for(lock, std::chrono::milliseconds(500),
                               [&] { return shared_->answered; });
    return TakeLatest();
}

UpsReading NutUps::TakeLatest() {
    UpsReading r = shared_->reading;
    if (const std::string silent = Silence(); !silent.empty()) {
        r.Connected = false;
        r.Problem = silent;
    }
    shared_->taken = shared_->stamp;
    return r;
}

// Why the worker has nothing to tell, when it is stuck in a request; ""
// while it answers. With the mutex held.
std::string NutUps::Silence() const {
    const double now = SteadySeconds();
    if (shared_->stamp < 0 && now - shared_->since <= StaleAfter) return NoAnswerYet;
    if (shared_->stamp >= 0 && now - shared_->stamp <= StaleAfter) return "";
    return "the UPS server at " + target_.Host + ":" + std::to_string(target_.Port) +
           " does not answer";
}

bool NutUps::Fresh(UpsReading* out) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->stamp <= shared_->taken) return false;
    *out = TakeLatest();
    return true;
}

int NutUps::WakeFd() const {
    return shared_->wakeFd;
}

UpsRatings NutUps::Ratings() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->ratings;
}

std::string NutUps::Name() const {
    return "Network UPS Tools UPS " + shared_->label;
}

std::optional<UpsSharing> NutUps::Sharing() const {
    std::lock_guard lock(shared_->mutex);
    UpsSharing sharing = shared_->sharing;
    // Not while connecting: the worker's own reason is still to come.
    if (const std::string silent = Silence(); !silent.empty() && silent != NoAnswerYet)
        sharing.State.Problem = silent;
    return sharing;
}

void NutUps::OrderOthersDown() {
    std::lock_guard lock(shared_->mutex);
    shared_->orderWanted = true;
}

// A worker that slept with the computer holds an answer from before: the
// next Poll waits for a new one as at the start.
bool NutUps::Resync() {
    std::lock_guard lock(shared_->mutex);
    shared_->answered = false;
    shared_->stamp = -1;
    shared_->since = SteadySeconds();
    shared_->taken = -1;
    ++shared_->generation;
    shared_->resync = true;
    shared_->wake.notify_all();
    return true;
}

bool NutUps::RunOnWorker(int kind, int argument, std::string* note) {
    std::unique_lock lock(shared_->mutex);
    shared_->kind = static_cast<Shared::Kind>(kind);
    shared_->argument = argument;
    shared_->pending = true;
    shared_->done = false;
    shared_->abandoned = false;
    shared_->wake.notify_all();
    if (!shared_->wake.wait_for(lock, CommandWait, [&] { return shared_->done; })) {
        // Not begun: drop it; begun: its answer goes to standard error.
        shared_->abandoned = true;
        shared_->pending = false;
        *note = "the UPS server did not answer in time";
        return false;
    }
    *note = shared_->note;
    return shared_->ok;
}

#ifndef CORVANTA_HAVE_NUTCLIENT
std::unique_ptr<NutLink> MakeNutTcpLink(const NutTarget&, const std::string&, const std::string&) {
    return nullptr; // built without libnutclient
}
#endif

bool NutUps::StartSelfTest(bool deep, std::string* note) {
    return RunOnWorker(deep ? Shared::DeepTest : Shared::QuickTest, 0, note);
}

bool NutUps::TurnOffAfter(int seconds, std::string* note) {
    return RunOnWorker(Shared::TurnOff, seconds, note);
}
