// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Integrations.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

#include "file.h"

namespace {

constexpr EventKind Kinds[] = {
    {"power-fail", "power failure", true, "warning"},
    {"power-back", "power restored", false, "electric_plug"},
    {"battery-low", "battery low", true, "battery"},
    {"replace-battery", "battery needs replacing", false, "battery"},
    {"overload", "overload", false, "warning"},
    {"overload-end", "overload ended", false, "white_check_mark"},
    {"overheat", "overheat", false, "thermometer"},
    {"overheat-end", "temperature back to normal", false, "white_check_mark"},
    {"link-lost", "communication lost", false, "warning"},
    {"link-back", "communication restored", false, "white_check_mark"},
    {"countdown", "shutdown countdown", false, "hourglass"},
    {"countdown-end", "shutdown countdown ended", false, "white_check_mark"},
    {"countdown-cancel", "shutdown countdown cancelled", false, "x"},
    {"countdown-expired", "shutdown countdown expired", false, "rotating_light"},
    {"forced-shutdown", "forced shutdown", true, "rotating_light"},
    {"shutdown", "shutting down", false, "rotating_light"},
    {"shutdown-failed", "shutdown failed", false, "rotating_light"},
    {"test-start", "self test asked for", false, "test_tube"},
    {"test", "self test running", false, "test_tube"},
    {"test-end", "self test finished", false, "test_tube"},
    {"test-failed", "self test failed", false, "warning"},
};

} // namespace

std::span<const EventKind> EventKinds() {
    return Kinds;
}

const EventKind* FindEventKind(std::string_view name) {
    const auto* k = std::find_if(std::begin(Kinds), std::end(Kinds),
                                 [&](const EventKind& e) { return name == e.Name; });
    return k == std::end(Kinds) ? nullptr : k;
}

std::string JsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string LocalIsoTime(std::int64_t seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    char text[40];
    if (!::localtime_r(&t, &tm) || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm) == 0)
        return "";
    // ISO 8601 wants the offset as +01:00, strftime's %z gives +0100.
    const long offset = tm.tm_gmtoff < 0 ? -tm.tm_gmtoff : tm.tm_gmtoff;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", tm.tm_gmtoff < 0 ? '-' : '+', offset / 3600,
                  offset % 3600 / 60);
    return std::string(text) + zone;
}

std::string EventFigure(double value) {
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    if (error != std::errc()) return "";
    std::string shown(text, end);
    if (shown.ends_with(".0")) shown.resize(shown.size() - 2);
    return shown;
}

bool SameState(const AgentSnapshot& a, const AgentSnapshot& b) {
    if (a.Connected != b.Connected || a.Status != b.Status || a.CountdownLeft != b.CountdownLeft ||
        a.OutagesTotal != b.OutagesTotal || a.SecondsOnBattery != b.SecondsOnBattery)
        return false;
    // The values compared as the values file holds them: padding and all.
    std::uint8_t x[UPSValImageSize], y[UPSValImageSize];
    EncodeUPSVal(a.Values, x);
    EncodeUPSVal(b.Values, y);
    return std::memcmp(x, y, UPSValImageSize) == 0;
}

std::vector<std::string> WorkerState::TakeReports() {
    std::lock_guard lock(Lock);
    return std::exchange(Reports, {});
}

void WorkerState::StopWorker(std::thread& worker, int milliseconds,
                             const std::function<void()>& wake) {
    if (!worker.joinable()) return;
    std::unique_lock lock(Lock);
    Stopping = true;
    Wake.notify_all();
    if (wake) wake();
    const bool done =
        Wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return Done; });
    lock.unlock();
    if (done)
        worker.join();
    else
        worker.detach();
}

void WorkerState::Finished() {
    std::lock_guard lock(Lock);
    Done = true;
    Wake.notify_all();
}
