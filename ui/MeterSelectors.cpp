// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The two meter selectors list the measurements the UPS supports, by
// catalogue name and in catalogue order.
#include "Controls.h"
#include "HID.h"
#include "Translation.h"
#include "menu.h"
#include "screen.h"

void FillMeterSelectors() {
    for (int k = 0; k < 2; ++k) {
        ControlRef selector = MainControl(kMeterSelectors[k]);
        if (!selector) continue;
        MenuRef menu = GetControlPopupMenuRef(selector);
        DeleteMenuItems(menu, 1, CountMenuItems(menu));
        int count = 0;
        for (int slot = 0; slot < ItemCount; ++slot) {
            if ((PtUPSVal.SupportItem >> slot) & 1) {
                AppendMenuItemText(menu, Translated("Measurement", HIDItemName[slot]));
                ++count;
            }
        }
        SetControlMaximum(selector, count);
        // A choice beyond the list names no measurement: show none rather
        // than pinning it to the last name, which the meter would not show.
        const int value = PtUPSSts.Main_Meter[k];
        SetControlValue(selector, value >= 1 && value <= count ? value : 0);
        if (count > 0)
            EnableControl(selector);
        else
            DisableControl(selector);
    }
}
