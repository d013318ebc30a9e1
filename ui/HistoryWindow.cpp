// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryWindow.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPromise>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>

#include "Alert.h"
#include "Clock.h"
#include "Folder.h"
#include "file.h"
#include "screen.h"

namespace {

QPointer<HistoryWindow> gHistoryWindow;

// On mains the agent samples every 10 s, and commits every 5 minutes: a
// refresh more often than this would show nothing new.
constexpr std::int64_t kRefreshSeconds = 10;

// A moment on the time axis, which shows local time: under the test clock the
// moment's civil time read as UTC, as the table shows it.
qreal AxisTime(std::int64_t t) {
    if (!TestTimeActive()) return static_cast<qreal>(t) * 1000;
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    gmtime_r(&tt, &tm);
    const QDateTime local(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                          QTime(tm.tm_hour, tm.tm_min, tm.tm_sec));
    return static_cast<qreal>(local.toMSecsSinceEpoch());
}

const char* AxisFormat(HistoryRange range) {
    switch (range) {
    case HistoryRange::Hour:
    case HistoryRange::Day:
        return "HH:mm";
    case HistoryRange::Week:
        return "ddd d";
    case HistoryRange::Month:
        return "d MMM";
    case HistoryRange::Year:
        break;
    }
    return "MMM yyyy";
}

QString Percent(const std::optional<double>& v) {
    return v ? HistoryWindow::tr("%1%").arg(QLocale().toString(std::lround(*v)))
             : QStringLiteral("-");
}

QString PointAt() {
    return HistoryWindow::tr(
        "Point at the chart, or give it the focus and use the arrow keys, to read its values.");
}

// Hovering over the chart reads the values of the nearest point; with the
// focus, the arrow keys go from point to point (Page Up and Down a tenth of
// the range, Home and End to the ends) under a marker line.
class HistoryChartView : public QChartView {
  public:
    HistoryChartView(QChart* chart, HistoryWindow* window) : QChartView(chart), window_(window) {
        setMouseTracking(true);
        setRenderHint(QPainter::Antialiasing);
        setFocusPolicy(Qt::StrongFocus);
    }

  protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        QChartView::mouseMoveEvent(event);
        MarkAt(-1);
        const HistoryView& view = window_->View();
        if (!chart()->plotArea().contains(event->position())) return window_->ShowValuesAt(-1);
        // Back from the axis's milliseconds to a moment of the history, by
        // the plot's proportion between the range's ends.
        const QRectF area = chart()->plotArea();
        const double share = (event->position().x() - area.left()) / area.width();
        window_->ShowValuesAt(view.from + std::llround(share * double(view.to - view.from)));
    }

