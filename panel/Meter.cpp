// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The analog meter: a 240-degree scale band, nine ticks with five labels, the
// reading below the pivot and a needle.
#include <cmath>
#include <string>

#include "Controls.h"
#include "Translation.h"
#include "Ups.h"
#include "screen.h"

namespace {

constexpr double kPi = 3.1415926;

short S(int v) {
    return static_cast<short>(v);
}
double Rad(int degrees) {
    return degrees * kPi / 180;
}
int Trunc(double v) {
    return static_cast<int>(v);
}

} // namespace

void MeterScale(int index, int* MaxVal, const char** Unit) {
    switch (index) {
    case 0:
        *MaxVal = (PtUPSSts.RatingBattVolt / 120 + 1) * 15;
        *Unit = "V";
        return;
    case 4:
    case 7:
    case 10:
    case 13:
    case 16:
    case 19:
    case 23:
    case 25:
    case 27:
        *MaxVal = (PtUPSSts.RatingVolt / 10) * 2;
        *Unit = "V";
        return;
    case 1:
    case 5:
    case 8:
    case 11:
    case 14:
    case 17:
    case 20:
    case 24:
    case 26:
    case 28:
        *MaxVal = (PtUPSSts.RatingCurrent / 10 + 2) * 10;
        *Unit = "A";
        return;
    case 2:
    case 15:
    case 18:
    case 21:
        *MaxVal = 200;
        *Unit = "%";
        return;
    case 3:
    case 6:
    case 9:
    case 12:
    case 22:
        *MaxVal = 120;
        *Unit = "Hz";
        return;
    default: // 29, the temperature
        *MaxVal = 100;
        *Unit = "C";
        return;
    }
}

namespace {

void Label(const std::string& text, short left, short top, short right, short just) {
    Rect box;
    SetRect(&box, left, top, right, S(top + 10));
    TETextBox(text.c_str(), static_cast<long>(text.size()), &box, just);
}

} // namespace

void DrawMeter(ControlRef theControl, int index) {
    const int MinVal = 0;
    int MaxVal = 0;
    const char* Unit = "";
    MeterScale(index, &MaxVal, &Unit);
    // Without current values the needle rests at zero and the reading is "--".
    const bool live = ValuesAreLive();
    int Val = !live ? 0 : (index >= 0 && index < ItemCount) ? PtUPSVal.ItemVal[index] : -1;

    Rect bounds;
    GetControlBounds(theControl, &bounds);
    RGBColor color;
    SetmyColor(&color, 0xA700, 0xA700, 0xA700);
    RGBForeColor(&color);
    FrameRect(&bounds);

    Rect dial;
    dial.left = S(bounds.left + 15);
    dial.right = S(bounds.right - 25);
    dial.top = S(bounds.top + 20);
    dial.bottom = S(bounds.bottom - 4);
    const short height = S(dial.bottom - dial.top);
    const short width = S(dial.right - dial.left);
    if (height > width) {
        const short d = S((height - width) / 2);
        dial.top = S(dial.top + d);
        dial.bottom = S(dial.bottom - d);
    } else {
        const short d = S((width - height) / 2);
        dial.left = S(dial.left + d);
        dial.right = S(dial.right - d);
    }

    SetmyColor(&color, 0x7000, 0x7000, 0xFF00);
    RGBForeColor(&color);
    PaintArc(&dial, -120, 240);
    InsetRect(&dial, 5, 5);
    SetmyColor(&color, 0xFF00, 0xFF00, 0xFF00);
    RGBForeColor(&color);
    PaintArc(&dial, -120, 240);
    InsetRect(&dial, -5, -5);

    const short r = S((dial.right - dial.left) / 2);
    const short cx = S((dial.left + dial.right) / 2);
    const short cy = S((dial.top + dial.bottom) / 2);

    Rect face;
    // The face is drawn from the whole-pixel half radius.
    // NOLINTBEGIN(bugprone-integer-division)
    face.left = S(Trunc(cx - (r / 2) * 1.732));
    face.right = S(Trunc(cx + (r / 2) * 1.732 + 1.0));
    // NOLINTEND(bugprone-integer-division)
    face.top = cy;
    face.bottom = S(cy + r / 2 + 1);
    PaintRect(&face);

    SetmyColor(&color, 0x4000, 0x4000, 0x4000);
    RGBForeColor(&color);
    TextFont(GetSysFont());
    TextSize(10);
    TextFace(bold);

    const short ri = S(r - r / 7);
    for (int i = 0; i <= 8; ++i) {
        const double a = Rad(30 * i - 30);
        MoveTo(S(cx + Trunc(ri * std::cos(a))), S(cy - Trunc(ri * std::sin(a))));
        LineTo(S(cx + Trunc(r * std::cos(a))), S(cy - Trunc(r * std::sin(a))));
        if (i % 2 != 0) continue;
        const int mark = (MaxVal - MinVal) * (8 - i) / 8; // whole units, as the scale is
        const std::string text = LocalNumber(mark, 0);
        const short ox = S(Trunc(r * std::cos(a)));
        const short oy = S(Trunc(r * std::sin(a)));
        switch (i) {
        case 0:
            Label(text, S(cx + ox + 6), S(cy - oy - 8), S(bounds.right - 2), teFlushLeft);
            break;
        case 2:
            Label(text, S(cx + ox + 3), S(cy - oy - 8), S(bounds.right - 2), teFlushLeft);
            break;
        case 4:
            Label(text, S(cx - 20), S(cy - oy - 12), S(cx - 20 + 40), teCenter);
            break;
        case 6:
            Label(text, S(bounds.left + 2), S(cy - oy - 8), S(cx + ox - 2), teFlushRight);
            break;
        default:
            Label(text, S(bounds.left + 2), S(cy - oy - 8), S(cx + ox - 5), teFlushRight);
            break;
        }
    }

    Rect reading;
    reading.left = S(cx - 20);
    reading.right = S(reading.left + 40);
    reading.top = S(cy + r / 2 + 2);
    reading.bottom = S(reading.top + 10);
    if (Val < 0) return;
    const std::string text = live ? LocalNumber(Val / 10.0, 1) + Unit : "--";
    TETextBox(text.c_str(), static_cast<long>(text.size()), &reading, teCenter);

    if (Val / 10 > MaxVal) Val = MaxVal * 10;
    if (MaxVal == MinVal) return;
    const int Angle = (Val / 10) * 240 / (MaxVal - MinVal);
    const double theta = Rad(210 - Angle);
    const short tipH = S(cx + Trunc(r * std::cos(theta)));
    const short tipV = S(cy - Trunc(r * std::sin(theta)));
    Point first{S(cy - 1), cx};
    Point second{S(cy + 1), cx};
    switch (Angle / 30) {
    case 2:
        first = Point{S(cy - 1), S(cx + 1)};
        second = Point{S(cy + 1), S(cx - 1)};
        break;
    case 3:
    case 4:
        first = Point{cy, S(cx + 1)};
        second = Point{cy, S(cx - 1)};
        break;
    case 5:
        first = Point{S(cy - 1), S(cx - 1)};
        second = Point{S(cy + 1), S(cx + 1)};
        break;
    default: // 0, 1 to the left and 6, 7, 8 to the right: a vertical base
        break;
    }
    MoveTo(tipH, tipV);
    LineTo(first.h, first.v);
    LineTo(second.h, second.v);
    LineTo(tipH, tipV);
}
