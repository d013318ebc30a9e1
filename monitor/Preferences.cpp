#include "Preferences.h"

#include <QSettings>
#include <algorithm>

#include "file.h"

namespace {

MonitorPreferences gPrefs;

const char* const kNotifyKeys[4] = {"Notify/Power", "Notify/Battery", "Notify/Link",
                                    "Notify/Shutdown"};

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
    gPrefs = prefs;
    SetValuesStaleLimit(prefs.staleSeconds);
}

void SavePreferences(const MonitorPreferences& prefs) {
    gPrefs = prefs;
    // Kept as the limit in force, so the window shows what is used.
    gPrefs.staleSeconds = std::clamp(prefs.staleSeconds, MinStaleSeconds, MaxStaleSeconds);
    QSettings settings;
    for (int i = 0; i < 4; ++i)
        settings.setValue(QLatin1String(kNotifyKeys[i]), gPrefs.notify[i]);
    settings.setValue(QStringLiteral("Tray/HideOnClose"), gPrefs.hideToTray);
    settings.setValue(QStringLiteral("Values/StaleSeconds"), gPrefs.staleSeconds);
    SetValuesStaleLimit(gPrefs.staleSeconds);
}

const MonitorPreferences& Preferences() {
    return gPrefs;
}

bool NoticeWanted(NoticeGroup group) {
    return gPrefs.notify[static_cast<int>(group)];
}
