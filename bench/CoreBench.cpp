// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the core's hot paths: the values read of every tick, the
// next-event search of every minute tick (also on a 1 GiB calendar), and the schedule window's load
// and save of the whole calendar.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "AgentLock.h"
#include "Clock.h"
#include "CoreTesting.h"
#include "Folder.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

namespace {

// A private program folder for one benchmark, removed afterwards.
class BenchFolder {
  public:
    BenchFolder() {
        char tmpl[] = "/tmp/corvanta-bench-XXXXXX";
        if (char* made = mkdtemp(tmpl)) path_ = made;
        std::string error;
        if (path_.empty() || !SetCurDir(path_.c_str(), &error)) std::abort();
    }
    ~BenchFolder() {
        for (const char* name : {SettingsFileName, ValuesFileName, CommandFileName,
                                 CalendarFileName, CalendarTempFileName})
            std::remove((path_ + "/" + name).c_str());
        rmdir(path_.c_str());
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::string File(const char* name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, const void* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// A calendar of the given base year whose every row holds the given text.
void WriteCalendarOf(const std::string& path, int year, const char* row) {
    std::string text = std::to_string(year) + "\n";
    for (int r = 0; r < ScheduleRows; ++r)
        text += row;
    WriteBytes(path, text.data(), text.size());
}

void BM_ReadUPSVal(benchmark::State& state) {
    BenchFolder folder;
    // An agent runs on the folder: the reader believes its file.
    AgentFolderLock lock;
    std::string error;
    lock.Take(CurDir, &error);
    ResetReadUPSValState();
    ReadUPSVal(); // the first read of a run: get it out of the way
    UPSVal v{};
    v.flag_OpenUPS = 1;
    v.SupportItem = 0x3FFFFFFF;
    for (int i = 0; i < ItemCount; ++i)
        v.ItemVal[i] = static_cast<short>(1000 + i);
    v.DownTime = -1;
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(v, image);
    WriteBytes(folder.File(ValuesFileName), image, sizeof image);
    for (auto _ : state) {
        ReadUPSVal();
        benchmark::DoNotOptimize(PtUPSVal.ItemVal[2]);
    }
    ResetReadUPSValState();
}
BENCHMARK(BM_ReadUPSVal)->Unit(benchmark::kMicrosecond);

// The worst case of the search: a full calendar in which no row matches any
// of the four kinds, so each kind reads every row from today to the end.
void BM_GetNext_FullCalendarNoMatch(benchmark::State& state) {
    BenchFolder folder;
    SetTestTime(2024, 1, 1, 0, 0, 0);
    WriteCalendarOf(folder.File(CalendarFileName), 2024, "5\t23\t59\n");
    for (auto _ : state) {
        GetNext();
        benchmark::DoNotOptimize(NextShutdown.Year);
    }
    ClearTestTime();
    ResetScheduleState();
}
BENCHMARK(BM_GetNext_FullCalendarNoMatch)->Unit(benchmark::kMicrosecond);

// A full calendar of matching entries: each kind stops after a few rows.
void BM_GetNext_FullCalendarEarlyMatch(benchmark::State& state) {
    BenchFolder folder;
    SetTestTime(2024, 1, 1, 0, 0, 0);
    std::string text = "2024\n";
    for (int r = 0; r < ScheduleRows; ++r)
        text += std::to_string(r % 4 + 1) + "\t23\t55\n";
    WriteBytes(folder.File(CalendarFileName), text.data(), text.size());
    for (auto _ : state) {
        GetNext();
        benchmark::DoNotOptimize(NextShutdown.Year);
    }
    ClearTestTime();
    ResetScheduleState();
}
BENCHMARK(BM_GetNext_FullCalendarEarlyMatch)->Unit(benchmark::kMicrosecond);

// A 1 GiB calendar of this year whose rows are all as long as one read
// takes (a hole of NULs after line 1, so it costs no disk): the search
// reads only the rows it needs, 255 bytes each, and never the rest.
void BM_GetNext_OneGibCalendar(benchmark::State& state) {
    BenchFolder folder;
    SetTestTime(2024, 1, 1, 0, 0, 0);
    const std::string path = folder.File(CalendarFileName);
    WriteBytes(path, "2024\n", 5);
    if (truncate(path.c_str(), off_t{1} << 30) != 0) std::abort();
    for (auto _ : state) {
        GetNext();
        benchmark::DoNotOptimize(NextShutdown.Year);
    }
    ClearTestTime();
    ResetScheduleState();
}
BENCHMARK(BM_GetNext_OneGibCalendar)->Unit(benchmark::kMicrosecond);

// The schedule window's open and save: load all 4464 rows, write them back
// (with the command file).
void BM_LoadWriteSchedule(benchmark::State& state) {
    BenchFolder folder;
    SetTestTime(2024, 5, 15, 10, 0, 0);
    WriteCalendarOf(folder.File(CalendarFileName), 2024, "1\t23\t55\n");
    for (auto _ : state) {
        LoadSchedule();
        WriteSchedule();
        benchmark::DoNotOptimize(PtSchedule[0].Button);
    }
    FreeSchedule();
    ClearTestTime();
}
BENCHMARK(BM_LoadWriteSchedule)->Unit(benchmark::kMicrosecond);

} // namespace
