// The custom controls' texts and colours, the meter, the battery gauge and
// the calendar view, checked on the recording port.
#include <QLabel>
#include <QWidget>
#include <cstring>
#include <memory>
#include <optional>

#include "Clock.h"
#include "Dialogs.h"
#include "FrontendTestSupport.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "file.h"
#include "monitor.h"
#include "screen.h"

namespace {

constexpr RGBColor kAlarm{0xF000, 0, 0};
constexpr RGBColor kCaution{0xA000, 0xA000, 0};
constexpr RGBColor kGood{0, 0x7000, 0};
constexpr RGBColor kPlain{0, 0, 0};
constexpr RGBColor kToday{0xFF00, 0, 0};
constexpr RGBColor kDarkGrey{0x4000, 0x4000, 0x4000};

std::vector<DrawOp> OfKind(const std::vector<DrawOp>& ops, DrawOp::Kind kind) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
        if (op.kind == kind) out.push_back(op);
    return out;
}

Rect R(short l, short t, short r, short b) {
    return Rect{t, l, b, r};
}

// A bare window with one control at the given place, for the drawings that
// only use bounds.
struct Bench {
    Bench(int l, int t, int r, int b, const char* name = "ctrl_1") {
        window = std::make_unique<QWidget>();
        window->resize(400, 400);
        control = new QWidget(window.get());
        control->setObjectName(name);
        control->setGeometry(l, t, r - l, b - t);
    }
    std::vector<DrawOp> Draw(void (*draw)(ControlRef)) {
        RecordingPort port;
        const PortGuard guard(&port);
        draw(control);
        return port.ops;
    }
    std::unique_ptr<QWidget> window;
    QWidget* control;
};

} // namespace

using CustomControlTest = ReadingMonitorTest;

TEST_F(CustomControlTest, StatusTexts) {
    struct Case {
        std::int32_t status;
        const char* communication;
        RGBColor cColour;
        const char* power;
        RGBColor pColour;
        const char* battery;
        RGBColor bColour;
    };
    const Case cases[] = {
        {0, "Connected", kGood, "Normal", kGood, "Normal", kGood},
        {UPS_ACFAIL, "Connected", kGood, "Battery", kCaution, "Normal", kGood},
        {UPS_BATTLOW, "Connected", kGood, "Normal", kGood, "Low", kAlarm},
        {UPS_BATTDEPLETED, "Connected", kGood, "Normal", kGood, "Low", kAlarm},
        {UPS_BATTREPLACE | UPS_BATTLOW, "Connected", kGood, "Normal", kGood, "Need Replace",
         kCaution},
        {UPS_COMMERR | UPS_ACFAIL | UPS_BATTREPLACE, "Disconnect", kAlarm, "Unknown", kAlarm,
         "Unknown", kAlarm},
    };
    for (const Case& c : cases) {
        PtUPSVal.StatusFlag.AllSts = c.status;
        const std::pair<int, std::pair<const char*, RGBColor>> expect[] = {
            {128, {c.communication, c.cColour}},
            {141, {c.power, c.pColour}},
            {142, {c.battery, c.bColour}}};
        for (const auto& [number, want] : expect) {
            const auto ops = Record(MainControl("main", number));
            const std::optional<DrawOp> text = OnlyText(ops);
            ASSERT_TRUE(text.has_value()) << number;
            EXPECT_EQ(text->text, want.first) << std::hex << c.status;
            EXPECT_EQ(text->color, want.second) << want.first;
            EXPECT_EQ(text->size, 14);
            EXPECT_EQ(text->face, bold);
            EXPECT_EQ(text->a, teFlushDefault);
            Rect bounds;
            GetControlBounds(MainControl("main", number), &bounds);
            EXPECT_EQ(text->rect, bounds);
        }
    }
}

