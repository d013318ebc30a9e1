// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's network modules: alerts over libcurl, the MQTT link over
// libmosquitto. Those libraries bring some thirty more (TLS, Kerberos, LDAP,
// SSH...) that would add megabytes to every agent, so each lives in a module
// of its own: the MQTT one is loaded by an agent started with --mqtt, the
// alerts one by an agent with --alerts when it first sends an alert.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "Alerts.h"
#include "MqttLink.h"

enum class NetModuleKind { Alerts, Mqtt };

// What a module hands the agent. The names of the makers differ from the
// agent's own MakeCurlSender and MakeMqttLink, which call through these:
// the agent's symbols are visible to a module and would otherwise stand in
// for the module's.
struct AlertsModule {
    int Version;
    std::unique_ptr<AlertSender> (*CurlSender)(const std::atomic<bool>* stop);
};
struct MqttModule {
    int Version;
    std::unique_ptr<Integration> (*MqttLink)(MqttTarget target, std::string user,
                                             std::string password, std::string host);
};
constexpr int NetModuleVersion = 1;

// The module beside the agent: BINDIR/../lib/corvanta/agent/corvanta-agent-KIND.so
// (a folder below lib/corvanta, so that the package runs no ldconfig for it).
std::string NetModulePath(NetModuleKind kind);

// Whether the module is there and checked like a program the agent runs (its
// owner, its mode, every folder above it; no execute bit); false with *why. The agent asks
// at start, so that a module it cannot use stops it at once.
bool CheckNetModule(NetModuleKind kind, std::string* why);

// Defined in the modules.
std::unique_ptr<AlertSender> NetMakeCurlSender(const std::atomic<bool>* stop);
std::unique_ptr<Integration> NetMakeMqttLink(MqttTarget target, std::string user,
                                             std::string password, std::string host);
