// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Scenario.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Folder.h"
#include "HID.h"
#include "file.h"

namespace {

struct StatusName {
    const char* Name;
    std::int32_t Mask;
};

const StatusName StatusNames[] = {
    {"EPO", UPS_EPO},
    {"MANUALBYPASS", UPS_MANUALBYPASS},
    {"BUCK", UPS_BUCK},
    {"BOOST", UPS_BOOST},
    {"BATTCHARGESTS", UPS_BATTCHARGESTS},
    {"BATTDEPLETED", UPS_BATTDEPLETED},
    {"BATTREPLACE", UPS_BATTREPLACE},
    {"TESTFAIL", UPS_TESTFAIL},
    {"ECONOMIC", UPS_ECONOMIC},
    {"INVERTERBAD", UPS_INVERTERBAD},
    {"FUSE", UPS_FUSE},
    {"FAN", UPS_FAN},
    {"AWAITPOWER", UPS_AWAITPOWER},
    {"SYSTEMOFF", UPS_SYSTEMOFF},
    {"OUTPUTOFF", UPS_OUTPUTOFF},
    {"OUTPUTBAD", UPS_OUTPUTBAD},
    {"CHARGERBAD", UPS_CHARGERBAD},
    {"BYPASSBAD", UPS_BYPASSBAD},
    {"OVERLOAD", UPS_OVERLOAD},
    {"OVERHEAT", UPS_OVERHEAT},
    {"ACFAIL", UPS_ACFAIL},
    {"BATTLOW", UPS_BATTLOW},
    {"BYPASS", UPS_BYPASS},
    {"FAIL", UPS_FAIL},
    {"STANDBY", UPS_STANDBY},
    {"TESTING", UPS_TESTING},
    {"SHUTACT", UPS_SHUTACT},
    {"BEEPER", UPS_BEEPER},
};

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool ParseCount(const std::string& text, int* value) {
    if (text.empty() || text.size() > 7) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

// "95" or "1:35" (minutes and seconds).
bool ParseTime(const std::string& text, int* seconds) {
    auto colon = text.find(':');
    if (colon == std::string::npos) return ParseCount(text, seconds);
    int m = 0, s = 0;
    std::string sec = text.substr(colon + 1);
    if (!ParseCount(text.substr(0, colon), &m) || sec.size() != 2 || !ParseCount(sec, &s) || s > 59)
        return false;
    *seconds = m * 60 + s;
    return true;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

} // namespace

std::int32_t StatusMaskByName(const std::string& name) {
    std::string n = Upper(name);
    if (n.rfind("UPS_", 0) == 0) n = n.substr(4);
    for (const auto& s : StatusNames)
        if (n == s.Name) return s.Mask;
    return 0;
}

int ItemByName(const std::string& name) {
    int number = 0;
    if (ParseCount(name, &number)) return number < ItemCount ? number : -1;
    std::string wanted = Upper(name);
    for (int i = 0; i < ItemCount; ++i) {
        std::string n;
        for (const char* p = HIDItemName[i]; *p; ++p)
            if (*p != ' ') n += *p;
        if (Upper(n) == wanted) return i;
    }
    return -1;
}

bool ParseTenths(const std::string& text, int* tenths) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long whole = 0;
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        whole = whole * 10 + (text[i++] - '0');
        if (whole > 100000) return false;
        ++digits;
    }
    int fraction = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            fraction = text[i++] - '0';
            ++digits;
        }
    }
    if (digits == 0 || i != text.size()) return false;
    long v = whole * 10 + fraction;
    if (negative) v = -v;
    if (v < SHRT_MIN || v > SHRT_MAX) return false;
    *tenths = static_cast<int>(v);
    return true;
}

