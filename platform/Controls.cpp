// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVariant>
#include <algorithm>
#include <cstring>

#include "PlatformTesting.h"
#include "Registry.h"

namespace {

RedrawObserver gRedrawObserver;

const char* const kValueProperty = "controlValue";
const char* const kMaximumProperty = "controlMaximum";
const char* const kDisabledProperty = "controlDisabled";

} // namespace

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl) {
    if (!window || !id || !outControl) return paramErr;
    if (WindowInfo* info = FindWindowInfo(window)) {
        auto it = info->controls.constFind(ControlKey(id->signature, id->id));
        if (it != info->controls.constEnd() && it.value()) {
            *outControl = it.value();
            return noErr;
        }
        return errUnknownControl;
    }
    // A window built by hand (tests): look the name up.
    const QString name = QString::fromStdString(FourCharCodeText(id->signature)) +
                         QLatin1Char('_') + QString::number(id->id);
    if (QWidget* w = window->findChild<QWidget*>(name)) {
        *outControl = w;
        return noErr;
    }
    return errUnknownControl;
}

OSStatus GetControlID(ControlRef control, ControlID* outId) {
    if (!control || !outId) return paramErr;
    return ParseControlName(control->objectName(), outId) ? noErr : errUnknownControl;
}

WindowRef GetControlOwner(ControlRef control) {
    return control ? control->window() : nullptr;
}

SInt32 GetControlValue(ControlRef control) {
    if (!control) return 0;
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentIndex() + 1;
    if (auto* tabs = qobject_cast<QTabBar*>(control)) return tabs->currentIndex() + 1;
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->isCheckable() && button->isChecked() ? 1 : 0;
    return control->property(kValueProperty).toInt();
}

void SetControlValue(ControlRef control, SInt32 value) {
    if (!control) return;
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        const QSignalBlocker block(combo);
        const SInt32 v = std::clamp<SInt32>(value, 0, combo->count());
        combo->setCurrentIndex(v - 1);
        return;
    }
    if (auto* tabs = qobject_cast<QTabBar*>(control)) {
        const QSignalBlocker block(tabs);
        const SInt32 v = std::clamp<SInt32>(value, 1, std::max(1, tabs->count()));
        tabs->setCurrentIndex(v - 1);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (button->isCheckable()) {
            const QSignalBlocker block(button);
            button->setChecked(value >= 1);
        }
        return;
    }
    const SInt32 maximum = GetControlMaximum(control);
    control->setProperty(kValueProperty, std::clamp<SInt32>(value, 0, std::max(0, maximum)));
}

SInt32 GetControlMaximum(ControlRef control) {
    if (!control) return 0;
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->count();
    if (auto* tabs = qobject_cast<QTabBar*>(control)) return tabs->count();
    if (qobject_cast<QAbstractButton*>(control)) return 1;
    const QVariant v = control->property(kMaximumProperty);
    return v.isValid() ? v.toInt() : 0x7FFF;
}

void SetControlMaximum(ControlRef control, SInt32 maximum) {
    if (!control) return;
    // A pop-up's range is its item count; the others keep the number.
    if (qobject_cast<QComboBox*>(control) || qobject_cast<QTabBar*>(control) ||
        qobject_cast<QAbstractButton*>(control))
        return;
    control->setProperty(kMaximumProperty, maximum);
    if (control->property(kValueProperty).toInt() > maximum)
        control->setProperty(kValueProperty, std::max(0, maximum));
}

OSStatus SetControlVisibility(ControlRef control, bool visible, bool draw) {
    if (!control) return paramErr;
    control->setVisible(visible);
    if (draw && visible) control->update();
    return noErr;
}

bool IsControlVisible(ControlRef control) {
    return control && !control->isHidden();
}

OSStatus EnableControl(ControlRef control) {
    if (!control) return paramErr;
    control->setProperty(kDisabledProperty, false);
    control->setEnabled(true);
    return noErr;
}

OSStatus DisableControl(ControlRef control) {
    if (!control) return paramErr;
    control->setProperty(kDisabledProperty, true);
    control->setEnabled(false);
    return noErr;
}

OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, SInt16 part) {
    if (!window || !control || control->window() != window) return paramErr;
    if (part == kControlFocusNoPart)
        control->clearFocus();
    else
        control->setFocus(Qt::OtherFocusReason);
    return noErr;
}

// The control's own state, whatever its pane's.
bool IsControlEnabled(ControlRef control) {
    return control && !control->property(kDisabledProperty).toBool();
}

std::string GetControlTitleText(ControlRef control) {
    if (!control) return {};
    if (auto* custom = dynamic_cast<CustomControl*>(control)) return custom->ClassName();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text().toStdString();
    if (auto* group = qobject_cast<QGroupBox*>(control)) return group->title().toStdString();
    return control->windowTitle().toStdString();
}

void GetControlTitle(ControlRef control, Str255 title) {
    const std::string text = GetControlTitleText(control);
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    title[0] = static_cast<unsigned char>(n);
    // A length-prefixed string: no terminating NUL.
    std::memcpy(title + 1, text.data(), n); // NOLINT(bugprone-not-null-terminated-result)
}

void SetControlTitle(ControlRef control, const unsigned char* title) {
    if (!title) return;
    SetControlTitleWithCFString(control,
                                std::string(reinterpret_cast<const char*>(title + 1), title[0]));
}

void SetControlTitleWithCFString(ControlRef control, const std::string& title) {
    if (!control) return;
    const QString text = QString::fromStdString(title);
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else
        control->setWindowTitle(text);
}

std::string GetControlText(ControlRef control) {
    if (!control) return {};
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text().toStdString();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        return plain->toPlainText().toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText().toStdString();
    return GetControlTitleText(control);
}

void SetControlText(ControlRef control, const std::string& text) {
    if (!control) return;
    const QString t = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(t);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(t);
    else
        SetControlTitleWithCFString(control, text);
}

Rect* GetControlBounds(ControlRef control, Rect* bounds) {
    if (!control || !bounds) return bounds;
    const QPoint origin =
        control->isWindow() ? QPoint(0, 0) : control->mapTo(control->window(), QPoint(0, 0));
    bounds->left = static_cast<short>(origin.x());
    bounds->top = static_cast<short>(origin.y());
    bounds->right = static_cast<short>(origin.x() + control->width());
    bounds->bottom = static_cast<short>(origin.y() + control->height());
    return bounds;
}

MenuRef GetControlPopupMenuRef(ControlRef control) {
    return qobject_cast<QComboBox*>(control) ? control : nullptr;
}

UInt16 CountMenuItems(MenuRef menu) {
    auto* combo = qobject_cast<QComboBox*>(menu);
    return combo ? static_cast<UInt16>(combo->count()) : 0;
}

void DeleteMenuItems(MenuRef menu, UInt16 firstItem, UInt32 numItems) {
    auto* combo = qobject_cast<QComboBox*>(menu);
    if (!combo || firstItem < 1) return;
    const QSignalBlocker block(combo);
    for (UInt32 i = 0; i < numItems && firstItem - 1 < combo->count(); ++i)
        combo->removeItem(firstItem - 1);
}

void AppendMenuItemText(MenuRef menu, const std::string& text) {
    auto* combo = qobject_cast<QComboBox*>(menu);
    if (!combo) return;
    const QSignalBlocker block(combo);
    combo->addItem(QString::fromStdString(text));
}

std::string GetMenuItemText(MenuRef menu, UInt16 item) {
    auto* combo = qobject_cast<QComboBox*>(menu);
    if (!combo || item < 1 || item > combo->count()) return {};
    return combo->itemText(item - 1).toStdString();
}

void Draw1Control(ControlRef control) {
    if (!control) return;
    control->update();
    if (gRedrawObserver) gRedrawObserver(control, nullptr);
}

void DrawControls(WindowRef window) {
    if (!window) return;
    window->update();
    for (QWidget* child : window->findChildren<QWidget*>())
        child->update();
    if (gRedrawObserver) gRedrawObserver(nullptr, window);
}

void SetRedrawObserver(RedrawObserver observer) {
    gRedrawObserver = std::move(observer);
}

std::string ControlName(ControlRef control) {
    ControlID id;
    if (!control || !ParseControlName(control->objectName(), &id)) return {};
    return control->objectName().toStdString();
}
