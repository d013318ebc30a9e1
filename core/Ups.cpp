// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ups.h"

char CurDir[256] = "/Applications/Corvanta";
UPSSts PtUPSSts;
UPSVal PtUPSVal;
DataItemStr DataItem;
int flag_LoadSTS = 0;
int flag_LoadSCH = 0;
int flag_LoadCancelShutdown = 0;
