// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// history_window_bench [--folder DIR] [--snapshot FILE.png] [--range hour|day|week|month|year]
// Writes a year of power history through the agent's own History code, at
// the density the agent's thinning leaves (the last 48 hours whole, then one
// sample a minute to 60 days, then one per 15 minutes), with an outage about
// every nine days; then times the History window opening on the last year
// and prints the database's size. Without --folder it works in a temporary
// folder and removes it. --snapshot saves the opened window as a PNG.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Clock.h"
#include "Folder.h"
#include "History.h"
#include "HistoryWindow.h"
#include "Ups.h"

namespace {

constexpr std::int64_t kDay = History::Day, kYear = 365 * kDay;

// Seconds between the samples the thinning keeps at that age.
std::int64_t Step(std::int64_t age) {
    return age >= History::MinuteAge ? 900 : age >= History::RawAge ? 60 : 10;
}

struct Generated {
    long long samples = 0, outages = 0;
};

Generated WriteYear(const std::string& folder, std::int64_t now) {
    (void)folder; // the store writes the program folder's history
    HistoryStore history(
        [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    std::mt19937 random(20260301);
    std::uniform_real_distribution<double> noise(-1, 1);
    std::exponential_distribution<double> gap(1.0 / (9 * kDay));
    std::uniform_int_distribution<int> length(60, 40 * 60);
    Generated g;
    std::vector<HistorySample> batch;
    auto flush = [&] {
        history.AddSamples(batch);
        batch.clear();
    };
    std::int64_t nextOutage = now - kYear + static_cast<std::int64_t>(gap(random));
    double charge = 100;
    for (std::int64_t t = now - kYear; t <= now;) {
        // A load that drifts over the weeks, with a little daily rhythm.
        const double load = 35 + 8 * std::sin(static_cast<double>(t) / (23 * kDay)) +
                            2 * std::sin(static_cast<double>(t % kDay) / kDay * 2 * M_PI) +
                            noise(random);
        if (t >= nextOutage) {
            // An outage: events as the agent logs them, samples every 2 s
            // (kept at the density of their age), the battery draining.
            flush();
            const std::int64_t end = t + length(random);
            const double fullRuntime =
                3000 * 35 / load * (1 - 0.15 * double(t - now + kYear) / kYear);
            history.AddEvent(t, "power-fail", "Power failure");
            history.AddEvent(t, "countdown", "Shutdown countdown started: 600 s (power failure)");
            for (std::int64_t s = t; s < end; s += std::max<std::int64_t>(2, Step(now - s))) {
                const double left = std::max(0.0, fullRuntime * charge / 100 - double(s - t));
                batch.push_back({s, charge, load, 0.0, 230.0, 0.0, 24.5, static_cast<int>(left),
                                 31.0, UPS_ACFAIL});
                charge = std::max(5.0, 100 - 100 * double(s - t) / fullRuntime);
            }
            flush();
            history.AddEvent(end, "power-back", "Power restored");
            history.AddEvent(end, "countdown-end",
                             "Shutdown countdown ended: power restored (power failure)");
            ++g.outages;
            nextOutage = end + static_cast<std::int64_t>(gap(random)) + kDay / 4;
            t = end;
            continue;
        }
        charge = std::min(100.0, charge + 0.005 * static_cast<double>(Step(now - t)));
        batch.push_back({t, charge, load, 230 + 3 * noise(random), 230.0, 50.0, 27.2,
                         static_cast<int>(3000 * 35 / load), 30 + noise(random), 0});
        if (batch.size() >= 2000) flush(); // each commit within the writer's budget
        // On the first second of the bucket the thinning keeps.
        const std::int64_t step = Step(now - t);
        t = (t / step + 1) * step;
    }
    flush();
    history.Thin(now);
    return g;
}

long long FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<long long>(size);
}

} // namespace

int main(int argc, char** argv) {
    std::string folder, snapshot, rangeName = "year";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--folder"))
            folder = argv[i + 1];
        else if (!std::strcmp(argv[i], "--snapshot"))
            snapshot = argv[i + 1];
        else if (!std::strcmp(argv[i], "--range"))
            rangeName = argv[i + 1];
    }
    const char* names[] = {"hour", "day", "week", "month", "year"};
    const auto found = std::find(std::begin(names), std::end(names), rangeName);
    if (found == std::end(names))
        return std::fprintf(stderr, "unknown range %s\n", rangeName.c_str()), 2;
    const auto range = static_cast<HistoryRange>(found - std::begin(names));
    const bool temporary = folder.empty();
    if (temporary) {
        char pattern[] = "/tmp/history-bench-XXXXXX";
        if (!mkdtemp(pattern)) return std::perror("mkdtemp"), 1;
        folder = pattern;
    }
    std::filesystem::create_directories(folder);
    std::string error;
    if (!SetCurDir(folder.c_str(), &error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
    QApplication app(argc, argv);

    const std::int64_t now = CurrentTime();
    const std::string db = folder + "/" + History::FileName;
    if (FileSize(db) == 0) {
        QElapsedTimer write;
        write.start();
        const Generated g = WriteYear(folder, now);
        std::printf("wrote a year: %lld outages in %.1f s\n", g.outages,
                    static_cast<double>(write.elapsed()) / 1000);
    }
    std::printf("database: %.1f MB (%s)\n", static_cast<double>(FileSize(db)) / 1e6, db.c_str());

    // The window as the menu opens it (on the last day) to its first paint;
    // then the chosen range selected, and painted; then a refresh.
    std::vector<double> opens, selects, refreshes, reads;
    auto ms = [](const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; };
    // A read runs on a worker: a step ends when its answer is on screen.
    auto answered = [](HistoryWindow* w) {
        while (w->Reading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
        w->repaint();
    };
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        HistoryWindow* w = OpenHistoryWindow();
        answered(w);
        opens.push_back(ms(timer));
        timer.restart();
        w->SetRange(range);
        answered(w);
        selects.push_back(ms(timer));
        timer.restart();
        w->Refresh();
        answered(w);
        refreshes.push_back(ms(timer));
        timer.restart();
        ReadHistory(db, range, CurrentTime());
        reads.push_back(ms(timer));
        std::printf("run %d: open %.0f ms, %s %.0f ms, refresh %.0f ms; %zu points, %d outages, "
                    "%zu full-battery starts\n",
                    run, opens.back(), HistoryRangeName(range).c_str(), selects.back(),
                    refreshes.back(), w->View().points.size(), w->View().outages.count,
                    w->View().fullStarts.size());
        if (run == 0 && !snapshot.empty()) {
            w->ShowValuesAt(w->View().to - HistoryRangeSeconds(range) / 3);
            QApplication::processEvents(); // the legend follows the refresh's new pieces
            w->grab().save(QString::fromStdString(snapshot));
        }
        delete w;
        QApplication::processEvents();
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("median of 7: open %.0f ms, %s selected %.0f ms, refresh %.0f ms, of which the "
                "database read %.0f ms (target: under 500 ms)\n",
                median(opens), HistoryRangeName(range).c_str(), median(selects), median(refreshes),
                median(reads));
    // The -wal and -shm the agent leaves while it runs would count too;
    // here it has closed, so the file is all.
    if (temporary) std::filesystem::remove_all(folder);
    return 0;
}
