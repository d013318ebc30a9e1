// Reading the monitor's snapshot: the colours of its status texts and of its
// countdown, where they stand in the main window (menu bar included).
#pragma once

#include <QImage>
#include <QRect>
#include <string>

namespace e2e {

inline const QRgb Good = qRgb(0x00, 0x70, 0x00);
inline const QRgb Caution = qRgb(0xA0, 0xA0, 0x00);
inline const QRgb Alarm = qRgb(0xF0, 0x00, 0x00);
inline const QRgb Plain = qRgb(0x00, 0x00, 0x00);

inline const QRect StatusTexts(145, 0, 190, 140);
inline const QRect CountdownBox(345, 55, 170, 80);

// The colours of the status lines top down (communication, power source,
// battery) as names: "good caution good ".
std::string StatusNames(const QImage& image);
// How many pixels of the rectangle have the colour.
int CountColour(const QImage& image, const QRect& r, QRgb colour);

} // namespace e2e