TEST_F(CustomControlTest, CountdownAndItsCompanion) {
    struct Case {
        short down;
        const char* text;
        RGBColor colour;
        bool companion;
        std::int32_t status = 0;
    };
    const Case cases[] = {
        {-1, "", kAlarm, false},
        {0, "00:00", kAlarm, true},
        {59, "00:59", kAlarm, true},
        {60, "01:00", kCaution, true},
        {119, "01:59", kCaution, true},
        {120, "02:00", kPlain, true},
        {3600, "60:00", kPlain, true},
        {-5, "", kAlarm, false},
        // Link lost: still pending, for how long is unknown.
        {171, "--:--", RGBColor{0x7000, 0x7000, 0x7000}, true, UPS_COMMERR},
        {-1, "", kAlarm, false, UPS_COMMERR},
    };
    for (const Case& c : cases) {
        PtUPSVal.DownTime = c.down;
        PtUPSVal.StatusFlag.AllSts = c.status;
        const std::optional<DrawOp> text = OnlyText(Record(MainControl("tbut", 128)));
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(text->text, c.text) << c.down;
        EXPECT_EQ(text->color, c.colour) << c.down;
        EXPECT_EQ(text->size, 18);
        EXPECT_EQ(IsControlVisible(MainControl("cdic", 128)), c.companion) << c.down;
    }
}

TEST_F(CustomControlTest, BatteryLevelText) {
    PtUPSSts.LowBatteryLevel = 20;
    const std::tuple<short, const char*, RGBColor> cases[] = {
        {205, "20%", kAlarm}, {215, "21%", kGood}, {1000, "100%", kGood}, {0, "0%", kAlarm}};
    for (const auto& [val, want, colour] : cases) {
        PtUPSVal.ItemVal[2] = val;
        const std::optional<DrawOp> text = OnlyText(Record(MainControl("main", 157)));
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(text->text, want);
        EXPECT_EQ(text->color, colour) << val;
    }
    // A lost link leaves no figure: "--" in grey and no lit segment.
    PtUPSVal.StatusFlag.AllSts = UPS_COMMERR;
    const std::optional<DrawOp> text = OnlyText(Record(MainControl("main", 157)));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->text, "--");
    EXPECT_EQ(text->color, (RGBColor{0x7000, 0x7000, 0x7000}));
    for (const DrawOp& op : OfKind(Record(MainControl("main", 155)), DrawOp::Paint))
        EXPECT_NE(op.color, (RGBColor{0x7000, 0xF000, 0x7000}));
}

TEST_F(CustomControlTest, ReplacementDates) {
    const std::pair<const char*, const char*> cases[] = {
        {"20071005", "10,05 2007"}, {"20231231", "12,31 2023"}, {"", "00,00 0"},
        {"2007", "00,00 2007"},     {"2007x1", "00,00 2007"},   {"200712", "12,00 2007"},
        {"07", "00,00 7"}};
    for (const auto& [date, want] : cases) {
        std::memset(PtUPSSts.BR_Date_Last, 'x', sizeof PtUPSSts.BR_Date_Last);
        std::strcpy(PtUPSSts.BR_Date_Last, date);
        std::strcpy(PtUPSSts.BR_Date_Next, date);
        for (int number : {160, 161}) {
            const std::optional<DrawOp> text = OnlyText(Record(MainControl("main", number)));
            ASSERT_TRUE(text.has_value());
            EXPECT_EQ(text->text, want) << date;
            EXPECT_EQ(text->color, kPlain);
        }
    }
}

TEST_F(CustomControlTest, NextShutdownIsPureRedOnItsDayOnly) {
    SetTestTime(2026, 3, 10, 0, 0);
    std::strcpy(NextShutString, "03/10/2026 23:59");
    NextShutdown = DateTimeStr{2026, 3, 10, 23, 59};
    const std::optional<DrawOp> text = OnlyText(Record(MainControl("main", 162)));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->text, "03/10/2026 23:59");
    EXPECT_EQ(text->color, kToday);
    NextShutdown.Day = 11;
    EXPECT_EQ(OnlyText(Record(MainControl("main", 162)))->color, kPlain);
    std::strcpy(NextShutString, "None");
    NextShutdown = DateTimeStr{0, 0, 0, 0, 0};
    const std::optional<DrawOp> none = OnlyText(Record(MainControl("main", 162)));
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(none->text, "None");
    EXPECT_EQ(none->color, kPlain);
}

