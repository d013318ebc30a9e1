// The schedule window's work on the in-memory calendar: collecting, sorting
// and packing a day, copying it forward, sharing the calendar, New Year.
#include <gtest/gtest.h>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "ScheduleTesting.h"
#include "file.h"

namespace {

using corvanta_test::ReadFile;
using corvanta_test::SplitLines;

bool Same(const ScheduleStr& a, const ScheduleStr& b) {
    return a.Button == b.Button && a.Hour == b.Hour && a.Minute == b.Minute;
}

// Weekday of a civil date, 0 = Sunday, counted independently of the engine.
int Weekday(int y, int m, int d) {
    if (m < 3) {
        m += 12;
        --y;
    }
    const int k = y % 100, j = y / 100;
    const int h = (d + 13 * (m + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7; // 0 = Saturday
    return (h + 6) % 7;
}

class ScheduleModel : public corvanta_test::CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        ResetCalendarUsers();
        SetTestTime(2026, 3, 15, 10, 0); // a Sunday
        AcquireCalendar();
        ASSERT_NE(PtSchedule, nullptr);
    }
    void TearDown() override {
        ResetCalendarUsers();
        CoreTest::TearDown();
    }

    static void Put(int y, int m, int d, std::initializer_list<ScheduleStr> entries) {
        int k = 0;
        for (const ScheduleStr& e : entries)
            PtSchedule[CalendarIndex(y, m, d, k++)] = e;
    }
    // The day's six entries equal the given ones followed by empty entries.
    static ::testing::AssertionResult DayHolds(int y, int m, int d,
                                               std::initializer_list<ScheduleStr> entries) {
        int k = 0;
        for (const ScheduleStr& e : entries) {
            if (!Same(CalendarEntry(y, m, d, k), e))
                return ::testing::AssertionFailure() << y << "-" << m << "-" << d << " entry " << k;
            ++k;
        }
        for (; k < 6; ++k)
            if (!Same(CalendarEntry(y, m, d, k), {0, 0, 0}))
                return ::testing::AssertionFailure()
                       << y << "-" << m << "-" << d << " entry " << k << " not empty";
        return ::testing::AssertionSuccess();
    }
    static RowValues NoneRows() {
        RowValues rows{};
        for (int r = 0; r < 6; ++r)
            rows.action[r] = rows.hour[r] = rows.minute[r] = 1;
        return rows;
    }
    static void Apply(int y, int m, int d, const RowValues& rows) {
        ScheduleStr rec[6];
        const int n = CollectEntries(rows, rec);
        SortEntries(rec, n);
        StoreDay(y, m, d, rec, n);
    }
};

TEST_F(ScheduleModel, RowsAreCollectedSortedAndPacked) {
    RowValues rows = NoneRows();
    rows.action[0] = 2; // Shutdown 22:30
    rows.hour[0] = 23;
    rows.minute[0] = 7;
    rows.hour[1] = 5; // "None" with a time: dropped
    rows.minute[1] = 3;
    rows.action[2] = 2; // Shutdown 07:05
    rows.hour[2] = 8;
    rows.minute[2] = 2;
    Put(2026, 3, 20, {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 4, 4}, {1, 5, 5}, {1, 6, 6}});
    Apply(2026, 3, 20, rows);
    EXPECT_TRUE(DayHolds(2026, 3, 20, {{1, 7, 5}, {1, 22, 30}}));
    Apply(2026, 3, 20, NoneRows());
    EXPECT_TRUE(DayHolds(2026, 3, 20, {}));
}

TEST_F(ScheduleModel, SortingKeepsEqualTimesInRowOrder) {
    ScheduleStr rec[6] = {{4, 12, 0}, {2, 8, 30}, {3, 12, 0}, {1, 8, 30}, {5, 0, 55}, {6, 12, 0}};
    SortEntries(rec, 6);
    const ScheduleStr want[6] = {{5, 0, 55}, {2, 8, 30}, {1, 8, 30},
                                 {4, 12, 0}, {3, 12, 0}, {6, 12, 0}};
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(Same(rec[i], want[i])) << i;
    ScheduleStr one[6] = {{1, 9, 0}};
    SortEntries(one, 1);
    EXPECT_TRUE(Same(one[0], {1, 9, 0}));
    SortEntries(one, 0);
}

