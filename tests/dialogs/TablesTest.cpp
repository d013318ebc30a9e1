// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What needs no window: the pop-up contents, the conversions between settings
// and controls, and the event log file that is not a log.
#include "CoreTestSupport.h"
#include "DialogTables.h"
#include "EventLogReader.h"

namespace {

TEST(DialogTables, ItemListsAndDateFields) {
    // Count, first, second, fourth and last item.
    auto summary = [](const ItemList& i) {
        return std::to_string(i.size()) + "|" + i[0] + "|" + i[1] + "|" + i[3] + "|" + i.back();
    };
    EXPECT_EQ(summary(LevelItems()) + " " + summary(LogEntryItems()) + " " + summary(DelayItems()),
              "20|5|10|20|100 10|100|200|400|1000 31|0|0.5|1.5|60");
    // Battery dates split into month, day and year text.
    const char good[9] = "20071005", bad[9] = "2007ab0x", shortYear[9] = "207";
    EXPECT_EQ(DateMonth(good) * 100 + DateDay(good), 1005);
    EXPECT_EQ(DateMonth(bad) * 100 + DateDay(bad), 0);
    EXPECT_EQ(DateYearText(bad) + "|" + DateYearText(shortYear), "2007|207");
}

TEST(DialogTables, DatesAreStoredOnlyWhenTheyFit) {
    // The year's text, month, day; what is stored (null: refused, the old
    // date stays).
    const std::tuple<const char*, int, int, const char*> cases[] = {
        {"7", 3, 5, "00070305"},  {"abc", 3, 5, "00000305"}, {"2007", 99, 99, "20079999"},
        {"10000", 3, 5, nullptr}, {"2007", 100, 5, nullptr}, {"2007", 3, 100, nullptr}};
    for (const auto& [year, month, day, stored] : cases) {
        struct {
            char field[9] = "19990101";
            char after = 'Z';
        } record;
        EXPECT_EQ(StoreDate(record.field, year, month, day), stored != nullptr)
            << year << " " << month << " " << day;
        EXPECT_STREQ(record.field, stored ? stored : "19990101") << year;
        EXPECT_EQ(record.after, 'Z');
    }
}

TEST(DialogTables, CommandFileAndTime) {
    char field[256] = "/old/command";
    EXPECT_TRUE(StoreCommandFile(field, std::string(254, 'a')));
    EXPECT_FALSE(StoreCommandFile(field, std::string(255, 'b')));
    EXPECT_EQ(std::string(field), std::string(254, 'a'));
    EXPECT_TRUE(StoreCommandFile(field, ""));
    EXPECT_STREQ(field, "");
    // The time reads as a 16-bit number.
    const std::pair<const char*, short> times[] = {
        {"abc", 0}, {"12abc", 12}, {"-1", -1}, {"99999999999999999999", -1}};
    for (const auto& [text, value] : times)
        EXPECT_EQ(CommandTimeOfText(text), value) << text;
}

void AddRow(void* ctx, char, const char*, std::size_t) {
    ++*static_cast<std::size_t*>(ctx);
}

// The rows' text is seen through the event log window.
class EventLogFile : public corvanta_test::CoreTest {};

TEST_F(EventLogFile, StandinsGiveNoRowsAndAnOversizedLogIsReadOnlyInPart) {
    using namespace corvanta_test;
    for (Standin what : AllStandins) {
        SCOPED_TRACE(StandinName(what));
        PlantStandin(Path(LogFileName), what, "# one\n# two\n");
        std::size_t rows = 0;
        const Watchdog watchdog(20, std::string("event log, ") + StandinName(what));
        ReadEventLogFile(Path(LogFileName), AddRow, &rows);
        // Two lines, then the hole in pieces of 255 up to the cap.
        EXPECT_EQ(rows, what == Standin::Oversized ? 2 + (LogFileCap - 12 + 254) / 255 : 0);
        RemoveTree(Path(LogFileName));
    }
}

} // namespace
