// The calendar readers on any file: loading, every lookup, the next-event
// search with its roll or deletion, and the roll itself, without overrun;
// texts stay within 16 characters and a roll always leaves 4465 lines.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "Clock.h"
#include "FuzzSupport.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = corvanta_fuzz::UseFuzzFolder();
    const std::string path = folder + "/" + CalendarFileName;

    // The moment: 2024 (the year the seeds are written for), month, day and
    // hour from the input's last bytes.
    int month = 5, day = 15, hour = 10;
    if (size >= 3) {
        month = data[size - 3] % 12 + 1;
        day = data[size - 2] % GetMonthDays(2024, month) + 1;
        hour = data[size - 1] % 24;
    }
    SetTestTime(2024, month, day, hour, 30, 0);

    corvanta_fuzz::WriteWhole(path, data, size);
    LoadSchedule();
    FUZZ_CHECK(PtSchedule != nullptr);
    FreeSchedule();

    if (OpenRSchedule()) {
        const int m = size ? data[0] % 24 + 1 : 1;
        const int d = size > 1 ? data[1] % 31 + 1 : 1;
        const int k = size > 2 ? data[2] % 6 : 0;
        GetSchedule(m, d, k);
        for (int i = 0; i < 8; ++i)
            GetNextSchedule();
        GetSchedule(24, 31, 5);
        GetNextSchedule();
        CloseSchedule();
    }

    corvanta_fuzz::WriteWhole(path, data, size);
    ResetScheduleState();
    GetNext();
    for (const char* t : {NextShutString, NextRestartString, NextTestString, NextDeepTestString})
        FUZZ_CHECK(strnlen(t, 17) <= 16);
    FUZZ_CHECK(NextShutdown.Year == 0 || NextShutdown.Year == 2024 || NextShutdown.Year == 2025);

    corvanta_fuzz::WriteWhole(path, data, size);
    StartYear = 2024;
    SchedulePlus1Year();
    const std::string rolled = corvanta_fuzz::ReadWhole(path);
    FUZZ_CHECK(rolled.compare(0, 5, "2024\n") == 0);
    FUZZ_CHECK(corvanta_fuzz::CountLines(rolled) == 4465);
    std::remove((folder + "/" + CalendarTempFileName).c_str());
    std::remove(path.c_str());
    ClearTestTime();
    return 0;
}
