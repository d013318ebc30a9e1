// The real corvanta-monitor on a temporary folder, fed a power failure with
// the battery at half charge and a countdown from the agent: its snapshot
// shows "Battery" in amber, the running countdown and a half-full gauge.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include "AgentLock.h"
#include "Folder.h"
#include "file.h"

namespace {

int Count(const QImage& img, QRgb colour, QRect* box = nullptr) {
    int n = 0;
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
                ++n;
                r = r.united(QRect(x, y, 1, 1));
            }
    if (box) *box = r;
    return n;
}

void Feed(const QString& folder, const UPSVal& val) {
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(val, image);
    WriteFileAtomic((folder + "/" + ValuesFileName).toStdString(), image, sizeof image);
}

} // namespace

TEST(SnapshotTest, PowerFailureOnHalfBattery) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    UPSVal val{};
    val.flag_OpenUPS = 1;
    val.SupportItem = (1 << 2) | (1 << 4) | (1 << 13);
    val.StatusFlag.AllSts = UPS_ACFAIL;
    val.ItemVal[2] = 500;
    val.ItemVal[4] = 0;
    val.ItemVal[13] = 2300;
    val.DownTime = 45;

    const QString png = dir.path() + "/snap.png";
    // The test plays a running agent, lock included.
    AgentFolderLock lock;
    std::string error;
    ASSERT_EQ(lock.Take(dir.path().toStdString(), &error), AgentFolderLock::Result::Taken) << error;
    QProcess monitor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("CORVANTA_FOLDER");
    monitor.setProcessEnvironment(env);
    monitor.start(CORVANTA_MONITOR_BIN,
                  {"--folder", dir.path(), "--snapshot", png, "--after", "3.5"});
    ASSERT_TRUE(monitor.waitForStarted(10000));
    // Play the agent, rewriting the file as it does.
    for (int i = 0; i < 300 && monitor.state() != QProcess::NotRunning; ++i) {
        Feed(dir.path(), val);
        monitor.waitForFinished(100);
    }
    ASSERT_EQ(monitor.state(), QProcess::NotRunning);
    EXPECT_EQ(monitor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(monitor.exitCode(), 0) << monitor.readAllStandardError().toStdString();

    QImage img(png);
    ASSERT_FALSE(img.isNull());
    img = img.convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(Count(img, qRgb(0xA0, 0xA0, 0x00)), 20) << "\"Battery\" in amber";
    EXPECT_GT(Count(img, qRgb(0xF0, 0x00, 0x00)), 20) << "a countdown in its last minute";
    EXPECT_GT(Count(img, qRgb(0xC0, 0x20, 0x20)), 100) << "the countdown's companion";
    QRect lit, dark;
    // Ten of twenty segments, each 4 pixels wide on a pitch of 5.
    EXPECT_EQ(Count(img, qRgb(0x70, 0xF0, 0x70), &lit) % 40, 0);
    EXPECT_EQ(lit.width(), 49);
    EXPECT_GE(Count(img, qRgb(0xE0, 0xE0, 0xE0), &dark), lit.height() * 40);
    EXPECT_GT(Count(img, qRgb(0xE0, 0x9A, 0x00)), 50) << "the power failure light";
    EXPECT_LT(Count(img, qRgb(0xF0, 0x70, 0x70)), 40) << "no red segment";
}

TEST(SnapshotTest, CommandLineAnswers) {
    struct Case {
        QStringList args;
        bool display;
        int exitCode;
        const char* stdoutStart; // nullptr: expect stderrHas on stderr
        const char* stderrHas = nullptr;
    };
    QTemporaryDir dir;
    const Case cases[] = {
        // Help, version and wrong options need no display.
        {{"--help"}, false, 0, "usage: corvanta-monitor"},
        {{"--version"}, false, 0, "corvanta-monitor "},
        {{"--bogus"}, false, 2, nullptr, "unknown option \"--bogus\""},
        {{"--bogus"}, true, 2, nullptr, "unknown option \"--bogus\""},
        {{"--snapshot", "x.png", "--after", "soon"}, true, 2, nullptr, "--after needs"},
        {{"--folder"}, false, 2, nullptr, "--folder needs a value"},
        {{"-platform", "offscreen", "--version"}, false, 0, "corvanta-monitor "},
        {{"--folder", dir.path(), "--snapshot", dir.path() + "/no/such/dir/x.png", "--after", "0"},
         true,
         1,
         nullptr,
         "cannot write the snapshot"},
    };
    for (const Case& c : cases) {
        QProcess monitor;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name);
        if (c.display) env.insert("QT_QPA_PLATFORM", "offscreen");
        monitor.setProcessEnvironment(env);
        monitor.start(CORVANTA_MONITOR_BIN, c.args);
        ASSERT_TRUE(monitor.waitForFinished(20000));
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(monitor.exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(monitor.exitCode(), c.exitCode) << what;
        if (c.stdoutStart)
            EXPECT_TRUE(monitor.readAllStandardOutput().startsWith(c.stdoutStart)) << what;
        else
            EXPECT_TRUE(monitor.readAllStandardError().contains(c.stderrHas)) << what;
    }
}
