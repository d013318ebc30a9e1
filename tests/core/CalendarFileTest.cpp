// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar file: the rows the lookups read and nothing past the end of a
// short file, the roll of a year-old calendar and its temporary file,
// deletion of outdated ones, and loading and saving the in-memory calendar
// (what the dialogs' tests save is theirs).
#include "CoreTestSupport.h"

namespace {

using namespace corvanta_test;

// A row that tells which row it was.
const auto IdRow = [](int r) { return Row{r % 256, r / 256, r % 60}; };
std::vector<Row> IdRows(int count) {
    std::vector<Row> rows;
    for (int r = 0; r < count; ++r)
        rows.push_back(IdRow(r));
    return rows;
}
const Row kEmpty{0, 0, 0};

void ExpectEntry(const ScheduleStr* e, const Row& want) {
    EXPECT_EQ(std::tuple(int{e->Button}, int{e->Hour}, int{e->Minute}),
              std::tuple(want.button, want.hour, want.minute));
}

class CalendarFileTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        SetTestTime(2024, 5, 15, 10, 0, 0);
    }
    std::string File() const { return Path(CalendarFileName); }
    // Whole calendars are compared without gtest's line diff, which takes
    // seconds on 4465 lines.
    bool Holds(const std::string& text) const { return ReadFile(File()) == text; }
};

TEST_F(CalendarFileTest, LookupsReadTheRowOfTheirSlotAndNothingPastTheEnd) {
    WriteFileRaw(File(), CalendarText(2024, IdRows(ScheduleRows)));
    ASSERT_EQ(OpenRSchedule(), 1);
    // Month, day, entry, row (0: line 2); back to the top at the end. The
    // rows of other days are the calendar date tests'.
    const std::array<int, 4> cases[] = {
        {2, 30, 3, 363}, {13, 1, 0, 2232}, {24, 31, 5, 4463}, {1, 1, 0, 0}};
    for (const auto& [month, day, entry, row] : cases) {
        ExpectEntry(GetSchedule(month, day, entry), IdRow(row));
        ExpectEntry(GetNextSchedule(), row + 1 < ScheduleRows ? IdRow(row + 1) : kEmpty);
    }
    CloseSchedule();
    ExpectEntry(GetNextSchedule(), kEmpty);
    // Past the last row of a short file every read finds nothing, never rows
    // from the top.
    WriteFileRaw(File(), "2024\n1\t2\t3\n\n5\t6\t7\n");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), Row{1, 2, 3});
    for (const Row& want : {kEmpty, Row{5, 6, 7}, kEmpty, kEmpty})
        ExpectEntry(GetNextSchedule(), want);
    ExpectEntry(GetSchedule(5, 15, 0), kEmpty);
    ExpectEntry(GetNextSchedule(), kEmpty);
    ExpectEntry(GetSchedule(1, 1, 2), Row{5, 6, 7});
}

TEST_F(CalendarFileTest,
       AYearOldCalendarIsRolledOthersDeletedAndTheRollsTemporaryFileNeverFollowed) {
    const std::string victim = Path("victim"), temp = Path(CalendarTempFileName);
    WriteFileRaw(victim, "precious\n");
    // Base year (older, future or none: deleted alike), rows, what stands
    // under the temporary name (a link, or a folder that blocks the roll), the
    // room on the disk (0: plenty).
    // clang-format off
    const std::tuple<int, int, std::string, unsigned long> cases[] = {
        {2023, ScheduleRows, "", 0}, {2023, 3000, "", 0}, {2022, ScheduleRows, "", 0},
        {2023, 2300, victim, 0}, {2023, 2300, "folder", 0}, {2023, 2300, "", 20000}};
    // clang-format on
    for (const auto& [year, count, plant, limit] : cases) {
        SCOPED_TRACE(testing::Message() << year << ", " << count << " rows, " << plant << limit);
        RemoveTree(temp);
        const std::string old = CalendarText(year, IdRows(count));
        WriteFileRaw(File(), old);
        if (plant == "folder") { // not empty: it cannot be replaced
            ASSERT_TRUE(mkdir(temp.c_str(), 0755) == 0 && std::ofstream(temp + "/inside") << "x");
        } else if (!plant.empty()) {
            ASSERT_EQ(symlink(plant.c_str(), temp.c_str()), 0);
        }
        if (limit) {
            StartYear = 2024;
            WithFileSizeLimit(limit, SchedulePlus1Year);
            EXPECT_TRUE(Holds(old)) << "the old calendar left whole";
        }
        // A blocked roll: the year-old rows are never read as this year's.
        const bool blocked = plant == "folder", rolled = year == 2023 && !blocked;
        ASSERT_EQ(OpenRSchedule(), 1);
        ExpectEntry(GetSchedule(1, 1, 0), rolled && count > 2232 ? IdRow(2232) : kEmpty);
        CloseSchedule();
        std::vector<Row> rows = EmptyRows(); // the second year moved up, padded
        for (int r = ScheduleRowsPerYear; r < count; ++r)
            rows[r - ScheduleRowsPerYear] = IdRow(r);
        EXPECT_TRUE(Holds(rolled ? CalendarText(2024, rows) : blocked ? old : ""));
        EXPECT_EQ(ReadFile(victim), "precious\n");
        EXPECT_EQ(ListFolder(Folder()).size(), 1u + rolled + 2 * blocked) << "no temporary file";
    }
}

TEST_F(CalendarFileTest, LoadTakesOnlyTheRowsThereAreAndWriteStampsTheYear) {
    // A row past the end is ignored; a year-old calendar loaded as it is, not rolled.
    WriteFileRaw(File(), CalendarText(2023, IdRows(ScheduleRows + 1)));
    LoadSchedule(), WriteSchedule();
    EXPECT_TRUE(Holds(CalendarText(2024, IdRows(ScheduleRows))));
    RemoveTree(File()); // no file empties all
    LoadSchedule(), WriteSchedule();
    EXPECT_TRUE(Holds(CalendarText(2024, EmptyRows())));
    FreeSchedule(), RemoveTree(File()); // a released calendar is never written
    WriteSchedule();
    EXPECT_FALSE(FileExists(File()));
}

} // namespace
