#include "NetModule.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

#include "TrustedProgram.h"

namespace {

const NetModule* Loaded = nullptr;

} // namespace

std::string NetModulePath() {
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : std::string("/");
    dir.resize(dir.rfind('/') == std::string::npos ? 0 : dir.rfind('/'));
    const auto up = dir.rfind('/');
    return (up == std::string::npos ? std::string() : dir.substr(0, up)) +
           "/lib/corvanta/corvanta-agent-net.so";
}

bool LoadNetModule(std::string* why) {
    if (Loaded) return true;
    const std::string path = NetModulePath();
    std::string wrong;
    UniqueFd file = OpenTrustedProgram(path, ::geteuid(), &wrong);
    if (!file) {
        *why = "the network module " + path + " " + wrong;
        return false;
    }
    // Loaded through the descriptor checked, never the name again.
    const std::string opened = "/proc/self/fd/" + std::to_string(file.Get());
    void* handle = ::dlopen(opened.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        *why = "cannot load the network module " + path + ": " + (error ? error : "unknown error");
        return false;
    }
    const auto* module = static_cast<const NetModule*>(::dlsym(handle, NetModuleSymbol));
    if (!module || module->Version != NetModuleVersion) {
        *why = "the network module " + path + " is not this agent's";
        ::dlclose(handle);
        return false;
    }
    Loaded = module; // kept for the agent's life: its threads run its code
    return true;
}

std::unique_ptr<AlertSender> MakeCurlSender(const std::atomic<bool>* stop) {
    return Loaded ? Loaded->CurlSender(stop) : nullptr;
}

std::unique_ptr<Integration> MakeMqttLink(MqttTarget target, std::string user, std::string password,
                                          std::string host) {
    if (!Loaded || !Loaded->MqttLink) return nullptr;
    return Loaded->MqttLink(std::move(target), std::move(user), std::move(password),
                            std::move(host));
}
