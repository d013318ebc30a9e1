// The schedule engine: month lengths, the weekday of a month's first day
// counted from today's, rows of a day and copying them; the next events (slot
// order before time, nothing at the current minute, day slots that do not
// exist, the next year); and the minute-wise check that starts a due
// shutdown's countdown once per run and rolls the calendar at New Year.
#include "CoreTestSupport.h"

namespace {

using namespace corvanta_test;

struct Entry {
    int year, month, day, k;
    Row row;
};

class ScheduleTest : public CoreTest {
  protected:
    void WriteEntries(int baseYear, const std::vector<Entry>& entries) {
        std::vector<Row> rows = EmptyRows();
        for (const Entry& e : entries)
            rows.at(ScheduleIndex(baseYear, e.year, e.month, e.day, e.k)) = e.row;
        WriteFileRaw(Path(CalendarFileName), CalendarText(baseYear, rows));
    }
    // The next event of a kind as shown: "None" or "MM/DD/YYYY hh:mm" (cut
    // to 16 characters), from its text and from its date, which must agree.
    static std::string Next(int kind) {
        const DateTimeStr& w =
            *std::array{&NextShutdown, &NextRestart, &NextTest, &NextDeepTest}[kind - 1];
        const char* text = std::array{NextShutString, NextRestartString, NextTestString,
                                      NextDeepTestString}[kind - 1];
        char when[64] = "None";
        if (w.Year)
            std::snprintf(when, sizeof when, "%02d/%02d/%04d %02d:%02d", w.Month, w.Day, w.Year,
                          w.Hour, w.Minute);
        EXPECT_EQ(std::string(when).substr(0, 16), text) << "kind " << kind;
        return text;
    }
};

TEST_F(ScheduleTest, MonthLengthsAndTheWeekdayOfAMonthsFirstDayFromAnyToday) {
    const int days[] = {31, 0, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (auto [year, february] :
         {std::pair{2023, 28}, {2100, 28}, {1900, 28}, {2024, 29}, {2000, 29}, {2400, 29}})
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(GetMonthDays(year, m), m == 2 ? february : days[m - 1]) << year << "-" << m;
    for (auto [y, m, d] : {std::tuple{2024, 5, 1},
                           {2024, 1, 1},
                           {2024, 12, 31},
                           {2024, 2, 29},
                           {2023, 12, 31},
                           {2023, 2, 28},
                           {2100, 2, 28},
                           {2026, 11, 30}}) {
        SetTestTime(y, m, d, 0, 5, 0);
        for (int year = y - 1; year <= y + 2; ++year)
            for (int month = 1; month <= 12; ++month)
                EXPECT_EQ(GetTheWeek(year, month),
                          MakeDateTime(year, month, 1, 12, 0).dayOfWeek - 1)
                    << "today " << y << "-" << m << "-" << d << ", 1 " << year << "-" << month;
    }
}

TEST_F(ScheduleTest, TheRowsOfADayAndCopyingThemWithinTheTwoYears) {
    EXPECT_EQ(std::tuple(ScheduleIndex(2024, 2024, 1, 1, 5), ScheduleIndex(2024, 2024, 5, 15, 2),
                         ScheduleIndex(2024, 2025, 1, 1, 0), ScheduleIndex(2024, 2025, 12, 31, 5)),
              std::tuple(5, 830, 2232, 4463));
    LoadSchedule(); // no file: an empty calendar
    const std::array<int, 8> cases[] = {
        // base year, source y-m-d, target y-m-d, copies
        {2024, 2024, 3, 10, 2025, 7, 4, 1},
        {2024, 2025, 12, 31, 2024, 1, 1, 1},
        {2024, 2024, 6, 6, 2024, 6, 6, 1},
        // Days outside the two years are never touched: nothing past the rows.
        {2024, 2024, 1, 1, 2026, 1, 1, 0},
        {2024, 2024, 1, 1, 2023, 12, 31, 0},
        {2024, 2026, 6, 1, 2024, 1, 1, 0},
        {2025, 2024, 1, 1, 2025, 1, 1, 0}};
    for (const auto& [base, sy, sm, sd, dy, dm, dd, copies] : cases) {
        for (int r = 0; r < ScheduleRows; ++r)
            PtSchedule[r] =
                ScheduleStr{std::uint8_t(r % 7), std::uint8_t(r % 24), std::uint8_t(r % 60)};
        std::vector<ScheduleStr> expected(PtSchedule, PtSchedule + ScheduleRows);
        const int src = ScheduleIndex(base, sy, sm, sd, 0),
                  dst = ScheduleIndex(base, dy, dm, dd, 0);
        if (copies) std::copy_n(expected.begin() + src, 6, expected.begin() + dst);
        CopyScheduleDate(base, sy, sm, sd, dy, dm, dd);
        EXPECT_EQ(std::memcmp(PtSchedule, expected.data(), ScheduleRows * sizeof(ScheduleStr)), 0)
            << sy << "-" << sm << "-" << sd << " to " << dy << "-" << dm << "-" << dd;
    }
    FreeSchedule();
    CopyScheduleDate(2024, 2024, 1, 1, 2024, 1, 2); // a released calendar: nothing happens
}

TEST_F(ScheduleTest, TheNextEventOfEachKind) {
    struct Case {
        const char* why;
        DateTimeStr now;
        int base; // line 1 of the calendar
        std::vector<Entry> entries;
        std::vector<std::pair<int, const char*>> next; // kind, as shown
    };
    const Case cases[] = {
        {"today: slot order beats time, past slots give way",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 5, 15, 0, {1, 9, 0}}, {2024, 5, 15, 1, {1, 18, 0}}, {2024, 5, 15, 2, {1, 12, 0}}},
         {{1, "05/15/2024 18:00"}}},
        {"the current minute is not in the future",
         {2024, 5, 15, 12, 0},
         2024,
         {{2024, 5, 15, 0, {1, 12, 0}},
          {2024, 5, 15, 1, {2, 11, 59}},
          {2024, 5, 15, 2, {3, 12, 1}},
          {2024, 5, 20, 2, {1, 8, 30}}},
         {{1, "05/20/2024 08:30"}, {2, "None"}, {3, "05/15/2024 12:01"}}},
        {"later days: slot order whatever the time",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 5, 16, 0, {1, 23, 0}}, {2024, 5, 16, 1, {1, 1, 0}}},
         {{1, "05/16/2024 23:00"}}},
        {"days before today are never looked at",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 1, 1, 0, {1, 12, 0}}, {2024, 5, 14, 5, {1, 23, 59}}},
         {{1, "None"}}},
        {"day slots that do not exist are never found",
         {2024, 1, 10, 10, 0},
         2024,
         {{2024, 2, 30, 0, {1, 8, 0}},
          {2024, 2, 31, 5, {2, 8, 0}},
          {2024, 4, 31, 0, {3, 8, 0}},
          {2025, 2, 29, 0, {4, 8, 0}},
          {2025, 11, 31, 0, {1, 8, 0}},
          {2024, 2, 29, 0, {3, 8, 0}},
          {2025, 3, 1, 0, {4, 6, 5}}},
         {{1, "None"}, {2, "None"}, {3, "02/29/2024 08:00"}, {4, "03/01/2025 06:05"}}},
        {"the next year to its last row, each kind its own button",
         {2024, 12, 31, 23, 0},
         2024,
         {{2024, 12, 31, 0, {5, 23, 30}},
          {2024, 12, 31, 1, {4, 23, 30}},
          {2025, 1, 1, 0, {3, 0, 5}},
          {2025, 12, 31, 5, {2, 23, 55}},
          {2025, 3, 5, 2, {1, 7, 30}}},
         {{1, "03/05/2025 07:30"},
          {2, "12/31/2025 23:55"},
          {3, "01/01/2025 00:05"},
          {4, "12/31/2024 23:30"}}},
        {"the last minute of the year",
         {2024, 12, 31, 23, 59},
         2024,
         {{2024, 12, 31, 0, {1, 23, 59}}, {2025, 1, 1, 5, {1, 0, 0}}},
         {{1, "01/01/2025 00:00"}}},
        {"buttons other than 1 to 4; 260 is 4",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 6, 1, 0, {0, 12, 0}}, {2024, 6, 1, 1, {5, 12, 0}}, {2024, 6, 1, 3, {260, 12, 0}}},
         {{1, "None"}, {3, "None"}, {4, "06/01/2024 12:00"}}},
        {"three-digit times are cut",
         {2024, 5, 15, 10, 0},
         2024,
         {{2024, 5, 16, 0, {1, 123, 200}}, {2024, 5, 16, 1, {2, 7, 255}}},
         {{1, "05/16/2024 123:2"}, {2, "05/16/2024 07:25"}}},
        {"a year-old calendar is rolled on the way",
         {2025, 3, 1, 10, 0},
         2024,
         {{2024, 3, 2, 0, {1, 8, 0}}, {2025, 3, 2, 0, {1, 9, 45}}},
         {{1, "03/02/2025 09:45"}}},
        {"a two-year-old calendar gives none",
         {2025, 3, 1, 10, 0},
         2023,
         {{2024, 3, 2, 0, {1, 8, 0}}},
         {{1, "None"}}},
        {"a future calendar gives none",
         {2025, 3, 1, 10, 0},
         2026,
         {{2026, 3, 2, 0, {1, 8, 0}}},
         {{1, "None"}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SetTestTime(c.now.Year, c.now.Month, c.now.Day, c.now.Hour, c.now.Minute, 30);
        WriteEntries(c.base, c.entries);
        for (DateTimeStr* w : {&NextShutdown, &NextRestart, &NextTest, &NextDeepTest})
            *w = DateTimeStr{2000, 1, 1, 1, 1}; // stale, so that every kind is seen written
        for (char* t : {NextShutString, NextRestartString, NextTestString, NextDeepTestString})
            std::strcpy(t, "01/01/2000 01:01");
        GetNext();
        for (const auto& [kind, shown] : c.next)
            EXPECT_EQ(Next(kind), shown);
        EXPECT_EQ(FileExists(Path(CalendarFileName)),
                  c.base >= c.now.Year - 1 && c.base <= c.now.Year);
    }
    // Without a calendar file the previous events stay.
    WriteEntries(2025, {{2025, 6, 1, 0, {1, 12, 0}}});
    GetNext();
    RemoveTree(Path(CalendarFileName));
    GetNext();
    EXPECT_EQ(Next(1), "06/01/2025 12:00");
}

