// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The History window on a power history the test writes with plain SQL in
// the agent's tables: the outage table, totals and chart of each range, what
// it says without a readable history (planted files included), the battery
// line, the read on its worker, and the window itself.
#include <QChartView>
#include <QDateTimeAxis>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QThreadPool>
#include <set>
#include <sqlite3.h>

#include "DialogTestSupport.h"
#include "HistoryWindow.h"
#include "Ups.h"

namespace {

const char* const kPointAt =
    "Point at the chart, or give it the focus and use the arrow keys, to read its values.";

using namespace dialogs_test;

class HistoryWindowTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTestTime(2026, 3, 1, 12, 0, 0);
        now_ = CurrentTime();
    }
    void TearDown() override {
        delete CurrentHistoryWindow();
        QThreadPool::globalInstance()->waitForDone(); // a read of a closed window
        writer_.Close();
        DialogTest::TearDown();
    }
    void Exec(const std::string& sql) {
        ASSERT_EQ(sqlite3_exec(writer_.Handle(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(writer_.Handle());
    }
    // The read runs on a worker: the window shows its answer once it is done.
    static HistoryWindow* Shown(HistoryWindow* w) {
        EXPECT_TRUE(QTest::qWaitFor([w] { return !w->Reading(); }, 5000));
        return w;
    }
    // Three outages: A from 26 to 23 hours ago, its countdown cancelled by
    // the user; B from 30 to 20 minutes ago, its countdown ended by the
    // power's return; C from 5 minutes ago, still on battery, a countdown
    // cancelled and another running. Samples every
    // 10 s over the last hour, every 10 minutes over three days before it but
    // for a hole of two hours; the charge falls 1 % in 5 minutes on battery,
    // where the input voltage is not reported.
    void WriteHistory(const char* name = HistoryFileName) {
        ASSERT_TRUE(writer_.Open(Path(name), HistoryDb::Mode::Write).Ok());
        Exec("BEGIN");
        const struct {
            std::int64_t start, end;
            const char *countdownEnd, *trigger;
            double runtime, load;
        } outages[] = {{-26 * 3600, -23 * 3600, "countdown-cancel", "power failure", 1800, 40},
                       {-1800, -1200, "countdown-end", "power failure", 1500, 42},
                       {-300, 1, nullptr, "battery low", 1200, 70}};
        auto event = [&](std::int64_t t, const char* kind, const std::string& detail) {
            Exec("INSERT INTO events(time, kind, detail) VALUES(" + std::to_string(now_ + t) +
                 ", '" + kind + "', '" + detail + "')");
        };
        for (const auto& o : outages) {
            event(o.start, "power-fail", "power failure");
            if (!o.countdownEnd) { // C: a first countdown cancelled
                event(o.start, "countdown", "countdown started (power failure)");
                event(o.start + 1, "countdown-cancel", "countdown over (power failure)");
            }
            event(o.start + (o.countdownEnd ? 0 : 2), "countdown",
                  std::string("countdown started (") + o.trigger + ")");
            if (o.countdownEnd)
                event(o.end, o.countdownEnd, std::string("countdown over (") + o.trigger + ")");
            if (o.end <= 0) event(o.end, "power-back", "power restored");
        }
        for (std::int64_t t = -3 * 86400; t <= 0; t += t < -3600 ? 600 : 10) {
            if (t > -12 * 3600 && t < -10 * 3600) continue; // the agent stopped for two hours
            const auto* o = std::find_if(std::begin(outages), std::end(outages),
                                         [&](const auto& o) { return t >= o.start && t < o.end; });
            using std::to_string; // charge, load, input volts, runtime, status
            const std::string on = o == std::end(outages)
                                       ? "100, 40, 230, NULL, 0"
                                       : to_string(100 - double(t - o->start) / 300) + ", " +
                                             to_string(o->load) + ", NULL, " +
                                             to_string(o->runtime) + ", " + to_string(UPS_ACFAIL);
            Exec("INSERT INTO samples(time, charge, load, input_volts, runtime_s, status) VALUES(" +
                 to_string(now_ + t) + ", " + on + ")");
        }
        Exec("COMMIT");
    }
    static std::string Rows(const QTableWidget* t) {
        std::string s;
        for (int r = 0; r < t->rowCount(); ++r)
            for (int c = 0; c < t->columnCount(); ++c)
                s += t->item(r, c)->text().toStdString() + (c + 1 < t->columnCount() ? "|" : "\n");
        return s;
    }
    std::int64_t now_ = 0;
    HistoryDb writer_; // as the agent writes
};

TEST_F(HistoryWindowTest, EachRangeShowsItsOutagesTotalsAndChart) {
    WriteHistory();
    writer_.Close(); // the agent has stopped: its -wal and -shm are gone
    const std::string
        B = "2026-03-01 11:30:00|2026-03-01 11:40:00|0:10:00|98%|power back "
            "(power failure)\n",
        C = "2026-03-01 11:55:00|on battery|0:05:00|99%|cancelled (power failure); running "
            "(battery low)\n",
        A = "2026-02-28 10:00:00|2026-02-28 13:00:00|3:00:00|66%|cancelled "
            "(power failure)\n";
    // The range, its table and totals; the points of the charge and of the
    // input voltage, the voltage's pieces (broken where the UPS did not report
    // it, and at the hole), the shaded spans (outages whose shading would
    // overlap are one, and none narrower than 3 pixels), whether the middle
    // of the hole reads a sample.
    using Case =
        std::tuple<HistoryRange, std::string, std::string, qsizetype, qsizetype, int, int, bool>;
    const Case cases[] = {
        {HistoryRange::Hour, C + B,
         "2 outages in the last hour: 0:15:00 on battery, longest 0:10:00", 360, 269, 2, 2, false},
        // A began before the day: counted from the day's start.
        {HistoryRange::Day,
         C + B + "2026-02-28 12:00:00*|2026-02-28 13:00:00|1:00:00|66%|cancelled (power failure)\n",
         "3 outages in the last day: 1:15:00 on battery, longest 1:00:00 (* began earlier: "
         "counted from the range's start)",
         157, 146, 3, 3, false},
        {HistoryRange::Week, C + B + A,
         "3 outages in the last week: 3:15:00 on battery, longest 3:00:00", 301, 288, 3, 2, false},
        {HistoryRange::Year, C + B + A,
         "3 outages in the last year: 3:15:00 on battery, longest 3:00:00", 6, 6, 1, 1, true},
    };
    HistoryWindow* w = OpenHistoryWindow();
    QChart* chart = w->findChild<QChartView*>()->chart();
    const auto* axis = static_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).value(0));
    for (const auto& [range, rows, totals, charge, volts, voltPieces, spans, holeRead] : cases) {
        SCOPED_TRACE(HistoryRangeName(range));
        w->SetRange(range);
        EXPECT_EQ(Rows(Shown(w)->table), rows);
        EXPECT_EQ(w->totals->text().toStdString(), totals);
        EXPECT_EQ(std::tuple(w->PointCount(HistoryWindow::Charge),
                             w->PointCount(HistoryWindow::InputVolts),
                             w->PieceCount(HistoryWindow::InputVolts), w->outageShade->count()),
                  std::tuple(charge, volts, voltPieces, 4 * spans));
        const double pixel =
            double(axis->max().toMSecsSinceEpoch() - axis->min().toMSecsSinceEpoch()) /
            chart->plotArea().width();
        for (int i = 0; i < w->outageShade->count(); i += 4)
            EXPECT_GE(w->outageShade->at(i + 2).x() - w->outageShade->at(i + 1).x(), 2.5 * pixel);
        w->ShowValuesAt(now_ - 11 * 3600);
        EXPECT_NE(w->readout->text().startsWith("Point at"), holeRead);
    }
    // C's load is not comparable with A's, so B is the latest to compare.
    EXPECT_EQ(w->health->text().toStdString(),
              "Battery runtime: 30 min at 40% load on 2026-02-28, then 25 min at 42% load on "
              "2026-03-01 (83% of the first).");
    for (const char* litter : {"-wal", "-shm", "-journal"})
        EXPECT_FALSE(std::filesystem::exists(Path(std::string(HistoryFileName) + litter)))
            << litter;
}

