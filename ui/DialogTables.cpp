// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogTables.h"

#include <cstdio>
#include <cstring>

#include "CalendarDate.h"
#include "Translation.h"
#include "file.h"

namespace {

std::string Format(const char* format, int value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The numbers first, first + step, .. last, each formatted.
ItemList NumberItems(int first, int last, int step, const char* format) {
    ItemList items;
    for (int n = first; n <= last; n += step)
        items.push_back(Format(format, n));
    return items;
}

// Characters from..from+count-1 (1-based) of the date, stopping at its NUL.
std::string DateChars(const char (&date)[9], std::size_t from, std::size_t count) {
    const std::size_t length = strnlen(date, sizeof date);
    if (from - 1 >= length) return {};
    return std::string(date + from - 1, std::min(count, length - (from - 1)));
}

} // namespace

ItemList LevelItems() {
    return NumberItems(5, 100, 5, "%d");
}

ItemList MonthItems() {
    ItemList items;
    for (int m = 1; m <= 12; ++m)
        items.push_back(LocalMonthName(m));
    return items;
}

ItemList DayItems() {
    return NumberItems(1, 31, 1, "%d");
}

ItemList LogEntryItems() {
    return NumberItems(100, 1000, 100, "%d");
}

ItemList DelayItems() {
    ItemList items;
    for (int k = 0; k <= 20; ++k)
        items.push_back(LocalNumber(k / 2.0, k % 2));
    for (int m = 0; m <= 9; ++m)
        items.push_back(Format("%d", (m + 1) * 5 + 10));
    return items;
}

ItemList YearItems(int year) {
    return {Format("%d", year), Format("%d", year + 1)};
}

ItemList ActionItems() {
    return {Translated("ScheduleWindow", "None"), Translated("ScheduleWindow", "Shutdown")};
}

ItemList HourItems() {
    return NumberItems(0, 23, 1, "%02d");
}

ItemList MinuteItems() {
    return NumberItems(0, 55, 5, "%02d");
}

int DelayItem(int seconds) {
    return seconds <= 600 ? seconds / 30 + 1 : (seconds - 600) / 300 + 21;
}

short DelayOfItem(int item) {
    return static_cast<short>(item <= 21 ? (item - 1) * 30 : (item - 21) * 300 + 600);
}

int DateMonth(const char (&date)[9]) {
    return static_cast<int>(AtoiWide(DateChars(date, 5, 2).c_str()));
}

int DateDay(const char (&date)[9]) {
    return static_cast<int>(AtoiWide(DateChars(date, 7, 2).c_str()));
}

std::string DateYearText(const char (&date)[9]) {
    return DateChars(date, 1, 4);
}

std::string DateText(const char (&date)[9]) {
    const std::string d(date, strnlen(date, sizeof date));
    if (d.size() != 8 || d.find_first_not_of("0123456789") != std::string::npos) return {};
    return d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2);
}

bool YearOfText(const std::string& text, int* year) {
    // The field is read through a seven-byte buffer: six characters and a NUL.
    if (text.size() > 6) return false;
    const long long value = AtoiWide(text.c_str());
    if (value < 0 || value > 9999) return false;
    *year = static_cast<int>(value);
    return true;
}

bool StoreDate(char (&date)[9], const std::string& yearText, int month, int day) {
    int year = 0;
    if (!YearOfText(yearText, &year)) return false;
    // Pop-up values are 0..31, so the date is always eight digits.
    if (month < 0 || month > 99 || day < 0 || day > 99) return false;
    std::snprintf(date, sizeof date, "%04d%02d%02d", year, month, day);
    return true;
}

bool StoreCommandFile(char (&field)[256], const std::string& path) {
    if (path.size() > MaxCommandFileLength || path.find('\0') != std::string::npos) return false;
    std::memcpy(field, path.data(), path.size());
    field[path.size()] = '\0';
    return true;
}

short CommandTimeOfText(const std::string& text) {
    return AtoiShort(text.c_str());
}
