// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <QWidget>
#include <memory>

#include "Clock.h"
#include "DialogSupport.h"
#include "Events.h"
#include "MonitorTesting.h"
#include "Notifier.h"
#include "Preferences.h"
#include "Translation.h"
#include "Windows.h"
#include "screen.h"

namespace {

const QColor kGreen(0x2e, 0x9d, 0x3a);
const QColor kAmber(0xf0, 0xa0, 0x00);
const QColor kRed(0xd7, 0x26, 0x26);
const QColor kGrey(0x8a, 0x8a, 0x8a);
const QColor kInk(0x30, 0x30, 0x30);

QColor ColourOf(TrayState state) {
    switch (state) {
    case TrayState::Charged:
    case TrayState::Charging:
        return kGreen;
    case TrayState::OnBattery:
    case TrayState::ReplaceBattery:
        return kAmber;
    case TrayState::LowBattery:
    case TrayState::ShutdownPending:
    case TrayState::ShuttingDown:
        return kRed;
    default:
        return kGrey;
    }
}

// A lightning bolt across the whole battery, white edged in ink.
void DrawBolt(QPainter& p, const QRectF& body, double pen) {
    const double x = body.center().x(), y = body.center().y(), h = body.height() + 2 * pen;
    const double w = 0.7 * h, t = y - h / 2, b = y + h / 2;
    QPainterPath bolt;
    bolt.moveTo(x + 0.15 * w, t);
    bolt.lineTo(x - 0.35 * w, y + 0.1 * h);
    bolt.lineTo(x - 0.02 * w, y + 0.1 * h);
    bolt.lineTo(x - 0.15 * w, b);
    bolt.lineTo(x + 0.35 * w, y - 0.1 * h);
    bolt.lineTo(x + 0.02 * w, y - 0.1 * h);
    bolt.closeSubpath();
    p.setPen(QPen(kInk, pen * 0.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawPath(bolt);
}

// A clock face at the bottom right, over the battery.
void DrawClock(QPainter& p, double s) {
    const QRectF face(0.42 * s, 0.42 * s, 0.56 * s, 0.56 * s);
    p.setPen(QPen(Qt::white, s / 16));
    p.setBrush(kRed);
    p.drawEllipse(face);
    p.setPen(QPen(Qt::white, s / 12, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = face.center();
    p.drawLine(c, c - QPointF(0, 0.18 * s));
    p.drawLine(c, c + QPointF(0.13 * s, 0));
}

// A power sign in the middle: the computer is going off.
void DrawPowerSign(QPainter& p, const QRectF& body, double pen) {
    const double r = body.height() * 0.36;
    const QPointF c = body.center() + QPointF(0, r * 0.1);
    const QRectF ring(c.x() - r, c.y() - r, 2 * r, 2 * r);
    for (const QPen& line : {QPen(kInk, pen * 1.9, Qt::SolidLine, Qt::RoundCap),
                             QPen(Qt::white, pen * 0.9, Qt::SolidLine, Qt::RoundCap)}) {
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawArc(ring, 120 * 16, -300 * 16);
        p.drawLine(c, c - QPointF(0, r * 1.25));
    }
}

// A cross over the whole icon, edged in white so it reads on dark panels too.
void DrawLostMark(QPainter& p, double s, double pen) {
    for (const QPen& cross : {QPen(Qt::white, pen * 2.2, Qt::SolidLine, Qt::RoundCap),
                              QPen(kInk, pen * 1.2, Qt::SolidLine, Qt::RoundCap)}) {
        p.setPen(cross);
        p.drawLine(QPointF(0.22 * s, 0.14 * s), QPointF(0.78 * s, 0.86 * s));
        p.drawLine(QPointF(0.78 * s, 0.14 * s), QPointF(0.22 * s, 0.86 * s));
    }
}

} // namespace

QImage TrayIconImage(TrayState state, int charge, int size, bool lost) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const double pen = std::max(1.5, s / 11);
    // Last known: the state's picture faded under the lost mark.
    if (lost) p.setOpacity(0.4);
    const QColor colour = ColourOf(state);
    // A battery lying down, its terminal to the right, filling most of the icon.
    const QRectF body(pen / 2 + 0.02 * s, 0.22 * s, 0.84 * s - pen, 0.56 * s);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(body.right() + pen / 2, 0.37 * s, 0.12 * s, 0.26 * s));
    p.setPen(QPen(colour, pen));
    p.setBrush(Qt::white);
    p.drawRoundedRect(body, s / 16, s / 16);
    const QRectF inside = body.adjusted(pen, pen, -pen, -pen);
    double level = 1.0;
    if (state == TrayState::OnBattery || state == TrayState::Charging ||
        state == TrayState::LowBattery)
        level = charge < 0 ? 0.5 : std::clamp(charge, 0, 100) / 100.0;
    // The low battery keeps a sliver in view however empty it is.
    if (state == TrayState::LowBattery) level = std::max(level, 0.15);
    if (state != TrayState::CommLost && state != TrayState::Waiting &&
        state != TrayState::ReplaceBattery) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRect(QRectF(inside.left(), inside.top(), inside.width() * level, inside.height()));
    }
    switch (state) {
    case TrayState::Charging:
        DrawBolt(p, body, pen);
        break;
    case TrayState::ReplaceBattery: {
        // An exclamation mark in an empty amber battery.
        p.setPen(QPen(kInk, pen * 1.4, Qt::SolidLine, Qt::RoundCap));
        const double x = inside.center().x();
        p.drawLine(QPointF(x, inside.top() + pen * 0.6), QPointF(x, inside.bottom() - pen * 1.9));
        p.drawPoint(QPointF(x, inside.bottom() - pen * 0.4));
        break;
    }
    case TrayState::CommLost:
        DrawLostMark(p, s, pen);
        break;
    case TrayState::ShutdownPending:
        DrawClock(p, s);
        break;
    case TrayState::ShuttingDown:
        DrawPowerSign(p, body, pen);
        break;
    default:
        break;
    }
    if (lost && state != TrayState::CommLost) {
        p.setOpacity(1);
        DrawLostMark(p, s, pen);
    }
    return image;
}

namespace {

constexpr OSType kCshu = FourCharCode("cshu");

QIcon TrayIcon(TrayState state, int charge, bool lost) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(TrayIconImage(state, charge, size, lost)));
    return icon;
}

