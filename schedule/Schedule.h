// The schedule engine: calendar arithmetic, the next scheduled events and the
// minute-wise scheduled checks.
#pragma once

#include "Ups.h"

// ---- calendar arithmetic ----
int GetMonthDays(int Year, int Month);
int GetTheWeek(int Year, int Month); // 0 = Sunday .. 6 = Saturday
void CopyScheduleDate(int CurY, int SrcY, int SrcM, int SrcD, int DstY, int DstM, int DstD);
// Index into PtSchedule of entry k of the given day, for base year CurY.
int ScheduleIndex(int CurY, int Year, int Month, int Day, int k);

// ---- next events ----
extern DateTimeStr NextShutdown, NextRestart, NextTest, NextDeepTest;
extern char NextShutString[17], NextRestartString[17], NextTestString[17], NextDeepTestString[17];
void GetNext();
void GetNextScheduleTime(int But);

// ---- scheduled checks ----
extern Boolean flag_ScheduleShutdown;
void CheckScheduleUPS();
