// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "CalendarDate.h"
#include "MqttLink.h"
#include "NutUps.h"

std::string AgentUsage() {
    return "Usage: corvanta-agent [--folder DIR] --simulate [SCENARIO_FILE]\n"
           "                      [--shutdown-command CMD] [--help] [--version]\n"
           "       corvanta-agent [--folder DIR] --nut UPS@HOST[:PORT]\n"
           "                      [--nut-user NAME --nut-password-file FILE\n"
           "                       [--nut-role secondary|primary] [--nut-hostsync SECONDS]]\n"
           "                      [--shutdown-command CMD]\n"
           "       (either with [--on-event PROGRAM]... [--metrics-file FILE]\n"
           "        [--mqtt URL [--mqtt-user NAME --mqtt-password-file FILE]]\n"
           "        [--alerts FILE])\n"
           "       corvanta-agent [--folder DIR] --history-report [--since YYYY-MM-DD] [--csv]\n"
           "\n"
           "The UPS agent of Corvanta UPS Monitor: it watches the UPS, writes the values\n"
           "file and the event log into the program folder, acts on the monitor's\n"
           "settings, calendar and requests, and runs the shutdown countdown.\n"
           "\n"
           "  --folder DIR            program folder (default: $CORVANTA_FOLDER, else\n"
           "                          /Applications/Corvanta)\n"
           "  --simulate [FILE]       simulate a UPS, playing the scenario FILE or the\n"
           "                          built-in three-minute power failure scenario\n"
           "  --nut UPS@HOST[:PORT]   the UPS named UPS of the Network UPS Tools server\n"
           "                          HOST (port 3493 unless given)\n"
           "  --nut-user NAME         NUT user the agent logs in as: upsd.users grants it\n"
           "                          \"upsmon secondary\" or \"upsmon primary\", and the\n"
           "                          UPS's instant commands (self tests, turning the\n"
           "                          output off)\n"
           "  --nut-password-file FILE  that user's password, on the first line of FILE\n"
           "                          (owned by root or the agent's user, not readable\n"
           "                          or writable by other users)\n"
           "  --nut-role ROLE         secondary (the default): shut down at once when the\n"
           "                          UPS's primary orders it; primary: when the\n"
           "                          countdown runs out, order the other computers on\n"
           "                          the UPS down first and wait for them\n"
           "  --nut-hostsync SECONDS  how long the primary waits for the others to log\n"
           "                          out (default 15)\n"
           "  --shutdown-command CMD  program (absolute path, with arguments) run when\n"
           "                          the countdown expires; without it the agent only\n"
           "                          logs that it would shut down now\n"
           "  --on-event PROGRAM      run PROGRAM (absolute path, no arguments) at every\n"
           "                          event of the history, with it in its environment\n"
           "                          (CORVANTA_EVENT, CORVANTA_MESSAGE, ...); repeatable\n"
           "  --metrics-file FILE     keep the UPS's figures in FILE in Prometheus's text\n"
           "                          format, for node_exporter's textfile collector\n"
           "  --mqtt URL              publish the state to the MQTT broker at URL\n"
           "                          (mqtt://HOST[:PORT] or mqtts://HOST[:PORT]) with\n"
           "                          Home Assistant's discovery and a cancel button\n"
           "  --mqtt-user NAME        the broker's user, whose password is on the first\n"
           "  --mqtt-password-file FILE  line of FILE (kept like the NUT password file)\n"
           "  --alerts FILE           send the events FILE chooses to ntfy topics,\n"
           "                          webhooks and mailboxes (FILE owned by root or the\n"
           "                          agent's user, not writable by other users)\n"
           "  --history-report        print the power failures in the folder's power\n"
           "                          history (ZAN_HISTORY.DB) and exit; a running\n"
           "                          agent is not disturbed\n"
           "  --since YYYY-MM-DD      only those from that day on (an outage running\n"
           "                          then counts from its midnight)\n"
           "  --csv                   print them as CSV for scripts\n"
           "  --help                  show this help and exit\n"
           "  --version               show the version and exit\n"
           "\n"
           "SIGHUP reloads the settings and the calendar; SIGTERM ends the agent.\n";
}