TEST_F(ScheduleModel, DailyCopiesToEverySlotFromTheDayOn) {
    Put(2026, 3, 14, {{1, 9, 0}});
    Put(2026, 3, 15, {{1, 23, 55}});
    CopyDayForward(CopyMode::Daily, 2026, 3, 15);
    EXPECT_TRUE(DayHolds(2026, 3, 14, {{1, 9, 0}}));
    EXPECT_TRUE(DayHolds(2026, 1, 20, {}));
    for (int m = 0; m < 24; ++m) {
        const int y = 2026 + m / 12, mo = m % 12 + 1;
        for (int d = 1; d <= 31; ++d) {
            const bool target = y > 2026 || mo > 3 || (mo == 3 && d >= 15);
            if (target) {
                EXPECT_TRUE(DayHolds(y, mo, d, {{1, 23, 55}}));
            } else if (!(mo == 3 && d == 14)) {
                EXPECT_TRUE(DayHolds(y, mo, d, {}));
            }
        }
    }
    // Even the slots a month does not have.
    EXPECT_TRUE(DayHolds(2027, 2, 30, {{1, 23, 55}}));
    // A cleared day clears every later day.
    Apply(2026, 3, 15, NoneRows());
    CopyDayForward(CopyMode::Daily, 2026, 3, 15);
    EXPECT_TRUE(DayHolds(2027, 12, 31, {}));
    EXPECT_TRUE(DayHolds(2026, 3, 14, {{1, 9, 0}}));
}

TEST_F(ScheduleModel, WeeklyCopiesToLaterSameWeekdaysOnly) {
    ASSERT_EQ(Weekday(2026, 3, 18), 3); // a Wednesday
    Put(2026, 3, 18, {{1, 6, 0}, {1, 18, 0}});
    Put(2026, 3, 11, {{1, 1, 0}});
    CopyDayForward(CopyMode::Weekly, 2026, 3, 18);
    int copies = 0;
    for (int m = 0; m < 24; ++m) {
        const int y = 2026 + m / 12, mo = m % 12 + 1;
        for (int d = 1; d <= 31; ++d) {
            const bool real = d <= GetMonthDays(y, mo);
            const bool later = y > 2026 || mo > 3 || (mo == 3 && d >= 18);
            if (real && later && Weekday(y, mo, d) == 3) {
                EXPECT_TRUE(DayHolds(y, mo, d, {{1, 6, 0}, {1, 18, 0}})) << y << mo << d;
                ++copies;
            } else if (!(y == 2026 && mo == 3 && d == 11)) {
                EXPECT_TRUE(DayHolds(y, mo, d, {}));
            }
        }
    }
    EXPECT_TRUE(DayHolds(2026, 3, 11, {{1, 1, 0}}));
    EXPECT_EQ(copies, 94); // 18 March 2026 to 29 December 2027
}

TEST_F(ScheduleModel, MonthlyCopiesToTheSameSlotOfLaterMonths) {
    Put(2026, 3, 31, {{1, 12, 0}});
    Put(2026, 1, 31, {{1, 1, 5}});
    CopyDayForward(CopyMode::Monthly, 2026, 3, 31);
    EXPECT_TRUE(DayHolds(2026, 1, 31, {{1, 1, 5}}));
    EXPECT_TRUE(DayHolds(2026, 2, 31, {}));
    for (int m = 2; m < 24; ++m) {
        const int y = 2026 + m / 12, mo = m % 12 + 1;
        EXPECT_TRUE(DayHolds(y, mo, 31, {{1, 12, 0}})) << y << "-" << mo;
        EXPECT_TRUE(DayHolds(y, mo, 30, {}));
    }
}

TEST_F(ScheduleModel, CopiesFromTheNextYearLeaveThisYearAlone) {
    Put(2027, 5, 12, {{1, 8, 15}});
    Put(2026, 11, 3, {{1, 2, 0}});
    for (CopyMode mode : {CopyMode::Daily, CopyMode::Weekly, CopyMode::Monthly})
        CopyDayForward(mode, 2027, 5, 12);
    for (int mo = 1; mo <= 12; ++mo)
        for (int d = 1; d <= 31; ++d)
            if (!(mo == 11 && d == 3)) {
                EXPECT_TRUE(DayHolds(2026, mo, d, {}));
            }
    EXPECT_TRUE(DayHolds(2026, 11, 3, {{1, 2, 0}}));
    EXPECT_TRUE(DayHolds(2027, 5, 11, {}));
    EXPECT_TRUE(DayHolds(2027, 5, 13, {{1, 8, 15}}));
    EXPECT_TRUE(DayHolds(2027, 12, 31, {{1, 8, 15}}));
}

