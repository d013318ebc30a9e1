// The agent's network module: alerts over libcurl and the MQTT link over
// libmosquitto. Those libraries bring some thirty more (TLS, Kerberos, LDAP,
// SSH...) that would add megabytes to every agent, so they live in a module
// of their own, loaded only by an agent started with --alerts or --mqtt.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "Alerts.h"
#include "MqttLink.h"

// What the module hands the agent. The names differ from the agent's own
// MakeCurlSender and MakeMqttLink, which call through this table: the
// agent's symbols are visible to the module and would otherwise stand in
// for the module's.
struct NetModule {
    int Version;
    std::unique_ptr<AlertSender> (*CurlSender)(const std::atomic<bool>* stop);
    // null when the module was built without libmosquitto.
    std::unique_ptr<Integration> (*MqttLink)(MqttTarget target, std::string user,
                                             std::string password, std::string host);
};
constexpr int NetModuleVersion = 1;
constexpr const char* NetModuleSymbol = "corvanta_net_module";

// The module beside the agent: BINDIR/../lib/corvanta/corvanta-agent-net.so.
std::string NetModulePath();

// Loads the module once, checked like a program the agent runs (its owner,
// its mode, every folder above it). False with *why when it cannot.
bool LoadNetModule(std::string* why);

// Defined in the module.
std::unique_ptr<AlertSender> NetMakeCurlSender(const std::atomic<bool>* stop);
std::unique_ptr<Integration> NetMakeMqttLink(MqttTarget target, std::string user,
                                             std::string password, std::string host);
