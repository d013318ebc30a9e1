// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// --metrics-file: the agent's state for Prometheus, as a file that
// node_exporter's textfile collector serves (the agent listens on nothing).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Integrations.h"

// The file's text for a snapshot, in the text exposition format 0.0.4. The
// UPS's values carry the names the Network UPS Tools exporter gives them, so
// dashboards made for it work; only what is known is written. agentUp false
// is the last word, at the agent's end.
std::string MetricsText(const AgentSnapshot& s, const std::string& ups, bool agentUp = true);

// NUT's ups.status tokens that the agent's status word shows ("OB", "LB", ...).
std::vector<std::string> StatusTokens(std::int32_t status);
