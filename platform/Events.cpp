// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Events.h"

#include <cstring>

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <unordered_map>
#include <vector>

#include "PlatformTesting.h"
#include "Registry.h"
#include "RunLoop.h"
#include "Windows.h"

struct EventHandler {
    EventTarget* target;
    EventHandlerUPP proc;
    std::vector<EventTypeSpec> types;
    void* userData;
    bool removed = false;

    bool Wants(const ToolboxEvent& e) const {
        for (const EventTypeSpec& t : types)
            if (t.eventClass == e.eventClass && t.eventKind == e.eventKind) return true;
        return false;
    }
};

struct EventTarget {
    QPointer<QWidget> widget; // null for the application
    bool application = false;
    std::vector<std::unique_ptr<EventHandler>> handlers; // oldest first
};

struct HandlerCall {
    EventTarget* target;
    std::vector<EventHandler*> chain; // newest first
    std::size_t next;
    bool continued = false;
};

namespace {

EventTarget gApplicationTarget{nullptr, true, {}};
std::unordered_map<QWidget*, std::unique_ptr<EventTarget>> gTargets;

EventTargetRef TargetFor(QWidget* widget) {
    if (!widget) return nullptr;
    auto it = gTargets.find(widget);
    if (it != gTargets.end()) return it->second.get();
    auto target = std::make_unique<EventTarget>();
    target->widget = widget;
    EventTarget* raw = target.get();
    gTargets.emplace(widget, std::move(target));
    // The chain dies with its widget; DisposeWindow defers the deletion, so a
    // chain is never freed while one of its handlers runs.
    QObject::connect(widget, &QObject::destroyed, [widget] { gTargets.erase(widget); });
    return raw;
}

OSStatus RunChain(EventRef event, EventTarget* target, std::vector<EventHandler*> chain,
                  std::size_t from);

// Where an event goes when a target's chain did not handle it.
OSStatus Propagate(EventRef event, EventTarget* target) {
    if (!target->application) {
        QWidget* w = target->widget;
        if (w && !w->isWindow())
            return SendEventToEventTarget(event, GetWindowEventTarget(w->window()));
        // A window's Close button: the window's close box, handlers and all.
        if (w && event->hasCommand && event->command.commandID == kHICommandClose) {
            w->close();
            return noErr;
        }
        return SendEventToEventTarget(event, GetApplicationEventTarget());
    }
    // Default behaviour of the platform.
    if (event->eventClass == kEventClassWindow && event->eventKind == kEventWindowClose) {
        DisposeWindow(event->window);
        return noErr;
    }
    if (event->eventClass == kEventClassCommand && event->eventKind == kEventCommandProcess &&
        event->hasCommand && event->command.commandID == kHICommandQuit) {
        ToolboxEvent quit;
        quit.eventClass = kEventClassApplication;
        quit.eventKind = kEventAppQuit;
        return SendEventToEventTarget(&quit, GetApplicationEventTarget());
    }
    if (event->eventClass == kEventClassApplication && event->eventKind == kEventAppQuit) {
        QuitApplicationEventLoop();
        return noErr;
    }
    return eventNotHandledErr;
}

OSStatus RunChain(EventRef event, EventTarget* target, std::vector<EventHandler*> chain,
                  std::size_t from) {
    for (std::size_t i = from; i < chain.size(); ++i) {
        EventHandler* h = chain[i];
        if (h->removed || !h->Wants(*event)) continue;
        HandlerCall call{target, chain, i + 1};
        const OSStatus result = h->proc(&call, event, h->userData);
        if (call.continued || result != eventNotHandledErr) return result;
    }
    return Propagate(event, target);
}

std::vector<EventHandler*> Snapshot(EventTarget* target) {
    std::vector<EventHandler*> chain;
    chain.reserve(target->handlers.size());
    for (auto it = target->handlers.rbegin(); it != target->handlers.rend(); ++it)
        chain.push_back(it->get());
    return chain;
}

} // namespace

EventTargetRef GetApplicationEventTarget() {
    return &gApplicationTarget;
}
EventTargetRef GetWindowEventTarget(WindowRef window) {
    return TargetFor(window);
}
EventTargetRef GetControlEventTarget(ControlRef control) {
    return TargetFor(control);
}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, std::size_t numTypes,
                             const EventTypeSpec* list, void* userData,
                             EventHandlerRef* outHandlerRef) {
    if (!target || !handler) return paramErr;
    auto h = std::make_unique<EventHandler>();
    h->target = target;
    h->proc = handler;
    h->types.assign(list, list + numTypes);
    h->userData = userData;
    if (outHandlerRef) *outHandlerRef = h.get();
    target->handlers.push_back(std::move(h));
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handlerRef) {
    if (!handlerRef) return paramErr;
    handlerRef->removed = true;
    return noErr;
}

OSType GetEventClass(EventRef event) {
    return event ? event->eventClass : 0;
}
UInt32 GetEventKind(EventRef event) {
    return event ? event->eventKind : 0;
}

OSStatus GetEventParameter(EventRef event, OSType name, OSType desiredType, OSType* actualType,
                           std::size_t bufferSize, std::size_t* actualSize, void* outData) {
    if (!event) return paramErr;
    const void* source = nullptr;
    std::size_t size = 0;
    if (name == kEventParamDirectObject && desiredType == typeControlRef && event->control) {
        source = &event->control;
        size = sizeof(ControlRef); // NOLINT(bugprone-sizeof-expression): the handle is the value
    } else if (name == kEventParamDirectObject && desiredType == typeWindowRef && event->window) {
        source = &event->window;
        size = sizeof(WindowRef); // NOLINT(bugprone-sizeof-expression): the handle is the value
    } else if (name == kEventParamDirectObject && desiredType == typeHICommand &&
               event->hasCommand) {
        source = &event->command;
        size = sizeof(HICommand);
    } else if (name == kEventParamMouseLocation && desiredType == typeQDPoint && event->hasMouse) {
        source = &event->mouse;
        size = sizeof(Point);
    } else if (name == kEventParamKeyCode && desiredType == typeUInt32 && event->hasKey) {
        source = &event->keyCode;
        size = sizeof(UInt32);
    } else {
        return eventParameterNotFoundErr;
    }
    if (bufferSize < size) return paramErr;
    if (outData) std::memcpy(outData, source, size);
    if (actualType) *actualType = desiredType;
    if (actualSize) *actualSize = size;
    return noErr;
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target) {
    if (!event || !target) return paramErr;
    return RunChain(event, target, Snapshot(target), 0);
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event) {
    if (!callRef || !event) return paramErr;
    callRef->continued = true;
    return RunChain(event, callRef->target, callRef->chain, callRef->next);
}

OSStatus ProcessHICommand(UInt32 commandID, WindowRef window) {
    ToolboxEvent event;
    event.eventClass = kEventClassCommand;
    event.eventKind = kEventCommandProcess;
    event.hasCommand = true;
    event.command.commandID = commandID;
    if (!window) {
        QWidget* active = QApplication::activeWindow();
        if (active && IsValidWindowPtr(active)) window = active;
    }
    if (window && IsValidWindowPtr(window))
        return SendEventToEventTarget(&event, GetWindowEventTarget(window));
    return SendEventToEventTarget(&event, GetApplicationEventTarget());
}

void RemoveAllEventHandlers(EventTargetRef target) {
    if (!target) return;
    for (auto& h : target->handlers)
        h->removed = true;
}
