// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The painter port gives the QuickDraw meanings in pixels. The recording
// port is read by every drawing table of the panel's tests.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "QuickDraw.h"

TEST(PainterPort, PixelsFollowTheQuickDrawMeanings) {
    constexpr RGBColor kRed{0xFF00, 0, 0}, kWhite{0xFF00, 0xFF00, 0xFF00};
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QPainterPort port(&painter, 10, 20, kWhite); // the widget at (10, 20) in its window
        const PortGuard guard(&port);
        RGBForeColor(&kRed);
        Rect r;
        SetRect(&r, 20, 30, 30, 50); // window coordinates, left, top, right, bottom
        FrameRect(&r);
    }
    // A frame lies one pixel inside, shifted to the widget.
    // clang-format off
    const std::array<int, 3> pixels[] = { // x, y, red
        {10, 10, 1}, {19, 29, 1}, {19, 15, 1}, {20, 15, 0}, {15, 30, 0}, {15, 15, 0}};
    // clang-format on
    for (const auto& [x, y, red] : pixels)
        EXPECT_EQ(image.pixel(x, y), red ? 0xFFFF0000 : 0xFFFFFFFF) << x << "," << y;
}
