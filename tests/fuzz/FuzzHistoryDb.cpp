// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The power history as the agent opens it, on any bytes: written as the
// database in a private folder, opened by the agent's writer (which keeps
// it, or moves it aside and begins afresh) and a sample written. Whatever
// the file holds, the open returns, a sample the writer reports as written
// is there to count, and SQLite stays under its memory cap.
#include <sqlite3.h>

#include "FuzzSupport.h"
#include "History.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = corvanta_fuzz::UseFuzzFolder();
    // What the last run moved aside, and its side files, go first.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        std::filesystem::remove_all(entry.path(), ec);
    corvanta_fuzz::WriteWhole(folder + "/" + HistoryFileName, data, size);
    HistorySample s;
    s.time = 1773144000;
    s.charge = 50;
    {
        HistoryStore store(nullptr);
        if (store.AddSample(s)) FUZZ_CHECK(store.SampleCount(s.time, s.time + 1) == 1);
    }
    FUZZ_CHECK(sqlite3_memory_highwater(1) <= HistoryDb::HeapLimit);
    return 0;
}
