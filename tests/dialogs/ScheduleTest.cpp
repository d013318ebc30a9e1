// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The schedule: the window's work on the in-memory calendar (collecting,
// sorting and packing a day, copying it forward), then the window itself on
// a set clock: applying and saving.

#include <QtTest/QTest>

#include "DialogTestSupport.h"

namespace {

using namespace dialogs_test;
using corvanta_test::CalendarWith, corvanta_test::RowOf, corvanta_test::WriteFileRaw;

// Entries as "button:hour:minute " each, empty ones left out.
std::string Text(const ScheduleStr* e, int count) {
    std::string s;
    for (int k = 0; k < count; ++k)
        if (e[k].Button || e[k].Hour || e[k].Minute)
            s += std::to_string(e[k].Button) + ":" + std::to_string(e[k].Hour) + ":" +
                 std::to_string(e[k].Minute) + " ";
    return s;
}
std::string Day(int y, int m, int d) {
    ScheduleStr e[6];
    for (int k = 0; k < 6; ++k)
        e[k] = CalendarEntry(y, m, d, k);
    return Text(e, 6);
}
void Put(int y, int m, int d, const std::vector<ScheduleStr>& entries) {
    for (std::size_t k = 0; k < entries.size(); ++k)
        PtSchedule[CalendarIndex(y, m, d, static_cast<int>(k))] = entries[k];
}

class ScheduleModel : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTestTime(2026, 3, 15, 10, 0);
        AcquireCalendar();
        ASSERT_NE(PtSchedule, nullptr);
    }
};

TEST_F(ScheduleModel, RowsAreCollectedSortedStablyAndPacked) {
    // Rows as the pop-ups show them: action 1 None, 2 Shutdown; hour and
    // minute items one above the hour and the fifth minute.
    const RowValues rows{{2, 1, 2, 2, 2, 2}, {23, 5, 8, 13, 8, 1}, {7, 3, 2, 1, 2, 12}};
    ScheduleStr rec[6];
    ASSERT_EQ(CollectEntries(rows, rec), 5); // "None" with a time is dropped
    rec[1].Button = 2, rec[3].Button = 3;    // to see the order of equal times
    SortEntries(rec, 5);
    EXPECT_EQ(Text(rec, 5), "1:0:55 2:7:5 3:7:5 1:12:0 1:22:30 ");
    // The calendar's first day is stored as any other.
    Put(2026, 1, 1, {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 4, 4}, {1, 5, 5}, {1, 6, 6}});
    StoreDay(2026, 1, 1, rec, 2);
    EXPECT_EQ(Day(2026, 1, 1), "1:0:55 2:7:5 ");
    // Days outside the two years are neither read nor written.
    for (auto [y, m, d] : {std::array{2025, 12, 31}, {2028, 1, 1}, {2026, 13, 1}, {2026, 1, 32}}) {
        StoreDay(y, m, d, rec, 1), CopyDayForward(CopyMode::Daily, y, m, d);
        EXPECT_EQ(Day(y, m, d), "") << y << "-" << m << "-" << d;
    }
    StoreDay(2026, 1, 1, rec, 0);
    EXPECT_TRUE(std::all_of(PtSchedule, PtSchedule + ScheduleRows,
                            [](const ScheduleStr& e) { return Text(&e, 1).empty(); }));
}

TEST_F(ScheduleModel, CopiesGoToTheRightLaterSlotsOnly) {
    // From a day, the days that get its entries (+) and those that keep their
    // own (-); daily fills even the slots a month does not have.
    using enum CopyMode;
    // clang-format off
    const std::tuple<CopyMode, int, int, int, const char*> cases[] = {
        {Daily, 2026, 3, 15, "+20260315 +20260431 +20271231 -20260314 -20260231"},
        {Weekly, 2026, 3, 18, "+20260325 +20270106 -20260311 -20260326 -20271231"},
        {Monthly, 2026, 3, 31, "+20260331 +20260431 +20271231 -20260430 -20260228"},
        {Daily, 2027, 5, 12, "+20270512 +20270601 +20271231 -20270511 -20261231"},
        {Weekly, 2027, 5, 12, "+20270519 +20271229 -20270513 -20260513 -20270505"},
        {Monthly, 2027, 5, 12, "+20270612 +20271212 -20270613 -20260612 -20270412"}};
    // clang-format on
    for (const auto& [mode, y, m, d, probes] : cases) {
        std::fill(PtSchedule, PtSchedule + ScheduleRows, ScheduleStr{0, 0, 0});
        Put(y, m, d, {{1, 6, 0}, {1, 18, 0}});
        Put(2027, 12, 31, {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}}); // replaced whole when a target
        CopyDayForward(mode, y, m, d);
        std::istringstream in(probes);
        for (std::string p; in >> p;) {
            const int date = std::stoi(p.substr(1));
            const char* own = date == 20271231 ? "1:1:1 1:2:2 1:3:3 " : "";
            EXPECT_EQ(Day(date / 10000, date / 100 % 100, date % 100),
                      p[0] == '+' ? "1:6:0 1:18:0 " : own)
                << p << " from " << y * 10000 + m * 100 + d;
        }
    }
    // An empty day clears later ones too.
    CopyDayForward(Daily, 2027, 1, 1);
    EXPECT_EQ(Day(2027, 5, 12) + Day(2027, 12, 31), "");
}