    void leaveEvent(QEvent* event) override {
        QChartView::leaveEvent(event);
        if (marked_ < 0) window_->ShowValuesAt(-1);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const auto& points = window_->View().points;
        const std::int64_t tenth = (window_->View().to - window_->View().from) / 10;
        const auto after = [&](std::int64_t t) {
            return std::upper_bound(points.begin(), points.end(), t,
                                    [](std::int64_t t, const ChartPoint& p) { return t < p.time; });
        };
        const auto before = [&](std::int64_t t) {
            auto it =
                std::lower_bound(points.begin(), points.end(), t,
                                 [](const ChartPoint& p, std::int64_t t) { return p.time < t; });
            return it == points.begin() ? points.end() : it - 1;
        };
        const auto newest = [&] { return before(std::numeric_limits<std::int64_t>::max()); };
        // Without a marker the keys start from the newest point.
        int key = event->key();
        if (marked_ < 0 && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_PageUp ||
                            key == Qt::Key_PageDown))
            key = Qt::Key_End;
        auto it = points.end();
        switch (key) {
        case Qt::Key_Left:
            it = before(marked_);
            break;
        case Qt::Key_Right:
            it = after(marked_);
            break;
        case Qt::Key_PageUp:
            it = before(marked_ - tenth + 1);
            if (it == points.end()) it = points.begin();
            break;
        case Qt::Key_PageDown:
            it = after(marked_ + tenth - 1);
            if (it == points.end()) it = newest();
            break;
        case Qt::Key_Home:
            it = points.begin();
            break;
        case Qt::Key_End:
            it = newest();
            break;
        default:
            return QChartView::keyPressEvent(event);
        }
        // At either end the marker stays where it is.
        if (it != points.end()) MarkAt(it->time);
        event->accept();
    }

    void focusOutEvent(QFocusEvent* event) override {
        QChartView::focusOutEvent(event);
        if (marked_ >= 0) MarkAt(-1), window_->ShowValuesAt(-1);
    }

    void drawForeground(QPainter* painter, const QRectF& rect) override {
        QChartView::drawForeground(painter, rect);
        const HistoryView& view = window_->View();
        if (marked_ <= view.from || marked_ > view.to) return;
        const QRectF area = chart()->plotArea();
        const double x =
            area.left() + area.width() * double(marked_ - view.from) / double(view.to - view.from);
        painter->setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }

  private:
    // The point the keys have marked, or none (-1); its values are shown.
    void MarkAt(std::int64_t time) {
        if (time == marked_) return;
        marked_ = time;
        if (time >= 0) window_->ShowValuesAt(time);
        // A screen reader reads the marked values with the chart.
        setAccessibleDescription(time >= 0 ? window_->readout->text() : QString());
        viewport()->update();
    }

    HistoryWindow* window_;
    std::int64_t marked_ = -1;
};

struct LineLook {
    const char* name;
    QColor color;
};
const LineLook kLines[] = {
    {QT_TRANSLATE_NOOP("HistoryWindow", "Charge %"), QColor(0x2e, 0x8b, 0x57)},
    {QT_TRANSLATE_NOOP("HistoryWindow", "Load %"), QColor(0x1f, 0x5f, 0xbf)},
    {QT_TRANSLATE_NOOP("HistoryWindow", "Input V"), QColor(0xd2, 0x69, 0x1e)}};

const std::optional<double>& ValueOf(const ChartPoint& p, HistoryWindow::Line line) {
    return line == HistoryWindow::Charge ? p.charge
           : line == HistoryWindow::Load ? p.load
                                         : p.inputVolts;
}

// The narrowest an outage is shaded, so that one of seconds shows on a year.
constexpr double kLeastShadePixels = 3;

// Samples further apart than this (or three points of the chart) mean the
// history has a hole there: the agent was stopped or the UPS silent.
constexpr std::int64_t kGapSeconds = 1800;

} // namespace

