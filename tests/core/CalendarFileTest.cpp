// The calendar file ZAN_CALENDAR.DAT: row arithmetic of the lookups, the roll
// of a year-old calendar, deletion of outdated ones, the temporary file of the
// roll, and loading and saving the in-memory calendar.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Folder.h"
#include "file.h"

namespace {

using namespace corvanta_test;

// A row that tells which row it was: r = Button + 256 * Hour.
Row IdRow(int r) {
    return Row{r % 256, r / 256, r % 60};
}

std::vector<Row> IdRows(int count) {
    std::vector<Row> rows;
    for (int r = 0; r < count; ++r)
        rows.push_back(IdRow(r));
    return rows;
}

void ExpectEntry(const ScheduleStr* e, const Row& want, const std::string& what) {
    ASSERT_NE(e, nullptr) << what;
    EXPECT_EQ(e->Button, want.button) << what;
    EXPECT_EQ(e->Hour, want.hour) << what;
    EXPECT_EQ(e->Minute, want.minute) << what;
}

void ExpectEmpty(const ScheduleStr* e, const std::string& what) {
    ExpectEntry(e, Row{0, 0, 0}, what);
}

// The text a roll of a calendar with the given rows must produce.
std::string RolledText(int year, const std::vector<Row>& oldRows) {
    std::vector<Row> rows;
    for (int r = ScheduleRowsPerYear; r < ScheduleRows; ++r)
        rows.push_back(r < static_cast<int>(oldRows.size()) ? oldRows[r] : Row{0, 0, 0});
    rows.resize(ScheduleRows, Row{0, 0, 0});
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

// ---- lookups ----

TEST_F(CalendarFileTest, GetScheduleReadsTheRowOfItsSlot) {
    WriteCalendar(2024, IdRows(ScheduleRows));
    ASSERT_EQ(OpenRSchedule(), 1);
    EXPECT_EQ(StartYear, 2024);
    struct Case {
        int month, day, item, row; // row 0 is file line 2
    };
    const Case cases[] = {
        {1, 1, 0, 0},      // line 2
        {13, 1, 0, 2232},  // line 2234: 1 January of the next year
        {24, 31, 5, 4463}, // line 4465, the last
        {1, 1, 5, 5},      {1, 2, 0, 6},
        {2, 1, 0, 186},    {2, 30, 3, 186 + 29 * 6 + 3}, // the slot of 30 February exists
        {12, 31, 5, 2231}, {5, 15, 0, 4 * 186 + 14 * 6},
        {1, 1, 0, 0}, // going back to the start works too
    };
    for (const Case& c : cases) {
        ExpectEntry(GetSchedule(c.month, c.day, c.item), IdRow(c.row),
                    "GetSchedule(" + std::to_string(c.month) + "," + std::to_string(c.day) + "," +
                        std::to_string(c.item) + ")");
    }
    CloseSchedule();
    CloseSchedule(); // a second close does nothing
    EXPECT_EQ(PtScheduleFile, nullptr);
}

TEST_F(CalendarFileTest, GetNextScheduleReadsOnAndGivesEmptyPastTheEnd) {
    WriteCalendar(2024, IdRows(ScheduleRows));
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(5, 15, 2), IdRow(RowOf(5, 15, 2)), "start");
    for (int i = 1; i <= 10; ++i)
        ExpectEntry(GetNextSchedule(), IdRow(RowOf(5, 15, 2) + i), "next " + std::to_string(i));
    ExpectEntry(GetSchedule(24, 31, 4), IdRow(4462), "second lookup");
    ExpectEntry(GetNextSchedule(), IdRow(4463), "the last row");
    ExpectEmpty(GetNextSchedule(), "past the end");
    ExpectEmpty(GetNextSchedule(), "past the end again");
    CloseSchedule();
    ExpectEmpty(GetNextSchedule(), "after the close");
}

TEST_F(CalendarFileTest, NoFileOrAnEmptyFileGivesEmptyEntries) {
    EXPECT_EQ(OpenRSchedule(), 0);
    EXPECT_EQ(StartYear, 2024);
    CloseSchedule();

    WriteFileRaw(CalendarPath(), "");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEmpty(GetSchedule(1, 1, 0), "empty file");
    ExpectEmpty(GetNextSchedule(), "empty file, next");
    CloseSchedule();
}

TEST_F(CalendarFileTest, AShortFileGivesEmptyEntriesPastItsEnd) {
    WriteCalendar(2024, IdRows(100));
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 17, 3), IdRow(99), "last row present");
    ExpectEmpty(GetNextSchedule(), "row 100 is missing");
    ExpectEmpty(GetSchedule(1, 17, 4), "row 100 by lookup");
    ExpectEntry(GetSchedule(1, 1, 1), IdRow(1), "back to the start");
    CloseSchedule();
}

