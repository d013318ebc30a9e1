// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Custom control classes: a control whose .ui class is a registered class
// name is created as a CustomControl; whenever Qt paints it, the class's
// handler receives the draw event ('cntl', 4) with the control as direct
// object and a drawing port bound to the control as the current port.
#pragma once

#include <cstddef>
#include <string>

#include "Events.h"

struct ToolboxObjectClass;
using ToolboxObjectClassRef = ToolboxObjectClass*;

OSStatus RegisterToolboxObjectClass(const std::string& className, ToolboxObjectClassRef baseClass,
                                    std::size_t numEvents, const EventTypeSpec* eventList,
                                    EventHandlerUPP handler, void* userData,
                                    ToolboxObjectClassRef* outClassRef);
bool IsToolboxObjectClassRegistered(const std::string& className);

// Sends the draw event of a custom control to its class with the given port
// current, as a paint does. Tests use it with a recording port.
class DrawPort;
OSStatus SendControlDrawEvent(ControlRef control, DrawPort* port);
