// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "NutMapping.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>

namespace {

struct TokenBit {
    const char* Token;
    std::int32_t Bit;
};

// OL is the absence of OB: no bit of its own.
const TokenBit StatusTokens[] = {
    {"OB", UPS_ACFAIL},     {"LB", UPS_BATTLOW},  {"RB", UPS_BATTREPLACE}, {"OVER", UPS_OVERLOAD},
    {"BYPASS", UPS_BYPASS}, {"CAL", UPS_TESTING}, {"OFF", UPS_OUTPUTOFF},  {"TRIM", UPS_BUCK},
    {"BOOST", UPS_BOOST},   {"FSD", UPS_SHUTACT},
};

// Every bit ups.status can carry, so the UPS reports them as available.
constexpr std::int32_t StatusTokenBits = UPS_ACFAIL | UPS_BATTLOW | UPS_BATTREPLACE | UPS_OVERLOAD |
                                         UPS_BYPASS | UPS_TESTING | UPS_OUTPUTOFF | UPS_BUCK |
                                         UPS_BOOST | UPS_SHUTACT;

// Words of an ups.alarm text and the bit each stands for. Alarm texts are
// free text of the driver; only these well-known ones are read.
struct AlarmWord {
    const char* Word;
    std::int32_t Bit;
};
const AlarmWord AlarmWords[] = {
    {"overheat", UPS_OVERHEAT},
    {"temperature", UPS_OVERHEAT},
    {"replace battery", UPS_BATTREPLACE},
    {"overload", UPS_OVERLOAD},
    {"fan", UPS_FAN},
    {"fuse", UPS_FUSE},
    {"inverter", UPS_INVERTERBAD},
    {"charger", UPS_CHARGERBAD},
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool HasToken(std::string_view status, std::string_view token) {
    std::size_t i = 0;
    while (i < status.size()) {
        while (i < status.size() && status[i] == ' ')
            ++i;
        std::size_t j = i;
        while (j < status.size() && status[j] != ' ')
            ++j;
        if (j > i && status.substr(i, j - i) == token) return true;
        i = j;
    }
    return false;
}

const std::string* Find(const NutVariables& vars, const char* name) {
    auto it = vars.find(name);
    return it == vars.end() ? nullptr : &it->second;
}

// The first of the names that holds a number, in tenths.
bool FirstTenths(const NutVariables& vars, const char* const* names, std::size_t count,
                 short* out) {
    for (std::size_t i = 0; i < count && names[i]; ++i)
        if (const std::string* v = Find(vars, names[i]); v && NutTenths(*v, out)) return true;
    return false;
}

// A positive decimal number rounded to a whole one and held to max, for the
// values kept in whole units; false when absent, not a number, or not above 0.
bool WholeNumber(const NutVariables& vars, const char* name, int max, int* out) {
    const std::string* v = Find(vars, name);
    if (!v) return false;
    std::string_view text = *v;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    double d = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, d, std::chars_format::fixed);
    if (ec != std::errc{} || p != end || !(d >= 0.5)) return false;
    *out = d >= max ? max : static_cast<int>(std::lround(d));
    return true;
}

} // namespace

const NutSlotSource NutSlotSources[] = {
    {0, {"battery.voltage"}},
    {1, {"battery.current"}},
    {2, {"battery.charge"}},
    {3, {"input.frequency"}},
    {4, {"input.voltage", "input.L1-N.voltage"}},
    {5, {"input.current", "input.L1.current"}},
    {7, {"input.L2-N.voltage"}},
    {8, {"input.L2.current"}},
    {10, {"input.L3-N.voltage"}},
    {11, {"input.L3.current"}},
    {12, {"output.frequency"}},
    {13, {"output.voltage", "output.L1-N.voltage"}},
    {14, {"output.current", "output.L1.current"}},
    {15, {"ups.load", "output.L1.power.percent"}},
    {16, {"output.L2-N.voltage"}},
    {17, {"output.L2.current"}},
    {18, {"output.L2.power.percent"}},
    {19, {"output.L3-N.voltage"}},
    {20, {"output.L3.current"}},
    {21, {"output.L3.power.percent"}},
    {22, {"input.bypass.frequency"}},
    {23, {"input.bypass.voltage", "input.bypass.L1-N.voltage"}},
    {24, {"input.bypass.current", "input.bypass.L1.current"}},
    {25, {"input.bypass.L2-N.voltage"}},
    {26, {"input.bypass.L2.current"}},
    {27, {"input.bypass.L3-N.voltage"}},
    {28, {"input.bypass.L3.current"}},
    {29, {"ups.temperature", "battery.temperature"}},
};
const std::size_t NutSlotSourceCount = std::size(NutSlotSources);

