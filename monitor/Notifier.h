// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop notifications through the freedesktop notification service on the
// session bus; where there is none, the tray's own message, else nothing.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "DesktopState.h"

class DesktopNotifier : public QObject {
    Q_OBJECT

  public:
    // fallback shows a notice when the bus has no notification service;
    // cancel asks for the shutdown's cancellation.
    DesktopNotifier(std::function<void(const Notice&)> fallback, std::function<void()> cancel);
    void Show(const Notice& notice);
    // Whether the service has answered (or is known to be missing).
    bool Ready() const { return service_ != Service::Unknown; }

  private slots:
    void OnActionInvoked(uint id, const QString& key);
    void OnClosed(uint id, uint reason);

  private:
    enum class Service { Unknown, Present, Absent };
    // One notification on the desktop that later notices of its kinds
    // replace or close: the countdown's, the power's, the low battery's,
    // the overload's and the overheat's.
    struct Slot {
        uint id = 0;
        // While the id is on its way, the next notice waits for it.
        bool awaitingId = false;
        std::optional<Notice> deferred;
    };
    static constexpr int kSlots = 5;
    void Send(const Notice& notice);

    std::function<void(const Notice&)> fallback_;
    std::function<void()> cancel_;
    Service service_ = Service::Unknown;
    bool actions_ = false;
    std::array<Slot, kSlots> slots_{};
    // Notices that came before the service answered.
    std::vector<Notice> pending_;
};
