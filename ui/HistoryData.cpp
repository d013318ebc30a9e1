#include "HistoryData.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <cmath>
#include <cstdio>

#include "Ups.h"

namespace {

constexpr int kSchemaVersion = 1; // the agent's, of the tables read here
// A battery is full at this charge; loads this close are comparable.
constexpr double kFullCharge = 95, kComparableLoad = 10;
// How long into an outage the first runtime estimate may come.
constexpr std::int64_t kRuntimeWindow = 120;
const char* const kConnection = "corvanta-history";

std::optional<double> Value(const QSqlQuery& q, int column) {
    const QVariant v = q.value(column);
    if (v.isNull()) return std::nullopt;
    return v.toDouble();
}

// One read-only connection for one read, gone (with its file handles)
// before the next.
class Connection {
  public:
    explicit Connection(const std::string& path) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        const QString file = QString::fromStdString(path);
        QUrl url = QUrl::fromLocalFile(file);
        // While the agent has the database open its -wal and -shm exist and
        // a plain read-only reader shares them. Without them, such a reader
        // would create both and leave them behind; the agent is not writing
        // then (when it starts, its writes go to the -wal, not the file), so
        // the file is read as it stands.
        url.setQuery(QFileInfo::exists(file + "-wal") ? QStringLiteral("mode=ro")
                                                      : QStringLiteral("immutable=1"));
        db_.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db_.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=1000"));
    }
    ~Connection() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnection);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    QSqlDatabase& db() { return db_; }

  private:
    QSqlDatabase db_;
};

bool Run(QSqlQuery& q, const QString& sql, const std::vector<qint64>& values) {
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        q.bindValue(static_cast<int>(i), values[i]);
    return q.exec();
}

// The events of the range, led by the last power-fail or power-back before
// it, as the agent's report reads them.
bool ReadEvents(QSqlDatabase& db, std::int64_t from, std::vector<HistoryEventRow>* events) {
    QSqlQuery q(db);
    if (!Run(q,
             "SELECT time, kind, detail FROM events WHERE time >= ? OR id = "
             "(SELECT id FROM events WHERE time < ? AND kind IN ('power-fail', 'power-back') "
             "ORDER BY time DESC, id DESC LIMIT 1) ORDER BY time, id",
             {from, from}))
        return false;
    while (q.next())
        events->push_back({q.value(0).toLongLong(), q.value(1).toString().toStdString(),
                           q.value(2).toString().toStdString()});
    return q.lastError().type() == QSqlError::NoError;
}

// FindOutages looks at samples only from a power failure to the next
// power-back: those stretches are all it is given, so a year of samples on
// mains is never read.
bool ReadOutageSamples(QSqlDatabase& db, const std::vector<HistoryEventRow>& events,
                       std::int64_t from, std::int64_t to, std::vector<HistorySampleRow>* samples) {
    // Not an optional: GCC at -O2 takes its value for uninitialised.
    std::int64_t begin = 0;
    bool open = false;
    for (std::size_t i = 0; i <= events.size(); ++i) {
        const bool last = i == events.size();
        if (!last && events[i].kind == "power-fail" && !open) {
            begin = events[i].time;
            open = true;
        }
        if (!open || (!last && events[i].kind != "power-back")) continue;
        const std::int64_t end = last ? to : events[i].time;
        QSqlQuery q(db);
        if (!Run(q,
                 "SELECT time, charge, status FROM samples WHERE time >= ? AND time <= ? "
                 "ORDER BY time",
                 {std::max(begin, from), end}))
            return false;
        while (q.next())
            samples->push_back({q.value(0).toLongLong(), Value(q, 1), q.value(2).toInt()});
        if (q.lastError().type() != QSqlError::NoError) return false;
        open = false;
    }
    return true;
}

bool ReadPoints(QSqlDatabase& db, std::int64_t from, std::int64_t to,
                std::vector<ChartPoint>* points) {
    const std::int64_t bucket = std::max<std::int64_t>(1, (to - from) / kChartBuckets);
    QSqlQuery q(db);
    if (!Run(q,
             "SELECT MIN(time), AVG(charge), AVG(load), AVG(input_volts) FROM samples "
             "WHERE time > ? AND time <= ? GROUP BY (time - ?) / ? ORDER BY 1",
             {from, to, from + 1, bucket}))
        return false;
    while (q.next())
        points->push_back({q.value(0).toLongLong(), Value(q, 1), Value(q, 2), Value(q, 3)});
    return q.lastError().type() == QSqlError::NoError;
}

