// The calendar file ZAN_CALENDAR.DAT: row arithmetic of the lookups, the roll
// of a year-old calendar and its temporary file, deletion of outdated ones,
// and loading and saving the in-memory calendar.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "file.h"

namespace {

using namespace corvanta_test;
using Names = std::vector<std::string>;

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

void ExpectEntry(const ScheduleStr* e, const Row& want) {
    EXPECT_EQ(e->Button, want.button);
    EXPECT_EQ(e->Hour, want.hour);
    EXPECT_EQ(e->Minute, want.minute);
}

const Row kEmpty{0, 0, 0};

// The text a roll of a calendar with the given rows must produce.
std::string RolledText(int year, const std::vector<Row>& oldRows) {
    std::vector<Row> rows = EmptyRows();
    for (int r = ScheduleRowsPerYear; r < static_cast<int>(oldRows.size()); ++r)
        rows[r - ScheduleRowsPerYear] = oldRows[r];
    return CalendarText(year, rows);
}

class CalendarFileTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        SetTestTime(2024, 5, 15, 10, 0, 0);
    }
    std::string CalendarPath() const { return Path(CalendarFileName); }
    std::string TempPath() const { return Path(CalendarTempFileName); }
    void WriteCalendar(int year, const std::vector<Row>& rows) {
        WriteFileRaw(CalendarPath(), CalendarText(year, rows));
    }
};

TEST_F(CalendarFileTest, LookupsReadTheRowOfTheirSlotAndNothingPastTheEnd) {
    WriteCalendar(2024, IdRows(ScheduleRows));
    ASSERT_EQ(OpenRSchedule(), 1);
    EXPECT_EQ(StartYear, 2024);
    struct Case {
        int month, day, item, row; // row 0 is line 2 of the file
    };
    const Case cases[] = {
        {1, 1, 0, 0},    {13, 1, 0, 2232}, {24, 31, 5, 4463}, {1, 1, 5, 5},
        {1, 2, 0, 6},    {2, 1, 0, 186},   {2, 30, 3, 363},   {12, 31, 5, 2231},
        {5, 15, 0, 828}, {1, 1, 0, 0}, // back to the start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("GetSchedule(" + std::to_string(c.month) + "," + std::to_string(c.day) + "," +
                     std::to_string(c.item) + ")");
        ExpectEntry(GetSchedule(c.month, c.day, c.item), IdRow(c.row));
        for (int i = 1; i <= 3 && c.row + i < ScheduleRows; ++i)
            ExpectEntry(GetNextSchedule(), IdRow(c.row + i));
    }
    ExpectEntry(GetSchedule(24, 31, 5), IdRow(4463));
    ExpectEntry(GetNextSchedule(), kEmpty);
    ExpectEntry(GetNextSchedule(), kEmpty);
    CloseSchedule();
    ExpectEntry(GetNextSchedule(), kEmpty);
}

TEST_F(CalendarFileTest, MissingEmptyShortAndMalformedFiles) {
    EXPECT_EQ(OpenRSchedule(), 0);
    CloseSchedule();
    WriteFileRaw(CalendarPath(), "");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), kEmpty);
    CloseSchedule();

    WriteCalendar(2024, IdRows(100));
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 17, 3), IdRow(99));
    ExpectEntry(GetNextSchedule(), kEmpty);
    // Past a missing row every read finds nothing, never rows from the top.
    ExpectEntry(GetSchedule(5, 15, 0), kEmpty);
    for (int i = 0; i < 5; ++i)
        ExpectEntry(GetNextSchedule(), kEmpty);
    ExpectEntry(GetSchedule(1, 1, 1), IdRow(1));
    CloseSchedule();

    // Rows keep their low 8 bits; malformed rows read as zero.
    WriteFileRaw(CalendarPath(), "2024\n260\t300\t-1\na\tb\tc\n7\n\n5\t6\t7\n");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), Row{4, 44, 255});
    for (const Row& want : {Row{0, 0, 0}, Row{7, 0, 0}, kEmpty, Row{5, 6, 7}})
        ExpectEntry(GetNextSchedule(), want);
    CloseSchedule();
}

