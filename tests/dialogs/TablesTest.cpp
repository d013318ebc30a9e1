// The pop-up contents and the conversions between settings and controls.
#include <gtest/gtest.h>

#include <cstring>

#include "DialogTables.h"

namespace {

TEST(DialogTables, ItemListsHoldTheirLabels) {
    struct Case {
        ItemList items;
        std::size_t count;
        const char* first;
        const char* second;
        const char* last;
    };
    const Case cases[] = {
        {LevelItems(), 20, "5", "10", "100"},
        {MonthItems(), 12, "January", "February", "December"},
        {DayItems(), 31, "1", "2", "31"},
        {LogEntryItems(), 10, "100", "200", "1000"},
        {DelayItems(), 31, "0", "0.5", "60"},
        {YearItems(2026), 2, "2026", "2027", "2027"},
        {ActionItems(), 2, "None", "Shutdown", "Shutdown"},
        {HourItems(), 24, "00", "01", "23"},
        {MinuteItems(), 12, "00", "05", "55"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.items.size(), c.count) << c.first;
        EXPECT_EQ(c.items[0], c.first);
        EXPECT_EQ(c.items[1], c.second);
        EXPECT_EQ(c.items.back(), c.last);
    }
    const ItemList delays = DelayItems();
    EXPECT_EQ(delays[3], "1.5");
    EXPECT_EQ(delays[19], "9.5");
    EXPECT_EQ(delays[20], "10");
    EXPECT_EQ(delays[21], "15");
    EXPECT_EQ(delays[22], "20");
}

TEST(DialogTables, DelaysShowAsTheStepAtOrBelow) {
    const struct {
        int seconds;
        int item;
    } cases[] = {{0, 1},    {30, 2},   {90, 4},   {100, 4},  {599, 20},  {600, 21},
                 {601, 21}, {899, 21}, {900, 22}, {901, 22}, {3600, 31}, {4000, 32}};
    for (const auto& c : cases)
        EXPECT_EQ(DelayItem(c.seconds), c.item) << c.seconds;
}

TEST(DialogTables, DelayItemsStandForTheirSeconds) {
    const struct {
        int item;
        short seconds;
    } cases[] = {{1, 0}, {2, 30}, {4, 90}, {20, 570}, {21, 600}, {22, 900}, {30, 3300}, {31, 3600}};
    for (const auto& c : cases)
        EXPECT_EQ(DelayOfItem(c.item), c.seconds) << c.item;
    // Every item maps back to itself.
    for (int item = 1; item <= 31; ++item)
        EXPECT_EQ(DelayItem(DelayOfItem(item)), item);
}

TEST(DialogTables, LevelsLogEntriesAndFlags) {
    EXPECT_EQ(LevelItem(37), 7);
    EXPECT_EQ(LevelItem(100), 20);
    EXPECT_EQ(LevelOfItem(5), 25);
    EXPECT_EQ(LogEntryItem(250), 2);
    EXPECT_EQ(LogEntryItem(1000), 10);
    EXPECT_EQ(LogEntryOfItem(3), 300);
    const struct {
        short flag;
        int value;
    } flags[] = {{0, 0}, {1, 1}, {2, 0}, {-1, 0}};
    for (const auto& f : flags)
        EXPECT_EQ(CheckBoxValue(f.flag), f.value) << f.flag;
    EXPECT_EQ(FlagOfCheckBox(1), 1);
    EXPECT_EQ(FlagOfCheckBox(0), 0);
}

TEST(DialogTables, DatesSplitIntoMonthDayAndYearText) {
    const struct {
        const char* date;
        int month;
        int day;
        const char* year;
    } cases[] = {
        {"20071005", 10, 5, "2007"}, {"20070231", 2, 31, "2007"}, {"2007ab0x", 0, 0, "2007"},
        {"20071", 1, 0, "2007"},     {"207", 0, 0, "207"},        {"", 0, 0, ""},
    };
    for (const auto& c : cases) {
        char date[9] = {};
        std::strncpy(date, c.date, 8);
        EXPECT_EQ(DateMonth(date), c.month) << c.date;
        EXPECT_EQ(DateDay(date), c.day) << c.date;
        EXPECT_EQ(DateYearText(date), c.year) << c.date;
    }
}

TEST(DialogTables, DatesAreStoredOnlyWhenTheYearFits) {
    const struct {
        const char* yearText;
        int month;
        int day;
        const char* stored; // null: refused, the old date stays
    } cases[] = {
        {"2007", 3, 5, "20070305"}, {"7", 3, 5, "00070305"},     {"", 3, 5, "00000305"},
        {"abc", 3, 5, "00000305"},  {" 2007", 3, 5, "20070305"}, {"9999", 12, 31, "99991231"},
        {"0", 2, 31, "00000231"},   {"2007x", 1, 1, "20070101"}, {"10000", 3, 5, nullptr},
        {"-5", 3, 5, nullptr},      {"1234567", 3, 5, nullptr},  {"2007   ", 3, 5, nullptr},
        {"999999", 3, 5, nullptr},
    };
    for (const auto& c : cases) {
        char date[9] = "19990101";
        const char guard = '\x5a';
        struct {
            char field[9];
            char after;
        } record{};
        std::memcpy(record.field, date, sizeof date);
        record.after = guard;
        const bool stored = StoreDate(record.field, c.yearText, c.month, c.day);
        EXPECT_EQ(stored, c.stored != nullptr) << c.yearText;
        EXPECT_STREQ(record.field, c.stored ? c.stored : "19990101") << c.yearText;
        EXPECT_EQ(record.after, guard);
    }
}

TEST(DialogTables, CommandFileKeepsItsOldPathWhenTheNewOneDoesNotFit) {
    char field[256] = "/old/command";
    EXPECT_TRUE(StoreCommandFile(field, std::string(254, 'a')));
    EXPECT_EQ(std::strlen(field), 254u);
    EXPECT_FALSE(StoreCommandFile(field, std::string(255, 'b')));
    EXPECT_EQ(std::string(field), std::string(254, 'a'));
    EXPECT_FALSE(StoreCommandFile(field, std::string("a\0b", 3)));
    EXPECT_TRUE(StoreCommandFile(field, ""));
    EXPECT_STREQ(field, "");
}

TEST(DialogTables, CommandTimeReadsAsA16BitNumber) {
    const struct {
        const char* text;
        short value;
    } cases[] = {{"", 0},           {"abc", 0},      {"12abc", 12},
                 {" 42", 42},       {"-1", -1},      {"32767", 32767},
                 {"32768", -32768}, {"70000", 4464}, {"99999999999999999999", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(CommandTimeOfText(c.text), c.value) << c.text;
}

} // namespace