TEST_F(CustomControlTest, TitlesMustMatchInFullAndOtherEventsAreIgnored) {
    QLabel impostor("MeterL2", MainWindow);
    ToolboxEvent draw;
    draw.eventClass = kEventClassControl;
    draw.eventKind = kEventControlDraw;
    draw.control = &impostor;
    RecordingPort port;
    const PortGuard guard(&port);
    EXPECT_EQ(CustEventHandler(nullptr, &draw, nullptr), noErr);
    ToolboxEvent click = draw;
    click.eventKind = kEventControlClick;
    click.control = MainControl("main", 128);
    EXPECT_EQ(CustEventHandler(nullptr, &click, nullptr), noErr);
    EXPECT_TRUE(port.ops.empty());
}

TEST_F(CustomControlTest, MeterFollowsTheFirstSelection) {
    PtUPSSts.RatingVolt = 1200;
    PtUPSVal.SupportItem = (1 << 4) | (1 << 5) | (1 << 13);
    PtUPSVal.ItemVal[4] = 2305;
    PtUPSVal.ItemVal[5] = 33;
    PtUPSVal.ItemVal[0] = 1234;
    const std::pair<short, const char*> cases[] = {
        {1, "230.5V"}, {2, "3.3A"}, {0, "123.4V"}, {9, "123.4V"}};
    for (const auto& [meter, reading] : cases) {
        PtUPSSts.Main_Meter[0] = meter;
        const auto texts = OfKind(Record(MainControl("main", 152)), DrawOp::Text);
        ASSERT_EQ(texts.size(), 6u);
        EXPECT_EQ(texts.back().text, reading) << meter;
    }
}

// ---- the analog meter ----

namespace {
int gMeterIndex = 4;
void DrawTheMeter(ControlRef c) {
    DrawMeter(c, gMeterIndex);
}
} // namespace

