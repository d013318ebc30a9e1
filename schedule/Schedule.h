// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule engine: calendar arithmetic, the next scheduled events and the
// minute-wise scheduled checks.
#pragma once

#include "CalendarDate.h"
#include "Ups.h"

// ---- calendar arithmetic (month lengths and rows: CalendarDate.h) ----
int GetTheWeek(int Year, int Month); // of the 1st: 0 = Sunday .. 6 = Saturday
void CopyScheduleDate(int CurY, int SrcY, int SrcM, int SrcD, int DstY, int DstM, int DstD);

// ---- next events ----
extern DateTimeStr NextShutdown, NextRestart, NextTest, NextDeepTest;
extern char NextShutString[17], NextRestartString[17], NextTestString[17], NextDeepTestString[17];
void GetNext();
void GetNextScheduleTime(int But);

// ---- scheduled checks ----
extern Boolean flag_ScheduleShutdown;
void CheckScheduleUPS();