HistoryWindow::HistoryWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(tr("History"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    resize(960, 720);

    rangeBox_ = new QComboBox;
    for (int r = 0; r < kHistoryRangeCount; ++r)
        rangeBox_->addItem(QString::fromStdString(HistoryRangeName(static_cast<HistoryRange>(r))));
    rangeBox_->setCurrentIndex(static_cast<int>(range_));
    connect(rangeBox_, &QComboBox::activated,
            [this](int index) { SetRange(static_cast<HistoryRange>(index)); });
    csvButton_ = new QPushButton(tr("Export table (CSV)…"));
    pngButton_ = new QPushButton(tr("Export chart (PNG)…"));
    connect(csvButton_, &QPushButton::clicked, [this] { Export(false); });
    connect(pngButton_, &QPushButton::clicked, [this] { Export(true); });
    status = new QLabel(tr("Reading the history…"));
    status->hide();
    auto* top = new QHBoxLayout;
    auto* rangeLabel = new QLabel(tr("&Range:"));
    rangeLabel->setBuddy(rangeBox_);
    top->addWidget(rangeLabel);
    top->addWidget(rangeBox_);
    top->addWidget(status);
    top->addStretch();
    saved = new QLabel;
    top->addWidget(saved);
    top->addWidget(csvButton_);
    top->addWidget(pngButton_);

    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignTop);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    chart_->setLocalizeNumbers(true);
    // An area series does not own its line: the shade holds it as its child.
    auto* shade = new QAreaSeries;
    outageShade = new QLineSeries(shade);
    shade->setUpperSeries(outageShade);
    shade->setName(tr("On battery"));
    shade->setColor(QColor(220, 40, 40, 50));
    shade->setBorderColor(Qt::transparent);
    chart_->addSeries(shade);
    timeAxis_ = new QDateTimeAxis;
    timeAxis_->setTickCount(7);
    percentAxis_ = new QValueAxis;
    percentAxis_->setRange(0, 100);
    percentAxis_->setTickCount(6);
    percentAxis_->setLabelFormat(tr("%d%%"));
    voltAxis_ = new QValueAxis;
    voltAxis_->setTickCount(6);
    voltAxis_->setLabelFormat(tr("%d V"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(percentAxis_, Qt::AlignLeft);
    chart_->addAxis(voltAxis_, Qt::AlignRight);
    shade->attachAxis(timeAxis_);
    shade->attachAxis(percentAxis_);
    chartView_ = new HistoryChartView(chart_, this);
    chartView_->setMinimumHeight(300);
    chartView_->setAccessibleName(tr("Chart of the battery charge and the voltages"));

    readout = new QLabel(PointAt());
    problem = new QLabel;
    problem->setAlignment(Qt::AlignCenter);
    problem->setWordWrap(true);
    QFont bold = problem->font();
    bold.setBold(true);
    problem->setFont(bold);

    table = new QTableWidget(0, 5);
    table->setHorizontalHeaderLabels(
        {tr("Start"), tr("End"), tr("Duration"), tr("Lowest charge"), tr("Countdown")});
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Widths for the texts the columns hold, so an empty table looks the same.
    const QFontMetrics metrics(table->font());
    const QString moment = QString::fromStdString(HistoryShownTime(0, true));
    const QString widest[] = {moment + '*', moment, QStringLiteral("000:00:00"),
                              tr("Lowest charge")};
    for (int col = 0; col < 4; ++col)
        table->setColumnWidth(col, metrics.horizontalAdvance(widest[col]) + 24);
    table->horizontalHeader()->setStretchLastSection(true);
    totals = new QLabel;
    health = new QLabel;
    health->setWordWrap(true);

    auto* close = new QPushButton(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(health, 1);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(chartView_, 3);
    layout->addWidget(problem, 3);
    layout->addWidget(readout);
    layout->addWidget(table, 2);
    layout->addWidget(totals);
    layout->addLayout(bottom);

    watcher_ = new QFutureWatcher<HistoryView>(this);
    connect(watcher_, &QFutureWatcherBase::finished, this, [this] { ReadDone(); });
    ShowView();
    Refresh();
}

void HistoryWindow::SetRange(HistoryRange range) {
    range_ = range;
    rangeBox_->setCurrentIndex(static_cast<int>(range));
    Refresh();
}

void HistoryWindow::RefreshIfDue(std::int64_t now) {
    if (reading_) return;
    // A clock set back reads at once rather than waiting out the gap.
    if (now - readAt_ >= kRefreshSeconds || now < readAt_) Refresh();
}

void HistoryWindow::Refresh() {
    if (reading_)
        readAgain_ = true;
    else
        StartRead();
}

void HistoryWindow::StartRead() {
    reading_ = true;
    readAgain_ = false;
    readAt_ = CurrentTime();
    readRange_ = range_;
    // The worker holds the promise: closed during a read, the window is gone
    // at once and the read ends into a future nobody watches.
    auto promise = std::make_shared<QPromise<HistoryView>>();
    watcher_->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start(
        [promise, path = FolderFile(HistoryFileName), range = range_, now = readAt_] {
            HistoryView view;
            try {
                view = ReadHistory(path, range, now);
            } catch (const std::exception& e) {
                view.state = HistoryView::State::Unreadable;
                view.problem = tr("The history cannot be read: %1.")
                                   .arg(QString::fromUtf8(e.what()))
                                   .toStdString();
            }
            promise->addResult(std::move(view));
            promise->finish();
        });
    status->setVisible(shown_);
}

void HistoryWindow::ReadDone() {
    reading_ = false;
    QFuture<HistoryView> done = watcher_->future();
    // A view of a range no longer chosen would pass for the new one's.
    if (done.resultCount() > 0 && readRange_ == range_) {
        view_ = done.takeResult();
        shown_ = true;
        ShowView();
    }
    if (readAgain_)
        StartRead();
    else
        status->hide();
}

void HistoryWindow::ShowView() {
    const bool read = view_.state == HistoryView::State::Read;
    // Without a history nothing is shown that could pass for one: no empty
    // chart, no "0 outages".
    chartView_->setVisible(read);
    readout->setVisible(read);
    problem->setVisible(!read);
    problem->setText(shown_ ? QString::fromStdString(view_.problem) : tr("Reading the history…"));
    csvButton_->setEnabled(read);
    pngButton_->setEnabled(read);
    FillChart();
    FillTable();
}

void HistoryWindow::AddPiece(Line line, const QList<QPointF>& points) {
    auto* piece = new QLineSeries;
    piece->setName(tr(kLines[line].name));
    QPen pen(kLines[line].color);
    pen.setWidthF(1.5);
    piece->setPen(pen);
    piece->replace(points);
    chart_->addSeries(piece);
    piece->attachAxis(timeAxis_);
    piece->attachAxis(line == InputVolts ? voltAxis_ : percentAxis_);
    // One entry in the legend however many pieces the line is drawn in.
    if (!pieces_[line].empty())
        for (QLegendMarker* marker : chart_->legend()->markers(piece))
            marker->setVisible(false);
    pieces_[line].push_back(piece);
}

qsizetype HistoryWindow::PointCount(Line line) const {
    qsizetype n = 0;
    for (const QLineSeries* piece : pieces_[line])
        n += piece->count();
    return n;
}

void HistoryWindow::FillChart() {
    const std::int64_t bucket = (view_.to - view_.from) / kChartBuckets;
    // A line is broken where the UPS reported no value and across a hole in
    // the history, rather than drawn straight over a time nothing was known.
    const std::int64_t hole = std::max(3 * bucket, kGapSeconds);
    double maxVolts = 0;
    for (Line line : {Charge, Load, InputVolts}) {
        for (QLineSeries* piece : pieces_[line]) {
            chart_->removeSeries(piece);
            delete piece;
        }
        pieces_[line].clear();
        QList<QPointF> run;
        std::int64_t last = 0;
        auto endRun = [&] {
            if (!run.isEmpty()) AddPiece(line, run);
            run.clear();
        };
        for (const ChartPoint& p : view_.points) {
            const std::optional<double>& value = ValueOf(p, line);
            if (!value || (!run.isEmpty() && p.time - last > hole)) endRun();
            if (!value) continue;
            run.append({AxisTime(p.time), *value});
            last = p.time;
            if (line == InputVolts) maxVolts = std::max(maxVolts, *value);
        }
        endRun();
        if (pieces_[line].empty()) AddPiece(line, {}); // keeps its place in the legend
    }
    // An outage shorter than a point of the chart is widened to one, so that
    // even a year's chart shows it; outages whose shading would overlap are
    // drawn as one span, so thousands of short ones draw as fast as a few.
    QList<QPointF> shade;
    std::int64_t start = 0, end = 0;
    bool open = false;
    auto addSpan = [&] {
        shade << QPointF(AxisTime(start), 0) << QPointF(AxisTime(start), 100)
              << QPointF(AxisTime(end), 100) << QPointF(AxisTime(end), 0);
    };
    // A few pixels at least: a slot of a year's chart is thinner than one.
    const double plotWidth =
        chart_->plotArea().width() > 0 ? chart_->plotArea().width() : chartView_->width();
    const std::int64_t least = std::max<std::int64_t>(
        bucket, std::llround(kLeastShadePixels * double(view_.to - view_.from) / plotWidth));
    for (const Outage& o : view_.outages.outages) {
        // Widened backwards at the range's end, where the chart stops.
        const std::int64_t oEnd =
            std::min(std::max(o.end.value_or(view_.to), o.start + least), view_.to);
        const std::int64_t oStart = std::min(o.start, oEnd - least);
        if (open && oStart <= end) {
            start = std::min(start, oStart), end = std::max(end, oEnd);
            continue;
        }
        if (open) addSpan();
        start = oStart, end = oEnd, open = true;
    }
    if (open) addSpan();
    outageShade->replace(shade);
    timeAxis_->setFormat(QString::fromUtf8(AxisFormat(range_)));
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AxisTime(view_.from))),
                        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AxisTime(view_.to))));
    voltAxis_->setRange(0, std::max(250.0, std::ceil(maxVolts / 50) * 50));
}

