// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the toolbox layer knows about the windows it created and their
// controls. Events, controls, windows and custom
// controls all stand on it; it stands on none of them.
#pragma once

#include <QHash>
#include <QWidget>
#include <string>

#include "Toolbox.h"

class QPaintEvent;

// A widget of a registered custom control class.
class CustomControl : public QWidget {
  public:
    CustomControl(const std::string& className, QWidget* parent);
    const std::string& ClassName() const { return className_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::string className_;
};

// What the layer keeps about a window created from the description.
struct WindowInfo {
    std::string name;
    QHash<quint64, QWidget*> controls;
    bool disposed = false;
};

// Enters a new window under its description name; it leaves the registry
// when the widget is destroyed.
WindowInfo& RegisterWindow(QWidget* window, const std::string& name);
WindowInfo* FindWindowInfo(QWidget* window);

inline quint64 ControlKey(OSType signature, SInt32 id) {
    return (static_cast<quint64>(signature) << 32) | static_cast<quint32>(id);
}

// Parses "sign_123"; false for any other name.
bool ParseControlName(const QString& name, ControlID* id);

// The background a text box erases to: the window's own colour.
RGBColor WindowBackground(QWidget* widget);