// What a read says instead of a history: none yet, a file it cannot take
// (planted ones included), a read past its time or rows. The window shows it.
TEST_F(HistoryWindowTest, SaysWhyWhenThereIsNoHistoryToShow) {
    const std::string file = Path(HistoryFileName), cannot = "The history cannot be read: " + file,
                      none = "No history yet: the agent has not recorded any.",
                      large = "The history is too large to read in time: ";
    // What is planted ("db": written, then closed; "live": the writer still
    // open), the read's limits, what it says.
    const std::tuple<std::string, HistoryReadLimits, std::string> cases[] = {
        // clang-format off
        {"none", {}, none}, {"empty", {}, none},
        {"garbage", {}, cannot + " is damaged or not a database."}, // not SQLite's words
        // Opened without waiting: a FIFO that no one writes would block for ever.
        {"fifo", {}, cannot + " is not a regular file but a FIFO."},
        {"link", {}, cannot + " is not a regular file but a symbolic link."},
        {"stranger", {}, cannot + " is owned by user 65534."},
        // Endless rows where the events should be; a trigger that would run.
        {"view", {}, cannot + " holds more than the agent's history (a view \"events\""},
        {"trigger", {}, cannot + " holds more than the agent's history (a trigger \"t\")."},
        {"db", {std::chrono::milliseconds(0)}, large + file + " took too long to answer. A shorter range may be read."},
        {"db", {HistoryDb::ReadBudget, 8},
         large + "the last week holds more than 8 events. A shorter range may be read."},
        {"db", {HistoryDb::ReadBudget, 20000, 50},
         large + "the last week holds more than 50 samples. A shorter range may be read."},
        {"live", {}, ""}};
    // clang-format on
    for (const auto& [plant, limits, problem] : cases) {
        SCOPED_TRACE(plant + " " + problem);
        writer_.Close();
        std::filesystem::remove(file);
        if (plant == "stranger" && ::geteuid() != 0) continue; // only root gives files away
        if (plant == "empty" || plant == "garbage")
            corvanta_test::WriteFileRaw(file, plant == "empty" ? "" : "not a database: " + file);
        EXPECT_TRUE(plant != "fifo" || ::mkfifo(file.c_str(), 0644) == 0);
        if (plant == "link")
            WriteHistory("real.db"), std::filesystem::create_symlink("real.db", file);
        else if (!std::set<std::string>{"none", "empty", "garbage", "fifo"}.count(plant))
            WriteHistory();
        EXPECT_TRUE(plant != "stranger" || ::chown(file.c_str(), 65534, 65534) == 0);
        if (plant == "view")
            Exec("DROP TABLE events; CREATE VIEW events AS WITH RECURSIVE n(i) AS (SELECT 1 "
                 "UNION ALL SELECT i + 1 FROM n) SELECT i AS id, i AS time, 'power-fail' AS kind, "
                 "'' AS detail FROM n");
        if (plant == "trigger")
            Exec("CREATE TRIGGER t AFTER INSERT ON samples BEGIN DELETE FROM events; END");
        if (plant == "db") writer_.Close();
        const HistoryView view = ReadHistory(file, HistoryRange::Week, now_, limits);
        EXPECT_EQ(view.problem.substr(0, problem.size()), problem);
        EXPECT_EQ(view.state == HistoryView::State::Read, problem.empty());
        EXPECT_EQ(view.outages.count, problem.empty() ? 3 : 0);
        EXPECT_EQ(corvanta_test::FileExists(file), plant != "none");
    }
    // Without a history the window shows why, and nothing that could pass for one.
    for (bool written : {true, false}) {
        HistoryWindow* w = OpenHistoryWindow();
        w->SetRange(HistoryRange::Hour);
        EXPECT_EQ(Shown(w)->problem->text().toStdString(), written ? "" : none);
        EXPECT_EQ(w->problem->isVisibleTo(w), !written);
        EXPECT_EQ(w->totals->text().isEmpty(), !written);
        EXPECT_EQ(w->ExportCsv(Path("out.csv")), written);
        delete w;
        writer_.Close(), std::filesystem::remove(file);
    }
}