TEST_F(CalendarFileTest, ReadingOnAfterAMissingRowStaysAtTheEnd) {
    // A lookup that finds no row has read the file to its end: the rows that
    // follow it are missing too, never rows from the top of the file.
    WriteCalendar(2024, IdRows(100));
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEmpty(GetSchedule(5, 15, 0), "row 828 is missing");
    for (int i = 0; i < 5; ++i)
        ExpectEmpty(GetNextSchedule(), "after the missing row");
    CloseSchedule();
}

TEST_F(CalendarFileTest, RowsKeepTheirLow8BitsAndMalformedRowsReadAsZero) {
    std::vector<Row> rows = EmptyRows();
    rows[0] = Row{260, 300, -1};
    WriteCalendar(2024, rows);
    std::string text = ReadFile(CalendarPath());
    // Replace row 1 and row 2 with malformed text.
    const std::string header = "2024\n260\t300\t-1\n";
    ASSERT_EQ(text.compare(0, header.size(), header), 0);
    text.replace(header.size(), 12, "a\tb\tc\n7\n\n\n");
    WriteFileRaw(CalendarPath(), text);
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), Row{4, 44, 255}, "low 8 bits");
    ExpectEntry(GetNextSchedule(), Row{0, 0, 0}, "letters");
    ExpectEntry(GetNextSchedule(), Row{7, 0, 0}, "one token");
    ExpectEntry(GetNextSchedule(), Row{0, 0, 0}, "empty line");
    CloseSchedule();
}

// ---- outdated calendars ----

TEST_F(CalendarFileTest, AYearOldCalendarIsRolledByTheFirstLookup) {
    const std::vector<Row> old = IdRows(ScheduleRows);
    WriteCalendar(2023, old);
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), IdRow(2232), "the old second year moved up");
    ExpectEntry(GetNextSchedule(), IdRow(2233), "and reads on in the rolled file");
    ExpectEntry(GetSchedule(12, 31, 5), IdRow(4463), "last of the first half");
    ExpectEmpty(GetSchedule(13, 1, 0), "the new second year is empty");
    CloseSchedule();
    EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2024, old));
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{CalendarFileName})
        << "the temporary file is gone";
}

TEST_F(CalendarFileTest, ARollPadsAShortFile) {
    const std::vector<Row> old = IdRows(3000);
    WriteCalendar(2023, old);
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), IdRow(2232), "first");
    CloseSchedule();
    const std::string rolled = ReadFile(CalendarPath());
    EXPECT_EQ(rolled, RolledText(2024, old));
    EXPECT_EQ(SplitLines(rolled).size(), 4465u);

    // Fewer rows than one year: everything empty, still 4465 lines.
    WriteCalendar(2023, IdRows(100));
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEmpty(GetSchedule(1, 1, 0), "nothing left");
    CloseSchedule();
    EXPECT_EQ(ReadFile(CalendarPath()), CalendarText(2024, EmptyRows()));
}

TEST_F(CalendarFileTest, SchedulePlus1YearShiftsWhateverYearLine1Holds) {
    WriteCalendar(1999, IdRows(ScheduleRows));
    StartYear = 2030;
    SchedulePlus1Year();
    EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2030, IdRows(ScheduleRows)));
}

TEST_F(CalendarFileTest, SchedulePlus1YearKeepsRowTextAsItIs) {
    // Row text is copied without its line feed and written again with one.
    std::string text = "2023\n";
    for (int r = 0; r < ScheduleRows; ++r)
        text += r == 2232 ? "01\t002\t3 \n" : "0\t0\t0\n";
    WriteFileRaw(CalendarPath(), text);
    StartYear = 2024;
    SchedulePlus1Year();
    const std::vector<std::string> lines = SplitLines(ReadFile(CalendarPath()));
    ASSERT_EQ(lines.size(), 4465u);
    EXPECT_EQ(lines[0], "2024");
    EXPECT_EQ(lines[1], "01\t002\t3 ");
}

