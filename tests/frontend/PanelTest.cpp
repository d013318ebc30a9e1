// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's drawings as worked examples: what each custom control draws
// for the values, ratings and settings that decide it.
#include <QWidget>
#include <functional>

#include "Accessible.h"
#include "FrontendTestSupport.h"

namespace {

// What a drawing does on a control at the given place of a bare window (the
// calendar's control, for the calendar view).
std::vector<DrawOp> Draw(QRect at, const std::function<void(ControlRef)>& draw) {
    QWidget window;
    QWidget control(&window);
    control.setObjectName("sche_128");
    control.setGeometry(at);
    RecordingPort port;
    const PortGuard guard(&port);
    draw(&control);
    return port.ops;
}

// The controls draw what the cases put into PtUPSVal.
using PanelTest = MonitorTest;

} // namespace

TEST_F(PanelTest, Texts) {
    PtUPSSts.LowBatteryLevel = 20;
    // Communication, power source, battery, level; the countdown and its
    // companion's badge when it shows; "dim" when the lights are dimmed.
    constexpr std::int32_t kLost = UPS_COMMERR | UPS_ACFAIL | UPS_BATTREPLACE;
    const std::tuple<std::int32_t, short, short, const char*> cases[] = {
        {0, 205, -1, "#007000 14b 'Connected' 'Normal' 'Normal' #f00000 '20%' #f00000 18b ''"},
        {UPS_BATTDEPLETED, 0, 60,
         "#007000 14b 'Connected' 'Normal' #f00000 'Low' '0%' #a0a000 18b '01:00' +Shutdown in"},
        {UPS_BATTREPLACE | UPS_BATTLOW, 500, 120,
         "#007000 14b 'Connected' 'Normal' #a0a000 'Need Replace' #007000 '50%' #000000 18b "
         "'02:00' +Shutdown in"},
        {kLost, 500, 171,
         "#f00000 14b 'Disconnect' 'Unknown' 'Unknown' #707070 '--' #707070 18b '--:--' "
         "+Shutdown in dim"},
        {UPS_SHUTACT | UPS_ACFAIL, 500, 20,
         "#007000 14b 'Connected' #a0a000 'Battery' #007000 'Normal' '50%' #f00000 18b '' "
         "+Shutting down"},
        {kLost | UPS_SHUTACT, 500, -1,
         "#f00000 14b 'Disconnect' 'Unknown' 'Unknown' #707070 '--' #f00000 18b '' "
         "+Shutting down dim"},
        {UPS_ACFAIL, 500, 0,
         "#007000 14b 'Connected' #a0a000 'Battery' #007000 'Normal' '50%' #f00000 18b '00:00' "
         "+Shutdown in"}};
    const auto said = [] {
        FollowValues();
        const ControlRef badge = MainControl(kCountdownBadge);
        std::string texts = Said("main", {128, 141, 142, 157}) + " ";
        texts += Said("tbut", {128}); // sets the badge
        if (IsControlVisible(badge)) texts += " +" + GetControlTitleText(badge);
        return texts + (IsControlEnabled(MainControl(UnlitLight(5))) ? "" : " dim");
    };
    // What a screen reader says of the same: the texts, the gauge (its
    // number after "="), the countdown and a light.
    const char* const spoken[] = {
        "Communication, connected|Power source, normal|Battery status, normal|Battery level, 20 "
        "percent=20|No shutdown pending|Overheat, off",
        "Communication, connected|Power source, normal|Battery status, low|Battery level, 0 "
        "percent=0|Shutdown in 1 minute|Overheat, off",
        "Communication, connected|Power source, normal|Battery status, needs replacing|Battery "
        "level, 50 percent=50|Shutdown in 2 minutes|Overheat, off",
        "Communication, disconnected|Power source, unknown|Battery status, unknown|Battery level, "
        "no reading=0|Shutdown pending, time unknown|Overheat, off, last known",
        "Communication, connected|Power source, battery|Battery status, normal|Battery level, 50 "
        "percent=50|Shutting down|Overheat, off",
        "Communication, disconnected|Power source, unknown|Battery status, unknown|Battery level, "
        "no reading=0|Shutting down|Overheat, off, last known",
        "Communication, connected|Power source, battery|Battery status, normal|Battery level, 50 "
        "percent=50|Shutdown in 0 seconds|Overheat, off"};
    const auto say = [] {
        QStringList phrases;
        for (const ControlID& id : {kCommunicationText, kPowerSourceText, kBatteryStatusText,
                                    kBatteryGauge, kCountdown, UnlitLight(5)}) {
            const PanelReading r = ReadingOf(MainControl(id));
            phrases << r.Phrase + (id == kBatteryGauge ? "=" + QString::number(r.Number) : "");
        }
        return phrases.join('|').toStdString();
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [status, level, down, want] = cases[i];
        PtUPSVal.StatusFlag.AllSts = status, PtUPSVal.ItemVal[2] = level, PtUPSVal.DownTime = down;
        EXPECT_EQ(said(), want);
        EXPECT_EQ(say(), spoken[i]);
    }
    PtUPSVal.StatusFlag.AllSts = 0, PtUPSVal.DownTime = 161;
    EXPECT_EQ(ReadingOf(MainControl(kCountdown)).Phrase, "Shutdown in 2 minutes 41 seconds");
    // A countdown run out says the shutdown is under way until the agent's
    // next values could have come; not that none is pending.
    PtUPSVal.StatusFlag.AllSts = UPS_ACFAIL;
    for (short down : {0, -1})
        PtUPSVal.DownTime = down, FollowValues();
    EXPECT_TRUE(said().ends_with("18b '' +Shutting down"));
    AdvanceTestTime(3);
    EXPECT_TRUE(said().ends_with("18b ''"));
    // Replacement dates, last and next, from stored text that may be short or
    // bad (what follows its end does not count); the next shutdown, pure red
    // on its day only.
    std::strcpy(PtUPSSts.BR_Date_Last, "20071005"), std::strcpy(PtUPSSts.BR_Date_Next, "2007x105");
    PtUPSSts.BR_Date_Next[5] = '\0'; // "2007x"
    NextShutdown = DateTimeStr{2026, 3, 10, 23, 59};
    EXPECT_EQ(Said("main", {160, 161, 162}),
              "#000000 14b '2007-10-05' '2007-00-00' #ff0000 '2026-03-10 23:59'");
    NextShutdown.Day = 11;
    EXPECT_EQ(Said("main", {162}), "#000000 14b '2026-03-11 23:59'");
    EXPECT_EQ(ReadingOf(MainControl(kNextReplacementDate)).Value, "not set");
    NextShutdown = DateTimeStr{0, 0, 0, 0, 0};
    EXPECT_EQ(Said("main", {162}), "#000000 14b 'None'");
}

