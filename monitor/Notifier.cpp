#include "Notifier.h"

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
        if (notice.kind != NoticeKind::CountdownOver && fallback_) fallback_(notice);
        break;
    }
}

void DesktopNotifier::Send(const Notice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool countdown = IsCountdownNotice(notice.kind);
    if (countdown && awaitingId_) {
        deferred_ = notice;
        return;
    }
    if (notice.kind == NoticeKind::CountdownOver) {
        // Its cancel button would no longer be true.
        if (countdownId_ != 0)
            bus.asyncCall(Call("CloseNotification") << std::exchange(countdownId_, 0u));
        return;
    }
    QStringList actions;
    const bool running =
        notice.kind == NoticeKind::CountdownStarted || notice.kind == NoticeKind::LastMinute;
    if (actions_ && running) actions << kCancelKey << QStringLiteral("Cancel shutdown");
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(static_cast<uchar>(notice.urgency)));
    QDBusMessage message = Call("Notify");
    message << QStringLiteral("Corvanta UPS Monitor") << (countdown ? countdownId_ : 0u)
            << QStringLiteral("corvanta-monitor") << QString::fromStdString(notice.summary)
            << QString::fromStdString(notice.body) << actions << hints << -1;
    if (!running) {
        if (countdown) countdownId_ = 0;
        bus.asyncCall(message);
        return;
    }
    // The next countdown notice replaces this one.
    awaitingId_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        w->deleteLater();
        awaitingId_ = false;
        if (!reply.isError()) countdownId_ = reply.value();
        if (deferred_) Send(*std::exchange(deferred_, std::nullopt));
    });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& key) {
    // The signal reaches every client of the service: only ours counts.
    if (id != 0 && id == countdownId_ && key == kCancelKey && cancel_) cancel_();
}

void DesktopNotifier::OnClosed(uint id, uint) {
    if (id == countdownId_) countdownId_ = 0;
}
