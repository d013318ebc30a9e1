// The repeating timer: first firing after its delay, then at its interval;
// the folder watch.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "FolderWatch.h"
#include "RunLoop.h"

namespace {
int gFirings = 0;
void Count(EventLoopTimerRef, void* userData) {
    ++gFirings;
    *static_cast<int*>(userData) += 1;
}
} // namespace

TEST(RunLoopTest, ImmediateFirstFiringThenRepeats) {
    gFirings = 0;
    int mine = 0;
    EventLoopTimerRef timer = nullptr;
    ASSERT_EQ(InstallEventLoopTimer(GetCurrentEventLoop(), 0.0, 0.02, Count, &mine, &timer), noErr);
    QElapsedTimer clock;
    clock.start();
    while (gFirings < 3 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    RemoveEventLoopTimer(timer);
    EXPECT_GE(gFirings, 3);
    EXPECT_EQ(mine, gFirings);
}

// The folder watch reports the watched name only: replaced by a rename,
// rewritten in place, removed; other files of the folder are passed over.
TEST(RunLoopTest, FolderWatchSeesItsFileOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    int seen = 0;
    ASSERT_TRUE(WatchFolderFile(folder, "watched", [&] { ++seen; }));
    auto settle = [&](int want, int waitMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (seen < want && clock.elapsed() < waitMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents(); // anything more would show now
        return seen;
    };
    const auto write = [&](const std::string& name) {
        std::FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
        std::fputs("x", f);
        std::fclose(f);
    };
    write("other");
    write("watched.tmp");
    ASSERT_EQ(std::rename((folder + "/watched.tmp").c_str(), (folder + "/watched").c_str()), 0);
    EXPECT_EQ(settle(1), 1);
    write("watched");
    EXPECT_EQ(settle(2), 2);
    std::remove((folder + "/watched").c_str());
    EXPECT_EQ(settle(3), 3);
    StopWatchingFolderFile();
    write("watched");
    EXPECT_EQ(settle(4, 300), 3);
}
