// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "MqttLink.h"

#include <cctype>
#include <cstdio>

#include "MetricsFile.h"

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
