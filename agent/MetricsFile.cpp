// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "MetricsFile.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "Folder.h"
#include "file.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Measurement {
    int Slot; // in the catalogue
    const char* Name;
    const char* Help;
};
// Each slot under the name of the NUT variable it comes from.
const Measurement Measurements[] = {
    {0, "battery_voltage", "Battery voltage (V)."},
    {1, "battery_current", "Battery current (A)."},
    {2, "battery_charge", "Battery charge (percent)."},
    {3, "input_frequency", "Input frequency (Hz)."},
    {4, "input_voltage", "Input voltage (V)."},
    {5, "input_current", "Input current (A)."},
    {12, "output_frequency", "Output frequency (Hz)."},
    {13, "output_voltage", "Output voltage (V)."},
    {14, "output_current", "Output current (A)."},
    {15, "ups_load", "Load on the UPS's output (percent)."},
    {29, "ups_temperature", "UPS temperature (degrees Celsius)."},
};

struct StatusFlag {
    const char* Name;
    std::int32_t Bit;
    bool WhenSet; // false: the flag is up while the bit is clear
};
// NUT's ups.status tokens. No bit says the battery is charging, so CHRG is
// left out; on battery it discharges.
const StatusFlag StatusFlags[] = {
    {"OL", UPS_ACFAIL, false},     {"OB", UPS_ACFAIL, true},      {"LB", UPS_BATTLOW, true},
    {"RB", UPS_BATTREPLACE, true}, {"DISCHRG", UPS_ACFAIL, true}, {"BYPASS", UPS_BYPASS, true},
    {"CAL", UPS_TESTING, true},    {"OFF", UPS_OUTPUTOFF, true},  {"OVER", UPS_OVERLOAD, true},
    {"TRIM", UPS_BUCK, true},      {"BOOST", UPS_BOOST, true},    {"FSD", UPS_SHUTACT, true},
};

std::string LabelValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

std::string Tenths(int tenths) {
    const int a = std::abs(tenths);
    std::string s = (tenths < 0 ? "-" : "") + std::to_string(a / 10);
    if (a % 10) s += "." + std::to_string(a % 10);
    return s;
}

