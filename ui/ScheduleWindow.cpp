// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule window: a month of the calendar, the six entry rows of the
// selected day, and the commands that apply them to the day and later days.
#include <algorithm>
#include <vector>

#include "Accessible.h"
#include "Clock.h"
#include "Controls.h"
#include "DialogSupport.h"
#include "Dialogs.h"
#include "QuickDraw.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "ScheduleTesting.h"
#include "ScheduleWindow.h"
#include "UiTesting.h"
#include "Windows.h"
#include "file.h"
#include "screen.h"

namespace {

constexpr OSType kSche = FourCharCode("sche");

DateTimeRec Today() {
    DateTimeRec now;
    GetTime(&now);
    return now;
}

// The schedule windows that hold the calendar, so that one going through its
// close box is still counted out.
std::vector<WindowRef> scheduleWindows;
// Windows told that their calendar could not be saved.
std::vector<WindowRef> unsavedWindows;

void Apply(WindowRef window, UInt32 command) {
    RowValues rows{};
    for (int r = 0; r < 6; ++r) {
        rows.action[r] = ValueOf(window, kSche, 131 + r);
        rows.hour[r] = ValueOf(window, kSche, 141 + r);
        rows.minute[r] = ValueOf(window, kSche, 151 + r);
    }
    ScheduleStr SchRec[6];
    const int count = CollectEntries(rows, SchRec);
    SortEntries(SchRec, count);
    StoreDay(SelectYear, SelectMonth, SelectDay, SchRec, count);
    if (command == FourCharCode("dail"))
        CopyDayForward(CopyMode::Daily, SelectYear, SelectMonth, SelectDay);
    else if (command == FourCharCode("week"))
        CopyDayForward(CopyMode::Weekly, SelectYear, SelectMonth, SelectDay);
    else if (command == FourCharCode("mont"))
        CopyDayForward(CopyMode::Monthly, SelectYear, SelectMonth, SelectDay);
    SetScheduleControls(window);
    DrawControls(window);
    AnnounceControl(ControlOf(window, kCalendar.signature, kCalendar.id));
}

void SelectMonthShown(WindowRef window) {
    const DateTimeRec now = Today();
    SelectDay = now.year == SelectYear && now.month == SelectMonth ? now.day : 1;
    SetScheduleControls(window);
    ControlRef calendar = ControlOf(window, kCalendar.signature, kCalendar.id);
    Draw1Control(calendar);
    AnnounceControl(calendar);
}

void PruneScheduleWindows() {
    // A window that went without its Close (disposed of with the program)
    // no longer counts as a user of the calendar.
    auto gone = std::remove_if(scheduleWindows.begin(), scheduleWindows.end(),
                               [](WindowRef w) { return !IsValidWindowPtr(w); });
    for (auto it = gone; it != scheduleWindows.end(); ++it)
        ForgetCalendarUser();
    scheduleWindows.erase(gone, scheduleWindows.end());
    std::erase_if(unsavedWindows, [](WindowRef w) { return !IsValidWindowPtr(w); });
}

// Close and the close box alike save the applied edits; a window whose
// calendar could not be saved stays open with them, once: closed again while
// the save still fails, it goes without them rather than never.
OSStatus CloseScheduleWindow(WindowRef window) {
    const auto mine = std::find(scheduleWindows.begin(), scheduleWindows.end(), window);
    const bool counted = mine != scheduleWindows.end();
    if (counted) {
        const bool warned = std::erase(unsavedWindows, window) > 0;
        std::string error;
        const SaveResult result = SaveCalendar(&error);
        if (result == SaveResult::AgentNotTold) GetNext(); // the file did change
        if (!warned && !ReportSave(window, result, error, SavedWhat::Calendar)) {
            unsavedWindows.push_back(window);
            return noErr;
        }
        scheduleWindows.erase(mine);
    }
    DisposeWindow(window);
    PruneScheduleWindows();
    // Another open schedule window keeps the calendar in memory; a
    // window that never got hold of it releases nothing.
    if (counted) ReleaseCalendar();
    GetNext();
    return noErr;
}

// The arrow keys on the calendar: a day or a week on, into the next or the
// last month too, within the years the calendar holds.
OSStatus MoveSelectedDay(WindowRef window, EventRef event) {
    UInt32 code = 0;
    if (GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof code, nullptr,
                          &code) != noErr)
        return eventNotHandledErr;
    const int step = code == kVK_LeftArrow    ? -1
                     : code == kVK_RightArrow ? 1
                     : code == kVK_UpArrow    ? -7
                     : code == kVK_DownArrow  ? 7
                                              : 0;
    if (step == 0) return eventNotHandledErr;
    int year = SelectYear, month = SelectMonth, day = SelectDay + step;
    if (day < 1) {
        if (--month < 1) month = 12, --year;
        day += GetMonthDays(year, month);
    } else if (day > GetMonthDays(year, month)) {
        day -= GetMonthDays(year, month);
        if (++month > 12) month = 1, ++year;
    }
    const int base = CalendarBaseYear();
    if (year < base || year > base + 1) return noErr;
    if (year != SelectYear || month != SelectMonth) {
        SetValueOf(window, kSche, 129, year - base + 1, true);
        SetValueOf(window, kSche, 130, month, true);
    }
    SelectYear = year, SelectMonth = month, SelectDay = day;
    SetScheduleControls(window);
    ControlRef calendar = ControlOf(window, kCalendar.signature, kCalendar.id);
    Draw1Control(calendar);
    AnnounceControl(calendar);
    return noErr;
}

} // namespace

