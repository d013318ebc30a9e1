// The History window on a power history the test writes with plain SQL: the
// outage table, totals and chart of each range, what it says without a
// readable history, the battery line, and the window itself.
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <set>

#include "DialogTestSupport.h"
#include "HistoryWindow.h"
#include "Ups.h"
#include "file.h"

namespace {

using namespace dialogs_test;

// The agent's tables, with the columns the window reads.
const char* const kSchema[] = {
    "PRAGMA journal_mode=WAL",
    "CREATE TABLE samples(time INTEGER PRIMARY KEY, charge REAL, load REAL, input_volts REAL,"
    " runtime_s INTEGER, status INTEGER NOT NULL)",
    "CREATE TABLE events(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, kind TEXT NOT NULL,"
    " detail TEXT NOT NULL)",
    "PRAGMA user_version=1"};

class HistoryWindowTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        SetTestTime(2026, 3, 1, 12, 0, 0);
        now_ = CurrentTime();
    }
    void TearDown() override {
        delete CurrentHistoryWindow();
        writer_ = QSqlDatabase();
        QSqlDatabase::removeDatabase("writer");
        DialogTest::TearDown();
    }
    // Three outages: A from 26 to 23 hours ago, its countdown cancelled by
    // the user; B from 30 to 20 minutes ago, its countdown ended by the
    // power's return; C from 5 minutes ago, still on battery. Samples every
    // 10 s over the last hour, every 10 minutes over three days before it but
    // for a hole of two hours; the charge falls 1 % in 5 minutes on battery,
    // where the input voltage is not reported.
    void WriteHistory() {
        writer_ = QSqlDatabase::addDatabase("QSQLITE", "writer");
        writer_.setDatabaseName(QString::fromStdString(Path(HistoryFileName)));
        ASSERT_TRUE(writer_.open());
        QSqlQuery q(writer_);
        for (const char* sql : kSchema)
            ASSERT_TRUE(q.exec(sql)) << sql;
        writer_.transaction();
        const struct {
            std::int64_t start, end;
            const char *countdownEnd, *trigger;
            double runtime, load;
        } outages[] = {{-26 * 3600, -23 * 3600, "countdown-cancel", "power failure", 1800, 40},
                       {-1800, -1200, "countdown-end", "power failure", 1500, 42},
                       {-300, 1, nullptr, "battery low", 1200, 70}};
        const auto insert = [&](const char* sql, const QVariantList& values) {
            q.prepare(sql);
            for (const QVariant& v : values)
                q.addBindValue(v);
            ASSERT_TRUE(q.exec()) << sql;
        };
        auto event = [&](std::int64_t t, const char* kind, const std::string& detail) {
            insert("INSERT INTO events(time, kind, detail) VALUES(?, ?, ?)",
                   {qint64(now_ + t), kind, QString::fromStdString(detail)});
        };
        for (const auto& o : outages) {
            event(o.start, "power-fail", "power failure");
            event(o.start, "countdown", std::string("countdown started (") + o.trigger + ")");
            if (o.countdownEnd)
                event(o.end, o.countdownEnd, std::string("countdown over (") + o.trigger + ")");
            if (o.end <= 0) event(o.end, "power-back", "power restored");
        }
        for (std::int64_t t = -3 * 86400; t <= 0; t += t < -3600 ? 600 : 10) {
            if (t > -12 * 3600 && t < -10 * 3600) continue; // the agent stopped for two hours
            const auto* o = std::find_if(std::begin(outages), std::end(outages),
                                         [&](const auto& o) { return t >= o.start && t < o.end; });
            const bool battery = o != std::end(outages);
            insert("INSERT INTO samples(time, charge, load, input_volts, runtime_s, status) "
                   "VALUES(?, ?, ?, ?, ?, ?)",
                   {qint64(now_ + t), battery ? 100 - double(t - o->start) / 300 : 100.0,
                    battery ? o->load : 40.0, battery ? QVariant() : QVariant(230.0),
                    battery ? QVariant(o->runtime) : QVariant(), battery ? UPS_ACFAIL : 0});
        }
        writer_.commit();
    }
    static std::string Rows(const QTableWidget* t) {
        std::string rows;
        for (int r = 0; r < t->rowCount(); ++r)
            for (int c = 0; c < t->columnCount(); ++c)
                rows +=
                    t->item(r, c)->text().toStdString() + (c + 1 < t->columnCount() ? "|" : "\n");
        return rows;
    }
    std::int64_t now_ = 0;
    QSqlDatabase writer_;
};

