// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the dialogs show and store, without any window: the item lists of the
// pop-ups, the item a setting shows as, the setting an item stands for, and
// the bounded conversions of the date and command-file fields.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Ups.h"

using ItemList = std::vector<std::string>;

// ---- item lists ----
ItemList LevelItems();        // "5", "10" .. "100"
ItemList MonthItems();        // "January" .. "December"
ItemList DayItems();          // "1" .. "31"
ItemList LogEntryItems();     // "100", "200" .. "1000"
ItemList DelayItems();        // "0", "0.5" .. "10", "15", "20" .. "60"
ItemList YearItems(int year); // the year and the next
ItemList ActionItems();       // "None", "Shutdown"
ItemList HourItems();         // "00" .. "23"
ItemList MinuteItems();       // "00", "05" .. "55"

// ---- the item a setting shows as, and back ----
inline int LevelItem(short level) {
    return level / 5;
}
inline short LevelOfItem(int item) {
    return static_cast<short>(item * 5);
}
inline int LogEntryItem(short entries) {
    return entries / 100;
}
inline short LogEntryOfItem(int item) {
    return static_cast<short>(item * 100);
}
// A delay between two steps shows as the step below it.
int DelayItem(int seconds);
short DelayOfItem(int item);
inline int CheckBoxValue(short flag) {
    return flag == 1 ? 1 : 0;
}
inline short FlagOfCheckBox(int value) {
    return value == 1 ? 1 : 0;
}

// ---- battery dates (eight digits YYYYMMDD and a NUL) ----
// Characters 5-6 and 7-8 read as atoi reads them; a short date reads as 0.
int DateMonth(const char (&date)[9]);
int DateDay(const char (&date)[9]);
// Characters 1-4 as text (fewer when the date is shorter).
std::string DateYearText(const char (&date)[9]);
// The date for messages, "2010-02-28"; empty when it is not eight digits.
std::string DateText(const char (&date)[9]);

// The year field's text to a year. A text that does not fit the six
// characters the field is read through, or a year outside 0..9999, is
// refused (false) rather than let it push the date past its eight digits.
bool YearOfText(const std::string& text, int* year);
// Stores "%04d%02d%02d" into the date when the year text is acceptable;
// otherwise the date keeps its old value. Returns whether it was stored.
bool StoreDate(char (&date)[9], const std::string& yearText, int month, int day);

// ---- command file ----
// The longest path the settings can carry (the field holds 256 bytes, read
// back through a 255-byte buffer).
constexpr std::size_t MaxCommandFileLength = 254;
// Stores the path into CommandFile when it fits; a longer one would have to
// be cut into a different path, so the old one stays. Returns whether stored.
bool StoreCommandFile(char (&field)[256], const std::string& path);
// The command-time text as a 16-bit number (low 16 bits of a larger one; a
// text not starting with a number gives 0).
short CommandTimeOfText(const std::string& text);
