// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The NUT link over TCP, through libnutclient.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <netdb.h>
#include <nutclient.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "NutUps.h"

namespace {

// libnutclient offers no call for LIST CLIENT; its own list request does.
class Client : public nut::TcpClient {
  public:
    std::vector<std::string> Clients(const std::string& ups) {
        std::vector<std::string> out;
        for (const auto& row : list("CLIENT", ups))
            if (!row.empty()) out.push_back(row.back());
        return out;
    }
};

// The address this computer reaches the server from, as upsd lists its
// clients; "" when unknown. A UDP socket's connect sends nothing.
std::string OwnAddress(const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return "";
    std::string address;
    for (addrinfo* a = found; a && address.empty(); a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, 0);
        sockaddr_storage own{};
        socklen_t length = sizeof own;
        char text[INET6_ADDRSTRLEN] = "";
        if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&own), &length) == 0 &&
            ::getnameinfo(reinterpret_cast<sockaddr*>(&own), length, text, sizeof text, nullptr, 0,
                          NI_NUMERICHOST) == 0)
            address = text;
        if (fd >= 0) ::close(fd);
    }
    ::freeaddrinfo(found);
    return address;
}

// libnutclient's timeout covers the connection only: a server that takes it
// and never answers would hold a read for ever. Its socket is the one TCP
// socket of this process connected to the server's port, found by looking.
void LimitWaits(std::uint16_t port, time_t seconds) {
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds) return;
    const timeval limit{seconds, 0};
    while (const dirent* e = ::readdir(fds)) {
        const int fd = std::atoi(e->d_name);
        int type = 0;
        socklen_t size = sizeof type;
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        if (fd <= 2 || ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &size) != 0 ||
            type != SOCK_STREAM ||
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
            continue;
        const std::uint16_t peerPort =
            ntohs(peer.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&peer)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&peer)->sin_port);
        if (peerPort != port) continue;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
    ::closedir(fds);
}

// Seconds a request may wait for upsd before the connection counts as
// broken. libnutclient counts in whole seconds; the agent's second does not
// wait for it anyway (the link runs on its own thread).
constexpr time_t RequestTimeout = 1;

class NutTcpLink : public NutLink {
  public:
    NutTcpLink(NutTarget target, std::string user, std::string password)
        : target_(std::move(target)), user_(std::move(user)), password_(std::move(password)) {}

    bool Connect(std::string* error) override {
        try {
            client_ = std::make_unique<Client>();
            client_->setTimeout(RequestTimeout);
            errno = 0;
            client_->connect(target_.Host, target_.Port);
            LimitWaits(target_.Port, RequestTimeout);
        } catch (const nut::NutException& e) {
            // The library's text drops the system's reason; errno still has it.
            const int cause = errno;
            const std::string server =
                "the UPS server at " + target_.Host + ":" + std::to_string(target_.Port);
            if (cause == ECONNREFUSED)
                *error = server + " refuses connections";
            else if (cause == ETIMEDOUT || cause == EHOSTUNREACH || cause == ENETUNREACH ||
                     cause == EINPROGRESS || cause == EAGAIN)
                *error = server + " does not answer";
            else
                *error = "cannot reach " + server + ": " +
                         (cause != 0 && e.str() == "Cannot connect to host" ? std::strerror(cause)
                                                                            : e.str());
            client_.reset();
            return false;
        } catch (const std::exception& e) {
            *error = e.what();
            client_.reset();
            return false;
        }
        // A refused login must not stop the watching: only the commands
        // need it, and they report it.
        loginError_.clear();
        if (user_.empty()) return true;
        try {
            errno = 0;
            client_->authenticate(user_, password_);
        } catch (const nut::IOException& e) {
            *error = Describe(e);
            client_.reset();
            return false;
        } catch (const nut::SystemException& e) {
            *error = Describe(e);
            client_.reset();
            return false;
        } catch (const nut::NutException& e) {
            loginError_ = e.str();
            std::fprintf(stderr, "corvanta-agent: NUT %s: login as %s refused: %s\n",
                         target_.Ups.c_str(), user_.c_str(), loginError_.c_str());
        }
        return true;
    }

    void Disconnect() override {
        if (!client_) return;
        try {
            client_->disconnect();
        } catch (const std::exception&) {
            // already gone
        }
        client_.reset();
    }

