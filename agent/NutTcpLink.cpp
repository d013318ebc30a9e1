// The NUT link over TCP, through libnutclient.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nutclient.h>

#include "NutUps.h"

namespace {

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
            client_ = std::make_unique<nut::TcpClient>();
            client_->setTimeout(RequestTimeout);
            errno = 0;
            client_->connect(target_.Host, target_.Port);
        } catch (const nut::NutException& e) {
            // The library's text drops the system's reason; errno still has it.
            const int cause = errno;
            std::string why = e.str();
            if (cause != 0 && why == "Cannot connect to host") why = std::strerror(cause);
            *error = "cannot connect to upsd at " + target_.Host + ":" +
                     std::to_string(target_.Port) + ": " + why;
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
            loginError_ = "login as " + user_ + " refused by upsd: " + e.str();
            std::fprintf(stderr, "corvanta-agent: NUT %s: %s\n", target_.Ups.c_str(),
                         loginError_.c_str());
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

  private:
    std::string Describe(const nut::NutException& e) const {
        return "server " + target_.Host + ":" + std::to_string(target_.Port) + ": " + e.str();
    }

    template <typename F> Result Guard(std::string* error, F&& request) {
        if (!client_) {
            *error = "not connected";
            return Result::Failed;
        }
        try {
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
    std::unique_ptr<nut::TcpClient> client_;
    std::string loginError_;
};

} // namespace

std::unique_ptr<NutLink> MakeNutTcpLink(const NutTarget& target, const std::string& user,
                                        const std::string& password) {
    return std::make_unique<NutTcpLink>(target, user, password);
}
