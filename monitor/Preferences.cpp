// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Preferences.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Folder.h"
#include "Translation.h"
#include "file.h"

namespace {

MonitorPreferences gPrefs;

const char* const kNotifyKeys[4] = {"Notify/Power", "Notify/Battery", "Notify/Link",
                                    "Notify/Shutdown"};

// QSettings keeps no reason for a failed write, and its errno is gone by
// the time it returns: the same write tried here finds it. Empty when the
// write goes through.
std::string WhyNotWritable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    const std::string folder = path.substr(0, path.rfind('/'));
    if (::stat(folder.c_str(), &st) != 0 && ::mkdir(folder.c_str(), 0700) != 0)
        return std::strerror(errno);
    const std::string probe = path + ".probe";
    if (!WriteFileAtomic(probe, std::string(4096, '\n'), false)) return std::strerror(errno);
    ::unlink(probe.c_str());
    return {};
}

// The service user by name or number; none for an unknown name, whose
// values are then refused with their owner's name in the status bar.
void ApplyServiceUser(const std::string& user) {
    ClearServiceUser();
    if (user.empty()) return;
    char buf[1024];
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwnam_r(user.c_str(), &pw, buf, sizeof buf, &found) == 0 && found) {
        SetServiceUser(found->pw_uid);
        return;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long uid = std::strtoul(user.c_str(), &end, 10);
    if (std::isdigit(static_cast<unsigned char>(user[0])) && *end == '\0' && errno == 0 &&
        uid < static_cast<uid_t>(-1))
        SetServiceUser(static_cast<uid_t>(uid));
}

} // namespace

void LoadPreferences() {
    const QSettings settings;
    MonitorPreferences prefs;
    for (int i = 0; i < 4; ++i)
        prefs.notify[i] = settings.value(QLatin1String(kNotifyKeys[i]), true).toBool();
    prefs.hideToTray = settings.value(QStringLiteral("Tray/HideOnClose"), true).toBool();
    bool ok = false;
    const int stale = settings.value(QStringLiteral("Values/StaleSeconds")).toInt(&ok);
    prefs.staleSeconds = ok ? stale : DefaultStaleSeconds;
    prefs.serviceUser =
        settings.value(QStringLiteral("Agent/ServiceUser")).toString().trimmed().toStdString();
    gPrefs = prefs;
    SetValuesStaleLimit(prefs.staleSeconds);
    ApplyServiceUser(prefs.serviceUser);
}

bool SavePreferences(const MonitorPreferences& prefs, std::string* error) {
    MonitorPreferences next = prefs;
    // Kept as the limit in force, so the window shows what is used.
    next.staleSeconds = std::clamp(prefs.staleSeconds, MinStaleSeconds, MaxStaleSeconds);
    QSettings settings;
    // A status already bad (no organization name, a file it could not parse)
    // says nothing of this write; then only trying it ourselves can.
    const bool statusTells = settings.status() == QSettings::NoError;
    for (int i = 0; i < 4; ++i)
        settings.setValue(QLatin1String(kNotifyKeys[i]), next.notify[i]);
    settings.setValue(QStringLiteral("Tray/HideOnClose"), next.hideToTray);
    settings.setValue(QStringLiteral("Values/StaleSeconds"), next.staleSeconds);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        const std::string path = settings.fileName().toLocal8Bit().toStdString();
        std::string reason = WhyNotWritable(path);
        if (reason.empty() && statusTells)
            reason = settings.status() == QSettings::FormatError
                         ? Translated("PreferencesWindow", "not a preferences file")
                         : Translated("PreferencesWindow", "access denied");
        if (!reason.empty()) {
            if (error)
                *error = Substituted(Translated("PreferencesWindow", "cannot write %1: %2"),
                                     {path, reason});
            return false;
        }
    }
    gPrefs = next;
    SetValuesStaleLimit(gPrefs.staleSeconds);
    return true;
}

const MonitorPreferences& Preferences() {
    return gPrefs;
}

bool NoticeWanted(NoticeGroup group) {
    return gPrefs.notify[static_cast<int>(group)];
}

bool HideNoticeShown() {
    return QSettings().value(QStringLiteral("Tray/HideNoticeShown"), false).toBool();
}

void NoteHideNoticeShown() {
    QSettings().setValue(QStringLiteral("Tray/HideNoticeShown"), true);
}
