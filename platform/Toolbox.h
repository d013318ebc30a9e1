// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The small vocabulary of the toolbox layer: status codes, four-character
// codes, rectangles, colours and the references the front end passes around.
// Windows and controls are Qt widgets underneath; the front end only ever holds
// them as references and never needs Qt's headers for that.
#pragma once

#include <cstdint>
#include <string>

class QWidget;

using OSStatus = std::int32_t;
using OSType = std::uint32_t;
using UInt32 = std::uint32_t;
using SInt16 = std::int16_t;
using SInt32 = std::int32_t;
using UInt16 = std::uint16_t;
using Str255 = unsigned char[256];

constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;
constexpr OSStatus eventParameterNotFoundErr = -9870;
constexpr OSStatus eventNotHandledErr = -9874;
constexpr OSStatus errUnknownControl = -30584;
constexpr OSStatus resNotFound = -192;

// 'abcd' as the front end writes it: first character in the most significant byte.
constexpr OSType FourCharCode(const char (&code)[5]) {
    return (static_cast<OSType>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<OSType>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<OSType>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<OSType>(static_cast<unsigned char>(code[3]));
}
// The same from a run-time text (missing characters count as blanks).
OSType FourCharCodeFromText(const std::string& text);
std::string FourCharCodeText(OSType code);

// A control is named by its signature and its number.
struct ControlID {
    OSType signature;
    SInt32 id;
    friend constexpr bool operator==(const ControlID&, const ControlID&) = default;
};

// Window-local pixel rectangle, y growing downward.
struct Rect {
    short top;
    short left;
    short bottom;
    short right;
};

struct Point {
    short v;
    short h;
};

// Three 16-bit channels; the panel writes channel values directly.
struct RGBColor {
    unsigned short red;
    unsigned short green;
    unsigned short blue;
};

using ControlRef = QWidget*;
using WindowRef = QWidget*;
using MenuRef = QWidget*;

// The platform's own commands.
constexpr OSType kHICommandOK = FourCharCode("ok  ");
constexpr OSType kHICommandCancel = FourCharCode("not!");
constexpr OSType kHICommandQuit = FourCharCode("quit");
// A window's own Close button: closes it as its close box does.
constexpr OSType kHICommandClose = FourCharCode("clos");

// Event classes and kinds the front end uses.
constexpr OSType kEventClassCommand = FourCharCode("cmds");
constexpr OSType kEventClassApplication = FourCharCode("appl");
constexpr OSType kEventClassWindow = FourCharCode("wind");
constexpr OSType kEventClassControl = FourCharCode("cntl");
constexpr OSType kEventClassMouse = FourCharCode("mous");
constexpr OSType kEventClassKeyboard = FourCharCode("keyb");

constexpr UInt32 kEventCommandProcess = 1;
constexpr UInt32 kEventAppQuit = 3;
constexpr UInt32 kEventWindowDrawContent = 2;
constexpr UInt32 kEventWindowClose = 72;
constexpr UInt32 kEventControlHit = 1;
constexpr UInt32 kEventControlDraw = 4;
constexpr UInt32 kEventControlClick = 13;
constexpr UInt32 kEventMouseDown = 1;
constexpr UInt32 kEventRawKeyDown = 1;
// Virtual key codes of kEventParamKeyCode: the arrow keys.
constexpr UInt32 kVK_LeftArrow = 0x7B;
constexpr UInt32 kVK_RightArrow = 0x7C;
constexpr UInt32 kVK_DownArrow = 0x7D;
constexpr UInt32 kVK_UpArrow = 0x7E;
