// The schedule window on a set clock: filling, showing a day, applying rows,
// choosing month, year and day, closing, and the shared calendar.
#include <gtest/gtest.h>

#include <QComboBox>
#include <algorithm>

#include "Clock.h"
#include "Controls.h"
#include <QWidget>

#include "DialogTestSupport.h"
#include "Dialogs.h"
#include "PlatformTesting.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "ScheduleWindow.h"
#include "Windows.h"
#include "file.h"

namespace {

using namespace dialogs_test;
using corvanta_test::CalendarText;
using corvanta_test::EmptyRows;
using corvanta_test::FileExists;
using corvanta_test::ReadFile;
using corvanta_test::Row;
using corvanta_test::RowOf;
using corvanta_test::SplitLines;

struct Shown {
    int action, hour, minute;
    bool operator==(const Shown&) const = default;
};

class ScheduleWindow : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTestTime(2026, 12, 31, 10, 0); // a Thursday; 1 December 2026 is a Tuesday
        std::vector<Row> rows = EmptyRows();
        rows[RowOf(12, 31, 0)] = {1, 22, 30};
        rows[RowOf(12, 31, 1)] = {1, 7, 7};
        rows[RowOf(12, 31, 2)] = {3, 1, 0};
        rows[RowOf(12, 10, 0)] = {1, 12, 0};
        rows[RowOf(13, 1, 0)] = {1, 6, 5}; // 1 January 2027
        corvanta_test::WriteFileRaw(Path(CalendarFileName), CalendarText(2026, rows));
    }

    // The window the command opened.
    WindowRef Open() {
        const std::vector<WindowRef> before = WindowsNamed("ScheduleWindow");
        EXPECT_EQ(OpenDialogWindow(FourCharCode("sche")), eventNotHandledErr);
        for (WindowRef w : WindowsNamed("ScheduleWindow"))
            if (std::find(before.begin(), before.end(), w) == before.end()) return w;
        ADD_FAILURE() << "no new schedule window";
        return nullptr;
    }

    static Shown RowShown(WindowRef w, int r) {
        return {Value(w, "sche", 131 + r), Value(w, "sche", 141 + r), Value(w, "sche", 151 + r)};
    }
    static void SetRow(WindowRef w, int r, Shown s) {
        SetValue(w, "sche", 131 + r, s.action);
        SetValue(w, "sche", 141 + r, s.hour);
        SetValue(w, "sche", 151 + r, s.minute);
    }
    // As the user picks an item: the pop-up changes, then sends its command.
    static void Pick(WindowRef w, SInt32 id, int item) {
        auto* combo = qobject_cast<QComboBox*>(Control(w, "sche", id));
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(item - 1);
        emit combo->activated(item - 1);
    }
    // The window-local centre of the day cell (row 0 is the first week row).
    static Point CellCentre(WindowRef w, int row, int column) {
        Rect b;
        GetControlBounds(Control(w, "sche", 128), &b);
        const int cw = (b.right - b.left) / 7, ch = (b.bottom - b.top) / 7;
        return Point{static_cast<short>(b.top + (row + 1) * ch + ch / 2),
                     static_cast<short>(b.left + column * cw + cw / 2)};
    }
};

TEST_F(ScheduleWindow, OpensOnTodayWithTheDaysEntries) {
    WindowRef w = Open();
    EXPECT_EQ(Items(w, "sche", 129), (std::vector<std::string>{"2026", "2027"}));
    EXPECT_EQ(Value(w, "sche", 129), 1);
    EXPECT_EQ(Items(w, "sche", 130).size(), 12u);
    EXPECT_EQ(Value(w, "sche", 130), 12);
    EXPECT_EQ(SelectYear, 2026);
    EXPECT_EQ(SelectMonth, 12);
    EXPECT_EQ(SelectDay, 31);
    EXPECT_EQ(Items(w, "sche", 136), (std::vector<std::string>{"None", "Shutdown"}));
    EXPECT_EQ(Items(w, "sche", 146).size(), 24u);
    EXPECT_EQ(Items(w, "sche", 156).back(), "55");
    // 22:30; 07:07 shows as 07:05; an action the pop-up cannot show pins to
    // its last item.
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 23, 7}));
    EXPECT_EQ(RowShown(w, 1), (Shown{2, 8, 2}));
    EXPECT_EQ(RowShown(w, 2), (Shown{2, 2, 1}));
    for (int r = 3; r < 6; ++r)
        EXPECT_EQ(RowShown(w, r), (Shown{1, 1, 1}));
}

