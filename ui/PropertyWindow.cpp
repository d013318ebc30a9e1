// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The property window: low-battery level and the battery replacement dates.
#include <QCoreApplication>

#include "Alert.h"
#include "Controls.h"
#include "DialogSupport.h"
#include "Dialogs.h"
#include "Windows.h"
#include "file.h"

namespace {

constexpr OSType kProp = FourCharCode("prop");

} // namespace

void FillPropertyWindow(WindowRef window) {
    FillPopup(window, kProp, 130, LevelItems(), LevelItem(PtUPSSts.LowBatteryLevel), true);
    FillPopup(window, kProp, 131, MonthItems(), DateMonth(PtUPSSts.BR_Date_Last), true);
    FillPopup(window, kProp, 132, MonthItems(), DateMonth(PtUPSSts.BR_Date_Next), true);
    FillPopup(window, kProp, 133, DayItems(), DateDay(PtUPSSts.BR_Date_Last), true);
    FillPopup(window, kProp, 134, DayItems(), DateDay(PtUPSSts.BR_Date_Next), true);
    SetTextOf(window, kProp, 135, DateYearText(PtUPSSts.BR_Date_Last), true);
    SetTextOf(window, kProp, 136, DateYearText(PtUPSSts.BR_Date_Next), true);
}

OSStatus PropertyWindowEventHandler(EventHandlerCallRef, EventRef event, void* userData) {
    auto window = static_cast<WindowRef>(userData);
    switch (CommandOfEvent(event)) {
    case kHICommandOK: {
        UPSSts next = PtUPSSts;
        next.LowBatteryLevel = LevelOfItem(ValueOf(window, kProp, 130));
        // A year that cannot be written as four digits leaves its date as it was.
        StoreDate(next.BR_Date_Last, TextOf(window, kProp, 135), ValueOf(window, kProp, 131),
                  ValueOf(window, kProp, 133));
        StoreDate(next.BR_Date_Next, TextOf(window, kProp, 136), ValueOf(window, kProp, 132),
                  ValueOf(window, kProp, 134));
        // A replacement is planned after the last one, never before it.
        const std::string last = DateText(next.BR_Date_Last), due = DateText(next.BR_Date_Next);
        if (!last.empty() && !due.empty() && due < last) {
            ShowAlert(window,
                      QCoreApplication::translate("PropertyWindow", "Not saved").toStdString(),
                      QCoreApplication::translate("PropertyWindow",
                                                  "The next battery replacement (%1) cannot come "
                                                  "before the last one (%2).")
                          .arg(QString::fromStdString(due), QString::fromStdString(last))
                          .toStdString());
            return noErr;
        }
        if (SaveSettings(window, next)) DisposeWindow(window);
        return noErr;
    }
    case kHICommandCancel:
        DisposeWindow(window);
        return noErr;
    default:
        return eventNotHandledErr;
    }
}
