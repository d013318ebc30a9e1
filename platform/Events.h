// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Event targets with handler chains. A handler answers noErr when it handled
// the event and eventNotHandledErr to pass it on: to the older handlers of the
// same target, then up from a control to its window and on to the
// application, and finally to the default behaviour (a window's close
// disposes of the window, the application's quit ends the run loop).
#pragma once

#include <cstddef>

#include "Toolbox.h"

struct EventTypeSpec {
    OSType eventClass;
    UInt32 eventKind;
};

// The direct object of a command event.
struct HICommand {
    UInt32 attributes;
    UInt32 commandID;
    struct {
        MenuRef menuRef;
        UInt16 menuItemIndex;
    } menu;
};

// One event as it travels along the targets.
struct ToolboxEvent {
    OSType eventClass = 0;
    UInt32 eventKind = 0;
    ControlRef control = nullptr; // direct object of control events
    WindowRef window = nullptr;   // direct object of window events
    bool hasCommand = false;
    HICommand command{};
    bool hasMouse = false;
    Point mouse{}; // window-local position of a mouse event
    bool hasKey = false;
    UInt32 keyCode = 0; // virtual key code of a key event
};
using EventRef = ToolboxEvent*;

struct EventTarget;
using EventTargetRef = EventTarget*;
struct HandlerCall;
using EventHandlerCallRef = HandlerCall*;
struct EventHandler;
using EventHandlerRef = EventHandler*;

using EventHandlerProcPtr = OSStatus (*)(EventHandlerCallRef, EventRef, void*);
using EventHandlerUPP = EventHandlerProcPtr;

// Parameter names and types of GetEventParameter.
constexpr OSType kEventParamDirectObject = FourCharCode("----");
constexpr OSType kEventParamMouseLocation = FourCharCode("mloc");
constexpr OSType kEventParamKeyCode = FourCharCode("kcod");
constexpr OSType typeControlRef = FourCharCode("ctrl");
constexpr OSType typeWindowRef = FourCharCode("wind");
constexpr OSType typeHICommand = FourCharCode("hcmd");
constexpr OSType typeQDPoint = FourCharCode("QDpt");
constexpr OSType typeUInt32 = FourCharCode("magn");

EventTargetRef GetApplicationEventTarget();
EventTargetRef GetWindowEventTarget(WindowRef window);
EventTargetRef GetControlEventTarget(ControlRef control);

// Adds a handler in front of the target's chain (newest first).
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, std::size_t numTypes,
                             const EventTypeSpec* list, void* userData,
                             EventHandlerRef* outHandlerRef);
OSStatus RemoveEventHandler(EventHandlerRef handlerRef);

OSType GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
// The direct object (a control, a window or an HICommand), the mouse
// location or the key code. eventParameterNotFoundErr when the event has no such parameter of
// that type, paramErr when the buffer is too small.
OSStatus GetEventParameter(EventRef event, OSType name, OSType desiredType, OSType* actualType,
                           std::size_t bufferSize, std::size_t* actualSize, void* outData);

// Sends the event along the chain of the target and up the containment.
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);
// From inside a handler: lets the rest of the chain (and the default
// behaviour) see the event now; the dispatcher then stops after this handler.
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);

// A command as a button or a menu item sends it: to the window (the active
// window when none is given), then the application.
OSStatus ProcessHICommand(UInt32 commandID, WindowRef window);