TEST_F(HistoryWindowTest, BatteryLineSaysWhenThereIsNothingToCompare) {
    const RuntimeReading first{now_ - 86400, 1800, 40}, unlike{now_, 600, 80};
    EXPECT_EQ(BatteryHealthText({first}),
              "Battery: two outages that begin on a full battery are needed to compare its "
              "runtime (1 so far).");
    EXPECT_EQ(BatteryHealthText({first, unlike}),
              "Battery: 30 min at 40% load on 2026-02-28; no later full-battery outage at a "
              "comparable load.");
}

TEST_F(HistoryWindowTest, OneWindowFromTheMenuReadsOnAWorkerDrawsExportsAndCloses) {
    WriteHistory();
    EXPECT_EQ(OpenDialogWindow(FourCharCode("hist")), eventNotHandledErr);
    QPointer<HistoryWindow> w = CurrentHistoryWindow();
    ASSERT_TRUE(w);
    // The answer comes through the event loop: until then the window says it reads.
    EXPECT_TRUE(w->Reading());
    EXPECT_EQ(w->problem->text().toStdString(), "Reading the history…");
    OpenDialogWindow(FourCharCode("hist"));
    EXPECT_EQ(CurrentHistoryWindow(), w.data());
    w->SetRange(HistoryRange::Week);
    w->SetRange(HistoryRange::Hour);
    EXPECT_EQ(Shown(w)->View().from, now_ - 3600) << "the newest read shown";
    EXPECT_FALSE(w->status->isVisibleTo(w));
    // The sample of the slot under the pointer, until the pointer leaves.
    const char* const sample = "2026-03-01 11:35:00   charge 99%, load 42%, input -   (on battery)";
    for (const auto& [at, want] : {std::pair(now_ - 1500, sample), std::pair(now_ - 1496, sample),
                                   std::pair(std::int64_t{-1}, kPointAt)}) {
        w->ShowValuesAt(at);
        EXPECT_EQ(w->readout->text().toStdString(), want);
    }
    w->ShowValuesAt(now_ - 1500);
    QEvent leave(QEvent::Leave);
    QChartView* view = w->findChild<QChartView*>();
    QApplication::sendEvent(view, &leave);
    EXPECT_EQ(w->readout->text().toStdString(), kPointAt);
    // By keyboard: from the newest point, point to point, to the ends; the
    // values go with the chart to a screen reader, and with the focus.
    const char* const last = "2026-03-01 12:00:00   charge 99%, load 70%, input -   (on battery)";
    const char* const first = "2026-03-01 11:00:10   charge 100%, load 40%, input 230 V";
    const std::pair<Qt::Key, const char*> keys[] = {
        {Qt::Key_Left, last},
        {Qt::Key_Left, "2026-03-01 11:59:50   charge 99%, load 70%, input -   (on battery)"},
        {Qt::Key_Right, last},
        {Qt::Key_Home, first},
        {Qt::Key_Left, first},
        {Qt::Key_PageDown, "2026-03-01 11:06:10   charge 100%, load 40%, input 230 V"},
        {Qt::Key_End, last},
        {Qt::Key_Right, last}};
    for (const auto& [key, want] : keys) {
        QTest::keyClick(view, key);
        EXPECT_EQ(w->readout->text().toStdString(), want) << key;
        EXPECT_EQ(view->accessibleDescription(), w->readout->text());
    }
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(view, &out);
    EXPECT_EQ(w->readout->text().toStdString(), kPointAt);
    // Read again, the last view stays on screen, marked as being read.
    w->Refresh();
    EXPECT_TRUE(w->status->isVisibleTo(w) && w->readout->isVisibleTo(w));
    EXPECT_EQ(w->table->rowCount(), 2);
    Shown(w);
    // The tick reads the history again once 10 s have passed: outage C ends.
    Exec("INSERT INTO events(time, kind, detail) VALUES(" + std::to_string(now_ + 5) +
         ", 'power-back', '')");
    for (int second : {9, 10, 30}) { // at 30 the read begun at 10 still runs
        SetTestTime(2026, 3, 1, 12, 0, second), TickHistoryWindow(CurrentTime());
        EXPECT_EQ(w->Reading(), second >= 10);
        EXPECT_FALSE(w->View().outages.outages.back().end);
    }
    EXPECT_EQ(Shown(w)->View().to, now_ + 10);
    EXPECT_TRUE(w->View().outages.outages.back().end.has_value());

    const QImage shot = w->grab().toImage();
    ASSERT_TRUE(shot.save(QString::fromStdString(Path("history.png"))));
    EXPECT_GE(shot.width(), 800);
    EXPECT_GE(shot.height(), 600);
    std::set<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 20u); // lines, shading, text: not a blank window

    ASSERT_TRUE(w->ExportCsv(Path("outages.csv")));
    EXPECT_EQ(corvanta_test::ReadFile(Path("outages.csv")), OutageCsv(w->View().outages));
    // The picture names its range and dates; the window says where it went.
    w->SaveExport(true, Path("chart.png"));
    EXPECT_EQ(w->saved->text().toStdString(), "Chart saved to " + Path("chart.png"));
    const QImage chart(QString::fromStdString(Path("chart.png")));
    EXPECT_EQ(chart.text("Title").toStdString(),
              "Power history of the last hour: 2026-03-01 11:00 to 2026-03-01 12:00");
    EXPECT_GT(chart.height(), w->findChild<QChartView*>()->height());
    w->SaveExport(false, Path("none/outages.csv"));
    EXPECT_EQ(w->findChild<QMessageBox*>()->text().toStdString(),
              Path("none/outages.csv") + " could not be written.");

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &escape);
    FlushDeletes();
    EXPECT_FALSE(w);
    // Closed during a read, the window goes at once; the read ends unseen.
    OpenDialogWindow(FourCharCode("hist"));
    delete CurrentHistoryWindow();
    QThreadPool::globalInstance()->waitForDone();
    FlushDeletes();
    EXPECT_EQ(CurrentHistoryWindow(), nullptr);
}

} // namespace