// Of every outage in the history: the charge just before it and the first
// runtime estimate on battery in it.
bool ReadFullStarts(QSqlDatabase& db, std::vector<RuntimeReading>* readings) {
    QSqlQuery q(db);
    if (!Run(q,
             "SELECT e.time, "
             "(SELECT charge FROM samples WHERE time <= e.time ORDER BY time DESC LIMIT 1), "
             "r.runtime_s, r.load FROM events e LEFT JOIN samples r ON r.time = "
             "(SELECT time FROM samples WHERE time >= e.time AND time <= e.time + ? AND "
             "(status & ?) != 0 AND runtime_s IS NOT NULL AND load IS NOT NULL "
             "ORDER BY time LIMIT 1) "
             "WHERE e.kind = 'power-fail' ORDER BY e.time, e.id",
             {kRuntimeWindow, UPS_ACFAIL}))
        return false;
    while (q.next()) {
        const std::optional<double> before = Value(q, 1), runtime = Value(q, 2), load = Value(q, 3);
        if (before && *before >= kFullCharge && runtime && load)
            readings->push_back({q.value(0).toLongLong(), *runtime, *load});
    }
    return q.lastError().type() == QSqlError::NoError;
}

} // namespace

std::int64_t HistoryRangeSeconds(HistoryRange range) {
    constexpr std::int64_t day = 24 * 3600;
    switch (range) {
    case HistoryRange::Hour:
        return 3600;
    case HistoryRange::Day:
        return day;
    case HistoryRange::Week:
        return 7 * day;
    case HistoryRange::Month:
        return 30 * day;
    case HistoryRange::Year:
        break;
    }
    return 365 * day;
}

const char* HistoryRangeName(HistoryRange range) {
    const char* const names[] = {"Last hour", "Last day", "Last week", "Last month", "Last year"};
    return names[static_cast<int>(range)];
}

HistoryView ReadHistory(const std::string& path, HistoryRange range, std::int64_t now) {
    HistoryView view;
    view.to = now;
    view.from = now - HistoryRangeSeconds(range);
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        view.problem = "No history yet: the agent has not recorded any.";
        return view;
    }
    Connection connection(path);
    QSqlDatabase& db = connection.db();
    auto fail = [&](const QSqlError& error) {
        view = HistoryView{};
        view.state = HistoryView::State::Unreadable;
        view.problem = "The history cannot be read: " + error.text().toStdString();
        return view;
    };
    if (!db.open()) return fail(db.lastError());
    QSqlQuery version(db);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next())
        return fail(version.lastError());
    const int schema = version.value(0).toInt();
    version.finish();
    if (schema == 0) {
        view.problem = "No history yet: the agent has not recorded any.";
        return view;
    }
    if (schema > kSchemaVersion) {
        view.state = HistoryView::State::Unreadable;
        view.problem = "The history was written by a newer agent and cannot be read here.";
        return view;
    }
    // One read transaction: the chart, the table and the totals show the
    // same moment of the history.
    std::vector<HistoryEventRow> events;
    std::vector<HistorySampleRow> samples;
    if (!db.transaction()) return fail(db.lastError());
    if (!ReadEvents(db, view.from, &events) ||
        !ReadOutageSamples(db, events, view.from, view.to, &samples) ||
        !ReadPoints(db, view.from, view.to, &view.points) ||
        !ReadFullStarts(db, &view.fullStarts)) {
        const QSqlError error = db.lastError().type() != QSqlError::NoError
                                    ? db.lastError()
                                    : QSqlError(QStringLiteral("malformed history"));
        db.rollback();
        return fail(error);
    }
    db.commit();
    view.outages = FindOutages(events, samples, view.from, view.to);
    view.state = HistoryView::State::Read;
    return view;
}

std::string BatteryHealthText(const std::vector<RuntimeReading>& fullStarts) {
    if (fullStarts.size() < 2)
        return "Battery: two outages that begin on a full battery are needed to compare its "
               "runtime (" +
               std::to_string(fullStarts.size()) + " so far).";
    const RuntimeReading& first = fullStarts.front();
    const RuntimeReading* latest = nullptr;
    for (auto it = fullStarts.rbegin(); it + 1 != fullStarts.rend() && !latest; ++it)
        if (std::fabs(it->load - first.load) <= kComparableLoad) latest = &*it;
    auto reading = [](const RuntimeReading& r) {
        char text[96];
        std::snprintf(text, sizeof text, "%.0f min at %.0f %% load on %s", r.runtimeSeconds / 60,
                      r.load, HistoryTimeText(r.time).substr(0, 10).c_str());
        return std::string(text);
    };
    if (!latest)
        return "Battery: " + reading(first) +
               "; no later full-battery outage at a comparable load.";
    char change[48] = "";
    if (first.runtimeSeconds > 0)
        std::snprintf(change, sizeof change, " (%.0f %% of the first)",
                      100 * latest->runtimeSeconds / first.runtimeSeconds);
    return "Battery runtime: " + reading(first) + ", then " + reading(*latest) + change + ".";
}
