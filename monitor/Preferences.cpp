#include "Preferences.h"

#include <QSettings>

#include "file.h"

void LoadPreferences() {
    const QSettings settings;
    bool ok = false;
    const int stale = settings.value(QStringLiteral("Values/StaleSeconds")).toInt(&ok);
    SetValuesStaleLimit(ok ? stale : DefaultStaleSeconds);
}
