// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>

#include "CalendarDate.h"
#include "menu.h"

void GetMonthStr(int Mon, char* buffer) {
    if (const char* name = MonthName(Mon)) std::strcpy(buffer, name);
}

void CStrToStr255(unsigned char* pStr, const char* cStr) {
    const std::size_t length = strnlen(cStr, 255);
    pStr[0] = static_cast<unsigned char>(length);
    std::memcpy(pStr + 1, cStr, length);
}