void ShowMainWindow() {
    if (!MainWindow) return;
    ShowWindow(MainWindow);
    SelectWindow(MainWindow);
}

class Tray {
  public:
    Tray() {
        QObject::connect(menu_.addAction(QCoreApplication::translate("Desktop", "&Show")),
                         &QAction::triggered, ShowMainWindow);
        QObject::connect(menu_.addAction(QCoreApplication::translate("Desktop", "&Event log…")),
                         &QAction::triggered,
                         [] { ProcessHICommand(FourCharCode("elog"), nullptr); });
        QObject::connect(menu_.addAction(QCoreApplication::translate("Desktop", "&History…")),
                         &QAction::triggered,
                         [] { ProcessHICommand(FourCharCode("hist"), nullptr); });
        cancel_ = menu_.addAction(QCoreApplication::translate("Desktop", "&Cancel shutdown"));
        QObject::connect(cancel_, &QAction::triggered, [] { ProcessHICommand(kCshu, nullptr); });
        menu_.addSeparator();
        QObject::connect(menu_.addAction(QCoreApplication::translate("Desktop", "&Quit")),
                         &QAction::triggered, [] { ProcessHICommand(kHICommandQuit, nullptr); });
        icon_.setContextMenu(&menu_);
        QObject::connect(&icon_, &QSystemTrayIcon::activated,
                         [](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger) ShowMainWindow();
                         });
    }

    void Follow(const UpsPicture& p) {
        const TrayState state = KnownStateOf(p);
        const bool lost = state != TrayStateOf(p);
        // Redrawn only when the picture would change.
        const int charge = state == TrayState::Charged ? -1 : p.charge;
        if (!shown_ || state != state_ || charge != charge_ || lost != lost_) {
            icon_.setIcon(TrayIcon(state, charge, lost));
            state_ = state;
            charge_ = charge;
            lost_ = lost;
        }
        const QString tip = QString::fromStdString(TrayToolTip(p));
        if (tip != icon_.toolTip()) {
            // A tray embedded in the panel shows its tooltip as ours and
            // would leave the old text up until the pointer moves away.
            if (QToolTip::isVisible() && QToolTip::text() == icon_.toolTip())
                QToolTip::showText(QCursor::pos(), tip);
            icon_.setToolTip(tip);
        }
        cancel_->setEnabled(p.down >= 0);
        if (!shown_) icon_.show();
        shown_ = true;
    }

    QSystemTrayIcon icon_;

  private:
    QMenu menu_;
    QAction* cancel_ = nullptr;
    bool shown_ = false;
    TrayState state_ = TrayState::Waiting;
    int charge_ = -1;
    bool lost_ = false;
};

