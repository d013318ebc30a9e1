// The calendar file: the rows the lookups read and nothing past the end of a
// short file, the roll of a year-old calendar and its temporary file,
// deletion of outdated ones, and loading and saving the in-memory calendar.
#include "CoreTestSupport.h"

namespace {

using namespace corvanta_test;

// A row that tells which row it was.
Row IdRow(int r) {
    return Row{r % 256, r / 256, r % 60};
}
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
    void Write(int year, const std::vector<Row>& rows) {
        WriteFileRaw(File(), CalendarText(year, rows));
    }
};

TEST_F(CalendarFileTest, LookupsReadTheRowOfTheirSlotAndNothingPastTheEnd) {
    Write(2024, IdRows(ScheduleRows));
    ASSERT_EQ(OpenRSchedule(), 1);
    // Month, day, entry, row (0: line 2); back to the top at the end.
    const std::array<int, 4> cases[] = {{1, 1, 5, 5},    {13, 1, 0, 2232}, {24, 31, 5, 4463},
                                        {2, 30, 3, 363}, {1, 2, 0, 6},     {12, 31, 5, 2231},
                                        {5, 15, 0, 828}, {1, 1, 0, 0}};
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
    WriteFileRaw(File(), "");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), kEmpty);
    RemoveTree(File());
    EXPECT_EQ(OpenRSchedule(), 0);
}

TEST_F(CalendarFileTest,
       AYearOldCalendarIsRolledOthersDeletedAndTheRollsTemporaryFileNeverFollowed) {
    const std::string victim = Path("victim"), temp = Path(CalendarTempFileName);
    WriteFileRaw(victim, "precious\n");
    // Base year, rows, what stands under the temporary name, the room on the
    // disk (0: plenty).
    const std::tuple<int, int, std::string, unsigned long> cases[] = {
        {2023, ScheduleRows, "", 0}, {2023, 3000, "", 0},         {2023, 100, "", 0},
        {2022, ScheduleRows, "", 0}, {2025, ScheduleRows, "", 0}, {0, 10, "", 0},
        {2023, 2300, "leftover", 0}, {2023, 2300, victim, 0},     {2023, 2300, "nowhere", 0},
        {2023, 2300, File(), 0},     {2023, 2300, "folder", 0},   {2023, 2300, "", 1},
        {2023, 2300, "", 20000}};
    for (const auto& [year, count, plant, limit] : cases) {
        SCOPED_TRACE(testing::Message() << year << ", " << count << " rows, " << plant << limit);
        RemoveTree(temp);
        const std::string old = CalendarText(year, IdRows(count));
        WriteFileRaw(File(), old);
        if (plant == "leftover") {
            WriteFileRaw(temp, "left by a crash\n");
            chmod(temp.c_str(), 0400);
        } else if (plant == "folder") { // not empty: it cannot be replaced
            ASSERT_EQ(mkdir(temp.c_str(), 0755), 0);
            WriteFileRaw(temp + "/inside", "x");
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
        ExpectEntry(GetNextSchedule(), rolled && count > 2233 ? IdRow(2233) : kEmpty);
        ExpectEntry(GetSchedule(13, 1, 0), kEmpty);
        CloseSchedule();
        std::vector<Row> rows = EmptyRows(); // the second year moved up, padded
        for (int r = ScheduleRowsPerYear; r < count; ++r)
            rows[r - ScheduleRowsPerYear] = IdRow(r);
        EXPECT_TRUE(Holds(rolled ? CalendarText(2024, rows) : blocked ? old : ""));
        EXPECT_EQ(ReadFile(victim), "precious\n");
        EXPECT_EQ(ListFolder(Folder()).size(), rolled    ? 2u
                                               : blocked ? 3u
                                                         : 1u)
            << "no temporary file left";
    }
    RemoveTree(File());
    SchedulePlus1Year(); // no calendar: nothing to roll, nothing created
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{"victim"});
}

TEST_F(CalendarFileTest, LoadTakesOnlyTheRowsThereAreAndWriteStampsTheYear) {
    std::vector<Row> rows = IdRows(ScheduleRows + 1); // the last past the end: ignored
    Write(2023, rows);                                // a year old: loaded as it is, not rolled
    LoadSchedule();
    rows.pop_back();
    WriteSchedule();
    EXPECT_TRUE(Holds(CalendarText(2024, rows)));
    Write(2024, std::vector<Row>(10, Row{1, 2, 3}));
    LoadSchedule();
    std::fill_n(rows.begin(), 10, Row{1, 2, 3});
    WriteScheduleForYear(2023);
    EXPECT_TRUE(Holds(CalendarText(2023, rows)));
    for (bool emptyFile : {true, false}) { // an empty file or none empties all
        Write(2024, IdRows(ScheduleRows));
        LoadSchedule();
        RemoveTree(File());
        if (emptyFile) WriteFileRaw(File(), "");
        LoadSchedule();
        WriteSchedule();
        EXPECT_TRUE(Holds(CalendarText(2024, EmptyRows())));
    }
    FreeSchedule(); // a released calendar is never written
    RemoveTree(File());
    WriteSchedule();
    EXPECT_FALSE(FileExists(File()));
}

} // namespace
