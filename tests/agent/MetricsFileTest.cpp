// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The metrics file's text for a snapshot.
#include "MetricsFile.h"
#include "AgentTestSupport.h"

namespace {

AgentSnapshot Snapshot(bool connected, std::int32_t status, short battEstimate) {
    AgentSnapshot s{.Connected = connected, .Status = status};
    s.Values.SupportItem = 1 << 2 | 1 << 29, s.Values.BattEstimate = battEstimate;
    s.Values.ItemVal[2] = 875, s.Values.ItemVal[29] = -15;
    return s;
}

TEST(MetricsFileTest, WritesWhatIsKnownUnderTheNutExportersNames) {
    const std::string flag = "network_ups_tools_ups_status{ups=\"u\",flag=";
    // Snapshot, lines of the text; "!x": x is nowhere in it.
    const std::pair<AgentSnapshot, std::vector<std::string>> cases[] = {
        {Snapshot(true, UPS_ACFAIL | UPS_BUCK, 600),
         {"network_ups_tools_battery_charge{ups=\"u\"} 87.5",
          "network_ups_tools_ups_temperature{ups=\"u\"} -1.5",
          "network_ups_tools_battery_runtime{ups=\"u\"} 600", flag + "\"OL\"} 0",
          flag + "\"TRIM\"} 1", "!input_voltage", "!\"CHRG\""}},
        {Snapshot(true, UPS_SHUTACT, 0), {flag + "\"FSD\"} 1", "!battery_runtime"}},
        {Snapshot(false, UPS_ACFAIL, 600),
         {"corvanta_ups_connected{ups=\"u\"} 0", "network_ups_tools_device_info{ups=\"u\"} 1",
          "!network_ups_tools_battery", "!network_ups_tools_ups"}},
    };
    for (const auto& [snapshot, lines] : cases) {
        const std::string text = "\n" + MetricsText(snapshot, "u");
        for (const std::string& l : lines)
            EXPECT_EQ(text.find(l[0] == '!' ? l.substr(1) : "\n" + l + "\n") == std::string::npos,
                      l[0] == '!')
                << l;
    }
}

} // namespace