void HistoryWindow::FillTable() {
    const OutageTable& t = view_.outages;
    table->setRowCount(static_cast<int>(t.outages.size()));
    bool startedBefore = false;
    // Newest on top, as in the event log.
    int row = static_cast<int>(t.outages.size());
    for (const Outage& o : t.outages) {
        --row;
        startedBefore |= o.startedBefore;
        // Every countdown of the outage: a cancelled one matters as much as
        // the one that ran out.
        QStringList countdowns;
        for (const OutageCountdown& c : o.countdowns)
            countdowns << tr(CountdownEndName(c.end)) +
                              (c.trigger.empty() ? QString()
                                                 : " (" + QString::fromStdString(c.trigger) + ")");
        const QString countdown = countdowns.isEmpty() ? tr("none") : countdowns.join("; ");
        const QString cells[] = {
            QString::fromStdString(HistoryShownTime(o.start, true)) + (o.startedBefore ? "*" : ""),
            o.end ? QString::fromStdString(HistoryShownTime(*o.end, true)) : tr("on battery"),
            QString::fromStdString(DurationText(o.seconds)), Percent(o.lowestCharge), countdown};
        for (int col = 0; col < 5; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == 2 || col == 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, col, item);
        }
    }
    if (view_.state != HistoryView::State::Read) {
        totals->setText(QString());
        health->setText(QString());
        return;
    }
    totals->setText(
        (t.count == 1 ? tr("%1 outage %2: %3 on battery, longest %4%5")
                      : tr("%1 outages %2: %3 on battery, longest %4%5"))
            .arg(QLocale().toString(t.count), QString::fromStdString(HistoryRangeWithin(range_)),
                 QString::fromStdString(DurationText(t.onBattery)),
                 QString::fromStdString(DurationText(t.longest)),
                 startedBefore ? tr(" (* began earlier: counted from the range's start)")
                               : QString()));
    health->setText(QString::fromStdString(
        view_.healthProblem.empty() ? BatteryHealthText(view_.fullStarts) : view_.healthProblem));
}

