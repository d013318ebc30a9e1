// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing port. Coordinates are window-local; rectangles are
// top/left/bottom/right with the right and bottom edges outside the shape.
// The current port holds the foreground colour, the pen position and the text
// style, as the front end's drawing routines expect.
#pragma once

#include <string>
#include <vector>

#include "Toolbox.h"

class QPainter;

constexpr short teFlushDefault = 0;
constexpr short teCenter = 1;
constexpr short teFlushRight = -1;
constexpr short teFlushLeft = -2;

constexpr short normal = 0;
constexpr short bold = 1;

class DrawPort {
  public:
    virtual ~DrawPort() = default;

    void SetForeColor(const RGBColor& color) { fore_ = color; }
    const RGBColor& ForeColor() const { return fore_; }
    void SetPen(short h, short v) {
        penH_ = h;
        penV_ = v;
    }
    short PenH() const { return penH_; }
    short PenV() const { return penV_; }
    void SetTextFont(short font) { font_ = font; }
    void SetTextSize(short size) { size_ = size; }
    void SetTextFace(short face) { face_ = face; }
    short Font() const { return font_; }
    short Size() const { return size_; }
    short Face() const { return face_; }

    virtual void PaintRect(const Rect& r) = 0;
    // A one-pixel outline just inside r.
    virtual void FrameRect(const Rect& r) = 0;
    // The pie slice of the oval inscribed in r; angles in degrees clockwise
    // from 12 o'clock.
    virtual void PaintArc(const Rect& r, short startAngle, short arcAngle) = 0;
    // A one-pixel line from the pen to (h, v); the pen moves there.
    virtual void LineTo(short h, short v) = 0;
    virtual void InvertRect(const Rect& r) = 0;
    // Erases box to the background, then draws the text wrapped inside it.
    virtual void TextBox(const std::string& text, const Rect& box, short just) = 0;

  private:
    RGBColor fore_{0, 0, 0};
    short penH_ = 0;
    short penV_ = 0;
    short font_ = 0;
    short size_ = 12;
    short face_ = normal;
};

// The port the QuickDraw routines below draw into (null: they do nothing).
DrawPort* GetPort();
void SetPort(DrawPort* port);

void RGBForeColor(const RGBColor* color);
void PaintRect(const Rect* r);
void FrameRect(const Rect* r);
void PaintArc(const Rect* r, short startAngle, short arcAngle);
void MoveTo(short h, short v);
void LineTo(short h, short v);
void InvertRect(const Rect* r);
short GetSysFont();
void TextFont(short font);
void TextSize(short size);
void TextFace(short face);
void TETextBox(const void* text, long length, const Rect* box, short just);

void SetRect(Rect* r, short left, short top, short right, short bottom);
void InsetRect(Rect* r, short dh, short dv);
bool PtInRect(Point pt, const Rect* r);

// Draws with a QPainter on a widget whose top-left corner lies at (originH,
// originV) of its window; text boxes erase to the background colour.
class QPainterPort : public DrawPort {
  public:
    QPainterPort(QPainter* painter, short originH, short originV, const RGBColor& background);
    void PaintRect(const Rect& r) override;
    void FrameRect(const Rect& r) override;
    void PaintArc(const Rect& r, short startAngle, short arcAngle) override;
    void LineTo(short h, short v) override;
    void InvertRect(const Rect& r) override;
    void TextBox(const std::string& text, const Rect& box, short just) override;

  private:
    QPainter* painter_;
    RGBColor background_;
};

// Keeps every drawing operation, with the colour and text style in force, for
// tests to read back.
struct DrawOp {
    enum Kind { Paint, Frame, Arc, Line, Invert, Text };
    Kind kind;
    Rect rect{};    // Paint, Frame, Arc, Invert, Text
    short a = 0;    // Arc: start angle; Line: from h; Text: justification
    short b = 0;    // Arc: arc angle; Line: from v
    short h = 0;    // Line: to h
    short v = 0;    // Line: to v
    RGBColor color; // foreground in force
    std::string text;
    short font = 0;
    short size = 0;
    short face = 0;
};

class RecordingPort : public DrawPort {
  public:
    void PaintRect(const Rect& r) override;
    void FrameRect(const Rect& r) override;
    void PaintArc(const Rect& r, short startAngle, short arcAngle) override;
    void LineTo(short h, short v) override;
    void InvertRect(const Rect& r) override;
    void TextBox(const std::string& text, const Rect& box, short just) override;

    std::vector<DrawOp> ops;

  private:
    DrawOp Make(DrawOp::Kind kind) const;
};

// Makes a port current for the lifetime of the guard.
class PortGuard {
  public:
    explicit PortGuard(DrawPort* port) : saved_(GetPort()) { SetPort(port); }
    ~PortGuard() { SetPort(saved_); }
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;

  private:
    DrawPort* saved_;
};
