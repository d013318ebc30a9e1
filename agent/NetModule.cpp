// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "NetModule.h"

#include <climits>
#include <dlfcn.h>
#include <mutex>
#include <unistd.h>

#include "TrustedProgram.h"

namespace {

// The module's file, checked like a program the agent runs; the one place
// that says why it is refused.
UniqueFd OpenModule(const std::string& path, std::string* why) {
    std::string wrong;
    UniqueFd file = OpenTrustedLibrary(path, ::geteuid(), &wrong);
    if (!file) *why = "the module " + path + " " + wrong;
    return file;
}

const char* Name(NetModuleKind kind) {
    return kind == NetModuleKind::Alerts ? "alerts" : "mqtt";
}

// The module's table, loaded once and kept for the agent's life (its
// threads run its code); null with *why when it cannot be.
const void* Load(NetModuleKind kind, std::string* why) {
    static std::mutex lock;
    static const void* loaded[2] = {};
    std::lock_guard hold(lock);
    const void*& table = loaded[static_cast<int>(kind)];
    if (table) return table;
    const std::string path = NetModulePath(kind);
    UniqueFd file = OpenModule(path, why);
    if (!file) return nullptr;
    // Loaded through the descriptor checked, never the name again.
    const std::string opened = "/proc/self/fd/" + std::to_string(file.Get());
    void* handle = ::dlopen(opened.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        *why = "cannot load the module " + path + ": " + (error ? error : "unknown error");
        return nullptr;
    }
    const std::string symbol = std::string("corvanta_") + Name(kind) + "_module";
    const void* found = ::dlsym(handle, symbol.c_str());
    // Both tables start with their version.
    if (!found || *static_cast<const int*>(found) != NetModuleVersion) {
        *why = "the module " + path + " is not this agent's";
        ::dlclose(handle);
        return nullptr;
    }
    return table = found;
}

// Loads libcurl's module at the first alert, on the alert thread: an agent
// that never has to tell anyone never carries it.
class LazyCurlSender final : public AlertSender {
  public:
    explicit LazyCurlSender(const std::atomic<bool>* stop) : stop_(stop) {}
    bool Send(const AlertChannel& channel, const AgentEvent& event, std::string* error) override {
        if (!real_) {
            std::string why;
            const auto* module =
                static_cast<const AlertsModule*>(Load(NetModuleKind::Alerts, &why));
            if (!module) {
                *error = why;
                return false;
            }
            real_ = module->CurlSender(stop_);
        }
        return real_->Send(channel, event, error);
    }

  private:
    const std::atomic<bool>* stop_;
    std::unique_ptr<AlertSender> real_;
};

} // namespace

std::string NetModulePath(NetModuleKind kind) {
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : std::string();
    for (int up = 0; up < 2; ++up)
        dir.resize(dir.rfind('/') == std::string::npos ? 0 : dir.rfind('/'));
    return dir + "/lib/corvanta/agent/corvanta-agent-" + Name(kind) + ".so";
}

bool CheckNetModule(NetModuleKind kind, std::string* why) {
    return static_cast<bool>(OpenModule(NetModulePath(kind), why));
}

std::unique_ptr<AlertSender> MakeCurlSender(const std::atomic<bool>* stop) {
    return std::make_unique<LazyCurlSender>(stop);
}

std::unique_ptr<Integration> MakeMqttLink(MqttTarget target, std::string user, std::string password,
                                          std::string host, std::string* why) {
    const auto* module = static_cast<const MqttModule*>(Load(NetModuleKind::Mqtt, why));
    if (!module) return nullptr;
    return module->MqttLink(std::move(target), std::move(user), std::move(password),
                            std::move(host));
}
