// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One tick with unchanged values: read the values file, compare, evaluate the
// status word, leave the countdown alone; then the same with the tray and the
// notifier following. Nothing is painted: no events are
// processed between ticks.
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>

#include "AgentLock.h"
#include "Clock.h"
#include "CoreTesting.h"
#include "Desktop.h"
#include "Folder.h"
#include "MonitorTesting.h"
#include "file.h"
#include "monitor.h"

namespace {

void WriteValues(const QString& folder) {
    UPSVal val{};
    val.flag_OpenUPS = 1;
    val.SupportItem = 0x0000E01F;
    val.ItemVal[0] = 1365;
    val.ItemVal[2] = 1000;
    val.ItemVal[3] = 500;
    val.ItemVal[4] = 2301;
    val.ItemVal[13] = 2299;
    val.ItemVal[15] = 310;
    val.DownTime = -1;
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(val, image);
    const QByteArray path = (folder + "/ZAN_VAL.DAT").toLocal8Bit();
    std::FILE* out = std::fopen(path.constData(), "wb");
    std::fwrite(image, 1, sizeof image, out);
    std::fclose(out);
}

void BM_TickUnchangedValues(benchmark::State& state) {
    QTemporaryDir dir;
    std::string error;
    InitProgramFolder(dir.path().toLocal8Bit().constData(), &error);
    SetTestTime(2026, 6, 1, 12, 0, 0);
    // An agent runs on the folder: the reader believes its file.
    AgentFolderLock lock;
    lock.Take(CurDir, &error);
    ResetMonitorState();
    ResetReadUPSValState();
    if (!MainWindow) StartMonitor();
    // Argument 1: with the tray icon and the notifier following each tick.
    if (state.range(0) == 1) StartDesktop(true);
    MyTimer(nullptr, nullptr); // the minute tick
    WriteValues(dir.path());
    MyTimer(nullptr, nullptr); // values and status settle
    MyTimer(nullptr, nullptr);
    for (auto _ : state)
        MyTimer(nullptr, nullptr);
    ClearTestTime();
}
BENCHMARK(BM_TickUnchangedValues)->Arg(0)->Arg(1)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