TEST_F(CustomControlTest, MeterWorkedExample) {
    PtUPSSts.RatingVolt = 1200; // a 240 V scale
    PtUPSVal.ItemVal[4] = 2305;
    gMeterIndex = 4;
    Bench bench(0, 0, 200, 150);
    const auto ops = bench.Draw(DrawTheMeter);

    ASSERT_GE(ops.size(), 4u);
    EXPECT_EQ(ops[0].kind, DrawOp::Frame);
    EXPECT_EQ(ops[0].rect, R(0, 0, 200, 150));
    EXPECT_EQ(ops[0].color, (RGBColor{0xA700, 0xA700, 0xA700}));
    EXPECT_EQ(ops[1].kind, DrawOp::Arc);
    EXPECT_EQ(ops[1].rect, R(32, 20, 158, 146));
    EXPECT_EQ(ops[1].a, -120);
    EXPECT_EQ(ops[1].b, 240);
    EXPECT_EQ(ops[1].color, (RGBColor{0x7000, 0x7000, 0xFF00}));
    EXPECT_EQ(ops[2].rect, R(37, 25, 153, 141));
    EXPECT_EQ(ops[2].color, (RGBColor{0xFF00, 0xFF00, 0xFF00}));
    EXPECT_EQ(ops[3].kind, DrawOp::Paint);
    EXPECT_EQ(ops[3].rect, R(41, 83, 149, 115));
    EXPECT_EQ(ops[3].color, (RGBColor{0xFF00, 0xFF00, 0xFF00}));

    const auto lines = OfKind(ops, DrawOp::Line);
    ASSERT_EQ(lines.size(), 9u + 3u);
    const short ticks[9][4] = {{141, 109, 149, 114}, {149, 83, 158, 83}, {141, 57, 149, 52},
                               {122, 37, 126, 29},   {95, 30, 95, 21},   {69, 37, 64, 29},
                               {49, 56, 41, 52},     {42, 83, 33, 83},   {49, 109, 41, 114}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ((std::array<short, 4>{lines[i].a, lines[i].b, lines[i].h, lines[i].v}),
                  (std::array<short, 4>{ticks[i][0], ticks[i][1], ticks[i][2], ticks[i][3]}))
            << "tick " << i;
        EXPECT_EQ(lines[i].color, kDarkGrey);
    }
    const auto texts = OfKind(ops, DrawOp::Text);
    ASSERT_EQ(texts.size(), 6u);
    const std::tuple<const char*, Rect, short> labels[] = {
        {"240", R(155, 106, 198, 116), teFlushLeft}, {"180", R(152, 44, 198, 54), teFlushLeft},
        {"120", R(75, 9, 115, 19), teCenter},        {"60", R(2, 44, 39, 54), teFlushRight},
        {"0", R(2, 106, 36, 116), teFlushRight},     {"230.5V", R(75, 116, 115, 126), teCenter}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(texts[i].text, std::get<0>(labels[i]));
        EXPECT_EQ(texts[i].rect, std::get<1>(labels[i])) << std::get<0>(labels[i]);
        EXPECT_EQ(texts[i].a, std::get<2>(labels[i])) << std::get<0>(labels[i]);
        EXPECT_EQ(texts[i].size, 10);
        EXPECT_EQ(texts[i].face, bold);
        EXPECT_EQ(texts[i].color, kDarkGrey);
    }
    // The needle: tip, first base point, second base point, tip.
    EXPECT_EQ((std::array<short, 4>{lines[9].a, lines[9].b, lines[9].h, lines[9].v}),
              (std::array<short, 4>{154, 104, 95, 82}));
    EXPECT_EQ((std::array<short, 2>{lines[10].h, lines[10].v}), (std::array<short, 2>{95, 84}));
    EXPECT_EQ((std::array<short, 2>{lines[11].h, lines[11].v}), (std::array<short, 2>{154, 104}));
    // The label texts are drawn right after their ticks.
    int order = 0;
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Text && op.text == "180") break;
        if (op.kind == DrawOp::Line) ++order;
    }
    EXPECT_EQ(order, 3);
}

TEST_F(CustomControlTest, MeterNeedleEndsAndMissingReading) {
    PtUPSSts.RatingVolt = 1200;
    gMeterIndex = 4;
    Bench bench(0, 0, 200, 150);
    struct Case {
        short val;
        const char* reading; // nullptr: no reading, no needle
        short tipH, tipV;
        std::int32_t status = 0;
    };
    for (const Case c :
         {Case{0, "0.0V", 41, 114}, Case{5000, "500.0V", 149, 114}, Case{-1, nullptr, 0, 0},
          // Link lost: the needle rests at zero, no figure.
          Case{5000, "--", 41, 114, UPS_COMMERR}}) {
        PtUPSVal.ItemVal[4] = c.val;
        PtUPSVal.StatusFlag.AllSts = c.status;
        const auto ops = bench.Draw(DrawTheMeter);
        const auto lines = OfKind(ops, DrawOp::Line);
        const auto texts = OfKind(ops, DrawOp::Text);
        if (!c.reading) {
            EXPECT_EQ(lines.size(), 9u);
            EXPECT_EQ(texts.size(), 5u);
            continue;
        }
        ASSERT_EQ(lines.size(), 12u) << c.val;
        EXPECT_EQ(texts.back().text, c.reading);
        EXPECT_EQ((std::array<short, 2>{lines[9].a, lines[9].b}),
                  (std::array<short, 2>{c.tipH, c.tipV}))
            << c.val;
    }
}

