// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "HID.h"

#include "Translatable.h"

const char* const HIDItemName[ItemCount] = {
    TRANSLATABLE("Measurement", "Battery Voltage"),
    TRANSLATABLE("Measurement", "Battery Current"),
    TRANSLATABLE("Measurement", "Battery Level"),
    TRANSLATABLE("Measurement", "Input Frequency"),
    TRANSLATABLE("Measurement", "Input Voltage"),
    TRANSLATABLE("Measurement", "Input Current"),
    TRANSLATABLE("Measurement", "Input Frequency2"),
    TRANSLATABLE("Measurement", "Input Voltage2"),
    TRANSLATABLE("Measurement", "Input Current2"),
    TRANSLATABLE("Measurement", "Input Frequency3"),
    TRANSLATABLE("Measurement", "Input Voltage3"),
    TRANSLATABLE("Measurement", "Input Current3"),
    TRANSLATABLE("Measurement", "Output Frequency"),
    TRANSLATABLE("Measurement", "Output Voltage"),
    TRANSLATABLE("Measurement", "Output Current"),
    TRANSLATABLE("Measurement", "Output Loading"),
    TRANSLATABLE("Measurement", "Output Voltage2"),
    TRANSLATABLE("Measurement", "Output Current2"),
    TRANSLATABLE("Measurement", "Output Loading2"),
    TRANSLATABLE("Measurement", "Output Voltage3"),
    TRANSLATABLE("Measurement", "Output Current3"),
    TRANSLATABLE("Measurement", "Output Loading3"),
    TRANSLATABLE("Measurement", "Bypass Frequency"),
    TRANSLATABLE("Measurement", "Bypass Voltage"),
    TRANSLATABLE("Measurement", "Bypass Current"),
    TRANSLATABLE("Measurement", "Bypass Voltage2"),
    TRANSLATABLE("Measurement", "Bypass Current2"),
    TRANSLATABLE("Measurement", "Bypass Voltage3"),
    TRANSLATABLE("Measurement", "Bypass Current3"),
    TRANSLATABLE("Measurement", "Temperature"),
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