TEST_F(CalendarFileTest, SchedulePlus1YearWithoutACalendarDoesNothing) {
    StartYear = 2024;
    SchedulePlus1Year();
    EXPECT_TRUE(ListFolder(Folder()).empty());
}

TEST_F(CalendarFileTest, OutdatedOrFutureCalendarsAreDeleted) {
    for (int year : {2022, 2021, 1900, 2025, 2026, 0}) {
        WriteCalendar(year, IdRows(ScheduleRows));
        ASSERT_EQ(OpenRSchedule(), 1);
        ExpectEmpty(GetSchedule(1, 1, 0), "year " + std::to_string(year));
        ExpectEmpty(GetNextSchedule(), "then next");
        ExpectEmpty(GetSchedule(13, 1, 0), "then another lookup");
        CloseSchedule();
        EXPECT_FALSE(FileExists(CalendarPath())) << year;
        EXPECT_TRUE(ListFolder(Folder()).empty()) << year;
    }
    // A first line that is no number at all reads as year 0.
    WriteFileRaw(CalendarPath(), "garbage\n1\t2\t3\n");
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEmpty(GetSchedule(1, 1, 0), "garbage year");
    CloseSchedule();
    EXPECT_FALSE(FileExists(CalendarPath()));
}

// ---- the roll's temporary file ----

TEST_F(CalendarFileTest, ALeftoverTemporaryFileNeverBlocksTheRoll) {
    WriteFileRaw(TempPath(), "left behind by a crash\n");
    chmod(TempPath().c_str(), 0400);
    WriteCalendar(2023, IdRows(ScheduleRows));
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), IdRow(2232), "rolled");
    CloseSchedule();
    EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2024, IdRows(ScheduleRows)));
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{CalendarFileName});
}

TEST_F(CalendarFileTest, ALinkPlantedUnderTheTemporaryNameIsNeverFollowed) {
    const std::string victim = Path("victim");
    WriteFileRaw(victim, "precious\n");
    ASSERT_EQ(symlink(victim.c_str(), TempPath().c_str()), 0);
    WriteCalendar(2023, IdRows(ScheduleRows));
    ASSERT_EQ(OpenRSchedule(), 1);
    ExpectEntry(GetSchedule(1, 1, 0), IdRow(2232), "rolled");
    CloseSchedule();
    EXPECT_EQ(ReadFile(victim), "precious\n") << "the link target is untouched";
    EXPECT_FALSE(IsSymlink(CalendarPath()));
    EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2024, IdRows(ScheduleRows)));
    EXPECT_EQ(ListFolder(Folder()), (std::vector<std::string>{CalendarFileName, "victim"}));
}

TEST_F(CalendarFileTest, ADanglingLinkUnderTheTemporaryNameCreatesNothing) {
    const std::string target = Path("made-through-link");
    ASSERT_EQ(symlink(target.c_str(), TempPath().c_str()), 0);
    WriteCalendar(2023, IdRows(ScheduleRows));
    StartYear = 2024;
    SchedulePlus1Year();
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2024, IdRows(ScheduleRows)));
}

TEST_F(CalendarFileTest, ALinkFromTheTemporaryNameToTheCalendarItself) {
    // Following it would truncate the calendar while the roll reads it.
    ASSERT_EQ(symlink(CalendarPath().c_str(), TempPath().c_str()), 0);
    WriteCalendar(2023, IdRows(ScheduleRows));
    StartYear = 2024;
    SchedulePlus1Year();
    EXPECT_FALSE(IsSymlink(CalendarPath()));
    EXPECT_EQ(ReadFile(CalendarPath()), RolledText(2024, IdRows(ScheduleRows)));
}

