// The schedule: the window's work on the in-memory calendar (collecting,
// sorting and packing a day, copying it forward), then the window itself on
// a set clock: choosing a day, applying, sharing the calendar, New Year.
#include <QComboBox>
#include <algorithm>
#include <functional>

#include "Clock.h"
#include "DialogTestSupport.h"
#include "Schedule.h"

namespace {

using namespace dialogs_test;
using corvanta_test::RowOf;
using Entries = std::vector<ScheduleStr>;

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
void Put(int y, int m, int d, const Entries& entries) {
    for (std::size_t k = 0; k < entries.size(); ++k)
        PtSchedule[CalendarIndex(y, m, d, static_cast<int>(k))] = entries[k];
}

// Weekday of a civil date, 0 = Sunday, counted independently of the engine.
int Weekday(int y, int m, int d) {
    if (m < 3) m += 12, --y;
    const int k = y % 100, j = y / 100;
    return ((d + 13 * (m + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7 + 6) % 7;
}

std::array<int, 3> Selected() {
    return {SelectYear, SelectMonth, SelectDay};
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
    Put(2026, 3, 20, {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 4, 4}, {1, 5, 5}, {1, 6, 6}});
    StoreDay(2026, 3, 20, rec, 2);
    EXPECT_EQ(Day(2026, 3, 20), "1:0:55 2:7:5 ");
    // Days outside the two years are neither read nor written.
    for (auto [y, m, d] : {std::array{2025, 12, 31}, {2028, 1, 1}, {2026, 13, 1}, {2026, 1, 32}}) {
        StoreDay(y, m, d, rec, 1);
        CopyDayForward(CopyMode::Daily, y, m, d);
        EXPECT_EQ(Day(y, m, d), "") << y << "-" << m << "-" << d;
    }
    StoreDay(2026, 3, 20, rec, 0);
    EXPECT_TRUE(std::all_of(PtSchedule, PtSchedule + ScheduleRows,
                            [](const ScheduleStr& e) { return Text(&e, 1).empty(); }));
}

TEST_F(ScheduleModel, CopiesGoToTheRightLaterSlotsOnly) {
    const struct {
        CopyMode mode;
        int y, m, d;
    } cases[] = {{CopyMode::Daily, 2026, 3, 15},   {CopyMode::Weekly, 2026, 3, 18},
                 {CopyMode::Monthly, 2026, 3, 31}, {CopyMode::Daily, 2027, 5, 12},
                 {CopyMode::Weekly, 2027, 5, 12},  {CopyMode::Monthly, 2027, 5, 12}};
    // Daily fills even the slots a month does not have; weekly real days only.
    auto target = [](const auto& c, int y, int m, int d) {
        const bool later = y * 10000 + m * 100 + d >= c.y * 10000 + c.m * 100 + c.d;
        return c.mode == CopyMode::Daily ? later
               : c.mode == CopyMode::Monthly
                   ? later && d == c.d
                   : later && d <= GetMonthDays(y, m) && Weekday(y, m, d) == Weekday(c.y, c.m, c.d);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y * 10000 + c.m * 100 + c.d);
        std::fill(PtSchedule, PtSchedule + ScheduleRows, ScheduleStr{0, 0, 0});
        Put(c.y, c.m, c.d, {{1, 6, 0}, {1, 18, 0}});
        Put(2027, 12, 31, {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}}); // replaced whole when a target
        CopyDayForward(c.mode, c.y, c.m, c.d);
        for (int slot = 0; slot < 24; ++slot)
            for (int y = 2026 + slot / 12, m = slot % 12 + 1, d = 1; d <= 31; ++d)
                ASSERT_EQ(Day(y, m, d), target(c, y, m, d)                ? "1:6:0 1:18:0 "
                                        : y == 2027 && m == 12 && d == 31 ? "1:1:1 1:2:2 1:3:3 "
                                                                          : "")
                    << y << "-" << m << "-" << d;
    }
    // An empty day clears later ones too.
    CopyDayForward(CopyMode::Daily, 2027, 1, 1);
    EXPECT_EQ(Day(2027, 5, 12) + Day(2027, 12, 31), "");
}