// A screen reader is told of the countdown at whole minutes, every ten
// seconds in its last minute and every second in its last ten, and of every
// change of state; asked, it says the exact time.
TEST_F(PanelTest, CountdownTold) {
    const std::pair<short, const char*> steps[] = {{-1, "No shutdown pending"},
                                                   {125, "Shutdown in 2 minutes 5 seconds"},
                                                   {121, ""},
                                                   {120, "Shutdown in 2 minutes"},
                                                   {61, ""},
                                                   {60, "Shutdown in 1 minute"},
                                                   {51, ""},
                                                   {50, "Shutdown in 50 seconds"},
                                                   {41, ""},
                                                   {10, "Shutdown in 10 seconds"},
                                                   {9, "Shutdown in 9 seconds"},
                                                   {-1, "No shutdown pending"}};
    QString cue;
    for (const auto& [down, want] : steps) {
        PtUPSVal.DownTime = down;
        const PanelReading r = ReadingOf(MainControl(kCountdown));
        EXPECT_EQ(r.Cue != cue ? r.Phrase.toStdString() : "", want) << down;
        cue = r.Cue;
    }
    PtUPSVal.DownTime = 61;
    EXPECT_EQ(ReadingOf(MainControl(kCountdown)).Phrase, "Shutdown in 1 minute 1 second");
}

