// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The battery gauge, the text labels and the colour helper of the panel.
#include <cstring>

#include "Controls.h"
#include "Ups.h"
#include "screen.h"

void SetmyColor(RGBColor* rc, int red, int green, int blue) {
    rc->red = static_cast<unsigned short>(red & 0xFFFF);
    rc->green = static_cast<unsigned short>(green & 0xFFFF);
    rc->blue = static_cast<unsigned short>(blue & 0xFFFF);
}

void DrawBatteryLevel(ControlRef theControl, int Val) {
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    RGBColor color;
    SetmyColor(&color, 0xFF00, 0xFF00, 0xFF00);
    RGBForeColor(&color);
    PaintRect(&bounds);
    SetmyColor(&color, 0xA700, 0xA700, 0xA700);
    RGBForeColor(&color);
    FrameRect(&bounds);

    Rect segment;
    segment.top = static_cast<short>(bounds.top + 2);
    segment.bottom = static_cast<short>(bounds.bottom - 2);
    const int p = Val / 10;
    for (int i = 1; i <= 20; ++i) {
        segment.left = static_cast<short>(bounds.left + (i - 1) * 5 + 2);
        segment.right = static_cast<short>(segment.left + 4);
        if (Val == 0 || (p > 0 && p < 5 * i))
            SetmyColor(&color, 0xE000, 0xE000, 0xE000);
        else if (p > PtUPSSts.LowBatteryLevel)
            SetmyColor(&color, 0x7000, 0xF000, 0x7000);
        else
            SetmyColor(&color, 0xF000, 0x7000, 0x7000);
        RGBForeColor(&color);
        PaintRect(&segment);
    }
}

void DrawCustString(ControlRef theControl, const char* PtString, int fontSize, int R, int G, int B,
                    short just) {
    Rect bounds;
    GetControlBounds(theControl, &bounds);
    TextFont(GetSysFont());
    TextSize(static_cast<short>(fontSize));
    TextFace(bold);
    RGBColor color;
    SetmyColor(&color, R, G, B);
    RGBForeColor(&color);
    TETextBox(PtString, static_cast<long>(std::strlen(PtString)), &bounds, just);
}
