// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement catalogue: which measurement lives in which slot of
// UPSVal.ItemVal, with its name and unit.
#pragma once

#include "Ups.h"

extern const char* const HIDItemName[ItemCount];
extern const char* const HIDItemUnit[ItemCount];

// Slot index of the supported measurement at 0-based position Order among
// the slots set in PtUPSVal.SupportItem; 0 when there is none.
int GetSupportIndex(int Order);
// The same against an explicit mask (for callers that hold their own values).
int SupportIndexOf(std::int32_t supportItem, int Order);
