// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Translation.h"

#include <QCoreApplication>
#include <QDate>
#include <QLibraryInfo>
#include <QLocale>
#include <QTime>
#include <QTranslator>

#include "InterfaceResources.h"

namespace {

// The program's translation, compiled in under :/i18n; none for English.
QTranslator& ProgramTranslator() {
    static QTranslator* translator = [] {
        InitInterfaceResources();
        auto* t = new QTranslator;
        (void)t->load(QLocale::system(), QStringLiteral("corvanta"), QStringLiteral("_"),
                      QStringLiteral(":/i18n"));
        return t;
    }();
    return *translator;
}

bool IsCLocale(const QLocale& locale) {
    return locale.language() == QLocale::C;
}

// The locale's short date with the year in full: 10.03.2026, not 10.03.26.
QString DateFormat(const QLocale& locale) {
    if (IsCLocale(locale)) return QStringLiteral("yyyy-MM-dd");
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), "yyyy");
    return format;
}

QString TimeFormat(const QLocale& locale, bool seconds) {
    QString format =
        IsCLocale(locale) ? QStringLiteral("HH:mm") : locale.timeFormat(QLocale::ShortFormat);
    if (seconds && !format.contains(QLatin1String("ss")))
        format.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    return format;
}

} // namespace

std::string Translated(const char* context, const char* text, int n) {
    if (QCoreApplication::instance())
        return QCoreApplication::translate(context, text, nullptr, n).toStdString();
    QString out = ProgramTranslator().translate(context, text, nullptr, n);
    if (out.isEmpty()) out = QString::fromUtf8(text);
    if (n >= 0) out.replace(QLatin1String("%n"), QLocale::system().toString(n));
    return out.toStdString();
}

void InstallTranslations() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    SetTextTranslator(
        [](const char* context, const char* text) { return Translated(context, text); });
    if (!ProgramTranslator().isEmpty()) app->installTranslator(&ProgramTranslator());
    // Qt's own texts (the standard buttons), where the system has them.
    static QTranslator qt;
    if (qt.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app->installTranslator(&qt);
}

std::string LocalNumber(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals).toStdString();
}

std::string LocalDate(int year, int month, int day) {
    const QLocale locale;
    const QDate date(year, month, day);
    // A stored date may name no day (31 February): its numbers as they are.
    if (!date.isValid())
        return QStringLiteral("%1-%2-%3")
            .arg(year, 4, 10, QLatin1Char('0'))
            .arg(month, 2, 10, QLatin1Char('0'))
            .arg(day, 2, 10, QLatin1Char('0'))
            .toStdString();
    return locale.toString(date, DateFormat(locale)).toStdString();
}

std::string LocalDateTime(int year, int month, int day, int hour, int minute, int second) {
    const QLocale locale;
    // As UTC: a civil time, which no daylight saving gap may move.
    const QTime time(hour, minute, second < 0 ? 0 : second);
    return LocalDate(year, month, day) + ' ' +
           locale.toString(time, TimeFormat(locale, second >= 0)).toStdString();
}

std::string LocalMonthName(int month) {
    return QLocale().standaloneMonthName(month).toStdString();
}

std::string LocalDayAbbreviation(int weekday) {
    // Qt counts from Monday = 1 to Sunday = 7; German abbreviations end in a point.
    QString name = QLocale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
    name.remove(QLatin1Char('.'));
    return name.toUpper().toStdString();
}
