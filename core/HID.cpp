// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "HID.h"

const char* const HIDItemName[ItemCount] = {
    "Battery Voltage",  "Battery Current",  "Battery Level",    "Input Frequency",
    "Input Voltage",    "Input Current",    "Input Frequency2", "Input Voltage2",
    "Input Current2",   "Input Frequency3", "Input Voltage3",   "Input Current3",
    "Output Frequency", "Output Voltage",   "Output Current",   "Output Loading",
    "Output Voltage2",  "Output Current2",  "Output Loading2",  "Output Voltage3",
    "Output Current3",  "Output Loading3",  "Bypass Frequency", "Bypass Voltage",
    "Bypass Current",   "Bypass Voltage2",  "Bypass Current2",  "Bypass Voltage3",
    "Bypass Current3",  "Temperature",
};

const char* const HIDItemUnit[ItemCount] = {
    "V", "A", "%", "Hz", "V", "A", "Hz", "V",  "A", "Hz", "V", "A", "Hz", "V", "A",
    "%", "V", "A", "%",  "V", "A", "%",  "Hz", "V", "A",  "V", "A", "V",  "A", "C",
};

int SupportIndexOf(std::int32_t supportItem, int Order) {
    if (Order < 0) return 0;
    for (int i = 0; i < ItemCount; ++i) {
        if ((supportItem & (std::int32_t{1} << i)) == 0) continue;
        if (Order == 0) return i;
        --Order;
    }
    return 0;
}

int GetSupportIndex(int Order) {
    return SupportIndexOf(PtUPSVal.SupportItem, Order);
}
