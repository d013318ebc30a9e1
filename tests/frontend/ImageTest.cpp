// One picture per custom control, painted through Qt as on screen, checked
// for the colours its state calls for.
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstring>

#include "Clock.h"
#include "Dialogs.h"
#include "FrontendTestSupport.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "Windows.h"
#include "file.h"
#include "monitor.h"

namespace {

int Count(ControlRef control, QRgb colour) {
    const QImage img = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
    return n;
}

const QRgb kAlarm = qRgb(0xF0, 0, 0);
const QRgb kCaution = qRgb(0xA0, 0xA0, 0);
const QRgb kGood = qRgb(0, 0x70, 0);
const QRgb kBlack = qRgb(0, 0, 0);

using ImageTest = ReadingMonitorTest;

} // namespace

TEST_F(ImageTest, StatusTextColours) {
    PtUPSVal.StatusFlag.AllSts = UPS_ACFAIL | UPS_BATTLOW;
    EXPECT_GT(Count(MainControl("main", 128), kGood), 10);
    EXPECT_GT(Count(MainControl("main", 141), kCaution), 10);
    EXPECT_EQ(Count(MainControl("main", 141), kGood), 0);
    EXPECT_GT(Count(MainControl("main", 142), kAlarm), 10);
    PtUPSVal.StatusFlag.AllSts = UPS_COMMERR;
    for (int n : {128, 141, 142})
        EXPECT_GT(Count(MainControl("main", n), kAlarm), 10) << n;
}

TEST_F(ImageTest, BatteryGaugeAndPercentage) {
    PtUPSSts.LowBatteryLevel = 20;
    PtUPSVal.ItemVal[2] = 500;
    ControlRef gauge = MainControl("main", 155);
    const int h = gauge->height() - 4;
    EXPECT_EQ(Count(gauge, qRgb(0x70, 0xF0, 0x70)), 10 * 4 * h);
    EXPECT_EQ(Count(gauge, qRgb(0xE0, 0xE0, 0xE0)), 10 * 4 * h);
    EXPECT_GT(Count(gauge, qRgb(0xA7, 0xA7, 0xA7)), 0);
    EXPECT_GT(Count(MainControl("main", 157), kGood), 10);
    PtUPSVal.ItemVal[2] = 150;
    EXPECT_EQ(Count(gauge, qRgb(0xF0, 0x70, 0x70)), 3 * 4 * h);
    EXPECT_GT(Count(MainControl("main", 157), kAlarm), 10);
}

TEST_F(ImageTest, CountdownColours) {
    const std::pair<short, QRgb> cases[] = {{45, kAlarm}, {90, kCaution}, {300, kBlack}};
    for (const auto& [down, colour] : cases) {
        PtUPSVal.DownTime = down;
        EXPECT_GT(Count(MainControl("tbut", 128), colour), 10) << down;
    }
    PtUPSVal.DownTime = -1;
    EXPECT_EQ(Count(MainControl("tbut", 128), kAlarm), 0);
}

TEST_F(ImageTest, MeterDial) {
    PtUPSSts.RatingVolt = 2300;
    PtUPSVal.SupportItem = 1 << 4;
    PtUPSVal.ItemVal[4] = 2301;
    PtUPSSts.Main_Meter[0] = 1;
    ControlRef meter = MainControl("main", 152);
    EXPECT_GT(Count(meter, qRgb(0x70, 0x70, 0xFF)), 200);
    EXPECT_GT(Count(meter, qRgb(0x40, 0x40, 0x40)), 50);
    EXPECT_GT(Count(meter, qRgb(0xFF, 0xFF, 0xFF)), 1000);
}

TEST_F(ImageTest, DatesAndNextShutdown) {
    std::strcpy(PtUPSSts.BR_Date_Last, "20250105");
    std::strcpy(PtUPSSts.BR_Date_Next, "20270105");
    EXPECT_GT(Count(MainControl("main", 160), kBlack), 10);
    EXPECT_GT(Count(MainControl("main", 161), kBlack), 10);
    std::strcpy(NextShutString, "03/10/2026 23:59");
    NextShutdown = DateTimeStr{2026, 3, 10, 23, 59};
    EXPECT_GT(Count(MainControl("main", 162), qRgb(0xFF, 0, 0)), 10);
    NextShutdown.Day = 11;
    EXPECT_EQ(Count(MainControl("main", 162), qRgb(0xFF, 0, 0)), 0);
}

TEST_F(ImageTest, CalendarMarks) {
    SetTestTime(2025, 10, 2, 9, 0);
    AcquireCalendar();
    ASSERT_NE(PtSchedule, nullptr);
    PtSchedule[CalendarIndex(2025, 10, 1, 0)] = ScheduleStr{ScheduleShutdown, 9, 0};
    PtSchedule[CalendarIndex(2025, 10, 20, 0)] = ScheduleStr{ScheduleDeepTest, 9, 0};
    SelectYear = 2025;
    SelectMonth = 10;
    SelectDay = 2;
    WindowRef window = nullptr;
    MyCreateWindow("main", nullptr, "ScheduleWindow", &window);
    ASSERT_NE(window, nullptr);
    const ControlID id{FourCharCode("sche"), 128};
    ControlRef calendar = nullptr;
    ASSERT_EQ(GetControlByID(window, &id, &calendar), noErr);
    EXPECT_GE(Count(calendar, qRgb(0xFF, 0, 0)), 25); // the mark, and "SUN"
    EXPECT_EQ(Count(calendar, qRgb(0, 0, 0xFF)), 25);
    EXPECT_GT(Count(calendar, qRgb(0xF0, 0xF0, 0xF0)), 100);
    EXPECT_GT(Count(calendar, qRgb(0x40, 0x40, 0x40)), 100);
    DisposeWindow(window);
}
