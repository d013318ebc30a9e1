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
#include <filesystem>
#include <fstream>
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

constexpr const char* kAutostartName = "/autostart/corvanta-monitor.desktop";

// An XDG variable, or its default when unset or not an absolute path.
std::string XdgDir(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v == '/' ? v : fallback;
}

// Whether the entry at path exists and is not marked deleted (Hidden=true).
bool EntryStarts(const std::string& path) {
    std::ifstream in(path);
    if (!in) return false;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Hidden=", 0) == 0) return line.substr(7) != "true";
    return true;
}

std::string SystemAutostartEntry() {
    const std::string dirs = XdgDir("XDG_CONFIG_DIRS", "/etc/xdg");
    for (std::size_t at = 0; at <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', at), dirs.size());
        std::string path = dirs.substr(at, end - at) + kAutostartName;
        if (path[0] == '/' && ::access(path.c_str(), F_OK) == 0) return path;
        at = end + 1;
    }
    return {};
}

} // namespace

std::string AutostartEntryPath() {
    const char* home = std::getenv("HOME");
    return XdgDir("XDG_CONFIG_HOME", std::string(home ? home : "") + "/.config") + kAutostartName;
}

bool StartsAtLogin() {
    const std::string own = AutostartEntryPath();
    if (::access(own.c_str(), F_OK) == 0) return EntryStarts(own);
    const std::string system = SystemAutostartEntry();
    return !system.empty() && EntryStarts(system);
}

bool SetStartAtLogin(bool start, std::string* error) {
    const std::string path = AutostartEntryPath();
    std::string entry;
    if (start)
        entry = "[Desktop Entry]\nType=Application\nName=Corvanta UPS Monitor\n"
                "Comment=Watches the UPS from the system tray\nExec=corvanta-monitor --hidden\n"
                "Icon=corvanta-monitor\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    else if (!SystemAutostartEntry().empty())
        // Only an entry of the user's own that says so turns the system's off.
        entry = "[Desktop Entry]\nType=Application\nName=Corvanta UPS Monitor\n"
                "Exec=corvanta-monitor --hidden\nHidden=true\n";
    if (entry.empty()) {
        if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
        const std::string cause = std::strerror(errno); // before the translation
        *error = Substituted(Translated("PreferencesWindow", "cannot remove %1: %2"),
                             {ShownPath(path), cause});
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (ec) {
        *error = CannotWrite(path, ec.message());
        return false;
    }
    if (WriteFileAtomic(path, entry)) return true;
    *error = CannotWrite(path);
    return false;
}

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
            if (error) *error = CannotWrite(path, reason);
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