TEST_F(ScheduleModel, TheCalendarGoesWithItsLastUserThenNoDayIsReadOrWritten) {
    AcquireCalendar();    // a second window
    ForgetCalendarUser(); // one goes without saving
    EXPECT_TRUE(ReleaseCalendar());
    EXPECT_EQ(PtSchedule, nullptr);
    const ScheduleStr rec[6] = {{1, 2, 5}};
    StoreDay(2026, 3, 20, rec, 1);
    EXPECT_EQ(Day(2026, 3, 20), "");
}

using ScheduleWindow = DialogTest;

TEST_F(ScheduleWindow, AppliesSortedAndSavesOnItsCloseBox) {
    SetTestTime(2026, 12, 31, 23, 59); // a Thursday; 1 December 2026 is a Tuesday
    WriteFileRaw(
        Path(CalendarFileName),
        CalendarWith(2026, {{12, 31, 0, 1, 22, 30}, {12, 31, 1, 1, 7, 7}, {12, 31, 2, 3, 1, 0}}));
    WindowRef w = Open("sche", "ScheduleWindow");
    EXPECT_EQ(GetControlValue(Control(w, "sche", 133)), 2); // action 3 pins to the last item
    // Applied, then saved: sorted, and 07:07 goes back as 07:05.
    SetValue(w, "sche", 131, 2), SetValue(w, "sche", 141, 24), SetValue(w, "sche", 151, 8);
    EXPECT_EQ(ProcessHICommand(FourCharCode("oned"), w), eventNotHandledErr);
    EXPECT_TRUE(NothingWritten());
    w->close(); // the close box saves as Close does
    EXPECT_EQ(PtSchedule, nullptr);
    const std::vector<std::string> lines = FileLines(CalendarFileName);
    const auto entry = [&](int k) { return lines[1 + RowOf(12, 31, k)]; };
    EXPECT_EQ(entry(0) + "|" + entry(1) + "|" + entry(2), "1\t1\t0|1\t7\t5|1\t23\t35");
    EXPECT_EQ(Requests(), "0\n1\n0\n");
}

TEST_F(ScheduleWindow, TheYearTheMonthAndAClickedDayChooseTheDayShown) {
    SetTestTime(2026, 3, 15, 10, 0); // March 2026 begins on a Sunday, April on a Wednesday
    WindowRef w = Open("sche", "ScheduleWindow");
    // Each day's first entry at an hour of its own.
    const auto hourOf = [](int date) { return static_cast<unsigned char>(date % 24); };
    for (int y : {2026, 2027})
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 31; ++d)
                PtSchedule[CalendarIndex(y, m, d, 0)] = {1, hourOf(y * 10000 + m * 100 + d), 0};
    const ControlRef calendar = Control(w, "sche", 128);
    const QSize cell = calendar->size() / 7;
    // A click in a week's row (-1: the day names) and column, the year or
    // month item chosen, or an arrow key on the calendar (a day or a week,
    // into the next or last month, within the calendar's two years); the day
    // then shown with its entries and its year and month.
    enum Step { Click, Year, Month, Key };
    const std::tuple<Step, int, int, int> steps[] = {
        {Click, 1, 1, 20260309},          {Click, 1, 2, 20260310},
        {Click, 2, 6, 20260321},          {Click, -1, 3, 20260321},
        {Click, 4, 3, 20260321},          {Month, 4, 0, 20260401},
        {Click, 0, 2, 20260401},          {Click, 1, 0, 20260405},
        {Year, 2, 0, 20270401},           {Month, 3, 0, 20270301},
        {Year, 1, 0, 20260315},           {Key, Qt::Key_Right, 0, 20260316},
        {Key, Qt::Key_Down, 0, 20260323}, {Key, Qt::Key_Down, 0, 20260330},
        {Key, Qt::Key_Down, 0, 20260406}, {Key, Qt::Key_Up, 0, 20260330},
        {Key, Qt::Key_Left, 0, 20260329}, {Month, 1, 0, 20260101},
        {Key, Qt::Key_Left, 0, 20260101}, {Year, 2, 0, 20270101},
        {Key, Qt::Key_Up, 0, 20261225},   {Key, Qt::Key_Right, 0, 20261226},
        {Year, 2, 0, 20271201},           {Key, Qt::Key_Down, 0, 20271208},
        {Key, Qt::Key_Down, 0, 20271215}, {Key, Qt::Key_Down, 0, 20271222},
        {Key, Qt::Key_Down, 0, 20271229}, {Key, Qt::Key_Right, 0, 20271230},
        {Key, Qt::Key_Down, 0, 20271230}};
    for (const auto& [step, a, b, date] : steps) {
        QCoreApplication::processEvents(); // the drawing places the month's days
        if (step == Key)
            QTest::keyClick(calendar, static_cast<Qt::Key>(a));
        else if (step == Click)
            QTest::mouseClick(calendar, Qt::LeftButton, {},
                              QPoint(b * cell.width() + 5, (a + 1) * cell.height() + 5));
        else
            SetValue(w, "sche", step == Year ? 129 : 130, a),
                ProcessHICommand(FourCharCode(step == Year ? "sely" : "selm"), w);
        EXPECT_EQ(SelectYear * 10000 + SelectMonth * 100 + SelectDay, date) << step << a << b;
        EXPECT_EQ(GetControlValue(Control(w, "sche", 141)) - 1, hourOf(date)) << date;
        EXPECT_EQ(GetControlValue(Control(w, "sche", 129)), date / 10000 - 2025) << date;
        EXPECT_EQ(GetControlValue(Control(w, "sche", 130)), date / 100 % 100) << date;
    }
}

} // namespace
