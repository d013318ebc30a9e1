// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accessible.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QWidget>
#include <cmath>
#include <cstring>

#include "Controls.h"
#include "HID.h"
#include "Schedule.h"
#include "ScheduleModel.h"
#include "Ups.h"
#include "file.h"
#include "screen.h"

namespace {

const char* const kSaidCue = "accessibleSaidCue";
const char* const kSaidNumber = "accessibleSaidNumber";

QString Number(double value) {
    return QLocale().toString(value, 'f', value == static_cast<int>(value) ? 0 : 1);
}

QString UnitWords(const char* unit, double value) {
    const QString n = Number(value);
    if (std::strcmp(unit, "V") == 0) return QCoreApplication::translate("Panel", "%1 volts").arg(n);
    if (std::strcmp(unit, "A") == 0)
        return QCoreApplication::translate("Panel", "%1 amperes").arg(n);
    if (std::strcmp(unit, "%") == 0)
        return QCoreApplication::translate("Panel", "%1 percent").arg(n);
    if (std::strcmp(unit, "Hz") == 0)
        return QCoreApplication::translate("Panel", "%1 hertz").arg(n);
    return QCoreApplication::translate("Panel", "%1 degrees Celsius").arg(n);
}

QString Duration(int seconds) {
    const int m = seconds / 60, s = seconds % 60;
    const QString minutes = m == 1 ? QCoreApplication::translate("Panel", "1 minute")
                                   : QCoreApplication::translate("Panel", "%1 minutes").arg(m);
    QString secs = s == 1 ? QCoreApplication::translate("Panel", "1 second")
                          : QCoreApplication::translate("Panel", "%1 seconds").arg(s);
    if (m == 0) return secs;
    return s == 0 ? minutes : QCoreApplication::translate("Panel", "%1 %2").arg(minutes, secs);
}

QString LongDate(int year, int month, int day) {
    const QDate date(year, month, day);
    return date.isValid() ? QLocale().toString(date, QLocale::LongFormat)
                          : QCoreApplication::translate("Panel", "not set");
}

QString StoredDate(const char (&date)[9]) {
    const QString text = QString::fromLatin1(date, static_cast<int>(strnlen(date, sizeof date)));
    const QDate d = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    return LongDate(d.year(), d.month(), d.day());
}

QString Unknown() {
    return QCoreApplication::translate("Panel", "unknown");
}

// The status texts say what the drawing says, in words that read aloud.
QString StatusValue(const ControlID& id, std::int32_t status, bool waiting) {
    if (id == kCommunicationText) {
        if (waiting) return QCoreApplication::translate("Panel", "waiting for the agent");
        return status & UPS_COMMERR ? QCoreApplication::translate("Panel", "disconnected")
                                    : QCoreApplication::translate("Panel", "connected");
    }
    if (waiting || (status & UPS_COMMERR)) return Unknown();
    if (id == kPowerSourceText)
        return status & UPS_ACFAIL ? QCoreApplication::translate("Panel", "battery")
                                   : QCoreApplication::translate("Panel", "normal");
    if (status & UPS_BATTREPLACE) return QCoreApplication::translate("Panel", "needs replacing");
    if (status & (UPS_BATTDEPLETED | UPS_BATTLOW))
        return QCoreApplication::translate("Panel", "low");
    return QCoreApplication::translate("Panel", "normal");
}

void Countdown(PanelReading* r) {
    const int down = PtUPSVal.DownTime;
    r->Subject = QCoreApplication::translate("Panel", "Shutdown countdown");
    if (ShuttingDown()) {
        r->Value = QCoreApplication::translate("Panel", "shutting down");
        r->Phrase = QCoreApplication::translate("Panel", "Shutting down");
    } else if (down < 0) {
        r->Value = QCoreApplication::translate("Panel", "none pending");
        r->Phrase = QCoreApplication::translate("Panel", "No shutdown pending");
    } else if (!ValuesAreLive()) {
        r->Value = QCoreApplication::translate("Panel", "time unknown");
        r->Phrase = QCoreApplication::translate("Panel", "Shutdown pending, time unknown");
    } else {
        r->Value = Duration(down);
        r->Phrase = QCoreApplication::translate("Panel", "Shutdown in %1").arg(r->Value);
        const int step = down > 60 ? 60 : down > 10 ? 10 : 1;
        r->Cue = QStringLiteral("in %1/%2").arg(step).arg((down + step - 1) / step);
    }
    if (r->Cue.isEmpty()) r->Cue = r->Phrase;
}

void Meter(PanelReading* r) {
    const int index = GetSupportIndex(PtUPSSts.Main_Meter[0] - 1);
    const bool known = index >= 0 && index < ItemCount;
    int full = 0;
    const char* unit = "";
    MeterScale(index, &full, &unit);
    r->Role = QAccessible::Dial;
    r->Subject = known ? QString::fromUtf8(HIDItemName[index])
                       : QCoreApplication::translate("Panel", "Meter");
    r->Maximum = full;
    r->Numeric = known && ValuesAreLive();
    if (r->Numeric) {
        r->Number = PtUPSVal.ItemVal[index] / 10.0;
        r->Value = UnitWords(unit, r->Number);
    }
}

// A light is a lit and an unlit picture in one place: both read the same,
// as text (Qt's indicator role reaches AT-SPI as no role at all).
void Light(ControlRef control, int n, PanelReading* r) {
    // The captions beside the lights, said with "on" and "off".
    const char* const subjects[kStatusLights] = {QT_TRANSLATE_NOOP("Panel", "Communication lost"),
                                                 QT_TRANSLATE_NOOP("Panel", "Power failure"),
                                                 QT_TRANSLATE_NOOP("Panel", "Battery low"),
                                                 QT_TRANSLATE_NOOP("Panel", "Replace battery"),
                                                 QT_TRANSLATE_NOOP("Panel", "Overload"),
                                                 QT_TRANSLATE_NOOP("Panel", "Overheat"),
                                                 QT_TRANSLATE_NOOP("Panel", "Beeper")};
    r->Subject = QCoreApplication::translate("Panel", subjects[n]);
    const ControlID lit = LitLight(n);
    ControlRef litPicture = nullptr;
    const bool on = GetControlByID(control->window(), &lit, &litPicture) == noErr &&
                    IsControlVisible(litPicture);
    // Dimmed while the link is lost: the last known state.
    if (!IsControlEnabled(control))
        r->Value = on ? QCoreApplication::translate("Panel", "on, last known")
                      : QCoreApplication::translate("Panel", "off, last known");
    else
        r->Value = on ? QCoreApplication::translate("Panel", "on")
                      : QCoreApplication::translate("Panel", "off");
}

void Calendar(PanelReading* r) {
    r->Subject = QCoreApplication::translate("Panel", "Calendar");
    QStringList planned;
    const char* const kinds[] = {
        "", QT_TRANSLATE_NOOP("Panel", "shutdown"), QT_TRANSLATE_NOOP("Panel", "restart"),
        QT_TRANSLATE_NOOP("Panel", "test"), QT_TRANSLATE_NOOP("Panel", "deep test")};
    for (int k = 0; k < ScheduleEntriesPerDay; ++k) {
        const ScheduleStr e = CalendarEntry(SelectYear, SelectMonth, SelectDay, k);
        if (e.Button < ScheduleShutdown || e.Button > ScheduleDeepTest) continue;
        const QString kind = QCoreApplication::translate("Panel", kinds[e.Button]);
        const QString at =
            QStringLiteral("%1:%2").arg(e.Hour).arg(e.Minute, 2, 10, QLatin1Char('0'));
        planned << QCoreApplication::translate("Panel", "%1 at %2").arg(kind, at);
    }
    const QString day = LongDate(SelectYear, SelectMonth, SelectDay);
    r->Value = planned.isEmpty()
                   ? QCoreApplication::translate("Panel", "%1 selected, nothing planned").arg(day)
                   : QCoreApplication::translate("Panel", "%1 selected, %2")
                         .arg(day, planned.join(QStringLiteral(", ")));
}

// The accessible side of a panel control: everything read anew from what
// the control draws, so it never says other than the picture.
class PanelAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    PanelAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        const PanelReading r = ReadingOf(widget());
        if (t == QAccessible::Name) return r.Phrase;
        if (t == QAccessible::Value) return r.Value;
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface &&
            (role() == QAccessible::ProgressBar || role() == QAccessible::Dial))
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QVariant currentValue() const override { return ReadingOf(widget()).Number; }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return ReadingOf(widget()).Maximum; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.1; }
};