TEST_F(ScheduleTest, AFailedRollFindsNothingAndTheNextSearchTriesAgain) {
    // A non-empty folder under the roll's temporary name blocks the roll.
    SetTestTime(2024, 5, 15, 10, 0, 0);
    ASSERT_EQ(mkdir(Path(CalendarTempFileName).c_str(), 0755), 0);
    WriteFileRaw(Path(CalendarTempFileName) + "/inside", "x");
    WriteEntries(2023, {{2023, 5, 16, 2, {2, 6, 0}}, {2024, 6, 1, 0, {3, 12, 0}}});
    GetNext();
    EXPECT_EQ(Next(2) + Next(3), "NoneNone") << "never the year-old rows as this year's";
    RemoveTree(Path(CalendarTempFileName));
    GetNext();
    EXPECT_EQ(Next(2) + Next(3), "None06/01/2024 12:00");
}

TEST_F(ScheduleTest, WhenAShutdownIsDueAndWhatItDoesToTheCountdown) {
    struct Case {
        const char* why;
        DateTimeStr next, now;
        short running, expected;
    };
    const DateTimeStr may10{2024, 5, 10, 14, 30};
    const Case cases[] = {
        {"at its minute", may10, may10, -1, 300},
        {"a minute early", may10, {2024, 5, 10, 14, 29}, -1, -1},
        {"missed ticks, same month", may10, {2024, 5, 11, 0, 0}, -1, 300},
        {"a month early", may10, {2024, 4, 30, 23, 59}, -1, -1},
        {"minute of month 44,635 > 10", {2024, 1, 31, 23, 55}, {2024, 2, 1, 0, 10}, -1, -1},
        {"earlier month, smaller minute", {2024, 3, 1, 10, 0}, {2024, 4, 5, 0, 0}, -1, 300},
        {"the year differs", {2024, 12, 31, 23, 55}, {2025, 1, 1, 0, 10}, -1, -1},
        {"no next shutdown", {0, 0, 0, 0, 0}, may10, -1, -1},
        {"a running 0 stays", may10, may10, 0, 0},
        {"a running 300 stays", may10, may10, 300, 300},
        {"a running 301 is shortened", may10, may10, 301, 300},
        {"any negative is no countdown", may10, may10, -32768, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ResetScheduleState();
        StartYear = c.now.Year;
        NextShutdown = c.next;
        PtUPSVal.DownTime = c.running;
        PtUPSSts.Schedule_OSDelay = 300;
        PtUPSSts.flag_Enable_Schedule_OSDelay = 0; // not consulted
        SetTestTime(c.now.Year, c.now.Month, c.now.Day, c.now.Hour, c.now.Minute);
        CheckScheduleUPS();
        EXPECT_EQ(PtUPSVal.DownTime, c.expected);
        EXPECT_EQ(flag_ScheduleShutdown != 0, c.expected != -1);
    }
}

TEST_F(ScheduleTest, TicksFireTheFirstShutdownOnlyAndRollTheCalendarAtNewYear) {
    PtUPSSts.Schedule_OSDelay = 300;
    PtUPSVal.DownTime = -1;
    auto tick = [](int y, int mo, int d, int h, int mi) {
        SetTestTime(y, mo, d, h, mi);
        CheckScheduleUPS();
        GetNext();
        return PtUPSVal.DownTime;
    };
    WriteEntries(2024, {{2024, 12, 31, 0, {1, 23, 55}}, {2025, 1, 2, 0, {1, 8, 0}}});
    SetTestTime(2024, 12, 31, 23, 45);
    GetNext(); // at start
    EXPECT_EQ(tick(2024, 12, 31, 23, 50), -1);
    EXPECT_EQ(Next(1), "12/31/2024 23:55");
    // Missed ticks across New Year: the check alone rolls, before any search,
    // and the shutdown of last year never fires.
    SetTestTime(2025, 1, 1, 0, 10);
    CheckScheduleUPS();
    EXPECT_EQ(PtUPSVal.DownTime, -1);
    std::vector<Row> rolled = EmptyRows();
    rolled[ScheduleIndex(2025, 2025, 1, 2, 0)] = Row{1, 8, 0};
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), CalendarText(2025, rolled));
    EXPECT_EQ(tick(2025, 1, 1, 0, 11), -1) << "the same year: no second roll";
    EXPECT_EQ(ReadFile(Path(CalendarFileName)), CalendarText(2025, rolled));
    EXPECT_EQ(tick(2025, 1, 2, 8, 0), 300);
    EXPECT_EQ(Next(1), "None") << "the search moves past the current minute";
    PtUPSVal.DownTime = -1; // cancelled
    WriteEntries(2025, {{2025, 1, 3, 0, {1, 8, 0}}});
    tick(2025, 1, 3, 7, 0);
    EXPECT_EQ(tick(2025, 1, 3, 8, 0), -1) << "once per run";
}

} // namespace
