// The repeating timer: first firing after its delay, then at its interval.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

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
