// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's command line and the test-clock start time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CalendarDate.h"

struct AgentCommandLine {
    bool HasFolder = false;
    std::string Folder;
    bool Simulate = false;
    std::string ScenarioFile; // empty: the built-in scenario
    std::vector<std::string> ShutdownCommand;
    // --nut UPS@HOST[:PORT]: the UPS of a Network UPS Tools server.
    std::string Nut;
    std::string NutUser;
    std::string NutPasswordFile;
    // --nut-role: how the agent logs in (with a user and password only).
    std::string NutRole;
    // --nut-hostsync SECONDS: how long the primary waits for the others.
    int NutHostSync = -1;
    // --on-event PROGRAM (repeatable): run at every event the history keeps.
    std::vector<std::string> OnEvent;
    // --metrics-file PATH: Prometheus's text format, for node_exporter.
    std::string MetricsFile;
    // --mqtt URL [--mqtt-user NAME --mqtt-password-file FILE]: the state on
    // an MQTT broker, for Home Assistant.
    std::string Mqtt;
    std::string MqttUser;
    std::string MqttPasswordFile;
    // --alerts FILE: alerts to ntfy, webhooks and e-mail, as FILE says.
    std::string Alerts;
    // --history-report [--since DATE] [--csv]: print the outage table instead.
    bool HistoryReport = false;
    std::optional<CivilDate> Since;
    bool Csv = false;
};

enum class ParseOutcome {
    Run,      // go on
    ShowHelp, // print *message to stdout, exit 0
    ShowVersion,
    BadUsage, // print *message to stderr, exit 2
};

ParseOutcome ParseAgentCommandLine(int argc, const char* const* argv, AgentCommandLine* out,
                                   std::string* message);
std::string AgentUsage();

// "YYYY-MM-DD HH:MM:SS" (or with a T between date and time) into its six
// numbers; false when malformed or not a real date and time.
bool ParseStartTime(const std::string& text, int out[6]);

// The shutdown command split at blanks: program and arguments.
std::vector<std::string> SplitCommand(const std::string& text);