std::vector<std::string> SplitCommand(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

ParseOutcome ParseAgentCommandLine(int argc, const char* const* argv, AgentCommandLine* out,
                                   std::string* message) {
    AgentCommandLine cl;
    bool hasShutdown = false;
    auto bad = [&](const std::string& what) {
        *message = what;
        return ParseOutcome::BadUsage;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            auto eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                inlineValue = true;
            }
        }
        // An option's value: after '=' or as the next argument.
        auto takeValue = [&](std::string* v) -> bool {
            if (inlineValue) {
                *v = value;
                return true;
            }
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            *message = AgentUsage();
            return ParseOutcome::ShowHelp;
        }
        if (arg == "--version") {
            return ParseOutcome::ShowVersion;
        }
        if (arg == "--folder") {
            if (cl.HasFolder) return bad("--folder given twice");
            if (!takeValue(&cl.Folder) || cl.Folder.empty()) return bad("--folder needs a folder");
            cl.HasFolder = true;
        } else if (arg == "--simulate") {
            if (cl.Simulate) return bad("--simulate given twice");
            cl.Simulate = true;
            if (inlineValue) {
                if (value.empty()) return bad("--simulate= needs a scenario file");
                cl.ScenarioFile = value;
            } else if (i + 1 < argc && argv[i + 1][0] != '-') {
                cl.ScenarioFile = argv[++i];
            }
        } else if (arg == "--shutdown-command") {
            std::string cmd;
            if (hasShutdown) return bad("--shutdown-command given twice");
            if (!takeValue(&cmd)) return bad("--shutdown-command needs a command");
            cl.ShutdownCommand = SplitCommand(cmd);
            if (cl.ShutdownCommand.empty()) return bad("--shutdown-command needs a command");
            if (cl.ShutdownCommand[0][0] != '/')
                return bad("--shutdown-command: '" + cl.ShutdownCommand[0] +
                           "' is not an absolute path");
            hasShutdown = true;
        } else if (arg == "--nut" || arg == "--nut-user" || arg == "--nut-password-file") {
            std::string* field = arg == "--nut"        ? &cl.Nut
                                 : arg == "--nut-user" ? &cl.NutUser
                                                       : &cl.NutPasswordFile;
            if (!field->empty()) return bad(arg + " given twice");
            if (!takeValue(field) || field->empty()) return bad(arg + " needs a value");
            NutTarget target;
            std::string why;
            if (arg == "--nut" && !ParseNutTarget(cl.Nut, &target, &why))
                return bad("--nut: " + why);
            // Sent as one protocol line: blanks or control characters would
            // break it or smuggle in another request.
            if (arg == "--nut-user" &&
                std::any_of(field->begin(), field->end(),
                            [](unsigned char c) { return c <= ' ' || c == 0x7F || c == '"'; }))
                return bad(
                    "--nut-user: a NUT user name has no blanks, quotes or control characters");
        } else if (arg == "--nut-role") {
            if (!cl.NutRole.empty()) return bad("--nut-role given twice");
            if (!takeValue(&cl.NutRole) || (cl.NutRole != "primary" && cl.NutRole != "secondary"))
                return bad("--nut-role: expected secondary or primary");
        } else if (arg == "--nut-hostsync") {
            std::string text;
            if (cl.NutHostSync >= 0) return bad("--nut-hostsync given twice");
            int n = -1;
            char tail = 0;
            if (!takeValue(&text) || std::sscanf(text.c_str(), "%d%c", &n, &tail) != 1 || n < 0 ||
                n > 3600)
                return bad("--nut-hostsync: expected seconds from 0 to 3600, got '" + text + "'");
            cl.NutHostSync = n;
        } else if (arg == "--on-event") {
            std::string program;
            if (!takeValue(&program) || program.empty()) return bad("--on-event needs a program");
            if (program[0] != '/')
                return bad("--on-event: '" + program + "' is not an absolute path");
            cl.OnEvent.push_back(program);
        } else if (arg == "--metrics-file") {
            if (!cl.MetricsFile.empty()) return bad("--metrics-file given twice");
            if (!takeValue(&cl.MetricsFile) || cl.MetricsFile.empty() || cl.MetricsFile[0] != '/')
                return bad("--metrics-file needs an absolute path");
        } else if (arg == "--mqtt" || arg == "--mqtt-user" || arg == "--mqtt-password-file") {
            std::string* field = arg == "--mqtt"        ? &cl.Mqtt
                                 : arg == "--mqtt-user" ? &cl.MqttUser
                                                        : &cl.MqttPasswordFile;
            if (!field->empty()) return bad(arg + " given twice");
            if (!takeValue(field) || field->empty()) return bad(arg + " needs a value");
            MqttTarget target;
            std::string why;
            if (arg == "--mqtt" && !ParseMqttUrl(cl.Mqtt, &target, &why))
                return bad("--mqtt: " + why);
        } else if (arg == "--alerts") {
            if (!cl.Alerts.empty()) return bad("--alerts given twice");
            if (!takeValue(&cl.Alerts) || cl.Alerts.empty()) return bad("--alerts needs a file");
        } else if (arg == "--history-report" || arg == "--csv") {
            bool& flag = arg == "--csv" ? cl.Csv : cl.HistoryReport;
            if (flag) return bad(arg + " given twice");
            flag = true;
        } else if (arg == "--since") {
            std::string date;
            if (cl.Since) return bad("--since given twice");
            int y = 0, m = 0, d = 0;
            char tail = 0;
            if (!takeValue(&date) ||
                std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3 || y < 1970 ||
                m < 1 || m > 12 || d < 1 || d > GetMonthDays(y, m))
                return bad("--since: expected a date YYYY-MM-DD, got '" + date + "'");
            cl.Since = CivilDate{y, m, d};
        } else if (arg.rfind('-', 0) == 0) {
            return bad("unknown option '" + std::string(argv[i]) + "'");
        } else {
            return bad("unexpected argument '" + arg + "'");
        }
    }
    if (!cl.HistoryReport && (cl.Since || cl.Csv))
        return bad("--since and --csv go with --history-report");
    if (cl.HistoryReport &&
        (cl.Simulate || hasShutdown || !cl.Nut.empty() || !cl.NutUser.empty() ||
         !cl.NutPasswordFile.empty() || !cl.NutRole.empty() || !cl.OnEvent.empty() ||
         !cl.MetricsFile.empty() || !cl.Mqtt.empty() || !cl.Alerts.empty()))
        return bad("--history-report watches no UPS: it takes only --folder, --since and --csv");
    if (!cl.HistoryReport && !cl.Simulate && cl.Nut.empty())
        return bad("no UPS given: use --simulate or --nut UPS@HOST[:PORT]");
    if (cl.Simulate && !cl.Nut.empty()) return bad("--simulate and --nut: choose one UPS");
    if (cl.Nut.empty() && !(cl.NutUser.empty() && cl.NutPasswordFile.empty()))
        return bad("--nut-user and --nut-password-file need --nut");
    if (cl.NutUser.empty() != cl.NutPasswordFile.empty())
        return bad("--nut-user and --nut-password-file go together");
    if (cl.Mqtt.empty() && !(cl.MqttUser.empty() && cl.MqttPasswordFile.empty()))
        return bad("--mqtt-user and --mqtt-password-file need --mqtt");
    if (cl.MqttUser.empty() != cl.MqttPasswordFile.empty())
        return bad("--mqtt-user and --mqtt-password-file go together");
    if (!cl.NutRole.empty() && cl.NutUser.empty())
        return bad("--nut-role needs --nut-user and --nut-password-file to log in with");
    if (cl.NutHostSync >= 0 && cl.NutRole != "primary")
        return bad("--nut-hostsync goes with --nut-role primary");
    *out = std::move(cl);
    return ParseOutcome::Run;
}

bool ParseStartTime(const std::string& text, int out[6]) {
    int v[6];
    char sep = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c", &v[0], &v[1], &v[2], &sep, &v[3],
                    &v[4], &v[5], &tail) != 7)
        return false;
    if (sep != ' ' && sep != 'T') return false;
    if (v[0] < 1970 || v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > GetMonthDays(v[0], v[1]) ||
        v[3] > 23 || v[4] > 59 || v[5] > 59 || v[3] < 0 || v[4] < 0 || v[5] < 0)
        return false;
    std::memcpy(out, v, sizeof v);
    return true;
}