    Result ListVariables(NutVariables* out, std::string* error) override {
        return Guard(error, [&] {
            // One LIST VAR for the whole set.
            auto all = client_->getDeviceVariableValues(target_.Ups);
            out->clear();
            for (auto& [name, values] : all)
                (*out)[name] = values.empty() ? std::string() : values.front();
        });
    }

    Result ListCommands(std::set<std::string>* out, std::string* error) override {
        return Guard(error, [&] { *out = client_->getDeviceCommandNames(target_.Ups); });
    }

    Result SetVariable(const std::string& name, const std::string& value,
                       std::string* error) override {
        if (!loginError_.empty()) {
            *error = loginError_;
            return Result::Refused;
        }
        return Guard(error, [&] { client_->setDeviceVariable(target_.Ups, name, value); });
    }

    Result RunCommand(const std::string& name, std::string* error) override {
        if (!loginError_.empty()) {
            *error = loginError_;
            return Result::Refused;
        }
        return Guard(error, [&] { client_->executeDeviceCommand(target_.Ups, name); });
    }

    Result GetStatus(std::string* status, std::string* error) override {
        return Guard(error, [&] {
            auto values = client_->getDeviceVariableValue(target_.Ups, "ups.status");
            *status = values.empty() ? std::string() : values.front();
        });
    }

    Result Login(bool primary, std::string* error) override {
        if (!loginError_.empty()) {
            *error = loginError_;
            return Result::Refused;
        }
        Result r = Guard(error, [&] { client_->deviceLogin(target_.Ups); });
        if (r != Result::Ok && *error == "ALREADY-LOGGED-IN") r = Result::Ok;
        if (r != Result::Ok || !primary) return r;
        r = Primary(error);
        if (r == Result::Refused) *error = "PRIMARY " + *error;
        return r;
    }

    Result CountLogins(int* count, std::string* error) override {
        return Guard(error, [&] { *count = client_->deviceGetNumLogins(target_.Ups); });
    }

    // The others: this computer's own entry left out.
    Result ListClients(std::vector<std::string>* out, std::string* error) override {
        return Guard(error, [&] {
            *out = client_->Clients(target_.Ups);
            const std::string own = OwnAddress(target_.Host, target_.Port);
            if (auto it = std::find(out->begin(), out->end(), own); it != out->end())
                out->erase(it);
        });
    }

    Result ForceShutdown(std::string* error) override {
        const Result r = Primary(error);
        if (r != Result::Ok) return r;
        return Guard(error, [&] { client_->deviceForcedShutdown(target_.Ups); });
    }

  private:
    // PRIMARY, or MASTER on a server older than the word.
    Result Primary(std::string* error) {
        Result r = Guard(error, [&] { client_->devicePrimary(target_.Ups); });
        if (r == Result::Refused && (*error == "UNKNOWN-COMMAND" || *error == "INVALID-ARGUMENT"))
            r = Guard(error, [&] { client_->deviceMaster(target_.Ups); });
        return r;
    }

    // With errno as the failed call left it.
    std::string Describe(const nut::NutException& e) const {
        const std::string server = target_.Host + ":" + std::to_string(target_.Port);
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ETIMEDOUT)
            return "the UPS server at " + server + " does not answer";
        return "the UPS server at " + server + ": " + e.str();
    }

    template <typename F> Result Guard(std::string* error, F&& request) {
        if (!client_) {
            *error = "not connected";
            return Result::Failed;
        }
        try {
            errno = 0;
            request();
            return Result::Ok;
        } catch (const nut::IOException& e) {
            *error = Describe(e); // refused, broken, timed out: reconnect
        } catch (const nut::SystemException& e) {
            *error = Describe(e);
        } catch (const nut::NutException& e) {
            *error = e.str(); // an ERR answer: the connection itself is fine
            return Result::Refused;
        } catch (const std::exception& e) {
            *error = e.what();
        }
        return Result::Failed;
    }

    NutTarget target_;
    std::string user_;
    std::string password_;
    std::unique_ptr<Client> client_;
    std::string loginError_;
};

} // namespace

std::unique_ptr<NutLink> MakeNutTcpLink(const NutTarget& target, const std::string& user,
                                        const std::string& password) {
    return std::make_unique<NutTcpLink>(target, user, password);
}