void OpenScheduleCalendar(WindowRef window) {
    PruneScheduleWindows();
    AcquireCalendar();
    if (PtSchedule != nullptr) scheduleWindows.push_back(window);
}

void ResetScheduleWindows() {
    scheduleWindows.clear();
    unsavedWindows.clear();
    ResetCalendarUsers();
}

void FillScheduleWindow(WindowRef window) {
    const DateTimeRec now = Today();
    // The year items name the years the calendar was loaded for.
    const int base = PtSchedule != nullptr ? CalendarBaseYear() : now.year;
    FillPopup(window, kSche, 129, YearItems(base), 1, false);
    SelectYear = base;
    FillPopup(window, kSche, 130, MonthItems(), now.month, false);
    SelectMonth = now.month;
    SelectDay = now.day;
    for (int r = 0; r < 6; ++r) {
        FillPopup(window, kSche, 131 + r, ActionItems(), 1, false);
        FillPopup(window, kSche, 141 + r, HourItems(), 1, false);
        FillPopup(window, kSche, 151 + r, MinuteItems(), 1, false);
    }
    SetScheduleControls(window);
}

void SetScheduleControls(WindowRef wr) {
    for (int r = 0; r < 6; ++r) {
        const ScheduleStr e = CalendarEntry(SelectYear, SelectMonth, SelectDay, r);
        SetValueOf(wr, kSche, 131 + r, e.Button + 1, false);
        SetValueOf(wr, kSche, 141 + r, e.Hour + 1, false);
        SetValueOf(wr, kSche, 151 + r, e.Minute / 5 + 1, false);
    }
}

OSStatus ScheduleWindowEventHandler(EventHandlerCallRef, EventRef event, void* userData) {
    auto window = static_cast<WindowRef>(userData);
    const UInt32 command = CommandOfEvent(event);
    switch (command) {
    case FourCharCode("oned"):
    case FourCharCode("dail"):
    case FourCharCode("week"):
    case FourCharCode("mont"):
        Apply(window, command);
        return eventNotHandledErr;
    case FourCharCode("sely"):
        SelectYear = CalendarBaseYear() + ValueOf(window, kSche, 129) - 1;
        SelectMonthShown(window);
        return noErr;
    case FourCharCode("selm"):
        SelectMonth = ValueOf(window, kSche, 130);
        SelectMonthShown(window);
        return noErr;
    case kHICommandCancel:
        return CloseScheduleWindow(window);
    default:
        return eventNotHandledErr;
    }
}

OSStatus ScheduleProc(EventHandlerCallRef, EventRef event, void* userData) {
    auto window = static_cast<WindowRef>(userData);
    if (GetEventClass(event) == kEventClassWindow && GetEventKind(event) == kEventWindowClose)
        return CloseScheduleWindow(window);
    if (GetEventClass(event) == kEventClassKeyboard && GetEventKind(event) == kEventRawKeyDown)
        return MoveSelectedDay(window, event);
    if (GetEventClass(event) != kEventClassMouse || GetEventKind(event) != kEventMouseDown)
        return eventNotHandledErr;
    ControlRef calendar = ControlOf(window, kCalendar.signature, kCalendar.id);
    Point where{};
    if (!calendar || GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr,
                                       sizeof where, nullptr, &where) != noErr)
        return eventNotHandledErr;
    Rect bounds;
    GetControlBounds(calendar, &bounds);
    if (!PtInRect(where, &bounds)) return eventNotHandledErr;
    const int cellHeight = (bounds.bottom - bounds.top) / 7;
    const int cellWidth = (bounds.right - bounds.left) / 7;
    if (cellHeight <= 0 || cellWidth <= 0) return eventNotHandledErr;
    const int row = (where.v - bounds.top) / cellHeight - 1;
    const int column = (where.h - bounds.left) / cellWidth;
    if (row > 6 || column > 6) return noErr;
    const int cell = row * 7 + column;
    if (cell >= BeginBlock && cell <= EndBlock && cell != BeginBlock + SelectDay - 1) {
        SelectDay = cell - BeginBlock + 1;
        SetScheduleControls(window);
        Draw1Control(calendar);
        AnnounceControl(calendar);
    }
    return eventNotHandledErr;
}
