// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar readers on any file: loading, the next-event search (every
// lookup from today on) with its roll or deletion, and the roll itself,
// without overrun;
// texts stay within 16 characters and a roll always leaves 4465 lines and
// no temporary file.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "Clock.h"
#include "FuzzSupport.h"
#include "Schedule.h"
#include "ScheduleTesting.h"
#include "file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = corvanta_fuzz::UseFuzzFolder() + "/" + CalendarFileName;
    // The moment: 2024 (the year the seeds are written for), month, day and
    // hour from the input's last bytes.
    const auto byte = [&](std::size_t fromEnd, int otherwise) {
        return size >= 3 ? data[size - fromEnd] : otherwise;
    };
    const int month = byte(3, 4) % 12 + 1;
    SetTestTime(2024, month, byte(2, 14) % GetMonthDays(2024, month) + 1, byte(1, 10) % 24, 30);

    corvanta_fuzz::WriteWhole(path, data, size);
    LoadSchedule();
    FreeSchedule();

    corvanta_fuzz::WriteWhole(path, data, size);
    ResetScheduleState();
    GetNext();
    for (const char* t : {NextShutString, NextRestartString, NextTestString, NextDeepTestString})
        FUZZ_CHECK(strnlen(t, 17) <= 16);
    FUZZ_CHECK(NextShutdown.Year == 0 || NextShutdown.Year == 2024 || NextShutdown.Year == 2025);

    corvanta_fuzz::WriteWhole(path, data, size);
    StartYear = 2024;
    SchedulePlus1Year();
    std::ifstream in(path, std::ios::binary);
    const std::string rolled{std::istreambuf_iterator<char>(in), {}};
    FUZZ_CHECK(rolled.compare(0, 5, "2024\n") == 0);
    FUZZ_CHECK(std::count(rolled.begin(), rolled.end(), '\n') == 4465);
    FUZZ_CHECK(access(FolderFile(CalendarTempFileName).c_str(), F_OK) != 0); // none left
    std::remove(path.c_str());
    return 0;
}