class ScheduleWindow : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTestTime(2026, 12, 31, 23, 59); // a Thursday; 1 December 2026 is a Tuesday
        std::vector<corvanta_test::Row> rows = corvanta_test::EmptyRows();
        rows[RowOf(12, 31, 0)] = {1, 22, 30};
        rows[RowOf(12, 31, 1)] = {1, 7, 7};
        rows[RowOf(12, 31, 2)] = {3, 1, 0};
        rows[RowOf(12, 10, 0)] = {1, 12, 0};
        rows[RowOf(13, 1, 0)] = {1, 6, 5}; // 1 January 2027
        corvanta_test::WriteFileRaw(Path(CalendarFileName),
                                    corvanta_test::CalendarText(2026, rows));
    }
    // The window the command opened.
    static WindowRef Open() {
        const std::vector<WindowRef> before = WindowsNamed("ScheduleWindow");
        EXPECT_EQ(OpenDialogWindow(FourCharCode("sche")), eventNotHandledErr);
        for (WindowRef w : WindowsNamed("ScheduleWindow"))
            if (std::find(before.begin(), before.end(), w) == before.end()) return w;
        ADD_FAILURE() << "no new schedule window";
        return nullptr;
    }
    // Row r as action, hour and minute items; set from the same three.
    static std::array<int, 3> Shown(WindowRef w, int r) {
        return {Value(w, "sche", 131 + r), Value(w, "sche", 141 + r), Value(w, "sche", 151 + r)};
    }
    static void SetRows(WindowRef w, std::vector<std::array<int, 3>> rows) {
        rows.resize(6, {1, 1, 1});
        for (int r = 0; r < 6; ++r)
            for (int i = 0; i < 3; ++i)
                SetValue(w, "sche", 131 + 10 * i + r, rows[static_cast<std::size_t>(r)][i]);
    }
    // As the user picks an item: the pop-up changes, then sends its command.
    static void Pick(WindowRef w, SInt32 id, int item) {
        auto* combo = qobject_cast<QComboBox*>(Control(w, "sche", id));
        combo->setCurrentIndex(item - 1);
        emit combo->activated(item - 1);
    }
    // A press on the day cell (row 0 is the first week row).
    static OSStatus ClickCell(WindowRef w, int row, int column) {
        Rect b;
        GetControlBounds(Control(w, "sche", 128), &b);
        const int cw = (b.right - b.left) / 7, ch = (b.bottom - b.top) / 7;
        return Send(w, kEventClassMouse, kEventMouseDown,
                    static_cast<short>(b.left + column * cw + cw / 2),
                    static_cast<short>(b.top + (row + 1) * ch + ch / 2));
    }
};

