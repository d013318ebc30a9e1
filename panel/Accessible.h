// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What screen readers learn of the panel: each custom control and status
// light says what it shows and its reading ("Battery level, 62 percent"), the
// gauges also as a number, and tells when that changes.
#pragma once

#include <QAccessible>
#include <QString>

#include "Toolbox.h"

struct PanelReading {
    QAccessible::Role Role = QAccessible::NoRole; // NoRole: not a control of the panel
    QString Subject;                              // "Battery level"
    QString Value;                                // "62 percent"
    QString Phrase;                               // both as said: "Battery level, 62 percent"
    // What must change before a change is told: the phrase, but the countdown
    // only at whole minutes, every ten seconds in its last minute and every
    // second in its last ten, so a screen reader is not talking all the time.
    QString Cue;
    bool Numeric = false; // the gauges: the reading as a number
    double Number = 0;
    double Maximum = 0;
};

// The reading of a control as it is drawn now.
PanelReading ReadingOf(ControlRef control);

// Gives the panel's controls their accessible interfaces; once the
// application exists.
void InstallPanelAccessibility();
// Tells assistive technologies of a control whose reading changed since it
// was last told; AnnouncePanel does it for every control of the main window.
void AnnounceControl(ControlRef control);
void AnnouncePanel();