TEST_F(CalendarFileTest, AFailedRollLeavesTheCalendarAsItWas) {
    // A non-empty folder under the temporary name cannot be removed.
    ASSERT_EQ(mkdir(TempPath().c_str(), 0755), 0);
    WriteFileRaw(TempPath() + "/inside", "x");
    WriteCalendar(2023, IdRows(ScheduleRows));
    const std::string before = ReadFile(CalendarPath());
    ASSERT_EQ(OpenRSchedule(), 1);
    const ScheduleStr got = *GetSchedule(1, 1, 0);
    CloseSchedule();
    const std::string after = ReadFile(CalendarPath());
    if (after == before) {
        // The roll could not create its temporary file: the lookup is empty.
        ExpectEmpty(&got, "the roll failed");
    } else {
        // An implementation may roll through another name; then it is whole.
        EXPECT_EQ(after, RolledText(2024, IdRows(ScheduleRows)));
        ExpectEntry(&got, IdRow(2232), "rolled");
    }
    EXPECT_EQ(ReadFile(TempPath() + "/inside"), "x");
}

// Runs body with the process's file size limit at limitBytes, as a full disk
// would behave for writes past that size.
template <class Body> void WithFileSizeLimit(rlim_t limitBytes, Body body) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = limitBytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    body();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
}

TEST_F(CalendarFileTest, ARollOnAFullDiskLeavesTheCalendarWhole) {
    for (rlim_t limit : {rlim_t{0}, rlim_t{100}, rlim_t{5000}, rlim_t{20000}}) {
        WriteCalendar(2023, IdRows(ScheduleRows));
        const std::string before = ReadFile(CalendarPath());
        StartYear = 2024;
        WithFileSizeLimit(limit, [] { SchedulePlus1Year(); });
        EXPECT_EQ(ReadFile(CalendarPath()), before) << "limit " << limit;
        EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{CalendarFileName})
            << "limit " << limit;
    }
}

TEST_F(CalendarFileTest, ASaveOnAFullDiskLeavesTheCalendarWholeAndSendsNoRequest) {
    WriteCalendar(2024, IdRows(ScheduleRows));
    const std::string before = ReadFile(CalendarPath());
    LoadSchedule();
    PtSchedule[0] = ScheduleStr{1, 2, 3};
    WithFileSizeLimit(4096, [] { WriteSchedule(); });
    EXPECT_EQ(ReadFile(CalendarPath()), before);
    EXPECT_EQ(flag_LoadSCH, 0);
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{CalendarFileName});
}

// ---- the in-memory calendar ----

TEST_F(CalendarFileTest, LoadScheduleIgnoresLine1AndKeepsTheLow8Bits) {
    std::vector<Row> rows = IdRows(ScheduleRows);
    rows[7] = Row{260, 300, -1};
    WriteCalendar(2023, rows); // a year old: loaded as it is, not rolled
    LoadSchedule();
    ASSERT_NE(PtSchedule, nullptr);
    for (int r = 0; r < ScheduleRows; ++r) {
        if (r == 7) continue;
        ASSERT_EQ(PtSchedule[r].Button, IdRow(r).button) << r;
        ASSERT_EQ(PtSchedule[r].Hour, IdRow(r).hour) << r;
        ASSERT_EQ(PtSchedule[r].Minute, IdRow(r).minute) << r;
    }
    EXPECT_EQ(PtSchedule[7].Button, 4);
    EXPECT_EQ(PtSchedule[7].Hour, 44);
    EXPECT_EQ(PtSchedule[7].Minute, 255);
    EXPECT_EQ(ReadFile(CalendarPath()), CalendarText(2023, rows)) << "loading changes no file";
}

TEST_F(CalendarFileTest, LoadScheduleWithoutAFileEmptiesEverything) {
    WriteCalendar(2024, IdRows(ScheduleRows));
    LoadSchedule();
    ASSERT_EQ(PtSchedule[300].Button, IdRow(300).button);
    std::remove(CalendarPath().c_str());
    LoadSchedule();
    for (int r = 0; r < ScheduleRows; ++r) {
        ASSERT_EQ(PtSchedule[r].Button | PtSchedule[r].Hour | PtSchedule[r].Minute, 0) << r;
    }
    // An empty file, too.
    WriteCalendar(2024, IdRows(ScheduleRows));
    LoadSchedule();
    WriteFileRaw(CalendarPath(), "");
    LoadSchedule();
    for (int r = 0; r < ScheduleRows; ++r) {
        ASSERT_EQ(PtSchedule[r].Button | PtSchedule[r].Hour | PtSchedule[r].Minute, 0) << r;
    }
}