TEST_F(CustomControlTest, MeterOnATallControl) {
    gMeterIndex = 2; // battery level on the 200 % scale
    PtUPSVal.ItemVal[2] = 1000;
    Bench bench(0, 0, 150, 200);
    const auto ops = bench.Draw(DrawTheMeter);
    EXPECT_EQ(ops[1].rect, R(15, 53, 125, 163));
    const auto lines = OfKind(ops, DrawOp::Line);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ((std::array<short, 2>{lines[9].a, lines[9].b}), (std::array<short, 2>{70, 54}));
    // Straight up: the base points lie beside the pivot.
    EXPECT_EQ((std::array<short, 4>{lines[9].h, lines[9].v, lines[10].h, lines[10].v}),
              (std::array<short, 4>{71, 108, 69, 108}));
}

TEST_F(CustomControlTest, MeterScales) {
    Bench bench(0, 0, 200, 150);
    struct Case {
        int index;
        short ratingVolt, ratingCurrent, ratingBattVolt;
        const char* full;
        short val;
        const char* reading;
        bool needle;
    };
    const Case cases[] = {
        {0, 0, 0, 240, "45", 270, "27.0V", true}, // battery voltage
        {0, 0, 0, 0, "15", 120, "12.0V", true},
        {13, 2300, 0, 0, "460", 2301, "230.1V", true}, // output voltage
        {13, 5, 0, 0, "0", 2301, "230.1V", false},     // a rating below 10: no scale
        {14, 0, 100, 0, "120", 55, "5.5A", true},      // output current
        {14, 0, 0, 0, "20", 55, "5.5A", true},
        {15, 0, 0, 0, "200", 310, "31.0%", true},  // output loading
        {12, 0, 0, 0, "120", 500, "50.0Hz", true}, // output frequency
        {29, 0, 0, 0, "100", 285, "28.5C", true},  // temperature
    };
    for (const Case& c : cases) {
        PtUPSSts.RatingVolt = c.ratingVolt;
        PtUPSSts.RatingCurrent = c.ratingCurrent;
        PtUPSSts.RatingBattVolt = c.ratingBattVolt;
        PtUPSVal.ItemVal[c.index] = c.val;
        gMeterIndex = c.index;
        const auto ops = bench.Draw(DrawTheMeter);
        const auto texts = OfKind(ops, DrawOp::Text);
        ASSERT_EQ(texts.size(), 6u);
        EXPECT_EQ(texts[0].text, c.full) << c.index;
        EXPECT_EQ(texts[4].text, "0");
        EXPECT_EQ(texts[5].text, c.reading);
        EXPECT_EQ(OfKind(ops, DrawOp::Line).size(), c.needle ? 12u : 9u) << c.index;
    }
}

// ---- battery gauge ----

namespace {
short gGaugeVal = 0;
void DrawTheGauge(ControlRef c) {
    DrawBatteryLevel(c, gGaugeVal);
}
} // namespace

TEST_F(CustomControlTest, BatteryGaugeSegments) {
    PtUPSSts.LowBatteryLevel = 20;
    Bench bench(10, 10, 115, 24);
    constexpr RGBColor off{0xE000, 0xE000, 0xE000};
    constexpr RGBColor green{0x7000, 0xF000, 0x7000};
    constexpr RGBColor red{0xF000, 0x7000, 0x7000};
    struct Case {
        short val;
        int lit;
        RGBColor colour;
    };
    const Case cases[] = {{1000, 20, green}, {475, 9, green}, {210, 4, green},  {200, 4, red},
                          {99, 1, red},      {50, 1, red},    {49, 0, red},     {5, 20, red},
                          {-10, 20, red},    {0, 0, red},     {1200, 20, green}};
    for (const Case& c : cases) {
        gGaugeVal = c.val;
        const auto ops = bench.Draw(DrawTheGauge);
        ASSERT_EQ(ops.size(), 22u);
        EXPECT_EQ(ops[0].kind, DrawOp::Paint);
        EXPECT_EQ(ops[0].rect, R(10, 10, 115, 24));
        EXPECT_EQ(ops[0].color, (RGBColor{0xFF00, 0xFF00, 0xFF00}));
        EXPECT_EQ(ops[1].kind, DrawOp::Frame);
        EXPECT_EQ(ops[1].color, (RGBColor{0xA700, 0xA700, 0xA700}));
        for (int i = 1; i <= 20; ++i) {
            const DrawOp& seg = ops[static_cast<std::size_t>(i + 1)];
            EXPECT_EQ(seg.color, i <= c.lit ? c.colour : off) << c.val << " segment " << i;
        }
    }
    gGaugeVal = 1000;
    const auto ops = bench.Draw(DrawTheGauge);
    EXPECT_EQ(ops[2].rect, R(12, 12, 16, 22));
    EXPECT_EQ(ops[21].rect, R(107, 12, 111, 22));
}

