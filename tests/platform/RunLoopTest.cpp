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

// The folder watch reports its own file only: renamed into place, removed.
TEST(RunLoopTest, FolderWatchSeesItsFileOnly) {
    QTemporaryDir dir;
    const std::string at = dir.path().toStdString() + "/";
    int seen = 0;
    ASSERT_TRUE(WatchFolderFile(dir.path().toStdString(), "watched", [&] { ++seen; }));
    std::fclose(std::fopen((at + "other").c_str(), "wb"));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 200);
    EXPECT_EQ(seen, 0);
    std::fclose(std::fopen((at + "watched.tmp").c_str(), "wb"));
    ASSERT_EQ(std::rename((at + "watched.tmp").c_str(), (at + "watched").c_str()), 0);
    std::remove((at + "watched").c_str());
    QElapsedTimer clock;
    clock.start();
    while (seen == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    StopWatchingFolderFile();
    EXPECT_EQ(seen, 1) << "one call for the queued events of one file";
}
