// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kCancelKey = QStringLiteral("cancel-shutdown");

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

constexpr int kCountdownSlot = 0;

// The notification a notice replaces or closes; -1 when it stands alone.
int SlotOf(NoticeKind kind) {
    if (IsCountdownNotice(kind)) return kCountdownSlot;
    switch (kind) {
    case NoticeKind::PowerFailure:
    case NoticeKind::PowerRestored:
        return 1;
    case NoticeKind::BatteryLow:
        return 2;
    case NoticeKind::Overload:
        return 3;
    case NoticeKind::Overheat:
        return 4;
    default:
        return -1;
    }
}

// The running countdown and the shutdown under way stay until they end.
bool Lasting(NoticeKind kind) {
    return kind == NoticeKind::CountdownStarted || kind == NoticeKind::LastMinute ||
           kind == NoticeKind::ShuttingDown;
}

} // namespace

DesktopNotifier::DesktopNotifier(std::function<void(const Notice&)> fallback,
                                 std::function<void()> cancel)
    : fallback_(std::move(fallback)), cancel_(std::move(cancel)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        service_ = Service::Absent;
        return;
    }
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
    // Asked without blocking: a tick never waits for the desktop.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(Call("GetCapabilities")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QStringList> reply = *w;
        w->deleteLater();
        service_ = reply.isError() ? Service::Absent : Service::Present;
        actions_ = !reply.isError() && reply.value().contains(QStringLiteral("actions"));
        for (const Notice& n : std::exchange(pending_, {}))
            Show(n);
    });
}

void DesktopNotifier::Show(const Notice& notice) {
    switch (service_) {
    case Service::Unknown:
        pending_.push_back(notice);
        break;
    case Service::Present:
        Send(notice);
        break;
    case Service::Absent:
        if (!notice.summary.empty() && fallback_) fallback_(notice);
        break;
    }
}

void DesktopNotifier::Send(const Notice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const int slotIndex = SlotOf(notice.kind);
    Slot* slot = slotIndex < 0 ? nullptr : &slots_[static_cast<std::size_t>(slotIndex)];
    if (slot && slot->awaitingId) {
        slot->deferred = notice;
        return;
    }
    if (notice.summary.empty()) {
        // Its cause has ended, and a cancel button would no longer be true.
        if (slot && slot->id != 0)
            bus.asyncCall(Call("CloseNotification") << std::exchange(slot->id, 0u));
        return;
    }
    QStringList actions;
    const bool running =
        notice.kind == NoticeKind::CountdownStarted || notice.kind == NoticeKind::LastMinute;
    if (actions_ && running)
        actions << kCancelKey << QCoreApplication::translate("Desktop", "Cancel shutdown");
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(static_cast<uchar>(notice.urgency)));
    QDBusMessage message = Call("Notify");
    message << QStringLiteral("Corvanta UPS Monitor") << (slot ? slot->id : 0u)
            << QStringLiteral("corvanta-monitor") << QString::fromStdString(notice.summary)
            << QString::fromStdString(notice.body) << actions << hints
            << (Lasting(notice.kind) ? 0 : -1);
    if (!slot) {
        bus.asyncCall(message);
        return;
    }
    // The next notice of the slot replaces this one.
    slot->awaitingId = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, slot](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                slot->awaitingId = false;
                if (!reply.isError()) slot->id = reply.value();
                if (slot->deferred) Send(*std::exchange(slot->deferred, std::nullopt));
            });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& key) {
    // The signal reaches every client of the service: only ours counts.
    if (id != 0 && id == slots_[kCountdownSlot].id && key == kCancelKey && cancel_) cancel_();
}

void DesktopNotifier::OnClosed(uint id, uint) {
    for (Slot& slot : slots_)
        if (slot.id == id) slot.id = 0;
}
