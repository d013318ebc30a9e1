// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT link on libmosquitto, in the agent's network module: only an agent
// that publishes over MQTT loads the library and what it brings.
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "MqttLink.h"
#include "NetModule.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the link's thread and the agent's share.
struct Shared : WorkerState {
    Shared() : WakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Shared() {
        if (WakeFd >= 0) ::close(WakeFd);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;
    // Wakes the link's thread out of its poll on the broker's socket.
    void Nudge() const {
        const std::uint64_t one = 1;
        if (WakeFd >= 0 && ::write(WakeFd, &one, sizeof one) < 0) {
            // Full or gone: the thread is awake anyway, or wakes for the keepalive.
        }
    }
    const int WakeFd;
    std::optional<AgentSnapshot> Latest;
    bool Cancel = false;
};

// The link's own state, touched only by its thread (libmosquitto's callbacks
// run inside mosquitto_loop there).
struct Session {
    std::shared_ptr<Shared> Shared_;
    MqttTarget Target;
    std::string Host;
    bool Connected = false;
    std::string Published; // the state the broker holds
    std::string Problem;   // the last one reported; empty: none
    bool Refused = false;  // the broker said no: asked again less often

    std::string Where() const {
        return "MQTT broker " + Target.Host + ":" + std::to_string(Target.Port);
    }
    // Said once per change, not once per retry.
    void Report(const std::string& problem) {
        if (problem == Problem) return;
        const bool back = problem.empty();
        Problem = problem;
        std::lock_guard lock(Shared_->Lock);
        Shared_->Reports.push_back(back ? Where() + " connected again" : Where() + ": " + problem);
    }
};

void Publish(mosquitto* m, const std::string& topic, const std::string& payload) {
    mosquitto_publish(m, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(),
                      1, true);
}

void OnConnect(mosquitto* m, void* data, int rc) {
    auto* s = static_cast<Session*>(data);
    if (rc != 0) {
        s->Report(std::string("refused the connection: ") + mosquitto_connack_string(rc));
        s->Refused = true;
        return;
    }
    s->Connected = true;
    if (!s->Problem.empty()) s->Report("");
    s->Published.clear(); // the broker may have lost it
    Publish(m, MqttAvailabilityTopic(s->Host), "online");
    for (const auto& [topic, payload] : MqttDiscovery(s->Host))
        Publish(m, topic, payload);
    mosquitto_subscribe(m, nullptr, MqttCancelTopic(s->Host).c_str(), 1);
}

void OnDisconnect(mosquitto*, void* data, int) {
    static_cast<Session*>(data)->Connected = false;
}

void OnMessage(mosquitto*, void* data, const mosquitto_message* message) {
    auto* s = static_cast<Session*>(data);
    // A retained press would cancel every countdown after each connect.
    if (message->retain || MqttCancelTopic(s->Host) != message->topic) return;
    std::lock_guard lock(s->Shared_->Lock);
    s->Shared_->Cancel = true;
}

std::string Failure(int rc) {
    return rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : mosquitto_strerror(rc);
}

class MqttLink final : public Integration {
  public:
    MqttLink(MqttTarget target, std::string user, std::string password, std::string host)
        : shared_(std::make_shared<Shared>()) {
        static std::once_flag init;
        std::call_once(init, [] { mosquitto_lib_init(); });
        worker_ = std::thread(Run, shared_, std::move(target), std::move(user), std::move(password),
                              std::move(host));
    }
    ~MqttLink() override { MqttLink::Stop(300); }

    void OnSnapshot(const AgentSnapshot& s) override {
        if (handed_ && SameState(*handed_, s)) return;
        handed_ = s;
        {
            std::lock_guard lock(shared_->Lock);
            shared_->Latest = s;
        }
        shared_->Nudge();
    }

    std::vector<std::string> TakeReports() override { return shared_->TakeReports(); }

    bool TakeCancelRequest(std::string* by) override {
        std::lock_guard lock(shared_->Lock);
        if (!std::exchange(shared_->Cancel, false)) return false;
        *by = "over MQTT";
        return true;
    }

    // A broker that hangs keeps the thread, not the agent.
    void Stop(int milliseconds) override {
        shared_->StopWorker(worker_, milliseconds, [this] { shared_->Nudge(); });
    }

