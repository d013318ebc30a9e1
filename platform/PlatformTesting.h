// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What tests reset or watch in the toolbox layer. Production code never
// includes this header.
#pragma once

#include <functional>

#include "Events.h"
#include "Toolbox.h"

// Redraw requests as they are made: (control, nullptr) for Draw1Control,
// (nullptr, window) for DrawControls. An empty function stops watching.
using RedrawObserver = std::function<void(ControlRef, WindowRef)>;
void SetRedrawObserver(RedrawObserver observer);

// Drops every handler of the target, to start the front end afresh.
void RemoveAllEventHandlers(EventTargetRef target);
// Forgets a request to quit.
void ResetExitToShellRequest();
