// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The user's language and formats: the texts through Qt's translation
// system, numbers and dates through the system locale. Files keep their own
// fixed formats; only what is shown goes through here.
#pragma once

#include <string>

#include "Translatable.h"

// The text in the user's language. lupdate reads Translated(context, text)
// as it reads QCoreApplication::translate (scripts/update-translations), so
// both arguments must be string literals where the text is written; a text
// from a lower layer, marked there with TRANSLATABLE, is passed through with
// its context. With n >= 0, "%n" in the text becomes n and the plural form
// is chosen by it.
std::string Translated(const char* context, const char* text, int n = -1);

// Installs the program's translation and Qt's own (standard buttons) for the
// system locale into the application, and makes Translated the core's
// translator (CoreText); before it, and without an application (the command
// line's early answers), Translated uses the program's alone.
void InstallTranslations();

// A number with the locale's decimal point and no grouping.
std::string LocalNumber(double value, int decimals);
// A calendar day and a time of day in the locale's short formats (years with
// four digits); under the C locale, which has no convention of its own, as
// ISO 8601: 2026-03-10, 2026-03-10 23:59, 2026-03-10 23:59:30.
std::string LocalDate(int year, int month, int day);
std::string LocalDateTime(int year, int month, int day, int hour, int minute, int second = -1);
// "January" .. "December" as a name on its own, and the weekday (0 = Sunday)
// short and in capitals ("SUN"), in the locale's language.
std::string LocalMonthName(int month);
std::string LocalDayAbbreviation(int weekday);
