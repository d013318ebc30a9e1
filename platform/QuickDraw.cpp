// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "QuickDraw.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QRect>

namespace {

DrawPort* gPort = nullptr;

QColor ToQColor(const RGBColor& c) {
    return QColor(c.red >> 8, c.green >> 8, c.blue >> 8);
}

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool IsEmpty(const Rect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

DrawPort* GetPort() {
    return gPort;
}
void SetPort(DrawPort* port) {
    gPort = port;
}

void RGBForeColor(const RGBColor* color) {
    if (gPort && color) gPort->SetForeColor(*color);
}

void PaintRect(const Rect* r) {
    if (gPort && r) gPort->PaintRect(*r);
}

void FrameRect(const Rect* r) {
    if (gPort && r) gPort->FrameRect(*r);
}

void PaintArc(const Rect* r, short startAngle, short arcAngle) {
    if (gPort && r) gPort->PaintArc(*r, startAngle, arcAngle);
}

void MoveTo(short h, short v) {
    if (gPort) gPort->SetPen(h, v);
}

void LineTo(short h, short v) {
    if (gPort) gPort->LineTo(h, v);
}

void InvertRect(const Rect* r) {
    if (gPort && r) gPort->InvertRect(*r);
}

short GetSysFont() {
    return 0;
}

void TextFont(short font) {
    if (gPort) gPort->SetTextFont(font);
}

void TextSize(short size) {
    if (gPort) gPort->SetTextSize(size);
}

void TextFace(short face) {
    if (gPort) gPort->SetTextFace(face);
}

void TETextBox(const void* text, long length, const Rect* box, short just) {
    if (!gPort || !box) return;
    std::string s;
    if (text && length > 0)
        s.assign(static_cast<const char*>(text), static_cast<std::size_t>(length));
    gPort->TextBox(s, *box, just);
}

void SetRect(Rect* r, short left, short top, short right, short bottom) {
    r->left = left;
    r->top = top;
    r->right = right;
    r->bottom = bottom;
}

void InsetRect(Rect* r, short dh, short dv) {
    r->left = static_cast<short>(r->left + dh);
    r->right = static_cast<short>(r->right - dh);
    r->top = static_cast<short>(r->top + dv);
    r->bottom = static_cast<short>(r->bottom - dv);
}

bool PtInRect(Point pt, const Rect* r) {
    return pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

// ---- over QPainter ----

QPainterPort::QPainterPort(QPainter* painter, short originH, short originV,
                           const RGBColor& background)
    : painter_(painter), background_(background) {
    // The front end draws in window coordinates; the painter paints the widget.
    painter_->translate(-originH, -originV);
}

void QPainterPort::PaintRect(const Rect& r) {
    if (IsEmpty(r)) return;
    painter_->fillRect(ToQRect(r), ToQColor(ForeColor()));
}

void QPainterPort::FrameRect(const Rect& r) {
    if (IsEmpty(r)) return;
    const QColor c = ToQColor(ForeColor());
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    painter_->fillRect(QRect(r.left, r.top, w, 1), c);
    painter_->fillRect(QRect(r.left, r.bottom - 1, w, 1), c);
    painter_->fillRect(QRect(r.left, r.top, 1, h), c);
    painter_->fillRect(QRect(r.right - 1, r.top, 1, h), c);
}

void QPainterPort::PaintArc(const Rect& r, short startAngle, short arcAngle) {
    if (IsEmpty(r)) return;
    painter_->save();
    painter_->setRenderHint(QPainter::Antialiasing, true);
    painter_->setPen(Qt::NoPen);
    painter_->setBrush(ToQColor(ForeColor()));
    // Qt counts counter-clockwise from 3 o'clock in sixteenths of a degree.
    painter_->drawPie(QRectF(ToQRect(r)), (90 - startAngle) * 16, -arcAngle * 16);
    painter_->restore();
}

void QPainterPort::LineTo(short h, short v) {
    painter_->save();
    painter_->setRenderHint(QPainter::Antialiasing, false);
    QPen pen(ToQColor(ForeColor()));
    pen.setWidth(0);
    painter_->setPen(pen);
    painter_->drawLine(PenH(), PenV(), h, v);
    painter_->restore();
    SetPen(h, v);
}

void QPainterPort::InvertRect(const Rect& r) {
    if (IsEmpty(r)) return;
    painter_->save();
    painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_->fillRect(ToQRect(r), Qt::white);
    painter_->restore();
}

void QPainterPort::TextBox(const std::string& text, const Rect& box, short just) {
    if (IsEmpty(box)) return;
    const QRect qbox = ToQRect(box);
    painter_->fillRect(qbox, ToQColor(background_));
    if (text.empty()) return;
    QFont font = QGuiApplication::font();
    font.setPixelSize(Size() > 0 ? Size() : 12);
    font.setBold((Face() & bold) != 0);
    painter_->save();
    painter_->setFont(font);
    painter_->setPen(ToQColor(ForeColor()));
    int align = Qt::AlignLeft;
    if (just == teCenter)
        align = Qt::AlignHCenter;
    else if (just == teFlushRight)
        align = Qt::AlignRight;
    // Text may run below a low box, as it does on the original platform.
    const QRect textRect(qbox.left(), qbox.top(), qbox.width(), qbox.height() + 2 * Size());
    painter_->drawText(textRect, align | Qt::AlignTop | Qt::TextWordWrap,
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    painter_->restore();
}

// ---- recording ----

DrawOp RecordingPort::Make(DrawOp::Kind kind) const {
    DrawOp op{};
    op.kind = kind;
    op.color = ForeColor();
    op.font = Font();
    op.size = Size();
    op.face = Face();
    return op;
}

void RecordingPort::PaintRect(const Rect& r) {
    DrawOp op = Make(DrawOp::Paint);
    op.rect = r;
    ops.push_back(op);
}

void RecordingPort::FrameRect(const Rect& r) {
    DrawOp op = Make(DrawOp::Frame);
    op.rect = r;
    ops.push_back(op);
}

void RecordingPort::PaintArc(const Rect& r, short startAngle, short arcAngle) {
    DrawOp op = Make(DrawOp::Arc);
    op.rect = r;
    op.a = startAngle;
    op.b = arcAngle;
    ops.push_back(op);
}

void RecordingPort::LineTo(short h, short v) {
    DrawOp op = Make(DrawOp::Line);
    op.a = PenH();
    op.b = PenV();
    op.h = h;
    op.v = v;
    ops.push_back(op);
    SetPen(h, v);
}

void RecordingPort::InvertRect(const Rect& r) {
    DrawOp op = Make(DrawOp::Invert);
    op.rect = r;
    ops.push_back(op);
}

void RecordingPort::TextBox(const std::string& text, const Rect& box, short just) {
    DrawOp op = Make(DrawOp::Text);
    op.rect = box;
    op.a = just;
    op.text = text;
    ops.push_back(op);
}