TEST_F(ScheduleWindow, ShowsTodayAppliesSortedSharesTheCalendarAndKeepsItsYearAcrossNewYear) {
    WindowRef first = Open(), second = Open(), w = Open();
    EXPECT_EQ(CalendarUsers(), 3);
    EXPECT_EQ(Selected(), (std::array<int, 3>{2026, 12, 31}));
    EXPECT_EQ(Value(w, "sche", 129) * 100 + Value(w, "sche", 130), 112);
    // 07:07 shows as 07:05; an action the pop-up cannot show pins to its last.
    const std::array<int, 3> shown[] = {{2, 23, 7}, {2, 8, 2}, {2, 2, 1},
                                        {1, 1, 1},  {1, 1, 1}, {1, 1, 1}};
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(Shown(w, r), shown[r]) << r;
    int redraws = 0;
    SetRedrawObserver([&](ControlRef, WindowRef win) { redraws += win == w; });
    SetRows(w, {{2, 23, 7}, {1, 9, 4}, {2, 8, 2}, {1, 1, 1}, {2, 8, 2}});
    EXPECT_EQ(ProcessHICommand(FourCharCode("oned"), w), eventNotHandledErr);
    SetRedrawObserver(nullptr);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(Shown(w, 1), (std::array<int, 3>{2, 8, 2}));
    EXPECT_EQ(Shown(w, 2), (std::array<int, 3>{2, 23, 7}));
    EXPECT_TRUE(NothingWritten());
    EXPECT_EQ(Send(first, kEventClassWindow, kEventWindowClose), noErr); // nothing written
    EXPECT_FALSE(IsValidWindowPtr(first));
    ASSERT_TRUE(ClickButton(second, "not!"));
    ASSERT_NE(PtSchedule, nullptr); // the one still open works on
    std::vector<std::string> lines = FileLines(CalendarFileName);
    ASSERT_EQ(lines.size(), 4465u);
    EXPECT_EQ(lines[1 + RowOf(12, 31, 1)] + "|" + lines[1 + RowOf(12, 31, 2)], "1\t7\t5|1\t22\t30");
    EXPECT_EQ(Requests(), "0\n1\n0\n");
    // The next events were recomputed from the saved calendar.
    EXPECT_EQ(NextShutdown.Day * 10000 + NextShutdown.Hour * 100 + NextShutdown.Minute, 10605);
    AdvanceTestTime(120);      // 1 January 2027, 00:01
    SetRows(w, {{2, 24, 12}}); // 23:55 on 31 December 2026
    ProcessHICommand(FourCharCode("oned"), w);
    EXPECT_EQ(Shown(w, 0), (std::array<int, 3>{2, 24, 12}));
    Pick(w, 129, 2); // 2027 from the year pop-up: the calendar's next year
    Pick(w, 130, 1);
    EXPECT_EQ(SelectYear * 100 + SelectDay, 202701);
    ASSERT_TRUE(ClickButton(w, "not!"));
    EXPECT_EQ(CalendarUsers(), 0);
    EXPECT_EQ(PtSchedule, nullptr);
    // Saved stamped 2026, rolled into 2027 by the search that follows.
    EXPECT_EQ(NextShutdown.Year * 10000 + NextShutdown.Month * 100 + NextShutdown.Day, 20270101);
    lines = FileLines(CalendarFileName);
    EXPECT_EQ(lines[0] + "|" + lines[1 + RowOf(1, 1, 0)] + "|" + lines[1 + RowOf(13, 1, 0)],
              "2027|1\t6\t5|0\t0\t0");
}

TEST_F(ScheduleWindow, YearMonthAndDayChoicesSelectTheDayShown) {
    WindowRef w = Open();
    BeginBlock = 2; // December 2026
    EndBlock = 32;
    const struct {
        const char* what;
        std::function<void()> act;
        int year, month, day;
    } steps[] = {
        {"next year: day 1", [&] { Pick(w, 129, 2); }, 2027, 12, 1},
        {"January 2027", [&] { Pick(w, 130, 1); }, 2027, 1, 1},
        {"this year, not this month", [&] { Pick(w, 129, 1); }, 2026, 1, 1},
        {"this month: today", [&] { Pick(w, 130, 12); }, 2026, 12, 31},
        {"empty cell before day 1", [&] { ClickCell(w, 0, 1); }, 2026, 12, 31},
        {"empty cell after the last", [&] { ClickCell(w, 4, 5); }, 2026, 12, 31},
        {"weekday header", [&] { ClickCell(w, -1, 3); }, 2026, 12, 31},
        {"below the calendar", [&] { ClickCell(w, 6, 3); }, 2026, 12, 31},
        {"10 December", [&] { ClickCell(w, 1, 4); }, 2026, 12, 10},
        {"1 December", [&] { ClickCell(w, 0, 2); }, 2026, 12, 1},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(Selected(), (std::array<int, 3>{s.year, s.month, s.day})) << s.what;
    }
}

} // namespace
