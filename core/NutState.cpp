// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "NutState.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <utility>

const char* NutRoleName(NutRole role) {
    switch (role) {
    case NutRole::Primary:
        return "primary";
    case NutRole::Secondary:
        return "secondary";
    case NutRole::Observer:
        break;
    }
    return "observer";
}

std::string EncodeNutState(const NutState& s) {
    std::string problem = s.Problem;
    for (char& c : problem)
        if (c == '\n' || c == '\r') c = ' ';
    return std::string("role=") + NutRoleName(s.Role) + "\nothers=" + std::to_string(s.Others) +
           "\nforced=" + (s.Forced ? "1" : "0") + "\nproblem=" + problem + "\n";
}

bool ParseNutState(const std::string& text, NutState* out) {
    NutState s;
    bool hasRole = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "role") {
            hasRole = true;
            if (value == "primary")
                s.Role = NutRole::Primary;
            else if (value == "secondary")
                s.Role = NutRole::Secondary;
            else if (value == "observer")
                s.Role = NutRole::Observer;
            else
                return false;
        } else if (key == "others") {
            // Digits, a minus only for -1: strtol alone would also take " 2" and "+2".
            const std::size_t from = value.starts_with('-') ? 1 : 0;
            if (value.size() == from ||
                value.find_first_not_of("0123456789", from) != std::string::npos)
                return false;
            errno = 0;
            const long n = std::strtol(value.c_str(), nullptr, 10);
            if (errno != 0 || n < -1 || n > 100000) return false;
            s.Others = static_cast<int>(n);
        } else if (key == "forced") {
            if (value != "0" && value != "1") return false;
            s.Forced = value == "1";
        } else if (key == "problem") {
            s.Problem = value;
        }
    }
    if (!hasRole) return false;
    *out = std::move(s);
    return true;
}
