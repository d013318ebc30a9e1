#include "MqttLink.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "MetricsFile.h"

#ifdef CORVANTA_HAVE_MOSQUITTO
#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace {

// A measurement of the values file in JSON: its tenths as a number, null
// when the UPS does not report it or does not answer.
std::string Measured(const AgentSnapshot& s, int slot) {
    if (!s.Connected || !((s.Values.SupportItem >> slot) & 1)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%g", s.Values.ItemVal[slot] / 10.0);
    return text;
}

} // namespace

bool ParseMqttUrl(const std::string& url, MqttTarget* out, std::string* error) {
    MqttTarget t;
    std::string rest;
    if (url.rfind("mqtt://", 0) == 0) {
        rest = url.substr(7);
    } else if (url.rfind("mqtts://", 0) == 0) {
        rest = url.substr(8);
        t.Tls = true;
        t.Port = 8883;
    } else {
        *error = "expected mqtt://HOST[:PORT] or mqtts://HOST[:PORT], got '" + url + "'";
        return false;
    }
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::string port;
    if (rest.rfind('[', 0) == 0) { // [IPv6]
        const auto close = rest.find(']');
        if (close == std::string::npos) {
            *error = "no ']' after the IPv6 address in '" + url + "'";
            return false;
        }
        t.Host = rest.substr(1, close - 1);
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':') {
                *error = "malformed URL '" + url + "'";
                return false;
            }
            port = rest.substr(close + 2);
            if (port.empty()) port = "x";
        }
    } else if (const auto colon = rest.find(':'); colon != std::string::npos) {
        t.Host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (port.empty()) port = "x";
    } else {
        t.Host = rest;
    }
    if (t.Host.empty() || t.Host.find_first_of("/@ ") != std::string::npos) {
        *error = "no host name in '" + url + "'";
        return false;
    }
    if (!port.empty()) {
        int n = 0;
        char tail = 0;
        if (std::sscanf(port.c_str(), "%d%c", &n, &tail) != 1 || n < 1 || n > 65535) {
            *error = "bad port in '" + url + "'";
            return false;
        }
        t.Port = n;
    }
    *out = t;
    return true;
}

std::string TopicHost(const std::string& hostname) {
    std::string out = hostname.empty() ? "localhost" : hostname;
    for (char& c : out)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    return out;
}

std::string MqttStateTopic(const std::string& host) {
    return "corvanta/" + host + "/state";
}
std::string MqttAvailabilityTopic(const std::string& host) {
    return "corvanta/" + host + "/availability";
}
std::string MqttCancelTopic(const std::string& host) {
    return "corvanta/" + host + "/cancel";
}

std::string MqttStateJson(const AgentSnapshot& s) {
    const bool onBattery = s.Connected && (s.Status & UPS_ACFAIL);
    std::string status;
    if (s.Connected)
        for (const std::string& token : StatusTokens(s.Status))
            status += (status.empty() ? "" : ",") + JsonQuoted(token);
    return "{\"charge\":" + Measured(s, 2) + ",\"runtime\":" +
           (s.Connected && s.Values.BattEstimate > 0 ? std::to_string(s.Values.BattEstimate)
                                                     : std::string("null")) +
           ",\"load\":" + Measured(s, 15) + ",\"input_voltage\":" + Measured(s, 4) +
           ",\"on_battery\":" + (onBattery ? "true" : "false") +
           ",\"low_battery\":" + (s.Connected && (s.Status & UPS_BATTLOW) ? "true" : "false") +
           ",\"countdown\":" + std::to_string(s.CountdownLeft) +
           ",\"connected\":" + (s.Connected ? "true" : "false") + ",\"status\":[" + status + "]}";
}

std::vector<std::pair<std::string, std::string>> MqttDiscovery(const std::string& host) {
    struct Entity {
        const char* Component;
        const char* What;
        const char* Name;
        const char* Template; // null: a button
        const char* Extra;    // unit, device class
    };
    static const Entity Entities[] = {
        {"sensor", "charge", "Battery charge", "{{ value_json.charge }}",
         R"("unit_of_measurement":"%","device_class":"battery","state_class":"measurement",)"},
        {"sensor", "runtime", "Battery runtime", "{{ value_json.runtime }}",
         R"("unit_of_measurement":"s","device_class":"duration","state_class":"measurement",)"},
        {"sensor", "load", "Load", "{{ value_json.load }}",
         R"("unit_of_measurement":"%","state_class":"measurement",)"},
        {"sensor", "input_voltage", "Input voltage", "{{ value_json.input_voltage }}",
         R"("unit_of_measurement":"V","device_class":"voltage","state_class":"measurement",)"},
        {"binary_sensor", "on_battery", "On battery",
         "{{ 'ON' if value_json.on_battery else 'OFF' }}", ""},
        {"button", "cancel", "Cancel shutdown", nullptr, ""},
    };
    const std::string device = R"("device":{"identifiers":[")" + ("corvanta_" + host) +
                               R"("],"name":"Corvanta UPS )" + host +
                               R"(","manufacturer":"Corvanta"},"availability_topic":)" +
                               JsonQuoted(MqttAvailabilityTopic(host));
    std::vector<std::pair<std::string, std::string>> configs;
    for (const Entity& e : Entities) {
        const std::string id = "corvanta_" + host + "_" + e.What;
        // A button has no state: it only sends its press to the agent.
        const std::string topics =
            e.Template ? "\"state_topic\":" + JsonQuoted(MqttStateTopic(host)) +
                             ",\"value_template\":" + JsonQuoted(e.Template) + ","
                       : "\"command_topic\":" + JsonQuoted(MqttCancelTopic(host)) + ",";
        configs.emplace_back(std::string("homeassistant/") + e.Component + "/" + id + "/config",
                             "{\"name\":" + JsonQuoted(e.Name) + ",\"unique_id\":" +
                                 JsonQuoted(id) + "," + topics + e.Extra + device + "}");
    }
    return configs;
}

#ifdef CORVANTA_HAVE_MOSQUITTO
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
                if (fds[1].revents & POLLIN && ::read(s.Shared_->WakeFd, &count, sizeof count) < 0) {
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
                nextTry = Clock::now() + std::chrono::seconds(2);
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

std::unique_ptr<Integration> MakeMqttLink(MqttTarget target, std::string user, std::string password,
                                          std::string host) {
    return std::make_unique<MqttLink>(std::move(target), std::move(user), std::move(password),
                                      std::move(host));
}
#else
std::unique_ptr<Integration> MakeMqttLink(MqttTarget, std::string, std::string, std::string) {
    return nullptr;
}
#endif
