// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The History window (Monitor > History…): the chart of charge, load and
// input voltage over a chosen range with the outages shaded, the outage
// table with its totals, the battery's runtime then and now, and the exports.
// Built in code on Qt Charts; one at most, a child of the main window;
// Escape closes it (and, closed, it is deleted). The history is read on a
// worker thread, so a large or hostile database never freezes the window.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFutureWatcher>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <string>
#include <vector>

#include "HistoryData.h"

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QValueAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QTableWidget;

class HistoryWindow : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(HistoryWindow)

  public:
    explicit HistoryWindow(QWidget* parent);

    // Reads the history again for the chosen range, up to the clock's now,
    // on a worker. One read runs at a time: asked for during a read, the
    // new one follows it and the older result is shown only if it is still
    // for the chosen range.
    void Refresh();
    // Called each tick: reads again once 10 s of the clock have passed,
    // never while a read runs.
    void RefreshIfDue(std::int64_t now);
    bool Reading() const { return reading_; }
    void SetRange(HistoryRange range);
    const HistoryView& View() const { return view_; }
    // The values of the chart point of the slot under the given moment, as
    // the hover shows them; none over a hole or for -1 (off the chart).
    void ShowValuesAt(std::int64_t time);
    bool ExportCsv(const std::string& path) const;
    // The chart under a caption of its range and dates (ChartCaption), which
    // is also the PNG's title.
    bool ExportPng(const std::string& path) const;
    QString ChartCaption() const;
    // Writes the chart or the table to path, then says where it went (saved),
    // or in a message that it could not be written.
    void SaveExport(bool png, const std::string& path);

    enum Line { Charge, Load, InputVolts };
    // The points drawn of a line, and the pieces it is drawn in.
    qsizetype PointCount(Line line) const;
    int PieceCount(Line line) const { return static_cast<int>(pieces_[line].size()); }

    QLineSeries* outageShade = nullptr; // the upper edge of the shading
    QTableWidget* table = nullptr;
    QLabel *readout = nullptr, *totals = nullptr, *health = nullptr, *problem = nullptr;
    QLabel* status = nullptr; // "Reading the history…" while a read runs
    QLabel* saved = nullptr;  // where the last export went

  private:
    void StartRead();
    void ReadDone();
    void ShowView();
    void FillChart();
    void AddPiece(Line line, const QList<QPointF>& points);
    void FillTable();
    void Export(bool png);

    HistoryView view_;
    HistoryRange range_ = HistoryRange::Day;
    QComboBox* rangeBox_ = nullptr;
    QChart* chart_ = nullptr;
    QDateTimeAxis* timeAxis_ = nullptr;
    QValueAxis *percentAxis_ = nullptr, *voltAxis_ = nullptr;
    std::vector<QLineSeries*> pieces_[3];
    QChartView* chartView_ = nullptr;
    QPushButton *csvButton_ = nullptr, *pngButton_ = nullptr;
    std::int64_t readAt_ = 0;
    QFutureWatcher<HistoryView>* watcher_ = nullptr;
    HistoryRange readRange_ = HistoryRange::Day; // of the read that runs
    bool reading_ = false, readAgain_ = false, shown_ = false;
};

// Opens the window centred over the main window, or raises the open one.
HistoryWindow* OpenHistoryWindow();
// The open window, or none.
HistoryWindow* CurrentHistoryWindow();
// The tick's share: an open window follows the history while it grows.
void TickHistoryWindow(std::int64_t now);