TEST_F(PanelTest, Meter) {
    PtUPSSts.RatingVolt = 1200, PtUPSVal.ItemVal[4] = 2305; // a 240 V scale
    EXPECT_EQ(Ops(Draw(QRect(40, 0, 200, 150), [](ControlRef c) { DrawMeter(c, 4); })),
              "#a7a7a7 F40,0,240,150 #7070ff A72,20,198,146/-120/240 #ffffff "
              "A77,25,193,141/-120/240 P81,83,189,115 #404040 L181,109,189,114 10b "
              "T195,106,238,116/-2 '240' L189,83,198,83 L181,57,189,52 T192,44,238,54/-2 '180' "
              "L162,37,166,29 L135,30,135,21 T115,9,155,19/1 '120' L109,37,104,29 L89,56,81,52 "
              "T42,44,79,54/-1 '60' L82,83,73,83 L89,109,81,114 T42,106,76,116/-1 '0' "
              "T115,116,155,126/1 '230.5V' L194,104,135,82 L135,82,135,84 L135,84,194,104");
    // The full scale, the reading and the needle, for the slot's rating (the
    // battery voltage's, the voltage's or the current's, as the slot needs).
    const std::tuple<int, short, short, const char*> cases[] = {
        {4, 5000, 1200, "'240' '500.0V' L149,114,95,82 L95,82,95,84 L95,84,149,114"},
        {0, 270, 240, "'45' '27.0V' L120,26,96,83 L96,83,94,83 L94,83,120,26"},
        {13, 2301, 5, "'0' '230.1V'"}, // a rating below 10: no scale, no needle
        {14, 55, 100, "'120' '5.5A' L36,104,95,82 L95,82,95,84 L95,84,36,104"}};
    for (const auto& [index, val, rating, want] : cases) {
        PtUPSSts.RatingVolt = PtUPSSts.RatingCurrent = PtUPSSts.RatingBattVolt = rating;
        PtUPSVal.ItemVal[index] = val;
        auto ops = Draw(QRect(0, 0, 200, 150), [i = index](ControlRef c) { DrawMeter(c, i); });
        ops.erase(ops.begin() + 6, ops.begin() + std::min<std::ptrdiff_t>(18, ops.size()));
        EXPECT_EQ(Ops({ops.begin() + 5, ops.end()}, false).substr(12), want) << index;
    }
    // On a tall control the dial is centred vertically; the needle straight up.
    PtUPSVal.ItemVal[2] = 1000;
    const auto tall = Draw(QRect(0, 0, 150, 200), [](ControlRef c) { DrawMeter(c, 2); });
    EXPECT_EQ(Ops({tall.at(1), tall.at(19), tall.at(20)}),
              "#7070ff A15,53,125,163/-120/240 #404040 L70,54,71,108 L71,108,69,108");
}

TEST_F(PanelTest, BatteryGauge) {
    PtUPSSts.LowBatteryLevel = 20;
    // Each segment g(reen), r(ed) or . (off).
    // clang-format off
    const std::pair<short, const char*> cases[] = {
        {1000, "gggggggggggggggggggg"}, {475, "ggggggggg..........."},
        {200, "rrrr................"}, {-10, "rrrrrrrrrrrrrrrrrrrr"}};
    // clang-format on
    for (const auto& [val, want] : cases) {
        const auto ops =
            Draw(QRect(10, 10, 105, 14), [&](ControlRef c) { DrawBatteryLevel(c, val); });
        std::string got;
        for (std::size_t i = 2; i < ops.size(); ++i) {
            const std::string c = Ops({ops[i]}).substr(0, 7);
            got += c == "#70f070" ? 'g' : c == "#f07070" ? 'r' : c == "#e0e0e0" ? '.' : '?';
        }
        EXPECT_EQ(got, want) << val;
        if (val != 1000) continue;
        EXPECT_EQ(
            Ops({ops[0], ops[1], ops[2], ops[21]}),
            "#ffffff P10,10,115,24 #a7a7a7 F10,10,115,24 #70f070 P12,12,16,22 P107,12,111,22");
    }
}

TEST_F(PanelTest, Calendar) {
    SetTestTime(2025, 9, 1, 9, 0);
    AcquireCalendar();
    PtSchedule[CalendarIndex(2025, 10, 1, 0)] = ScheduleStr{ScheduleShutdown, 10, 0};
    PtSchedule[CalendarIndex(2025, 10, 15, 2)] = ScheduleStr{ScheduleRestart, 10, 0};
    SelectYear = 2025, SelectMonth = 10, SelectDay = 15;
    const std::string all =
        Ops(Draw(QRect(0, 0, 220, 150), [](ControlRef c) { DrawCustCalendar(c->window()); }));
    // The background, the marks on the first and on the selected day, the
    // selection and the grid's last lines.
    for (const char* part :
         {"#f0f0f0 P0,0,217,147 ", "#404040 12n T93,21,124,42/1 '1' #ff0000 P95,23,100,28",
          "'15' #007f00 P95,71,100,76 I93,63,124,84", "L0,147,217,147 L217,0,217,147"})
        EXPECT_NE(all.find(part), std::string::npos) << part << " in " << all;
    EXPECT_EQ(BeginBlock * 100 + EndBlock, 333);
    // Said aloud: the selected day and what is planned on it.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QWidget calendar;
    calendar.setObjectName("sche_128");
    for (const auto& [day, want] : {std::pair{15, "15 October 2025 selected, restart at 10:00"},
                                    std::pair{2, "2 October 2025 selected, nothing planned"}}) {
        SelectDay = day;
        EXPECT_TRUE(ReadingOf(&calendar).Phrase.endsWith(want))
            << ReadingOf(&calendar).Phrase.toStdString();
    }
    QLocale::setDefault(before);
}
