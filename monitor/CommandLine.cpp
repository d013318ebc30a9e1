// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Translation.h"

namespace {

// Seconds as a plain non-negative decimal, at most a day.
bool ParseSeconds(const char* text, double* out) {
    if (!*text || std::strchr("+- \t", *text)) return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < 0 || v > 86400) return false;
    // strtod also takes hexadecimal and "inf"; only digits and one point here.
    for (const char* p = text; *p; ++p)
        if (!(*p >= '0' && *p <= '9') && *p != '.') return false;
    *out = v;
    return true;
}

} // namespace

std::string UsageText() {
    return Translated(
        "CommandLine",
        "usage: corvanta-monitor [--folder DIR] [--hidden]\n"
        "                        [--snapshot FILE.png [--after SECONDS]] [--help] [--version]\n"
        "\n"
        "  --folder DIR        program folder with the exchange files (default: the\n"
        "                      CORVANTA_FOLDER environment variable, else\n"
        "                      /Applications/Corvanta)\n"
        "  --hidden            start in the system tray, the main window closed (it\n"
        "                      opens all the same where no tray comes within 10 s)\n"
        "  --snapshot FILE     run, then write a PNG of the main window and exit\n"
        "  --after SECONDS     when to take the snapshot (default 3)\n"
        "  --help              show this text\n"
        "  --version           show the version\n");
}

CommandLineResult ParseCommandLine(int argc, const char* const* argv, MonitorOptions* options,
                                   std::string* message) {
    bool afterGiven = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInlineValue = true;
            }
        }
        const bool takesValue = arg == "--folder" || arg == "--snapshot" || arg == "--after";
        if (takesValue && !hasInlineValue) {
            if (i + 1 >= argc) {
                *message = Substituted(Translated("CommandLine", "%1 needs a value"), {arg});
                return CommandLineResult::Error;
            }
            value = argv[++i];
        } else if (!takesValue && hasInlineValue) {
            *message = Substituted(Translated("CommandLine", "%1 takes no value"), {arg});
            return CommandLineResult::Error;
        }
        if (arg == "--help") return CommandLineResult::Help;
        if (arg == "--version") return CommandLineResult::Version;
        if (arg == "--hidden") {
            options->hidden = true;
            continue;
        }
        if (arg == "--folder") {
            if (value.empty()) {
                *message = Translated("CommandLine", "--folder needs a directory");
                return CommandLineResult::Error;
            }
            options->folder = value;
        } else if (arg == "--snapshot") {
            if (value.empty()) {
                *message = Translated("CommandLine", "--snapshot needs a file name");
                return CommandLineResult::Error;
            }
            options->snapshot = value;
        } else if (arg == "--after") {
            if (!ParseSeconds(value.c_str(), &options->after)) {
                *message = Substituted(
                    Translated("CommandLine",
                               "--after needs a number of seconds from 0 to 86400, not \"%1\""),
                    {value});
                return CommandLineResult::Error;
            }
            afterGiven = true;
        } else {
            *message = Substituted(Translated("CommandLine", "unknown option \"%1\""), {argv[i]});
            return CommandLineResult::Error;
        }
    }
    if (afterGiven && options->snapshot.empty()) {
        *message = Translated("CommandLine", "--after goes with --snapshot");
        return CommandLineResult::Error;
    }
    return CommandLineResult::Run;
}

bool OpensMainWindow(const MonitorOptions& options, bool trayAvailable) {
    return !options.hidden || !trayAvailable;
}