TEST(PanelHelpers, SetmyColorKeepsChannelsExactly) {
    RGBColor c;
    SetmyColor(&c, 0xF000, 0x7000, 0x7000);
    EXPECT_EQ(c, (RGBColor{0xF000, 0x7000, 0x7000}));
    SetmyColor(&c, 0x1FF00, -1, 0);
    EXPECT_EQ(c, (RGBColor{0xFF00, 0xFFFF, 0}));
}

namespace {
void DrawEmptyString(ControlRef c) {
    DrawCustString(c, "", 14, 0, 0x7000, 0);
}
} // namespace

TEST(PanelHelpers, EmptyStringJustErasesTheControl) {
    Bench bench(5, 6, 105, 26);
    const auto ops = bench.Draw(DrawEmptyString);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].kind, DrawOp::Text);
    EXPECT_EQ(ops[0].text, "");
    EXPECT_EQ(ops[0].rect, R(5, 6, 105, 26));
}

// ---- calendar view ----

class CalendarViewTest : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        SetTestTime(2025, 9, 1, 9, 0);
        AcquireCalendar();
        ASSERT_NE(PtSchedule, nullptr);
        bench = std::make_unique<Bench>(0, 0, 220, 150, "sche_128");
    }
    void Put(int year, int month, int day, int k, unsigned char button) {
        const int i = CalendarIndex(year, month, day, k);
        ASSERT_GE(i, 0);
        PtSchedule[i] = ScheduleStr{button, 10, 0};
    }
    std::vector<DrawOp> Draw(int year, int month, int day) {
        SelectYear = year;
        SelectMonth = month;
        SelectDay = day;
        RecordingPort port;
        const PortGuard guard(&port);
        DrawCustCalendar(bench->window.get());
        return port.ops;
    }
    std::unique_ptr<Bench> bench;
};