void HistoryWindow::ShowValuesAt(std::int64_t time) {
    const auto& points = view_.points;
    const auto at = [&](std::int64_t t) {
        return std::lower_bound(points.begin(), points.end(), t,
                                [](const ChartPoint& p, std::int64_t t) { return p.time < t; });
    };
    // The point of the slot under the pointer, as ReadHistory groups them;
    // in a slot without one (samples sparser than slots), the nearest
    // within the 10 s the agent samples at; over a hole, none.
    const std::int64_t bucket = std::max<std::int64_t>(1, (view_.to - view_.from) / kChartBuckets);
    const std::int64_t slot = view_.from + 1 + (time - view_.from - 1) / bucket * bucket;
    auto it = at(slot);
    if (it == points.end() || it->time >= slot + bucket) {
        it = at(time);
        if (it == points.end() || (it != points.begin() && time - (it - 1)->time < it->time - time))
            --it;
    }
    const bool ofSlot = it != points.end() && it->time >= slot && it->time < slot + bucket;
    if (time <= view_.from || time > view_.to || points.empty() ||
        (!ofSlot && std::llabs(it->time - time) > kRefreshSeconds)) {
        readout->setText(PointAt());
        return;
    }
    const bool onBattery = std::any_of(
        view_.outages.outages.begin(), view_.outages.outages.end(), [&](const Outage& o) {
            return it->time >= o.start && it->time <= o.end.value_or(view_.to);
        });
    readout->setText(tr("%1   charge %2, load %3, input %4%5")
                         .arg(QString::fromStdString(HistoryShownTime(it->time, true)),
                              Percent(it->charge), Percent(it->load),
                              it->inputVolts
                                  ? tr("%1 V").arg(QLocale().toString(std::lround(*it->inputVolts)))
                                  : QStringLiteral("-"),
                              onBattery ? tr("   (on battery)") : QString()));
}