QAccessibleInterface* PanelFactory(const QString& className, QObject* object) {
    // Custom controls are plain widgets to Qt, the lights labels.
    if (className != QLatin1String("QWidget") && className != QLatin1String("QLabel"))
        return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    const QAccessible::Role role = widget ? ReadingOf(widget).Role : QAccessible::NoRole;
    return role == QAccessible::NoRole ? nullptr : new PanelAccessible(widget, role);
}

} // namespace

PanelReading ReadingOf(ControlRef control) {
    PanelReading r;
    ControlID id{};
    if (!control || GetControlID(control, &id) != noErr) return r;
    const std::int32_t status = PtUPSVal.StatusFlag.AllSts;
    const bool waiting = GetValuesLink().link == ValuesLink::Waiting;
    r.Role = QAccessible::StaticText;
    if (id == kCommunicationText || id == kPowerSourceText || id == kBatteryStatusText) {
        r.Subject = id == kCommunicationText ? QCoreApplication::translate("Panel", "Communication")
                    : id == kPowerSourceText
                        ? QCoreApplication::translate("Panel", "Power source")
                        : QCoreApplication::translate("Panel", "Battery status");
        r.Value = StatusValue(id, status, waiting);
    } else if (id == kBatteryGauge || id == kBatteryFigure) {
        r.Role = id == kBatteryGauge ? QAccessible::ProgressBar : QAccessible::StaticText;
        r.Subject = QCoreApplication::translate("Panel", "Battery level");
        r.Maximum = 100;
        r.Numeric = ValuesAreLive();
        // Whole percents, as the figure beside the gauge shows them.
        r.Number = r.Numeric ? std::trunc(PtUPSVal.ItemVal[2] / 10.0) : 0;
        if (r.Numeric) r.Value = UnitWords("%", r.Number);
    } else if (id == kMeter) {
        Meter(&r);
    } else if (id == kCountdown) {
        Countdown(&r);
        return r;
    } else if (id == kLastReplacementDate || id == kNextReplacementDate) {
        r.Subject = id == kLastReplacementDate
                        ? QCoreApplication::translate("Panel", "Last battery replacement")
                        : QCoreApplication::translate("Panel", "Next battery replacement");
        r.Value =
            StoredDate(id == kLastReplacementDate ? PtUPSSts.BR_Date_Last : PtUPSSts.BR_Date_Next);
    } else if (id == kNextShutdownText) {
        r.Subject = QCoreApplication::translate("Panel", "Next scheduled shutdown");
        r.Value = *NextShutString ? QString::fromUtf8(NextShutString)
                                  : QCoreApplication::translate("Panel", "none");
    } else if (id.signature == kMainSignature && id.id >= LitLight(0).id &&
               id.id < LitLight(kStatusLights).id) {
        Light(control, id.id - LitLight(0).id, &r);
    } else if (id.signature == kMainSignature && id.id >= UnlitLight(0).id &&
               id.id < UnlitLight(kStatusLights).id) {
        Light(control, id.id - UnlitLight(0).id, &r);
    } else if (id == kCalendar) {
        Calendar(&r);
    } else {
        return PanelReading{};
    }
    if (r.Value.isEmpty()) r.Value = QCoreApplication::translate("Panel", "no reading");
    r.Phrase = QCoreApplication::translate("Panel", "%1, %2").arg(r.Subject, r.Value);
    r.Cue = r.Phrase;
    return r;
}