struct Desktop {
    std::unique_ptr<Tray> tray;
    std::unique_ptr<DesktopNotifier> notifier;
    NoticeDetector detector;
};

std::unique_ptr<Desktop> gDesktop;

void Fallback(const Notice& n) {
    if (!gDesktop || !gDesktop->tray) return;
    gDesktop->tray->icon_.showMessage(
        QString::fromStdString(n.summary), QString::fromStdString(n.body),
        n.urgency == kUrgencyCritical ? QSystemTrayIcon::Critical : QSystemTrayIcon::Information);
}

// The close box of the main window hides it while the tray keeps watch.
OSStatus CloseToTray(EventHandlerCallRef, EventRef event, void*) {
    if (GetEventKind(event) != kEventWindowClose || !gDesktop || !gDesktop->tray ||
        !Preferences().hideToTray || !MainWindow)
        return eventNotHandledErr;
    MainWindow->hide();
    // Said once, ever: after that the user knows where it went.
    if (!HideNoticeShown()) {
        NoteHideNoticeShown();
        gDesktop->notifier->Show(
            {NoticeKind::StillRunning, Translated("Desktop", "Corvanta UPS Monitor keeps running"),
             Translated("Desktop", "It watches the UPS from the tray; Quit in its menu ends it."),
             kUrgencyNormal});
    }
    return noErr;
}

OSStatus PreferencesCommand(EventHandlerCallRef, EventRef event, void*) {
    if (CommandOfEvent(event) != FourCharCode("pref")) return eventNotHandledErr;
    OpenPreferencesWindow();
    return noErr;
}

} // namespace

void StartDesktop(bool withTray) {
    gDesktop = std::make_unique<Desktop>();
    if (withTray) gDesktop->tray = std::make_unique<Tray>();
    gDesktop->notifier =
        std::make_unique<DesktopNotifier>(Fallback, [] { ProcessHICommand(kCshu, nullptr); });
    const EventTypeSpec command[] = {{kEventClassCommand, kEventCommandProcess}};
    InstallEventHandler(GetApplicationEventTarget(), PreferencesCommand, 1, command, nullptr,
                        nullptr);
    if (MainWindow) {
        const EventTypeSpec close[] = {{kEventClassWindow, kEventWindowClose}};
        InstallEventHandler(GetWindowEventTarget(MainWindow), CloseToTray, 1, close, nullptr,
                            nullptr);
    }
    UpdateDesktop();
}

void UpdateDesktop() {
    const UpsPicture p = PictureNow();
    // As in the tray's menu: a shutdown can be cancelled only while one is pending.
    if (p.down >= 0)
        EnableMenuCommand(nullptr, kCshu);
    else
        DisableMenuCommand(nullptr, kCshu);
    if (!gDesktop) return;
    if (gDesktop->tray) gDesktop->tray->Follow(p);
    for (const Notice& n : gDesktop->detector.Step(p, static_cast<long>(CurrentTime())))
        // Taking a notice back is always wanted: it may have been shown before.
        if (n.summary.empty() || NoticeWanted(GroupOf(n.kind))) gDesktop->notifier->Show(n);
}

QSystemTrayIcon* DesktopTrayIcon() {
    return gDesktop && gDesktop->tray ? &gDesktop->tray->icon_ : nullptr;
}

bool DesktopNotifierReady() {
    return gDesktop && gDesktop->notifier->Ready();
}

void StopDesktop() {
    gDesktop.reset();
}