std::int32_t NutStatusBits(std::string_view status) {
    std::int32_t bits = 0;
    for (const auto& t : StatusTokens)
        if (HasToken(status, t.Token)) bits |= t.Bit;
    return bits;
}

bool NutTenths(std::string_view text, short* out) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long whole = 0;
    int digits = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
        whole = whole * 10 + (text[i] - '0');
        if (whole > 10'000'000) whole = 10'000'000; // far beyond a short: the clamp decides
    }
    int tenth = 0, hundredth = 0, fraction = 0;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            if (fraction == 0) tenth = text[i] - '0';
            if (fraction == 1) hundredth = text[i] - '0';
            ++fraction;
        }
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (digits + fraction == 0 || i != text.size()) return false;
    long long v = whole * 10 + tenth + (hundredth >= 5 ? 1 : 0);
    if (negative) v = -v;
    *out = static_cast<short>(std::clamp<long long>(v, SHRT_MIN, SHRT_MAX));
    return true;
}

NutMapped MapNutVariables(const NutVariables& vars) {
    NutMapped m;
    const std::string* status = Find(vars, "ups.status");
    if (!status || status->empty() || HasToken(*status, "WAIT")) {
        m.Waiting = true;
        return m;
    }
    UpsReading& r = m.Reading;
    r.Connected = true;
    for (const auto& s : NutSlotSources) {
        short v = 0;
        if (FirstTenths(vars, s.Names, std::size(s.Names), &v)) {
            r.ItemVal[s.Slot] = v;
            r.SupportItem |= std::int32_t{1} << s.Slot;
        }
    }

    r.Status = NutStatusBits(*status);
    r.StatusAvail = StatusTokenBits;

    constexpr int TemperatureSlot = 29;
    if ((r.SupportItem >> TemperatureSlot) & 1) {
        r.StatusAvail |= UPS_OVERHEAT;
        if (r.ItemVal[TemperatureSlot] >= NutOverheatTenths) r.Status |= UPS_OVERHEAT;
    }
    // The ALARM token says ups.alarm holds the reason; some drivers fill
    // ups.alarm without it, so the text is read either way.
    if (const std::string* alarm = Find(vars, "ups.alarm")) {
        std::string text = Lower(*alarm);
        for (const auto& w : AlarmWords) {
            r.StatusAvail |= w.Bit;
            if (text.find(w.Word) != std::string::npos) r.Status |= w.Bit;
        }
    }
    // A beeper that is enabled sounds while the UPS is on battery or in
    // alarm; "disabled" and "muted" keep it quiet.
    if (const std::string* beeper = Find(vars, "ups.beeper.status")) {
        r.StatusAvail |= UPS_BEEPER;
        bool alarming = (r.Status & (UPS_ACFAIL | UPS_BATTLOW | UPS_OVERLOAD | UPS_OVERHEAT)) ||
                        HasToken(*status, "ALARM");
        if (Lower(*beeper) == "enabled" && alarming) r.Status |= UPS_BEEPER;
    }
    if (const std::string* test = Find(vars, "ups.test.result")) {
        r.StatusAvail |= UPS_TESTING | UPS_TESTFAIL;
        std::string text = Lower(*test);
        if (text.find("in progress") != std::string::npos) r.Status |= UPS_TESTING;
        if (text.find("error") != std::string::npos || text.find("fail") != std::string::npos)
            r.Status |= UPS_TESTFAIL;
    }

    const char* const volt[] = {"input.voltage.nominal", "output.voltage.nominal"};
    const char* const current[] = {"output.current.nominal"};
    const char* const battVolt[] = {"battery.voltage.nominal"};
    FirstTenths(vars, volt, std::size(volt), &m.Ratings.Volt);
    FirstTenths(vars, current, std::size(current), &m.Ratings.Current);
    FirstTenths(vars, battVolt, std::size(battVolt), &m.Ratings.BattVolt);
    const char* const freq[] = {"input.frequency.nominal", "output.frequency.nominal"};
    FirstTenths(vars, freq, std::size(freq), &m.Ratings.Freq);
    // Whole units: a short in tenths would cap them at 3276 VA and 54 minutes.
    WholeNumber(vars, "ups.power.nominal", INT_MAX, &m.Ratings.VA);
    if (int runtime = 0; WholeNumber(vars, "battery.runtime", SHRT_MAX, &runtime))
        r.BattEstimate = static_cast<short>(runtime);
    const char* const low[] = {"input.transfer.low"};
    const char* const high[] = {"input.transfer.high"};
    FirstTenths(vars, low, 1, &r.TxVoltLo);
    FirstTenths(vars, high, 1, &r.TxVoltHi);
    return m;
}
