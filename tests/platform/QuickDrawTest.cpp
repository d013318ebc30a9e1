// The painter port gives the QuickDraw meanings in pixels. The recording
// port is read by every drawing table of the panel's tests.
#include <QImage>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

#include "QuickDraw.h"

namespace {

constexpr RGBColor kRed{0xFF00, 0, 0};
constexpr RGBColor kWhite{0xFF00, 0xFF00, 0xFF00};
constexpr QRgb R = 0xFFFF0000, W = 0xFFFFFFFF;

// A rectangle from left, top, right and bottom, passed as the calls take it.
struct Box {
    Box(short l, short t, short r, short b) { SetRect(&rect, l, t, r, b); }
    operator const Rect*() const { return &rect; }
    Rect rect;
};

// Runs the drawing on a white image through a painter port whose widget sits
// at (h, v) in its window, in red unless the drawing says otherwise.
QImage Paint(const std::function<void()>& draw, int width = 100, short h = 0, short v = 0) {
    QImage image(width, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QPainterPort port(&painter, h, v, kWhite);
        const PortGuard guard(&port);
        RGBForeColor(&kRed);
        draw();
    }
    return image;
}

} // namespace

TEST(PainterPort, PixelsFollowTheQuickDrawMeanings) {
    const struct {
        const char* what;
        std::function<void()> draw;
        std::vector<std::array<QRgb, 3>> pixels; // x, y, colour
        short h = 0, v = 0;                      // the widget's place in its window
    } cases[] = {
        {"a frame lies one pixel inside",
         [] { FrameRect(Box(10, 10, 20, 30)); },
         {{10, 10, R}, {19, 29, R}, {20, 15, W}, {15, 30, W}, {15, 15, W}}},
        {"window coordinates are shifted to the widget",
         [] { PaintRect(Box(100, 200, 105, 205)); },
         {{0, 0, R}, {4, 4, R}, {5, 5, W}},
         100,
         200},
        {"no port, no drawing",
         [] {
             const PortGuard none(nullptr);
             PaintRect(Box(0, 0, 10, 10));
         },
         {{5, 5, W}}},
    };
    for (const auto& c : cases) {
        const QImage img = Paint(c.draw, 100, c.h, c.v);
        for (const auto& [x, y, colour] : c.pixels)
            EXPECT_EQ(img.pixel(int(x), int(y)), colour) << c.what << " at " << x << "," << y;
    }
}