TEST_F(CalendarFileTest, LoadScheduleOfAShortFileKeepsTheRest) {
    WriteCalendar(2024, IdRows(ScheduleRows));
    LoadSchedule();
    std::vector<Row> shortRows(10, Row{1, 2, 3});
    WriteCalendar(2024, shortRows);
    LoadSchedule();
    for (int r = 0; r < 10; ++r)
        EXPECT_EQ(PtSchedule[r].Button, 1) << r;
    for (int r = 10; r < ScheduleRows; ++r) {
        ASSERT_EQ(PtSchedule[r].Button, IdRow(r).button) << r;
        ASSERT_EQ(PtSchedule[r].Hour, IdRow(r).hour) << r;
    }
    // A fresh allocation starts all zero.
    FreeSchedule();
    EXPECT_EQ(PtSchedule, nullptr);
    LoadSchedule();
    for (int r = 10; r < ScheduleRows; ++r)
        ASSERT_EQ(PtSchedule[r].Button, 0) << r;
}

TEST_F(CalendarFileTest, LoadScheduleIgnoresRowsPastTheLast) {
    std::vector<Row> rows = IdRows(ScheduleRows);
    for (int i = 0; i < 500; ++i)
        rows.push_back(Row{9, 9, 9});
    WriteCalendar(2024, rows);
    LoadSchedule();
    EXPECT_EQ(PtSchedule[ScheduleRows - 1].Button, IdRow(ScheduleRows - 1).button);
    EXPECT_EQ(PtSchedule[0].Button, 0);
}

TEST_F(CalendarFileTest, LoadScheduleSurvivesOverlongAndMalformedRows) {
    std::string text =
        "2024\n" + std::string(5000, '7') + "\n\t\t\t\t\n1\t2\n" + std::string(3000, '\t') + "\n";
    WriteFileRaw(CalendarPath(), text);
    LoadSchedule();
    ASSERT_NE(PtSchedule, nullptr);
}

TEST_F(CalendarFileTest, WriteScheduleWrites4465LinesStampedWithTheYear) {
    LoadSchedule(); // no file: an empty calendar
    PtSchedule[0] = ScheduleStr{1, 23, 55};
    PtSchedule[2232] = ScheduleStr{2, 0, 5};
    PtSchedule[4463] = ScheduleStr{255, 255, 255};
    WriteSchedule();
    std::vector<Row> rows = EmptyRows();
    rows[0] = Row{1, 23, 55};
    rows[2232] = Row{2, 0, 5};
    rows[4463] = Row{255, 255, 255};
    const std::string text = ReadFile(CalendarPath());
    EXPECT_EQ(text, CalendarText(2024, rows));
    EXPECT_EQ(SplitLines(text).size(), 4465u);
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "0\n1\n0\n");
    EXPECT_EQ(flag_LoadSCH, 0);
    EXPECT_EQ(ListFolder(Folder()), (std::vector<std::string>{CalendarFileName, CommandFileName}));
}

TEST_F(CalendarFileTest, WriteThenLoadRoundTrips) {
    LoadSchedule();
    for (int r = 0; r < ScheduleRows; ++r)
        PtSchedule[r] =
            ScheduleStr{static_cast<unsigned char>(r % 5), static_cast<unsigned char>(r % 24),
                        static_cast<unsigned char>((r * 5) % 60)};
    WriteSchedule();
    FreeSchedule();
    LoadSchedule();
    for (int r = 0; r < ScheduleRows; ++r) {
        ASSERT_EQ(PtSchedule[r].Button, r % 5) << r;
        ASSERT_EQ(PtSchedule[r].Hour, r % 24) << r;
        ASSERT_EQ(PtSchedule[r].Minute, (r * 5) % 60) << r;
    }
}

TEST_F(CalendarFileTest, WriteScheduleForYearStampsTheGivenYear) {
    LoadSchedule();
    WriteScheduleForYear(2023);
    EXPECT_EQ(ReadFile(CalendarPath()), CalendarText(2023, EmptyRows()));
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "0\n1\n0\n");
}

TEST_F(CalendarFileTest, AFailedWriteSendsNoRequest) {
    LoadSchedule();
    std::string error;
    ASSERT_TRUE(SetCurDir(Path("missing").c_str(), &error));
    WriteSchedule();
    EXPECT_EQ(flag_LoadSCH, 0);
    EXPECT_FALSE(FileExists(Path("missing")));
}

} // namespace