TEST_F(ScheduleWindow, ApplyingSortsPacksAndRedrawsThenCloseSaves) {
    WindowRef w = Open();
    int redraws = 0;
    SetRedrawObserver([&](ControlRef, WindowRef win) { redraws += win == w; });
    SetRow(w, 0, {2, 23, 7}); // 22:30
    SetRow(w, 1, {1, 9, 4});  // None, whatever its time
    SetRow(w, 2, {2, 8, 2});  // 07:05
    SetRow(w, 3, {1, 1, 1});
    SetRow(w, 4, {2, 8, 2}); // 07:05 again
    SetRow(w, 5, {1, 1, 1});
    EXPECT_EQ(ProcessHICommand(FourCharCode("oned"), w), eventNotHandledErr);
    SetRedrawObserver(nullptr);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 8, 2}));
    EXPECT_EQ(RowShown(w, 1), (Shown{2, 8, 2}));
    EXPECT_EQ(RowShown(w, 2), (Shown{2, 23, 7}));
    for (int r = 3; r < 6; ++r)
        EXPECT_EQ(RowShown(w, r), (Shown{1, 1, 1}));
    EXPECT_FALSE(FileExists(Path(CommandFileName)));

    ASSERT_TRUE(ClickButton(w, "not!"));
    EXPECT_FALSE(IsValidWindowPtr(w));
    EXPECT_EQ(PtSchedule, nullptr);
    const std::vector<std::string> lines = SplitLines(ReadFile(Path(CalendarFileName)));
    ASSERT_EQ(lines.size(), 4465u);
    EXPECT_EQ(lines[0], "2026");
    EXPECT_EQ(lines[1 + RowOf(12, 31, 0)], "1\t7\t5");
    EXPECT_EQ(lines[1 + RowOf(12, 31, 1)], "1\t7\t5");
    EXPECT_EQ(lines[1 + RowOf(12, 31, 2)], "1\t22\t30");
    EXPECT_EQ(lines[1 + RowOf(12, 31, 3)], "0\t0\t0");
    EXPECT_EQ(lines[1 + RowOf(12, 10, 0)], "1\t12\t0");
    EXPECT_EQ(CommandFileText(Folder()), "0\n1\n0\n");
    // The next events were recomputed from the saved calendar.
    EXPECT_EQ(NextShutdown.Year, 2026);
    EXPECT_EQ(NextShutdown.Hour, 22);
    EXPECT_EQ(NextShutdown.Minute, 30);
}

TEST_F(ScheduleWindow, ApplyingWhatIsShownStoresItAsShown) {
    WindowRef w = Open();
    ASSERT_TRUE(ClickButton(w, "oned"));
    // 07:07 comes back as 07:05, action 3 as a shutdown, in time order.
    EXPECT_EQ(CalendarEntry(2026, 12, 31, 0).Button, 1);
    EXPECT_EQ(CalendarEntry(2026, 12, 31, 0).Hour, 1);
    EXPECT_EQ(CalendarEntry(2026, 12, 31, 1).Minute, 5);
    EXPECT_EQ(CalendarEntry(2026, 12, 31, 2).Hour, 22);
    EXPECT_EQ(CalendarEntry(2026, 12, 31, 3).Button, 0);
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 2, 1}));
}

TEST_F(ScheduleWindow, YearAndMonthChoicesSelectTodayOrTheFirst) {
    WindowRef w = Open();
    const struct {
        SInt32 popup;
        int item;
        int year, month, day;
    } steps[] = {
        {129, 2, 2027, 12, 1},   // next year: day 1
        {130, 1, 2027, 1, 1},    // January 2027 holds 06:05 on the first
        {129, 1, 2026, 1, 1},    // this year, but not this month
        {130, 12, 2026, 12, 31}, // this year and month: today
    };
    for (const auto& s : steps) {
        Pick(w, s.popup, s.item);
        EXPECT_EQ(SelectYear, s.year);
        EXPECT_EQ(SelectMonth, s.month);
        EXPECT_EQ(SelectDay, s.day);
    }
    EXPECT_EQ(ProcessHICommand(FourCharCode("sely"), w), noErr);
    Pick(w, 129, 2);
    Pick(w, 130, 1);
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 7, 2}));
}

