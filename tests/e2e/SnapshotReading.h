// Reading the monitor's snapshot: the colours of its status texts and of its
// countdown, where they stand in the main window (menu bar included).
#pragma once

#include <QImage>
#include <QRect>
#include <memory>
#include <string>
#include <vector>

#include "E2eSupport.h"

namespace e2e {

inline const QRgb Good = qRgb(0x00, 0x70, 0x00);
inline const QRgb Caution = qRgb(0xA0, 0xA0, 0x00);
inline const QRgb Alarm = qRgb(0xF0, 0x00, 0x00);
inline const QRgb Plain = qRgb(0x00, 0x00, 0x00);
inline const QRgb Badge = qRgb(0xC0, 0x20, 0x20);      // the "Shutdown in" companion
inline const QRgb GaugeGreen = qRgb(0x70, 0xF0, 0x70); // a lit gauge segment

inline const QRect StatusTexts(145, 0, 190, 140);
inline const QRect CountdownBox(345, 55, 170, 80);

// The colours of the status lines top down (communication, power source,
// battery) as names: "good caution good ".
std::string StatusNames(const QImage& image);
// How many pixels of the rectangle have the colour.
int CountColour(const QImage& image, const QRect& r, QRgb colour);

// A test that runs the real monitor on its folder and reads its snapshots.
class MonitorSnapshotTest : public E2eTest {
  protected:
    void SetUp() override;

    // Starts a monitor that writes its snapshot after the given seconds.
    // Its preferences come from Folder()/Corvanta/corvanta-monitor.conf.
    Child& StartMonitor(const std::string& png, double after);
    // Waits for the monitor to write its snapshot and exit 0.
    QImage Snapshot(Child& monitor, const std::string& png);

    std::vector<std::unique_ptr<Child>> monitors_;
};

} // namespace e2e