  private:
    static void Run(const std::shared_ptr<Shared>& shared, const MqttTarget& target,
                    const std::string& user, const std::string& password, const std::string& host) {
        Session s;
        s.Shared_ = shared;
        s.Target = target;
        s.Host = host;
        // The process id in the client id: a broker drops the older of two
        // clients with one id, and a second agent may run for another UPS.
        const std::string id = "corvanta-" + host + "-" + std::to_string(getpid());
        mosquitto* m = mosquitto_new(id.c_str(), true, &s);
        if (m) {
            const std::string offline = "offline";
            mosquitto_will_set(m, MqttAvailabilityTopic(host).c_str(),
                               static_cast<int>(offline.size()), offline.data(), 1, true);
            if (!user.empty()) mosquitto_username_pw_set(m, user.c_str(), password.c_str());
            if (target.Tls)
                mosquitto_tls_set(m, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
            mosquitto_connect_callback_set(m, OnConnect);
            mosquitto_disconnect_callback_set(m, OnDisconnect);
            mosquitto_message_callback_set(m, OnMessage);
            Loop(s, m);
            mosquitto_destroy(m);
        } else {
            s.Report("cannot start a client: " + std::string(std::strerror(errno)));
        }
        shared->Finished();
    }

    static void Loop(Session& s, mosquitto* m) {
        bool linked = false, tried = false;
        Clock::time_point nextTry{};
        std::optional<AgentSnapshot> latest;
        while (true) {
            {
                std::unique_lock lock(s.Shared_->Lock);
                if (!linked)
                    s.Shared_->Wake.wait_until(lock, nextTry, [&] { return s.Shared_->Stopping; });
                if (s.Shared_->Stopping) break;
                if (s.Shared_->Latest) latest = std::exchange(s.Shared_->Latest, std::nullopt);
            }
            if (!linked) {
                // Blocks while the name is looked up and the TCP connection
                // is made: this thread's time, never the agent's.
                const int rc = tried
                                   ? mosquitto_reconnect(m)
                                   : mosquitto_connect(m, s.Target.Host.c_str(), s.Target.Port, 30);
                tried = true;
                linked = rc == MOSQ_ERR_SUCCESS;
                if (!linked) {
                    s.Report("cannot connect: " + Failure(rc));
                    nextTry = Clock::now() + std::chrono::seconds(5);
                }
                continue;
            }
            if (s.Connected && latest) {
                std::string state = MqttStateJson(*latest);
                if (state != s.Published) {
                    Publish(m, MqttStateTopic(s.Host), state);
                    s.Published = std::move(state);
                }
            }
            // Sleeps on the broker's socket and the nudge of a new state,
            // never on a timer of its own: an idle link wakes every 5 s, for
            // the keepalive (30 s).
            const int fd = mosquitto_socket(m);
            pollfd fds[2] = {
                {fd, static_cast<short>(POLLIN | (mosquitto_want_write(m) ? POLLOUT : 0)), 0},
                {s.Shared_->WakeFd, POLLIN, 0}};
            int rc = fd < 0 ? MOSQ_ERR_NO_CONN : MOSQ_ERR_SUCCESS;
            if (rc == MOSQ_ERR_SUCCESS && ::poll(fds, 2, 5000) >= 0) {
                std::uint64_t count = 0;
                if (fds[1].revents & POLLIN &&
                    ::read(s.Shared_->WakeFd, &count, sizeof count) < 0) {
                    // Nothing to take: another read got it first.
                }
                if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) rc = mosquitto_loop_read(m, 1);
                if (rc == MOSQ_ERR_SUCCESS && fds[0].revents & POLLOUT)
                    rc = mosquitto_loop_write(m, 1);
                if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_loop_misc(m);
            }
            if (rc != MOSQ_ERR_SUCCESS) {
                if (s.Problem.empty()) s.Report("connection lost: " + Failure(rc));
                linked = s.Connected = false;
                // A refusal (a wrong password, say) stands until someone
                // acts: asked again every 30 s, not flooding the broker's log.
                nextTry =
                    Clock::now() + std::chrono::seconds(std::exchange(s.Refused, false) ? 30 : 2);
            }
        }
        if (!s.Connected) return;
        // Said before going, since a clean end sends no last will.
        Publish(m, MqttAvailabilityTopic(s.Host), "offline");
        mosquitto_disconnect(m);
        for (int i = 0; i < 5 && mosquitto_loop(m, 40, 1) == MOSQ_ERR_SUCCESS; ++i) {
        }
    }

    std::optional<AgentSnapshot> handed_; // the last state handed over (agent's thread)
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

} // namespace

std::unique_ptr<Integration> NetMakeMqttLink(MqttTarget target, std::string user,
                                             std::string password, std::string host) {
    return std::make_unique<MqttLink>(std::move(target), std::move(user), std::move(password),
                                      std::move(host));
}

extern "C" {
extern const MqttModule corvanta_mqtt_module;
const MqttModule corvanta_mqtt_module = {NetModuleVersion, NetMakeMqttLink};
}
