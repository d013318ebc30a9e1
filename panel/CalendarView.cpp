// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The month calendar of the schedule window: day names, the days with their
// event marks, the selected day inverted, then the grid lines over it all.
#include <string>

#include "Controls.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "Translation.h"
#include "Ups.h"
#include "screen.h"

int BeginBlock = 0;
int EndBlock = 0;

namespace {

short S(int v) {
    return static_cast<short>(v);
}

void Centred(const std::string& text, const Rect& cell) {
    TETextBox(text.c_str(), static_cast<long>(text.size()), &cell, teCenter);
}

} // namespace

void DrawCustCalendar(WindowRef userData) {
    ControlRef control = nullptr;
    if (GetControlByID(userData, &kCalendar, &control) != noErr) return;
    Rect bounds;
    GetControlBounds(control, &bounds);
    const short w = S((bounds.right - bounds.left) / 7);
    const short h = S((bounds.bottom - bounds.top) / 7);
    Rect cut = bounds;
    cut.right = S(bounds.left + 7 * w);
    cut.bottom = S(bounds.top + 7 * h);
    auto cellOf = [&](int row, int column) {
        Rect cell;
        SetRect(&cell, S(bounds.left + column * w), S(bounds.top + row * h),
                S(bounds.left + column * w + w), S(bounds.top + row * h + h));
        return cell;
    };

    RGBColor color;
    SetmyColor(&color, 0xF000, 0xF000, 0xF000);
    RGBForeColor(&color);
    PaintRect(&cut);

    TextFont(GetSysFont());
    TextSize(14);
    TextFace(bold);
    for (int x = 0; x < 7; ++x) {
        if (x == 0) {
            SetmyColor(&color, 0xFF00, 0x0000, 0x0000);
            RGBForeColor(&color);
        } else if (x == 1) {
            SetmyColor(&color, 0x0000, 0x0000, 0x0000);
            RGBForeColor(&color);
        } else if (x == 6) {
            SetmyColor(&color, 0x0000, 0x7700, 0x0000);
            RGBForeColor(&color);
        }
        Centred(LocalDayAbbreviation(x), cellOf(0, x));
    }
    TextSize(12);
    TextFace(normal);

    const int start = GetTheWeek(SelectYear, SelectMonth);
    int days = GetMonthDays(SelectYear, SelectMonth);
    if (days < 0 || days > 31) days = 0;
    for (int d = 1; d <= days; ++d) {
        const int n = start + d - 1;
        const Rect cell = cellOf(n / 7 + 1, n % 7);
        SetmyColor(&color, 0x4000, 0x4000, 0x4000);
        RGBForeColor(&color);
        Centred(LocalNumber(d, 0), cell);

        // Entries come from the calendar the schedule window loaded, against
        // the year it was loaded for; a month outside it shows no marks.
        bool marks[5] = {false, false, false, false, false};
        for (int k = 0; k < ScheduleEntriesPerDay; ++k) {
            const ScheduleStr e = CalendarEntry(SelectYear, SelectMonth, d, k);
            if (e.Button >= ScheduleShutdown && e.Button <= ScheduleDeepTest)
                marks[e.Button] = true;
        }
        Rect mark;
        if (marks[ScheduleShutdown]) {
            SetmyColor(&color, 0xFF00, 0x0000, 0x0000);
            RGBForeColor(&color);
            SetRect(&mark, S(cell.left + 2), S(cell.top + 2), S(cell.left + 7), S(cell.top + 7));
            PaintRect(&mark);
        }
        if (marks[ScheduleRestart]) {
            SetmyColor(&color, 0x0000, 0x7F00, 0x0000);
            RGBForeColor(&color);
            SetRect(&mark, S(cell.left + 2), S(cell.top + 8), S(cell.left + 7), S(cell.top + 13));
            PaintRect(&mark);
        }
        if (marks[ScheduleTest]) {
            SetmyColor(&color, 0xCF00, 0xCF00, 0x0000);
            RGBForeColor(&color);
            SetRect(&mark, S(cell.left + 2), S(cell.top + 14), S(cell.left + 7), S(cell.top + 18));
            PaintRect(&mark);
        }
        if (marks[ScheduleDeepTest]) {
            SetmyColor(&color, 0x0000, 0x0000, 0xFF00);
            RGBForeColor(&color);
            SetRect(&mark, S(cell.right - 7), S(cell.top + 13), S(cell.right - 2),
                    S(cell.top + 18));
            PaintRect(&mark);
        }
        if (d == SelectDay) InvertRect(&cell);
    }
    BeginBlock = start;
    EndBlock = start + days - 1;

    SetmyColor(&color, 0x4000, 0x4000, 0x4000);
    RGBForeColor(&color);
    for (int i = 0; i <= 7; ++i) {
        MoveTo(bounds.left, S(bounds.top + i * h));
        LineTo(cut.right, S(bounds.top + i * h));
        MoveTo(S(bounds.left + i * w), bounds.top);
        LineTo(S(bounds.left + i * w), cut.bottom);
    }
}
