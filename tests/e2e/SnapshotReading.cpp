#include "SnapshotReading.h"

#include <iostream>
#include <map>
#include <vector>

namespace e2e {

std::string StatusNames(const QImage& image) {
    // Rows holding a status colour form a line; each line takes its most
    // frequent colour.
    std::vector<QRgb> lines;
    std::map<QRgb, int> count;
    bool inLine = false;
    auto close = [&] {
        QRgb best = 0;
        int most = 0;
        for (auto [c, n] : count)
            if (n > most) {
                best = c;
                most = n;
            }
        lines.push_back(best);
        count.clear();
    };
    for (int y = StatusTexts.top(); y <= StatusTexts.bottom() && y < image.height(); ++y) {
        bool any = false;
        for (int x = StatusTexts.left(); x <= StatusTexts.right() && x < image.width(); ++x) {
            QRgb p = image.pixel(x, y) | 0xFF000000u;
            if (p == Good || p == Caution || p == Alarm) {
                ++count[p];
                any = true;
            }
        }
        if (any)
            inLine = true;
        else if (inLine) {
            close();
            inLine = false;
        }
    }
    if (inLine) close();
    if (lines.size() > 3) lines.resize(3); // the battery level's percentage follows
    std::string s;
    for (QRgb c : lines)
        s += c == Good ? "good " : c == Caution ? "caution " : c == Alarm ? "alarm " : "other ";
    return s;
}

int CountColour(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom() && y < image.height(); ++y)
        for (int x = r.left(); x <= r.right() && x < image.width(); ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == colour;
    return n;
}

void MonitorSnapshotTest::SetUp() {
    E2eTest::SetUp();
    if (MonitorBinary[0] == '\0') GTEST_SKIP() << "corvanta-monitor is not built";
}

Child& MonitorSnapshotTest::StartMonitor(const std::string& png, double after) {
    monitors_.push_back(std::make_unique<Child>());
    Child& m = *monitors_.back();
    m = Spawn({MonitorBinary, "--folder", Folder(), "--snapshot", Path(png), "--after",
               std::to_string(after)},
              Path(png + ".out"),
              // The folder is also the monitor's configuration home: no
              // preference of the user's reaches the test.
              {{"QT_QPA_PLATFORM", "offscreen"},
               {"XDG_RUNTIME_DIR", Folder()},
               {"XDG_CONFIG_HOME", Folder()}});
    children_.push_back(&m);
    EXPECT_GT(m.Pid, 0);
    return m;
}

QImage MonitorSnapshotTest::Snapshot(Child& monitor, const std::string& png) {
    EXPECT_EQ(WaitExit(monitor, std::chrono::seconds(60)), 0) << ReadFile(Path(png + ".out"));
    QImage image(QString::fromStdString(Path(png)));
    EXPECT_FALSE(image.isNull()) << png;
    if (!image.isNull() && HasFailure()) std::cerr << "snapshot kept in " << Path(png) << "\n";
    return image;
}

} // namespace e2e