bool ParseScenario(const std::string& text, Scenario* out, std::string* error) {
    Scenario sc;
    std::int32_t used = 0;
    bool supportGiven = false;
    bool ended = false;
    int lastTime = 0;
    int lastStepTime = -1;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    auto fail = [&](const std::string& what) {
        *error = "line " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        auto hash = raw.find('#');
        std::vector<std::string> w = Words(hash == std::string::npos ? raw : raw.substr(0, hash));
        if (w.empty()) continue;
        if (ended) return fail("nothing may follow 'end'");
        std::string head = w[0];
        if (head == "ratings") {
            int v[5] = {};
            if (w.size() != 4 && w.size() != 6)
                return fail("'ratings' takes volts, amperes and battery volts, then VA and hertz");
            for (std::size_t k = 1; k < w.size(); ++k)
                if (!ParseTenths(w[k], &v[k - 1]) || v[k - 1] < 0)
                    return fail("bad rating '" + w[k] + "'");
            sc.Ratings = {static_cast<short>(v[0]), static_cast<short>(v[1]),
                          static_cast<short>(v[2]), v[3] / 10, static_cast<short>(v[4])};
            continue;
        }
        if (head == "runtime") {
            int tenths = 0;
            if (w.size() != 2 || !ParseTenths(w[1], &tenths) || tenths <= 0)
                return fail("'runtime' takes the seconds a full battery lasts");
            sc.FullRuntime = tenths / 10;
            continue;
        }
        if (head == "support") {
            supportGiven = true;
            for (std::size_t k = 1; k < w.size(); ++k) {
                int item = ItemByName(w[k]);
                if (item < 0) return fail("unknown measurement '" + w[k] + "'");
                sc.SupportItem |= std::int32_t{1} << item;
            }
            continue;
        }
        ScenarioStep step;
        step.Line = lineNo;
        if (!ParseTime(head, &step.Time))
            return fail(
                "expected a time in seconds or m:ss, or 'ratings', 'runtime' or 'support', got '" +
                head + "'");
        if (step.Time < lastTime)
            return fail("time " + head + " goes back; steps must be in time order");
        lastTime = step.Time;
        if (w.size() < 2) return fail("a step needs a command after its time");
        const std::string& cmd = w[1];
        auto needItem = [&](std::size_t count) -> bool {
            if (w.size() != count) return false;
            step.Item = ItemByName(w[2]);
            return step.Item >= 0;
        };
        if (cmd == "set" || cmd == "noise") {
            if (!needItem(4)) return fail("'" + cmd + "' takes a measurement and a value");
            if (!ParseTenths(w[3], &step.Value)) return fail("bad value '" + w[3] + "'");
            if (cmd == "noise" && step.Value < 0) return fail("noise must not be negative");
            step.Kind = cmd == "set" ? StepKind::Set : StepKind::Noise;
            used |= std::int32_t{1} << step.Item;
        } else if (cmd == "ramp") {
            if (!needItem(5)) return fail("'ramp' takes a measurement, a target value and seconds");
            if (!ParseTenths(w[3], &step.Value)) return fail("bad value '" + w[3] + "'");
            if (!ParseCount(w[4], &step.Seconds) || step.Seconds < 1)
                return fail("bad ramp length '" + w[4] + "'");
            step.Kind = StepKind::Ramp;
            used |= std::int32_t{1} << step.Item;
        } else if (cmd == "status") {
            if (w.size() < 3) return fail("'status' takes +NAME, -NAME or 'clear'");
            step.Kind = StepKind::Status;
            for (std::size_t k = 2; k < w.size(); ++k) {
                if (w[k] == "clear") {
                    step.ClearMask = ~AgentOwnedBits;
                    step.SetMask = 0;
                    continue;
                }
                std::int32_t mask = 0;
                if (w[k].size() > 1 && (w[k][0] == '+' || w[k][0] == '-'))
                    mask = StatusMaskByName(w[k].substr(1));
                if (mask == 0)
                    return fail("expected +NAME or -NAME of a status bit, got '" + w[k] + "'");
                if (w[k][0] == '+') {
                    step.SetMask |= mask;
                    step.ClearMask &= ~mask;
                } else {
                    step.ClearMask |= mask;
                    step.SetMask &= ~mask;
                }
                sc.StatusAvail |= mask;
            }
        } else if (cmd == "link") {
            if (w.size() != 3 || (w[2] != "up" && w[2] != "down"))
                return fail("'link' takes up or down");
            step.Kind = StepKind::Link;
            step.Value = w[2] == "up";
        } else if (cmd == "sleep") {
            int seconds = 0;
            if (w.size() != 3 || !ParseTenths(w[2], &seconds) || seconds < 10 || seconds % 10)
                return fail("'sleep' takes whole seconds, at least 1");
            step.Kind = StepKind::Sleep;
            step.Value = seconds / 10;
        } else if (cmd == "end") {
            if (w.size() != 2) return fail("'end' takes nothing");
            if (step.Time < 1) return fail("a cycle must last at least one second");
            if (lastStepTime >= step.Time)
                return fail("a step at " + std::to_string(lastStepTime) +
                            " s would never play: the cycle ends there");
            step.Kind = StepKind::End;
            sc.Length = step.Time;
            ended = true;
            continue; // the end is the length, not a step
        } else {
            return fail("unknown command '" + cmd + "'");
        }
        lastStepTime = step.Time;
        sc.Steps.push_back(step);
    }
    if (!supportGiven) sc.SupportItem = used;
    *out = std::move(sc);
    return true;
}

bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error) {
    // The reason matters: a typo, a folder or a file one may not read.
    errno = 0;
    UniqueFile in(std::fopen(path.c_str(), "rb"));
    std::string text;
    char block[4096];
    for (std::size_t n = 0; in && (n = std::fread(block, 1, sizeof block, in.get())) > 0;)
        text.append(block, n);
    if (!in || std::ferror(in.get())) {
        *error = ShownPath(path) + ": cannot be read (" + std::strerror(errno ? errno : EIO) + ")";
        return false;
    }
    if (!ParseScenario(text, out, error)) {
        *error = ShownPath(path) + ": " + *error;
        return false;
    }
    return true;
}

const char* DefaultScenarioText() {
    return R"(# A 1000 VA UPS on 230 V / 50 Hz mains, carrying about 30 % load.
ratings 230 4.3 24 1000 50
runtime 1500
0   status clear
0   set   InputVoltage     230.4
0   noise InputVoltage     0.8
0   set   InputFrequency   50.0
0   set   OutputVoltage    230.0
0   set   OutputFrequency  50.0
0   set   OutputCurrent    1.3
0   set   OutputLoading    30.5
0   noise OutputLoading    0.6
0   set   BatteryLevel     100
0   set   BatteryVoltage   27.2
0   set   Temperature      28.5
# The mains fails; the inverter keeps the output up while the battery drains.
0:20 status +ACFAIL
0:20 set   InputVoltage     0
0:20 noise InputVoltage     0
0:20 set   InputFrequency   0
0:20 set   BatteryVoltage   25.6
0:20 ramp  BatteryLevel     19 105
0:20 ramp  BatteryVoltage   22.6 105
0:20 ramp  Temperature      31.0 105
2:05 status +BATTLOW
# The mains returns just before the battery would run out, then it recharges.
2:30 status -ACFAIL -BATTLOW
2:30 set   InputVoltage     229.8
2:30 noise InputVoltage     0.8
2:30 set   InputFrequency   50.0
2:30 set   BatteryVoltage   26.4
2:30 ramp  BatteryLevel     100 30
2:30 ramp  BatteryVoltage   27.2 30
2:30 ramp  Temperature      28.5 30
3:00 end
)";
}
