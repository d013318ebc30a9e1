// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Registry.h"

#include <unordered_map>

#include "Windows.h"

namespace {

std::unordered_map<QWidget*, WindowInfo> gWindows;

} // namespace

WindowInfo& RegisterWindow(QWidget* window, const std::string& name) {
    WindowInfo& info = gWindows[window];
    info.name = name;
    QObject::connect(window, &QObject::destroyed, [window] { gWindows.erase(window); });
    return info;
}

WindowInfo* FindWindowInfo(QWidget* window) {
    auto it = gWindows.find(window);
    return it == gWindows.end() ? nullptr : &it->second;
}

bool ParseControlName(const QString& name, ControlID* id) {
    if (name.size() < 6 || name.at(4) != QLatin1Char('_')) return false;
    bool ok = false;
    const int number = name.mid(5).toInt(&ok);
    if (!ok) return false;
    for (int i = 5; i < name.size(); ++i)
        if (!name.at(i).isDigit() && !(i == 5 && name.at(i) == QLatin1Char('-'))) return false;
    const QByteArray sig = name.left(4).toLatin1();
    id->signature = FourCharCodeFromText(std::string(sig.constData(), 4));
    id->id = number;
    return true;
}

RGBColor WindowBackground(QWidget* widget) {
    const QColor c = widget->window()->palette().color(QPalette::Window);
    return RGBColor{static_cast<unsigned short>(c.red() << 8),
                    static_cast<unsigned short>(c.green() << 8),
                    static_cast<unsigned short>(c.blue() << 8)};
}

// The registry's side of the window routines: whether a window is still
// there, and taking one away.

void DisposeWindow(WindowRef window) {
    if (!window) return;
    WindowInfo* info = FindWindowInfo(window);
    if (info) {
        if (info->disposed) return;
        info->disposed = true;
    }
    window->hide();
    // Deleted once the current event is done: a handler may be running on it.
    window->deleteLater();
}

bool IsValidWindowPtr(WindowRef window) {
    const WindowInfo* info = FindWindowInfo(window);
    return info && !info->disposed;
}

std::string GetWindowName(WindowRef window) {
    const WindowInfo* info = FindWindowInfo(window);
    return info ? info->name : std::string();
}

int CountWindowsNamed(const std::string& windowName) {
    int n = 0;
    for (const auto& [w, info] : gWindows)
        if (!info.disposed && info.name == windowName) ++n;
    return n;
}

WindowRef FindWindowNamed(const std::string& windowName) {
    for (const auto& [w, info] : gWindows)
        if (!info.disposed && info.name == windowName) return w;
    return nullptr;
}