void Family(std::string& out, const std::string& name, const char* type, const char* help) {
    out += "# HELP " + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

// What the writing thread and the agent's share.
struct Shared : WorkerState {
    std::optional<AgentSnapshot> Latest;
};

class MetricsFile final : public Integration {
  public:
    MetricsFile(std::string path, std::string ups) : shared_(std::make_shared<Shared>()) {
        worker_ = std::thread(Run, shared_, std::move(path), std::move(ups));
    }
    ~MetricsFile() override { MetricsFile::Stop(300); }

    void OnSnapshot(const AgentSnapshot& s) override {
        if (handed_ && SameState(*handed_, s)) return;
        handed_ = s;
        {
            std::lock_guard lock(shared_->Lock);
            shared_->Latest = s;
        }
        shared_->Wake.notify_all();
    }

    std::vector<std::string> TakeReports() override { return shared_->TakeReports(); }

    // A disk that hangs keeps the thread, not the agent.
    void Stop(int milliseconds) override { shared_->StopWorker(worker_, milliseconds); }

  private:
    static void Run(const std::shared_ptr<Shared>& shared, const std::string& path,
                    const std::string& ups) {
        std::string written;
        bool failing = false;
        Clock::time_point last{};
        std::optional<AgentSnapshot> seen;
        // The file is replaced only when what it says changes, and at most
        // once a second; the latest snapshot of that second is the one written.
        const auto write = [&](const std::string& text) {
            if (text == written) return;
            last = Clock::now();
            const bool ok = WriteFileAtomic(path, text, false);
            const int cause = errno;
            if (ok) written = text;
            if (ok == !failing) return;
            failing = !ok;
            std::lock_guard lock(shared->Lock);
            shared->Reports.push_back(
                "Metrics file " + ShownPath(path) +
                (ok ? " written again" : " not written: " + std::string(std::strerror(cause))));
        };
        std::unique_lock lock(shared->Lock);
        while (true) {
            const auto news = [&] { return shared->Latest || shared->Stopping; };
            // A failed write is tried again each second: the agent hands
            // over only changes, and the folder may come back without one.
            if (failing && seen)
                shared->Wake.wait_until(lock, last + std::chrono::seconds(1), news);
            else
                shared->Wake.wait(lock, news);
            if (!shared->Stopping)
                shared->Wake.wait_until(lock, last + std::chrono::seconds(1),
                                        [&] { return shared->Stopping; });
            if (shared->Stopping) break;
            if (shared->Latest) seen = std::exchange(shared->Latest, std::nullopt);
            lock.unlock();
            write(MetricsText(*seen, ups));
            lock.lock();
        }
        if (shared->Latest) seen = shared->Latest;
        lock.unlock();
        AgentSnapshot end = seen.value_or(AgentSnapshot{});
        end.Connected = false;
        end.CountdownLeft = -1;
        write(MetricsText(end, ups, false));
        shared->Finished();
    }

    std::optional<AgentSnapshot> handed_; // the last state handed over (agent's thread)
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

} // namespace

std::string MetricsText(const AgentSnapshot& s, const std::string& ups, bool agentUp) {
    const std::string label = "{ups=\"" + LabelValue(ups) + "\"}";
    std::string out;
    const auto sample = [&](const std::string& name, const char* type, const char* help,
                            const std::string& value) {
        Family(out, name, type, help);
        out += name + label + " " + value + "\n";
    };
    // Always there, as the exporter's is: its dashboard lists the UPSes by it.
    sample("network_ups_tools_device_info", "gauge", "UPS device information.", "1");
    // While the UPS does not answer its last values are stale: left out.
    if (s.Connected) {
        for (const Measurement& m : Measurements)
            if ((s.Values.SupportItem >> m.Slot) & 1)
                sample(std::string("network_ups_tools_") + m.Name, "gauge", m.Help,
                       Tenths(s.Values.ItemVal[m.Slot]));
        if (s.Values.BattEstimate > 0)
            sample("network_ups_tools_battery_runtime", "gauge",
                   "Battery runtime at the present load (seconds).",
                   std::to_string(s.Values.BattEstimate));
        const std::string status = "network_ups_tools_ups_status";
        Family(out, status, "gauge", "UPS status flag: 1 while NUT's ups.status would show it.");
        for (const StatusFlag& f : StatusFlags)
            out += status + "{ups=\"" + LabelValue(ups) + "\",flag=\"" + f.Name + "\"} " +
                   (((s.Status & f.Bit) != 0) == f.WhenSet ? "1" : "0") + "\n";
    }
    sample("corvanta_countdown_seconds", "gauge",
           "Seconds left on the shutdown countdown; -1: none runs.",
           std::to_string(s.CountdownLeft));
    sample("corvanta_outages_total", "counter", "Power failures since the agent started.",
           std::to_string(s.OutagesTotal));
    sample("corvanta_on_battery_seconds_total", "counter",
           "Seconds on battery since the agent started.", std::to_string(s.SecondsOnBattery));
    sample("corvanta_agent_up", "gauge", "1 while the agent runs; 0 once it has stopped.",
           agentUp ? "1" : "0");
    sample("corvanta_ups_connected", "gauge", "1 while the UPS answers the agent.",
           s.Connected ? "1" : "0");
    return out;
}

std::vector<std::string> StatusTokens(std::int32_t status) {
    std::vector<std::string> tokens;
    for (const StatusFlag& f : StatusFlags)
        if (((status & f.Bit) != 0) == f.WhenSet) tokens.emplace_back(f.Name);
    return tokens;
}

std::unique_ptr<Integration> MakeMetricsFile(std::string path, std::string ups) {
    return std::make_unique<MetricsFile>(std::move(path), std::move(ups));
}
