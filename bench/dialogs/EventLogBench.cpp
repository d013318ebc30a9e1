// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the event log window on a log of 100,000 lines: reading the file,
// building the list newest-first and showing it, as the 'elog' command does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dialogs.h"
#include "Events.h"
#include "Folder.h"
#include "List.h"
#include "Windows.h"
#include "file.h"

namespace {

std::string folder;

void WriteLog(long lines) {
    std::FILE* f = std::fopen(FolderFile(LogFileName).c_str(), "w");
    for (long i = 0; i < lines; ++i)
        std::fprintf(f,
                     "%c 2026/06/%02ld %02ld:%02ld:%02ld Power failure, running on battery (%ld)\n",
                     i % 2 ? 'A' : 'B', i % 28 + 1, i % 24, i % 60, (i * 7) % 60, i);
    std::fclose(f);
}

void CloseLogWindow() {
    ToolboxEvent close;
    close.eventClass = kEventClassWindow;
    close.eventKind = kEventWindowClose;
    close.window = LogWindow;
    SendEventToEventTarget(&close, GetWindowEventTarget(LogWindow));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenEventLog(benchmark::State& state) {
    WriteLog(state.range(0));
    for (auto _ : state) {
        OpenDialogWindow(FourCharCode("elog"));
        QCoreApplication::processEvents(); // first layout and paint
        benchmark::DoNotOptimize(GetListRowCount(ListIP));
        state.PauseTiming();
        if (GetListRowCount(ListIP) != state.range(0)) state.SkipWithError("rows missing");
        CloseLogWindow();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenEventLog)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    char tmpl[] = "/tmp/corvanta-bench-XXXXXX";
    folder = mkdtemp(tmpl);
    std::string error;
    SetCurDir(folder.c_str(), &error);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(FolderFile(LogFileName).c_str());
    std::remove(folder.c_str());
    return 0;
}
