// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// --mqtt: the agent's state on an MQTT broker, with Home Assistant's
// discovery configs, and a cancel button that reaches back to the agent.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Integrations.h"

// mqtt://HOST[:PORT] (port 1883 by default) or mqtts://HOST[:PORT] (8883).
struct MqttTarget {
    bool Tls = false;
    std::string Host;
    int Port = 1883;
};

// False with *error when the URL is malformed.
bool ParseMqttUrl(const std::string& url, MqttTarget* out, std::string* error);

// The topics of one computer; host as TopicHost gives it.
std::string MqttStateTopic(const std::string& host);
std::string MqttAvailabilityTopic(const std::string& host);
std::string MqttCancelTopic(const std::string& host);
// The computer's name as it may stand in a topic and an id: letters, digits,
// '-' and '_'; anything else becomes '_'.
std::string TopicHost(const std::string& hostname);

// The retained state document, JSON.
std::string MqttStateJson(const AgentSnapshot& s);
// Home Assistant's discovery configs: topic and JSON payload.
std::vector<std::pair<std::string, std::string>> MqttDiscovery(const std::string& host);

// The link on a thread of its own; null when the agent is built without
// libmosquitto. host as TopicHost gives it.
std::unique_ptr<Integration> MakeMqttLink(MqttTarget target, std::string user, std::string password,
                                          std::string host, std::string* why);
