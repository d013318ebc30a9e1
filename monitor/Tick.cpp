// The one-second tick: read the agent's values (or run the schedule on a new
// minute), redraw the gauges whose values changed, evaluate the status word
// and advance the countdown.
#include "Clock.h"
#include "Controls.h"
#include "HID.h"
#include "Schedule.h"
#include "file.h"
#include "menu.h"
#include "monitor.h"

void ResetStatusState();

namespace {

int oldMinute = -1;

void Redraw(const char (&signature)[5], int number) {
    if (!MainWindow) return;
    const ControlID id{FourCharCode(signature), number};
    ControlRef control = nullptr;
    if (GetControlByID(MainWindow, &id, &control) == noErr) Draw1Control(control);
}

struct Ratings {
    short volt, current, battVolt;
    bool operator==(const Ratings&) const = default;
};

Ratings CurrentRatings() {
    return {PtUPSSts.RatingVolt, PtUPSSts.RatingCurrent, PtUPSSts.RatingBattVolt};
}

} // namespace

void MyTimer(EventLoopTimerRef, void*) {
    const UPSVal oldUPSVal = PtUPSVal;
    DateTimeRec now;
    GetTime(&now);
    if (now.minute != oldMinute) {
        oldMinute = now.minute;
        CheckScheduleUPS();
        GetNext();
        // The agent may have learnt the ratings since: a new scale redraws the meter.
        const Ratings before = CurrentRatings();
        LoadRatings();
        if (!(CurrentRatings() == before)) Redraw("main", 152);
        // The next shutdown's text and its today colour follow the minute.
        Redraw("main", 162);
    } else {
        ReadUPSVal();
    }
    if (PtUPSVal.flag_OpenUPS != 0) Redraw("main", 128);
    if (oldUPSVal.ItemVal[2] != PtUPSVal.ItemVal[2]) {
        Redraw("main", 155);
        Redraw("main", 157);
    }
    if (oldUPSVal.SupportItem != PtUPSVal.SupportItem) {
        // Another set of measurements: new selector lists, maybe another slot.
        FillMeterSelectors();
        Redraw("main", 152);
    }
    const int k = GetSupportIndex(PtUPSSts.Main_Meter[0] - 1);
    if (oldUPSVal.ItemVal[k] != PtUPSVal.ItemVal[k]) Redraw("main", 152);
    CheckStatus();
    if (PtUPSVal.flag_OpenUPS != 0 && (PtUPSVal.StatusFlag.AllSts & UPS_COMMERR) == 0) CountDown();
}

void ResetMonitorState() {
    oldMinute = -1;
    ResetStatusState();
}