TEST_F(HistoryWindowTest, EachRangeShowsItsOutagesTotalsAndChart) {
    WriteHistory();
    writer_.close(); // the agent has stopped: its -wal and -shm are gone
    const std::string B = "2026-03-01 11:30:00|2026-03-01 11:40:00|0:10:00|98 %|power back "
                          "(power failure)\n",
                      C = "2026-03-01 11:55:00|on battery|0:05:00|99 %|running (battery low)\n",
                      A = "2026-02-28 10:00:00|2026-02-28 13:00:00|3:00:00|66 %|cancelled "
                          "(power failure)\n";
    const struct {
        HistoryRange range;
        std::string rows, totals;
        qsizetype charge, volts;
        int voltPieces; // broken where the UPS did not report it, and at the hole
    } cases[] = {
        {HistoryRange::Hour, C + B,
         "2 outages in the last hour: 0:15:00 on battery, longest 0:10:00", 360, 269, 2},
        // A began before the day: counted from the day's start.
        {HistoryRange::Day,
         C + B +
             "2026-02-28 12:00:00*|2026-02-28 13:00:00|1:00:00|66 %|cancelled (power failure)\n",
         "3 outages in the last day: 1:15:00 on battery, longest 1:00:00 (* began earlier: "
         "counted from the range's start)",
         157, 146, 3},
        {HistoryRange::Week, C + B + A,
         "3 outages in the last week: 3:15:00 on battery, longest 3:00:00", 301, 288, 3},
        {HistoryRange::Year, C + B + A,
         "3 outages in the last year: 3:15:00 on battery, longest 3:00:00", 6, 6, 1},
    };
    HistoryWindow* w = OpenHistoryWindow();
    for (const auto& c : cases) {
        SCOPED_TRACE(HistoryRangeName(c.range));
        w->SetRange(c.range);
        EXPECT_EQ(Rows(w->table), c.rows);
        EXPECT_EQ(w->totals->text().toStdString(), c.totals);
        EXPECT_EQ(std::tuple(w->PointCount(HistoryWindow::Charge),
                             w->PointCount(HistoryWindow::InputVolts),
                             w->PieceCount(HistoryWindow::InputVolts), w->outageShade->count()),
                  std::tuple(c.charge, c.volts, c.voltPieces, 4 * w->table->rowCount()));
    }
    // C's load is not comparable with A's, so B is the latest to compare.
    EXPECT_EQ(w->health->text().toStdString(),
              "Battery runtime: 30 min at 40 % load on 2026-02-28, then 25 min at 42 % load on "
              "2026-03-01 (83 % of the first).");
    for (const char* litter : {"-wal", "-shm", "-journal"})
        EXPECT_FALSE(std::filesystem::exists(Path(std::string(HistoryFileName) + litter)))
            << litter;
}

TEST_F(HistoryWindowTest, SaysWhyWhenThereIsNoHistoryToShow) {
    const struct {
        const char* content; // null: no file; "live": written, the writer still open
        std::string problem;
    } cases[] = {{nullptr, "No history yet: the agent has not recorded any."},
                 {"", "No history yet: the agent has not recorded any."},
                 {"not a database, not at all; longer than a header", "The history cannot be read"},
                 {"live", ""}};
    for (const auto& c : cases) {
        std::filesystem::remove(Path(HistoryFileName));
        if (c.content && std::string(c.content) == "live")
            WriteHistory();
        else if (c.content)
            corvanta_test::WriteFileRaw(Path(HistoryFileName), c.content);
        HistoryWindow* w = OpenHistoryWindow();
        w->SetRange(HistoryRange::Hour);
        EXPECT_EQ(w->problem->text().toStdString().substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(w->problem->isVisibleTo(w), !c.problem.empty());
        EXPECT_EQ(w->totals->text().isEmpty(), !c.problem.empty());
        EXPECT_EQ(w->ExportCsv(Path("out.csv")), c.problem.empty());
        EXPECT_EQ(std::filesystem::exists(Path(HistoryFileName)), c.content != nullptr);
        delete w;
    }
}

TEST_F(HistoryWindowTest, BatteryLineSaysWhenThereIsNothingToCompare) {
    const RuntimeReading first{now_ - 86400, 1800, 40}, unlike{now_, 600, 80};
    EXPECT_EQ(BatteryHealthText({first}),
              "Battery: two outages that begin on a full battery are needed to compare its "
              "runtime (1 so far).");
    EXPECT_EQ(BatteryHealthText({first, unlike}),
              "Battery: 30 min at 40 % load on 2026-02-28; no later full-battery outage at a "
              "comparable load.");
}

TEST_F(HistoryWindowTest, OneWindowFromTheMenuDrawsAndExportsAndEscapeClosesIt) {
    WriteHistory();
    EXPECT_EQ(OpenDialogWindow(FourCharCode("hist")), eventNotHandledErr);
    QPointer<HistoryWindow> w = CurrentHistoryWindow();
    ASSERT_TRUE(w);
    OpenDialogWindow(FourCharCode("hist"));
    EXPECT_EQ(CurrentHistoryWindow(), w.data());
    w->SetRange(HistoryRange::Hour);
    w->ShowValuesAt(now_ - 1500);
    EXPECT_EQ(w->readout->text().toStdString(),
              "2026-03-01 11:35:00   charge 99 %, load 42 %, input -   (on battery)");
    // The tick reads the history again once 10 s have passed: outage C ends.
    ASSERT_TRUE(QSqlQuery(writer_).exec(
        QStringLiteral("INSERT INTO events(time, kind, detail) VALUES(%1, 'power-back', '')")
            .arg(now_ + 5)));
    for (int second : {9, 10}) {
        SetTestTime(2026, 3, 1, 12, 0, second), TickHistoryWindow(CurrentTime());
        EXPECT_EQ(w->View().outages.outages.back().end.has_value(), second == 10);
    }

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
    EXPECT_TRUE(w->ExportPng(Path("chart.png")));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &escape);
    FlushDeletes();
    EXPECT_FALSE(w);
}

} // namespace