TEST_F(CalendarFileTest, AYearOldCalendarIsRolledByTheFirstLookup) {
    for (int count : {ScheduleRows, 3000, 100}) {
        SCOPED_TRACE(count);
        const std::vector<Row> old = IdRows(count);
        WriteCalendar(2023, old);
        ASSERT_EQ(OpenRSchedule(), 1);
        ExpectEntry(GetSchedule(1, 1, 0), count > 2232 ? IdRow(2232) : kEmpty);
        ExpectEntry(GetNextSchedule(), count > 2233 ? IdRow(2233) : kEmpty);
        ExpectEntry(GetSchedule(13, 1, 0), kEmpty);
        CloseSchedule();
        EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2024, old)) << "padded to 4465 lines";
        EXPECT_EQ(ListFolder(Folder()), Names{CalendarFileName});
    }
}

TEST_F(CalendarFileTest, OutdatedOrFutureCalendarsAreDeleted) {
    for (std::string year : {"2022", "1900", "2025", "2026", "0", "garbage"}) {
        SCOPED_TRACE(year);
        WriteFileRaw(CalendarPath(), year + "\n" + CalendarText(1, IdRows(ScheduleRows)).substr(2));
        ASSERT_EQ(OpenRSchedule(), 1);
        ExpectEntry(GetSchedule(1, 1, 0), kEmpty);
        ExpectEntry(GetNextSchedule(), kEmpty);
        ExpectEntry(GetSchedule(13, 1, 0), kEmpty);
        CloseSchedule();
        EXPECT_TRUE(ListFolder(Folder()).empty());
    }
    StartYear = 2024;
    SchedulePlus1Year(); // no calendar: nothing to roll, nothing created
    EXPECT_TRUE(ListFolder(Folder()).empty());
}

TEST_F(CalendarFileTest, TheRollsTemporaryFileIsNeverFollowedNorLeft) {
    const std::string victim = Path("victim");
    struct Case {
        const char* what;
        std::function<void()> plant;
        Names left;
    };
    const Case cases[] = {
        {"a read-only leftover file",
         [&] {
             WriteFileRaw(TempPath(), "left behind by a crash\n");
             chmod(TempPath().c_str(), 0400);
         },
         {CalendarFileName}},
        {"a link to another file",
         [&] {
             WriteFileRaw(victim, "precious\n");
             ASSERT_EQ(symlink(victim.c_str(), TempPath().c_str()), 0);
         },
         {CalendarFileName, "victim"}},
        {"a dangling link",
         [&] { ASSERT_EQ(symlink(victim.c_str(), TempPath().c_str()), 0); },
         {CalendarFileName}},
        {"a link to the calendar itself",
         [&] { ASSERT_EQ(symlink(CalendarPath().c_str(), TempPath().c_str()), 0); },
         {CalendarFileName}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& name : ListFolder(Folder()))
            std::remove(Path(name).c_str());
        WriteCalendar(2023, IdRows(ScheduleRows));
        c.plant();
        ASSERT_EQ(OpenRSchedule(), 1);
        ExpectEntry(GetSchedule(1, 1, 0), IdRow(2232));
        CloseSchedule();
        EXPECT_FALSE(IsSymlink(CalendarPath()));
        EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2024, IdRows(ScheduleRows)));
        EXPECT_EQ(ListFolder(Folder()), c.left);
        if (FileExists(victim)) {
            EXPECT_EQ(ReadFile(victim), "precious\n");
        }
    }
}