TEST_F(ScheduleModel, DaysOutsideTheCalendarAreNeitherReadNorWritten) {
    const struct {
        int y, m, d, k;
    } outside[] = {{2025, 12, 31, 0}, {2028, 1, 1, 0},  {2026, 0, 1, 0}, {2026, 13, 1, 0},
                   {2026, 1, 0, 0},   {2026, 1, 32, 0}, {2026, 1, 1, 6}, {2026, 1, 1, -1}};
    for (const auto& o : outside)
        EXPECT_EQ(CalendarIndex(o.y, o.m, o.d, o.k), -1);
    EXPECT_EQ(CalendarIndex(2026, 1, 1, 0), 0);
    EXPECT_EQ(CalendarIndex(2027, 12, 31, 5), ScheduleRows - 1);
    const ScheduleStr rec[6] = {{1, 1, 1}};
    StoreDay(2028, 1, 1, rec, 1);
    StoreDay(2025, 12, 31, rec, 1);
    CopyDayForward(CopyMode::Daily, 2025, 12, 31);
    for (int i = 0; i < ScheduleRows; ++i)
        ASSERT_TRUE(Same(PtSchedule[i], {0, 0, 0})) << i;
}

TEST_F(ScheduleModel, FirstWeekdayIsRightForEveryYearTheWindowMeets) {
    for (int y = 2025; y <= 2027; ++y)
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(FirstWeekday(y, m), Weekday(y, m, 1)) << y << m;
}

TEST_F(ScheduleModel, SeveralWindowsShareTheCalendarUntilTheLastOneGoes) {
    AcquireCalendar(); // a second window
    EXPECT_EQ(CalendarUsers(), 2);
    Put(2026, 4, 1, {{1, 10, 0}});
    EXPECT_FALSE(SaveAndReleaseCalendar());
    ASSERT_NE(PtSchedule, nullptr);
    // The one still open keeps working on the same calendar.
    Put(2026, 4, 2, {{1, 11, 0}});
    EXPECT_TRUE(DayHolds(2026, 4, 1, {{1, 10, 0}}));
    EXPECT_TRUE(SaveAndReleaseCalendar());
    EXPECT_EQ(PtSchedule, nullptr);
    EXPECT_EQ(CalendarIndex(2026, 4, 1, 0), -1);
    EXPECT_TRUE(Same(CalendarEntry(2026, 4, 1, 0), {0, 0, 0}));
    const std::vector<std::string> lines = SplitLines(ReadFile(Path(CalendarFileName)));
    ASSERT_EQ(lines.size(), 4465u);
    EXPECT_EQ(lines[0], "2026");
    EXPECT_EQ(lines[1 + corvanta_test::RowOf(4, 1, 0)], "1\t10\t0");
    EXPECT_EQ(lines[1 + corvanta_test::RowOf(4, 2, 0)], "1\t11\t0");
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "0\n1\n0\n");
}

TEST_F(ScheduleModel, AWindowOpenAcrossNewYearKeepsItsYearAndSavesStampedWithIt) {
    ResetCalendarUsers();
    FreeSchedule();
    SetTestTime(2026, 12, 31, 23, 58);
    AcquireCalendar();
    AdvanceTestTime(5 * 60); // 1 January 2027
    EXPECT_EQ(CalendarBaseYear(), 2026);
    Put(2026, 12, 31, {{1, 23, 59}});
    Put(2027, 1, 2, {{1, 8, 0}});
    CopyDayForward(CopyMode::Monthly, 2027, 1, 2);
    EXPECT_TRUE(DayHolds(2027, 12, 2, {{1, 8, 0}}));
    EXPECT_TRUE(SaveAndReleaseCalendar());
    EXPECT_EQ(SplitLines(ReadFile(Path(CalendarFileName)))[0], "2026");
    // The next search rolls the calendar into 2027.
    ASSERT_EQ(OpenRSchedule(), 1);
    const ScheduleStr* e = GetSchedule(1, 2, 0);
    EXPECT_TRUE(Same(*e, {1, 8, 0}));
    EXPECT_TRUE(Same(*GetSchedule(12, 2, 0), {1, 8, 0}));
    EXPECT_TRUE(Same(*GetSchedule(13, 2, 0), {0, 0, 0}));
    CloseSchedule();
    EXPECT_EQ(SplitLines(ReadFile(Path(CalendarFileName)))[0], "2027");
}

} // namespace