void InstallPanelAccessibility() {
    QAccessible::installFactory(PanelFactory);
}

void AnnounceControl(ControlRef control) {
    if (!control || !QAccessible::isActive()) return;
    const PanelReading r = ReadingOf(control);
    if (r.Role == QAccessible::NoRole) return;
    if (control->property(kSaidCue).toString() != r.Cue) {
        control->setProperty(kSaidCue, r.Cue);
        QAccessibleEvent named(control, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
    const QVariant said = control->property(kSaidNumber);
    const bool gauge = r.Role == QAccessible::ProgressBar || r.Role == QAccessible::Dial;
    if (gauge && (!said.isValid() || said.toDouble() != r.Number)) {
        control->setProperty(kSaidNumber, r.Number);
        QAccessibleValueChangeEvent changed(control, r.Number);
        QAccessible::updateAccessibility(&changed);
    }
}

void AnnouncePanel() {
    if (!MainWindow || !QAccessible::isActive()) return;
    for (const ControlID& id :
         {kCommunicationText, kPowerSourceText, kBatteryStatusText, kBatteryGauge, kBatteryFigure,
          kMeter, kCountdown, kLastReplacementDate, kNextReplacementDate, kNextShutdownText})
        AnnounceControl(MainControl(id));
    for (int n = 0; n < kStatusLights; ++n) {
        AnnounceControl(MainControl(LitLight(n)));
        AnnounceControl(MainControl(UnlitLight(n)));
    }
}