TEST_F(CalendarFileTest, AFailedRollLeavesTheCalendarWholeAndFindsNothing) {
    WriteCalendar(2023, IdRows(ScheduleRows));
    const std::string before = ReadFile(CalendarPath());
    for (unsigned long limit : {0ul, 100ul, 20000ul}) {
        StartYear = 2024;
        WithFileSizeLimit(limit, [] { SchedulePlus1Year(); });
        EXPECT_EQ(ReadFile(CalendarPath()), before) << "limit " << limit;
        EXPECT_EQ(ListFolder(Folder()), Names{CalendarFileName}) << "limit " << limit;
    }
    // A non-empty folder under the temporary name blocks the roll: the
    // year-old rows are never read as this year's.
    ASSERT_EQ(mkdir(TempPath().c_str(), 0755), 0);
    WriteFileRaw(TempPath() + "/inside", "x");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), kEmpty);
    ExpectEntry(GetNextSchedule(), kEmpty);
    CloseSchedule();
    EXPECT_EQ(ReadFile(CalendarPath()), before);
}

TEST_F(CalendarFileTest, LoadScheduleTakesLine1AsItIsAndKeepsTheLow8Bits) {
    std::vector<Row> rows = IdRows(ScheduleRows);
    rows[7] = Row{260, 300, -1};
    for (int i = 0; i < 50; ++i)
        rows.push_back(Row{9, 9, 9}); // past the last row: ignored
    WriteCalendar(2023, rows);        // a year old: loaded as it is, not rolled
    LoadSchedule();
    ASSERT_NE(PtSchedule, nullptr);
    rows[7] = Row{4, 44, 255};
    for (int r = 0; r < ScheduleRows; ++r) {
        SCOPED_TRACE(r);
        ExpectEntry(&PtSchedule[r], rows[r]);
        if (HasFailure()) break;
    }
    EXPECT_EQ(SplitLines(ReadFile(CalendarPath()))[0], "2023") << "loading changes no file";

    // A short file replaces only its rows; no file or an empty one empties all.
    WriteCalendar(2024, std::vector<Row>(10, Row{1, 2, 3}));
    LoadSchedule();
    ExpectEntry(&PtSchedule[9], Row{1, 2, 3});
    ExpectEntry(&PtSchedule[10], IdRow(10));
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        WriteCalendar(2024, IdRows(ScheduleRows));
        LoadSchedule();
        std::remove(CalendarPath().c_str());
        if (text) WriteFileRaw(CalendarPath(), text);
        LoadSchedule();
        for (int r = 0; r < ScheduleRows; ++r)
            ASSERT_EQ(PtSchedule[r].Button | PtSchedule[r].Hour | PtSchedule[r].Minute, 0) << r;
    }
}

TEST_F(CalendarFileTest, WriteScheduleWrites4465LinesStampedWithTheYearAndRequestsAReload) {
    LoadSchedule(); // no file: an empty calendar
    std::vector<Row> rows = EmptyRows();
    for (const auto& [r, row] :
         {std::pair{0, Row{1, 23, 55}}, {2232, Row{2, 0, 5}}, {4463, Row{255, 255, 255}}}) {
        rows[r] = row;
        PtSchedule[r] = ScheduleStr{static_cast<unsigned char>(row.button),
                                    static_cast<unsigned char>(row.hour),
                                    static_cast<unsigned char>(row.minute)};
    }
    WriteSchedule();
    EXPECT_EQ(ReadFile(CalendarPath()), CalendarText(2024, rows));
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "0\n1\n0\n");
    EXPECT_EQ(flag_LoadSCH, 0);
    EXPECT_EQ(ListFolder(Folder()), (Names{CalendarFileName, CommandFileName}));
    WriteScheduleForYear(2023);
    EXPECT_EQ(ReadFile(CalendarPath()), CalendarText(2023, rows));
    // A released calendar is never written.
    FreeSchedule();
    std::remove(CalendarPath().c_str());
    WriteSchedule();
    EXPECT_FALSE(FileExists(CalendarPath()));
}

} // namespace