TEST_F(CalendarViewTest, WorkedExampleOctober2025) {
    Put(2025, 10, 1, 0, ScheduleShutdown);
    Put(2025, 10, 1, 3, ScheduleShutdown);
    const auto ops = Draw(2025, 10, 0);
    EXPECT_EQ(ops[0].kind, DrawOp::Paint);
    EXPECT_EQ(ops[0].rect, R(0, 0, 217, 147));
    EXPECT_EQ(ops[0].color, (RGBColor{0xF000, 0xF000, 0xF000}));
    const auto texts = OfKind(ops, DrawOp::Text);
    ASSERT_EQ(texts.size(), 7u + 31u);
    const char* names[] = {"SUN", "MON", "TUE", "WED", "THR", "FRI", "SAT"};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(texts[x].text, names[x]);
        EXPECT_EQ(texts[x].rect, R(31 * x, 0, 31 * x + 31, 21));
        EXPECT_EQ(texts[x].size, 14);
        EXPECT_EQ(texts[x].face, bold);
        EXPECT_EQ(texts[x].a, teCenter);
        const RGBColor want = x == 0   ? RGBColor{0xFF00, 0, 0}
                              : x == 6 ? RGBColor{0, 0x7700, 0}
                                       : RGBColor{0, 0, 0};
        EXPECT_EQ(texts[x].color, want) << names[x];
    }
    auto day = [&](int d) { return texts[static_cast<std::size_t>(6 + d)]; };
    EXPECT_EQ(day(1).text, "1");
    EXPECT_EQ(day(1).rect, R(93, 21, 124, 42));
    EXPECT_EQ(day(1).size, 12);
    EXPECT_EQ(day(1).face, normal);
    EXPECT_EQ(day(1).color, kDarkGrey);
    EXPECT_EQ(day(4).rect, R(186, 21, 217, 42));
    EXPECT_EQ(day(5).rect, R(0, 42, 31, 63));
    EXPECT_EQ(day(31).rect, R(155, 105, 186, 126));
    EXPECT_EQ(BeginBlock, 3);
    EXPECT_EQ(EndBlock, 33);

    const auto paints = OfKind(ops, DrawOp::Paint);
    ASSERT_EQ(paints.size(), 2u); // the background and one shutdown mark for two entries
    EXPECT_EQ(paints[1].rect, R(95, 23, 100, 28));
    EXPECT_EQ(paints[1].color, (RGBColor{0xFF00, 0, 0}));
    EXPECT_TRUE(OfKind(ops, DrawOp::Invert).empty());

    const auto lines = OfKind(ops, DrawOp::Line);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ((std::array<short, 4>{lines[0].a, lines[0].b, lines[0].h, lines[0].v}),
              (std::array<short, 4>{0, 0, 217, 0}));
    EXPECT_EQ((std::array<short, 4>{lines[15].a, lines[15].b, lines[15].h, lines[15].v}),
              (std::array<short, 4>{217, 0, 217, 147}));
    EXPECT_EQ(ops.back().kind, DrawOp::Line); // the grid goes over everything
}

TEST_F(CalendarViewTest, MarksAndSelection) {
    Put(2025, 10, 15, 0, ScheduleTest);
    Put(2025, 10, 15, 1, ScheduleDeepTest);
    Put(2025, 10, 15, 2, ScheduleRestart);
    Put(2025, 10, 15, 3, 7); // no mark for other codes
    const auto ops = Draw(2025, 10, 15);
    const auto paints = OfKind(ops, DrawOp::Paint);
    // Day 15: cell number 17, grid row 3, column 3.
    const Rect cell = R(93, 63, 124, 84);
    ASSERT_EQ(paints.size(), 4u);
    EXPECT_EQ(paints[1].rect, R(95, 71, 100, 76));
    EXPECT_EQ(paints[1].color, (RGBColor{0, 0x7F00, 0}));
    EXPECT_EQ(paints[2].rect, R(95, 77, 100, 81));
    EXPECT_EQ(paints[2].color, (RGBColor{0xCF00, 0xCF00, 0}));
    EXPECT_EQ(paints[3].rect, R(117, 76, 122, 81));
    EXPECT_EQ(paints[3].color, (RGBColor{0, 0, 0xFF00}));
    const auto inverts = OfKind(ops, DrawOp::Invert);
    ASSERT_EQ(inverts.size(), 1u);
    EXPECT_EQ(inverts[0].rect, cell);
    EXPECT_TRUE(OfKind(Draw(2025, 10, 32), DrawOp::Invert).empty());
}

TEST_F(CalendarViewTest, MonthPlacements) {
    struct Case {
        int year, month;
        int begin, end;
        int lastRow; // grid row of the last day
    };
    for (const Case c : {Case{2026, 2, 0, 27, 4}, Case{2026, 8, 6, 36, 6}}) {
        const auto texts = OfKind(Draw(c.year, c.month, 1), DrawOp::Text);
        EXPECT_EQ(BeginBlock, c.begin);
        EXPECT_EQ(EndBlock, c.end);
        EXPECT_EQ(texts.back().rect.top, 21 * c.lastRow) << c.month;
    }
}

TEST_F(CalendarViewTest, AMonthOutsideTheLoadedYearsShowsNoMarks) {
    Put(2025, 10, 1, 0, ScheduleShutdown);
    const auto ops = Draw(2027, 10, 1);
    EXPECT_EQ(OfKind(ops, DrawOp::Paint).size(), 1u);
}
