// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The event log window: the agent's log, newest line on top.
#include <cstdio>

#include "Controls.h"
#include "DialogSupport.h"
#include "Dialogs.h"
#include "EventLogReader.h"
#include "Folder.h"
#include "QuickDraw.h"
#include "Windows.h"
#include "file.h"

WindowRef LogWindow = nullptr;
ListHandle ListIP = nullptr;

namespace {

constexpr short kCellHeight = 18;

// Every line read becomes the new first row, so the last line is on top.
// Alarms and warnings stand out by their icon.
void AddRowOnTop(void* context, char kind, const char* text, std::size_t length) {
    auto list = static_cast<ListHandle>(context);
    LAddRow(1, 0, list);
    LSetCell(text, static_cast<SInt32>(length), Cell{0, 0}, list);
    if (kind == 'E') LSetCellIcon(kStopIcon, Cell{0, 0}, list);
    if (kind == 'W') LSetCellIcon(kCautionIcon, Cell{0, 0}, list);
}

Rect ListViewRect(WindowRef window) {
    // The content of the window, less a 10-pixel margin and, on the right,
    // room for the scroll bar.
    const Rect content = GetWindowContentBounds(window);
    const short W = static_cast<short>(content.right - content.left);
    const short H = static_cast<short>(content.bottom - content.top);
    return Rect{10, 10, static_cast<short>(H - 10), static_cast<short>(W - 26)};
}

} // namespace

Rect GetWindowContentBounds(WindowRef window) {
    Rect r{0, 0, 0, 0};
    if (window) GetControlBounds(window, &r);
    return r;
}

void SetLogControls() {
    const Rect view = ListViewRect(LogWindow);
    const ListBounds rows{0, 0, 0, 1};
    const Point cellSize{kCellHeight, static_cast<short>(view.right - view.left)};
    ListIP = LNew(&view, &rows, cellSize, 0, LogWindow, false, false, false, true);
    if (ListIP == nullptr) return;
    ReadEventLogFile(FolderFile(LogFileName), AddRowOnTop, ListIP);
}

OSStatus ListIPProc(EventHandlerCallRef, EventRef event, void*) {
    const OSType eventClass = GetEventClass(event);
    const UInt32 kind = GetEventKind(event);
    if (eventClass == kEventClassWindow && kind == kEventWindowDrawContent) {
        if (ListIP != nullptr) {
            LUpdate(nullptr, ListIP);
            Rect frame = GetListViewBounds(ListIP);
            InsetRect(&frame, -1, -1);
            FrameRect(&frame);
        }
        return noErr;
    }
    if (eventClass == kEventClassMouse && kind == kEventMouseDown) {
        if (ListIP == nullptr) return noErr;
        Point where{};
        if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                              nullptr, &where) != noErr)
            return eventNotHandledErr;
        Rect area = GetListViewBounds(ListIP);
        area.right = static_cast<short>(area.right + kListScrollBarWidth);
        if (!PtInRect(where, &area)) return eventNotHandledErr;
        LClick(where, 0, ListIP);
        return noErr;
    }
    if (eventClass == kEventClassWindow && kind == kEventWindowClose) {
        if (ListIP != nullptr) LDispose(ListIP);
        ListIP = nullptr;
        DisposeWindow(LogWindow);
        LogWindow = nullptr;
        return noErr;
    }
    return noErr;
}

OSStatus LogWindowEventHandler(EventHandlerCallRef, EventRef event, void*) {
    if (GetEventClass(event) == kEventClassWindow && GetEventKind(event) == kEventWindowClose) {
        DisposeWindow(LogWindow);
        LogWindow = nullptr;
        return noErr;
    }
    return eventNotHandledErr;
}
