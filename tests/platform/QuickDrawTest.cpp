// The two drawing ports: the recording port keeps what was asked for; the
// painter port gives the QuickDraw meanings in pixels.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "QuickDraw.h"

namespace {

constexpr RGBColor kRed{0xFF00, 0, 0};
constexpr RGBColor kWhite{0xFF00, 0xFF00, 0xFF00};

Rect R(short l, short t, short r, short b) {
    Rect rect;
    SetRect(&rect, l, t, r, b);
    return rect;
}

struct Canvas {
    explicit Canvas(int w = 100, int h = 100, short originH = 0, short originV = 0)
        : image(w, h, QImage::Format_RGB32) {
        image.fill(Qt::white);
        painter = std::make_unique<QPainter>(&image);
        port = std::make_unique<QPainterPort>(painter.get(), originH, originV, kWhite);
        guard = std::make_unique<PortGuard>(port.get());
    }
    QImage Finish() {
        guard.reset();
        port.reset();
        painter.reset();
        return image;
    }
    QImage image;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<QPainterPort> port;
    std::unique_ptr<PortGuard> guard;
};

bool IsRed(const QImage& img, int x, int y) {
    return img.pixel(x, y) == qRgb(255, 0, 0);
}
bool IsWhite(const QImage& img, int x, int y) {
    return img.pixel(x, y) == qRgb(255, 255, 255);
}

} // namespace

TEST(RecordingPortTest, KeepsOperationsWithTheStateInForce) {
    RecordingPort port;
    const PortGuard guard(&port);
    RGBForeColor(&kRed);
    const Rect r = R(1, 2, 30, 40);
    PaintRect(&r);
    TextFont(GetSysFont());
    TextSize(14);
    TextFace(bold);
    TETextBox("Normal", 6, &r, teCenter);
    MoveTo(5, 6);
    LineTo(7, 8);
    LineTo(9, 10);
    PaintArc(&r, -120, 240);
    ASSERT_EQ(port.ops.size(), 5u);
    EXPECT_EQ(port.ops[0].kind, DrawOp::Paint);
    EXPECT_EQ(port.ops[0].color.red, 0xFF00);
    EXPECT_EQ(port.ops[1].text, "Normal");
    EXPECT_EQ(port.ops[1].a, teCenter);
    EXPECT_EQ(port.ops[1].size, 14);
    EXPECT_EQ(port.ops[1].face, bold);
    EXPECT_EQ((std::array<short, 4>{port.ops[2].a, port.ops[2].b, port.ops[2].h, port.ops[2].v}),
              (std::array<short, 4>{5, 6, 7, 8}));
    EXPECT_EQ((std::array<short, 4>{port.ops[3].a, port.ops[3].b, port.ops[3].h, port.ops[3].v}),
              (std::array<short, 4>{7, 8, 9, 10}));
    EXPECT_EQ(port.ops[4].a, -120);
    EXPECT_EQ(port.ops[4].b, 240);
}

TEST(RecordingPortTest, NoPortMeansNoDrawing) {
    const PortGuard guard(nullptr);
    const Rect r = R(0, 0, 10, 10);
    PaintRect(&r); // must not crash
    SUCCEED();
}

TEST(PainterPortTest, FrameRectIsOnePixelInside) {
    Canvas c;
    RGBForeColor(&kRed);
    const Rect r = R(10, 10, 20, 30);
    FrameRect(&r);
    const QImage img = c.Finish();
    EXPECT_TRUE(IsRed(img, 10, 10));
    EXPECT_TRUE(IsRed(img, 19, 29));
    EXPECT_TRUE(IsRed(img, 19, 15));
    EXPECT_TRUE(IsWhite(img, 20, 15));
    EXPECT_TRUE(IsWhite(img, 15, 30));
    EXPECT_TRUE(IsWhite(img, 15, 15));
}

