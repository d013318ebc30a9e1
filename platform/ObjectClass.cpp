// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ObjectClass.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

#include "Controls.h"
#include "QuickDraw.h"
#include "Registry.h"

struct ToolboxObjectClass {
    std::string name;
    std::vector<EventTypeSpec> events;
    EventHandlerUPP handler;
    void* userData;
};

namespace {

// Newest registration of a name wins, as lookups go newest first.
std::map<std::string, std::unique_ptr<ToolboxObjectClass>>& Classes() {
    static std::map<std::string, std::unique_ptr<ToolboxObjectClass>> classes;
    return classes;
}

// Benchmarks time what reaches the screen: with CORVANTA_PAINT_TRACE naming a
// file, every paint of a custom control appends "<seconds.nanoseconds> <name>"
// on the real-time clock, which other processes can compare with.
std::FILE* PaintTrace() {
    static std::FILE* const trace = [] {
        const char* path = std::getenv("CORVANTA_PAINT_TRACE");
        return path && *path ? std::fopen(path, "ae") : nullptr;
    }();
    return trace;
}

} // namespace

OSStatus RegisterToolboxObjectClass(const std::string& className, ToolboxObjectClassRef,
                                    std::size_t numEvents, const EventTypeSpec* eventList,
                                    EventHandlerUPP handler, void* userData,
                                    ToolboxObjectClassRef* outClassRef) {
    if (className.empty() || !handler) return paramErr;
    auto cls = std::make_unique<ToolboxObjectClass>();
    cls->name = className;
    cls->events.assign(eventList, eventList + numEvents);
    cls->handler = handler;
    cls->userData = userData;
    if (outClassRef) *outClassRef = cls.get();
    Classes()[className] = std::move(cls);
    return noErr;
}

bool IsToolboxObjectClassRegistered(const std::string& className) {
    return Classes().count(className) != 0;
}

OSStatus SendControlDrawEvent(ControlRef control, DrawPort* port) {
    auto* custom = dynamic_cast<CustomControl*>(control);
    if (!custom) return paramErr;
    auto it = Classes().find(custom->ClassName());
    if (it == Classes().end()) return eventNotHandledErr;
    const ToolboxObjectClass& cls = *it->second;
    ToolboxEvent event;
    event.eventClass = kEventClassControl;
    event.eventKind = kEventControlDraw;
    event.control = control;
    bool wanted = false;
    for (const EventTypeSpec& t : cls.events)
        if (t.eventClass == event.eventClass && t.eventKind == event.eventKind) wanted = true;
    if (!wanted) return eventNotHandledErr;
    const PortGuard guard(port);
    return cls.handler(nullptr, &event, cls.userData);
}

CustomControl::CustomControl(const std::string& className, QWidget* parent)
    : QWidget(parent), className_(className) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void CustomControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Rect bounds;
    GetControlBounds(this, &bounds);
    QPainterPort port(&painter, bounds.left, bounds.top, WindowBackground(this));
    SendControlDrawEvent(this, &port);
    // Reached with the keyboard: the style's focus frame over the drawing.
    if (hasFocus()) {
        painter.resetTransform();
        painter.setClipping(false);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    if (std::FILE* trace = PaintTrace()) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::fprintf(trace, "%lld.%09ld %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec,
                     objectName().toUtf8().constData());
        std::fflush(trace);
    }
}
