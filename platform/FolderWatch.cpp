// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderWatch.h"

#include <QSocketNotifier>
#include <cstdint>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

struct Watch {
    int fd = -1;
    std::string name;
    std::function<void()> changed;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Watch() {
        notifier.reset();
        if (fd >= 0) ::close(fd);
    }

    // Drains every queued event; one call of changed() however many named
    // the file, since a read takes the file as it is now.
    void Drain() {
        alignas(inotify_event) char buffer[4096];
        bool hit = false;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name == event->name) hit = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (hit && changed) changed();
    }
};

std::unique_ptr<Watch> gWatch;

} // namespace

bool WatchFolderFile(const std::string& folder, const std::string& name,
                     std::function<void()> changed) {
    gWatch.reset();
    auto watch = std::make_unique<Watch>();
    watch->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch->fd < 0) return false;
    // Not IN_CREATE: a file just created may not hold its contents yet.
    constexpr std::uint32_t mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM;
    if (::inotify_add_watch(watch->fd, folder.c_str(), mask) < 0) return false;
    watch->name = name;
    watch->changed = std::move(changed);
    watch->notifier = std::make_unique<QSocketNotifier>(watch->fd, QSocketNotifier::Read);
    Watch* w = watch.get();
    QObject::connect(watch->notifier.get(), &QSocketNotifier::activated, [w] { w->Drain(); });
    gWatch = std::move(watch);
    return true;
}

void StopWatchingFolderFile() {
    gWatch.reset();
}