TEST(PainterPortTest, PaintRectFillsUpToButNotIncludingRightAndBottom) {
    Canvas c;
    RGBForeColor(&kRed);
    const Rect r = R(10, 10, 20, 30);
    PaintRect(&r);
    const QImage img = c.Finish();
    EXPECT_TRUE(IsRed(img, 10, 10));
    EXPECT_TRUE(IsRed(img, 19, 29));
    EXPECT_TRUE(IsWhite(img, 20, 29));
    EXPECT_TRUE(IsWhite(img, 19, 30));
}

TEST(PainterPortTest, ArcAnglesRunClockwiseFromTwelve) {
    Canvas c;
    RGBForeColor(&kRed);
    const Rect r = R(0, 0, 100, 100);
    PaintArc(&r, 0, 90); // the quarter from 12 to 3 o'clock
    const QImage img = c.Finish();
    EXPECT_TRUE(IsRed(img, 70, 30));   // upper right
    EXPECT_TRUE(IsWhite(img, 30, 30)); // upper left
    EXPECT_TRUE(IsWhite(img, 70, 70)); // lower right
}

TEST(PainterPortTest, WindowCoordinatesAreShiftedToTheWidget) {
    Canvas c(50, 50, 100, 200); // the widget sits at (100, 200) in its window
    RGBForeColor(&kRed);
    const Rect r = R(100, 200, 105, 205);
    PaintRect(&r);
    const QImage img = c.Finish();
    EXPECT_TRUE(IsRed(img, 0, 0));
    EXPECT_TRUE(IsRed(img, 4, 4));
    EXPECT_TRUE(IsWhite(img, 5, 5));
}

TEST(PainterPortTest, LinesIncludeBothEnds) {
    Canvas c;
    RGBForeColor(&kRed);
    MoveTo(10, 50);
    LineTo(40, 50);
    const QImage img = c.Finish();
    EXPECT_TRUE(IsRed(img, 10, 50));
    EXPECT_TRUE(IsRed(img, 40, 50));
    EXPECT_TRUE(IsWhite(img, 41, 50));
}

TEST(PainterPortTest, InvertRectFlipsEveryPixel) {
    Canvas c;
    RGBForeColor(&kRed);
    const Rect left = R(0, 0, 50, 100);
    PaintRect(&left);
    const Rect band = R(0, 40, 100, 60);
    InvertRect(&band);
    const QImage img = c.Finish();
    EXPECT_EQ(img.pixel(10, 50), qRgb(0, 255, 255));
    EXPECT_EQ(img.pixel(80, 50), qRgb(0, 0, 0));
    EXPECT_TRUE(IsRed(img, 10, 10));
}

namespace {
// Leftmost and rightmost columns holding a non-white pixel.
std::pair<int, int> InkColumns(const QImage& img) {
    int lo = img.width(), hi = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
    return {lo, hi};
}

QImage Text(short just) {
    Canvas c(200, 30);
    RGBColor black{0, 0, 0};
    RGBForeColor(&black);
    TextSize(12);
    const Rect box = R(0, 0, 200, 20);
    TETextBox("Hi", 2, &box, just);
    return c.Finish();
}
} // namespace

TEST(PainterPortTest, TextBoxJustification) {
    const auto left = InkColumns(Text(teFlushLeft));
    const auto deflt = InkColumns(Text(teFlushDefault));
    const auto right = InkColumns(Text(teFlushRight));
    const auto centre = InkColumns(Text(teCenter));
    EXPECT_LT(left.first, 5);
    EXPECT_EQ(deflt, left);
    EXPECT_GT(right.second, 190);
    EXPECT_NEAR((centre.first + centre.second) / 2.0, 100.0, 4.0);
}

TEST(PainterPortTest, TextBoxErasesItsBoxFirst) {
    Canvas c;
    RGBForeColor(&kRed);
    const Rect all = R(0, 0, 100, 100);
    PaintRect(&all);
    const Rect box = R(10, 10, 50, 50);
    TETextBox("", 0, &box, teFlushDefault);
    const QImage img = c.Finish();
    EXPECT_TRUE(IsWhite(img, 10, 10));
    EXPECT_TRUE(IsWhite(img, 49, 49));
    EXPECT_TRUE(IsRed(img, 50, 50));
}