bool HistoryWindow::ExportCsv(const std::string& path) const {
    if (view_.state != HistoryView::State::Read) return false;
    QSaveFile file(QString::fromStdString(path));
    const std::string csv = OutageCsv(view_.outages);
    return file.open(QIODevice::WriteOnly) &&
           file.write(csv.data(), static_cast<qint64>(csv.size())) ==
               static_cast<qint64>(csv.size()) &&
           file.commit();
}

QString HistoryWindow::ChartCaption() const {
    return tr("Power history of %1: %2 to %3")
        .arg(QString::fromStdString(HistoryRangeNoun(range_)),
             QString::fromStdString(HistoryShownTime(view_.from, true, false)),
             QString::fromStdString(HistoryShownTime(view_.to, true, false)));
}

bool HistoryWindow::ExportPng(const std::string& path) const {
    if (view_.state != HistoryView::State::Read) return false;
    // Kept apart from the window, the picture says what it shows: the
    // range and its dates, drawn above the chart and in the file's title.
    const QImage chart = chartView_->grab().toImage();
    const QString caption = ChartCaption();
    const int band = fontMetrics().height() + 12;
    QImage image(chart.width(), chart.height() + band, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.drawText(QRect(10, 0, image.width() - 20, band), Qt::AlignVCenter, caption);
    painter.drawImage(0, band, chart);
    painter.end();
    image.setText(QStringLiteral("Title"), caption);
    return image.save(QString::fromStdString(path), "PNG");
}

void HistoryWindow::SaveExport(bool png, const std::string& path) {
    const QString shown = QString::fromStdString(ShownPath(path));
    if (png ? ExportPng(path) : ExportCsv(path)) {
        saved->setText(
            png ? QCoreApplication::translate("HistoryWindow", "Chart saved to %1").arg(shown)
                : QCoreApplication::translate("HistoryWindow", "Table saved to %1").arg(shown));
        return;
    }
    saved->clear();
    ShowAlert(this, QCoreApplication::translate("HistoryWindow", "Not saved").toStdString(),
              QCoreApplication::translate("HistoryWindow", "%1 could not be written.")
                  .arg(shown)
                  .toStdString());
}

void HistoryWindow::Export(bool png) {
    // The home folder, not wherever the program was started from.
    const QString name = QFileDialog::getSaveFileName(
        this, png ? tr("Export chart") : tr("Export outage table"),
        QDir::home().filePath(png ? QStringLiteral("history.png") : QStringLiteral("outages.csv")),
        png ? tr("PNG image (*.png)") : tr("CSV file (*.csv)"));
    if (!name.isEmpty()) SaveExport(png, name.toStdString());
}

HistoryWindow* OpenHistoryWindow() {
    if (gHistoryWindow) {
        gHistoryWindow->raise();
        gHistoryWindow->activateWindow();
        return gHistoryWindow;
    }
    gHistoryWindow = new HistoryWindow(MainWindow);
    gHistoryWindow->show();
    return gHistoryWindow;
}

HistoryWindow* CurrentHistoryWindow() {
    return gHistoryWindow;
}

void TickHistoryWindow(std::int64_t now) {
    if (gHistoryWindow) gHistoryWindow->RefreshIfDue(now);
}
