// The calendar file: row arithmetic of the lookups, short and malformed files,
// the roll of a year-old calendar and its temporary file, deletion of outdated
// ones, and loading and saving the in-memory calendar.
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
    std::string Temp() const { return Path(CalendarTempFileName); }
    void Write(int year, const std::vector<Row>& rows) {
        WriteFileRaw(File(), CalendarText(year, rows));
    }
};

TEST_F(CalendarFileTest, LookupsReadTheRowOfTheirSlotAndNothingPastTheEnd) {
    Write(2024, IdRows(ScheduleRows));
    ASSERT_EQ(OpenRSchedule(), 1);
    EXPECT_EQ(StartYear, 2024);
    // Month, day, entry, row (0: line 2).
    const std::array<int, 4> cases[] = {
        {1, 1, 0, 0},   {13, 1, 0, 2232}, {24, 31, 5, 4463}, {1, 1, 5, 5},    {1, 2, 0, 6},
        {2, 1, 0, 186}, {2, 30, 3, 363},  {12, 31, 5, 2231}, {5, 15, 0, 828}, {1, 1, 0, 0}};
    for (const auto& [month, day, entry, row] : cases) {
        ExpectEntry(GetSchedule(month, day, entry), IdRow(row));
        ExpectEntry(GetNextSchedule(), row + 1 < ScheduleRows ? IdRow(row + 1) : kEmpty);
    }
    CloseSchedule();
    ExpectEntry(GetNextSchedule(), kEmpty);
    // Past the last row of a short file every read finds nothing, never rows
    // from the top; rows keep their low 8 bits, malformed ones read as zero.
    WriteFileRaw(File(), "2024\n260\t300\t-1\na\tb\tc\n7\n\n5\t6\t7\n");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), Row{4, 44, 255});
    for (const Row& want : {kEmpty, Row{7, 0, 0}, kEmpty, Row{5, 6, 7}, kEmpty})
        ExpectEntry(GetNextSchedule(), want);
    ExpectEntry(GetSchedule(5, 15, 0), kEmpty);
    ExpectEntry(GetNextSchedule(), kEmpty);
    ExpectEntry(GetSchedule(1, 1, 4), Row{5, 6, 7});
    WriteFileRaw(File(), "");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), kEmpty);
    RemoveTree(File());
    EXPECT_EQ(OpenRSchedule(), 0);
}

TEST_F(CalendarFileTest, AYearOldCalendarIsRolledOlderAndFutureOnesDeleted) {
    const std::pair<int, int> cases[] = {{2023, ScheduleRows}, {2023, 3000},         {2023, 100},
                                         {2022, ScheduleRows}, {2025, ScheduleRows}, {0, 10}};
    for (auto [year, count] : cases) {
        SCOPED_TRACE(testing::Message() << year << ", " << count << " rows");
        Write(year, IdRows(count));
        ASSERT_EQ(OpenRSchedule(), 1);
        const bool rolled = year == 2023;
        ExpectEntry(GetSchedule(1, 1, 0), rolled && count > 2232 ? IdRow(2232) : kEmpty);
        ExpectEntry(GetNextSchedule(), rolled && count > 2233 ? IdRow(2233) : kEmpty);
        ExpectEntry(GetSchedule(13, 1, 0), kEmpty);
        CloseSchedule();
        std::vector<Row> rows = EmptyRows(); // the second year moved up, padded
        for (int r = ScheduleRowsPerYear; r < count; ++r)
            rows[r - ScheduleRowsPerYear] = IdRow(r);
        EXPECT_EQ(ReadFile(File()), rolled ? CalendarText(2024, rows) : "");
        EXPECT_EQ(ListFolder(Folder()).size(), rolled ? 1u : 0u);
    }
    SchedulePlus1Year(); // no calendar: nothing to roll, nothing created
    EXPECT_TRUE(ListFolder(Folder()).empty());
}

TEST_F(CalendarFileTest, TheRollsTemporaryFileIsNeverFollowedNorLeftAndAFailedRollFindsNothing) {
    const std::string victim = Path("victim"), calendar = CalendarText(2023, IdRows(ScheduleRows));
    WriteFileRaw(victim, "precious\n");
    // What stands under the temporary name, and the room on the disk (0: plenty).
    const std::tuple<std::string, unsigned long> cases[] = {
        {"leftover", 0}, {victim, 0}, {Path("nowhere"), 0}, {File(), 0},
        {"folder", 0},   {"", 1},     {"", 20000}};
    for (const auto& [plant, limit] : cases) {
        SCOPED_TRACE(testing::Message() << plant << ", limit " << limit);
        RemoveTree(Temp());
        WriteFileRaw(File(), calendar);
        if (plant == "leftover") {
            WriteFileRaw(Temp(), "left by a crash\n");
            chmod(Temp().c_str(), 0400);
        } else if (plant == "folder") { // not empty: it cannot be replaced
            ASSERT_EQ(mkdir(Temp().c_str(), 0755), 0);
            WriteFileRaw(Temp() + "/inside", "x");
        } else if (!plant.empty()) {
            ASSERT_EQ(symlink(plant.c_str(), Temp().c_str()), 0);
        }
        if (limit) {
            StartYear = 2024;
            WithFileSizeLimit(limit, SchedulePlus1Year);
            EXPECT_EQ(ReadFile(File()), calendar) << "the old calendar left whole";
            EXPECT_EQ(ListFolder(Folder()).size(), 2u) << "no temporary file left";
        }
        // A blocked roll: the year-old rows are never read as this year's.
        const bool blocked = plant == "folder";
        ASSERT_EQ(OpenRSchedule(), 1);
        ExpectEntry(GetSchedule(1, 1, 0), blocked ? kEmpty : IdRow(2232));
        CloseSchedule();
        EXPECT_EQ(ReadFile(File()).substr(0, 5), blocked ? "2023\n" : "2024\n");
        EXPECT_EQ(ReadFile(victim), "precious\n");
        EXPECT_EQ(ListFolder(Folder()).size(), blocked ? 3u : 2u) << "no temporary file left";
    }
}

TEST_F(CalendarFileTest, LoadTakesOnlyTheRowsThereAreAndWriteStampsTheYear) {
    std::vector<Row> rows = IdRows(ScheduleRows);
    rows[7] = Row{260, 300, -1};
    rows.push_back(Row{9, 9, 9}); // past the last row: ignored
    Write(2023, rows);            // a year old: loaded as it is, not rolled
    LoadSchedule();
    rows[7] = Row{4, 44, 255};
    rows.pop_back();
    WriteSchedule();
    EXPECT_EQ(ReadFile(File()), CalendarText(2024, rows));
    Write(2024, std::vector<Row>(10, Row{1, 2, 3}));
    LoadSchedule();
    std::fill_n(rows.begin(), 10, Row{1, 2, 3});
    WriteScheduleForYear(2023);
    EXPECT_EQ(ReadFile(File()), CalendarText(2023, rows));
    // No file or an empty one empties all.
    for (bool emptyFile : {false, true}) {
        Write(2024, IdRows(ScheduleRows));
        LoadSchedule();
        RemoveTree(File());
        if (emptyFile) WriteFileRaw(File(), "");
        LoadSchedule();
        WriteSchedule();
        EXPECT_EQ(ReadFile(File()), CalendarText(2024, EmptyRows()));
    }
    FreeSchedule(); // a released calendar is never written
    RemoveTree(File());
    WriteSchedule();
    EXPECT_FALSE(FileExists(File()));
}

} // namespace
