// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The list: a one-column read-only text list in a window, drawn by a Qt list
// view. Rows are numbered from 0; there is no limit on their count beyond
// memory. While drawing is off, rows can be added and set without the view
// doing any work; turning drawing on shows them all at once.
#pragma once

#include <string>

#include "Toolbox.h"

struct ListRec;
using ListHandle = ListRec*;

// A cell: row v, column h.
struct Cell {
    SInt32 v;
    SInt32 h;
};

// Rows and columns of the list's data, as top/left/bottom/right counts.
struct ListBounds {
    SInt32 top;
    SInt32 left;
    SInt32 bottom;
    SInt32 right;
};

constexpr short kListScrollBarWidth = 16;

// The alert icons a row can carry beside its text.
constexpr short kNoIcon = -1;
constexpr short kStopIcon = 0;
constexpr short kNoteIcon = 1;
constexpr short kCautionIcon = 2;

// Creates the list in the window. rView is the rectangle of the cells in
// window coordinates; a vertical scroll bar lies just right of it, outside
// rView. cSize.v is the row height; theProc is the text list definition (0).
// The list grows and shrinks with its window, keeping its margins; rows can
// be selected several at a time, the copy key copies their text as lines,
// and a row too long for the list shows its whole text as a tooltip.
ListHandle LNew(const Rect* rView, const ListBounds* dataBounds, Point cSize, short theProc,
                WindowRef theWindow, bool drawIt, bool hasGrow, bool scrollHoriz, bool scrollVert);
// Inserts count empty rows before rowNum (after the last row when rowNum is
// past the end). Returns the number of the first new row; 0, adding none,
// when count is not positive.
SInt32 LAddRow(SInt32 count, SInt32 rowNum, ListHandle lHandle);
// Sets the text of a cell (the bytes as they are, shown as UTF-8).
void LSetCell(const void* dataPtr, SInt32 dataLen, Cell theCell, ListHandle lHandle);
// Puts one of the alert icons (or kNoIcon) before the cell's text.
void LSetCellIcon(short iconID, Cell theCell, ListHandle lHandle);
// Redraws the list's cells within the area (the whole list when null).
void LUpdate(const Rect* area, ListHandle lHandle);
// A mouse-down at pt (window coordinates) in the list or its scroll bar:
// selects the row under it or scrolls. A press that Qt itself is delivering
// to the list is left to the list view, so a click never counts twice.
// Returns true for a double click, which this list never reports.
bool LClick(Point pt, UInt32 modifiers, ListHandle lHandle);
void LDispose(ListHandle lHandle);
void LSetDrawingMode(bool drawIt, ListHandle lHandle);

// ---- what the front end and tests read back ----
Rect GetListViewBounds(ListHandle lHandle);
SInt32 GetListRowCount(ListHandle lHandle);
std::string GetListCellText(ListHandle lHandle, Cell theCell);
short GetListCellIcon(ListHandle lHandle, Cell theCell);
// The selected row, -1 when none.
SInt32 GetListSelectedRow(ListHandle lHandle);
// The first visible row (the scroll position).
SInt32 GetListTopRow(ListHandle lHandle);
bool GetListDrawingMode(ListHandle lHandle);
// The Qt list view underneath.
QWidget* GetListWidget(ListHandle lHandle);