TEST_F(ScheduleWindow, ClicksSelectOnlyRealOtherDays) {
    WindowRef w = Open();
    BeginBlock = 2; // December 2026
    EndBlock = 32;
    int calendarRedraws = 0;
    ControlRef calendar = Control(w, "sche", 128);
    SetRedrawObserver([&](ControlRef c, WindowRef) { calendarRedraws += c == calendar; });
    Rect b;
    GetControlBounds(calendar, &b);
    const struct {
        const char* what;
        Point at;
        OSStatus result;
        int day;
    } clicks[] = {
        {"weekday header", Point{static_cast<short>(b.top + 2), static_cast<short>(b.left + 50)},
         eventNotHandledErr, 31},
        {"empty cell before day 1", CellCentre(w, 0, 1), eventNotHandledErr, 31},
        {"empty cell after the last day", CellCentre(w, 4, 5), eventNotHandledErr, 31},
        {"the selected day", CellCentre(w, 4, 4), eventNotHandledErr, 31},
        {"outside the calendar", Point{static_cast<short>(b.bottom + 5), b.left},
         eventNotHandledErr, 31},
        {"10 December", CellCentre(w, 1, 4), eventNotHandledErr, 10},
        {"1 December", CellCentre(w, 0, 2), eventNotHandledErr, 1},
    };
    for (const auto& c : clicks) {
        EXPECT_EQ(MouseDown(w, c.at.h, c.at.v), c.result) << c.what;
        EXPECT_EQ(SelectDay, c.day) << c.what;
    }
    SetRedrawObserver(nullptr);
    EXPECT_EQ(calendarRedraws, 2);
    MouseDown(w, CellCentre(w, 1, 4).h, CellCentre(w, 1, 4).v);
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 13, 1}));
}

TEST_F(ScheduleWindow, UnappliedRowsAreDroppedBySelectingAnotherDay) {
    WindowRef w = Open();
    BeginBlock = 2;
    EndBlock = 32;
    SetRow(w, 0, {1, 1, 1});
    const Point tenth = CellCentre(w, 1, 4);
    MouseDown(w, tenth.h, tenth.v);
    const Point last = CellCentre(w, 4, 4);
    MouseDown(w, last.h, last.v);
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 23, 7}));
}

TEST_F(ScheduleWindow, TwoWindowsShareTheCalendarUntilBothAreClosed) {
    WindowRef first = Open();
    WindowRef second = Open();
    ASSERT_NE(first, second);
    EXPECT_EQ(CalendarUsers(), 2);
    ASSERT_TRUE(ClickButton(first, "not!"));
    ASSERT_NE(PtSchedule, nullptr);
    SetRow(second, 0, {2, 5, 1});
    for (int r = 1; r < 6; ++r)
        SetRow(second, r, {1, 1, 1});
    ProcessHICommand(FourCharCode("oned"), second);
    EXPECT_EQ(CalendarEntry(2026, 12, 31, 0).Hour, 4);
    ASSERT_TRUE(ClickButton(second, "not!"));
    EXPECT_EQ(PtSchedule, nullptr);
    EXPECT_EQ(SplitLines(ReadFile(Path(CalendarFileName)))[1 + RowOf(12, 31, 0)], "1\t4\t0");
}

TEST_F(ScheduleWindow, AWindowClosedByItsCloseBoxNoLongerHoldsTheCalendar) {
    WindowRef first = Open();
    WindowRef second = Open();
    EXPECT_EQ(CloseBox(first), noErr); // nothing written, left to the platform
    EXPECT_FALSE(IsValidWindowPtr(first));
    EXPECT_FALSE(FileExists(Path(CommandFileName)));
    ASSERT_TRUE(ClickButton(second, "not!"));
    EXPECT_EQ(PtSchedule, nullptr);
    EXPECT_EQ(CalendarUsers(), 0);
}

TEST_F(ScheduleWindow, AWindowOpenAcrossNewYearKeepsWorkingOnItsYear) {
    SetTestTime(2026, 12, 31, 23, 59);
    WindowRef w = Open();
    AdvanceTestTime(120);      // 1 January 2027, 00:01
    SetRow(w, 0, {2, 24, 12}); // 23:55 on 31 December 2026
    for (int r = 1; r < 6; ++r)
        SetRow(w, r, {1, 1, 1});
    ProcessHICommand(FourCharCode("oned"), w);
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 24, 12}));
    Pick(w, 129, 2); // 2027 from the year pop-up: the next year of the calendar
    Pick(w, 130, 1);
    EXPECT_EQ(SelectYear, 2027);
    EXPECT_EQ(SelectDay, 1); // today
    EXPECT_EQ(RowShown(w, 0), (Shown{2, 7, 2}));
    ASSERT_TRUE(ClickButton(w, "not!"));
    // Saved stamped 2026, the search that follows rolls it into 2027: the
    // first of January moves to the first month and 06:05 today is found.
    EXPECT_EQ(NextShutdown.Year, 2027);
    EXPECT_EQ(NextShutdown.Month, 1);
    EXPECT_EQ(NextShutdown.Day, 1);
    EXPECT_EQ(NextShutdown.Hour, 6);
    const std::vector<std::string> lines = SplitLines(ReadFile(Path(CalendarFileName)));
    ASSERT_EQ(lines.size(), 4465u);
    EXPECT_EQ(lines[0], "2027");
    EXPECT_EQ(lines[1 + RowOf(1, 1, 0)], "1\t6\t5");
    EXPECT_EQ(lines[1 + RowOf(13, 1, 0)], "0\t0\t0");
}

} // namespace
