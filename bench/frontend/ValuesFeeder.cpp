// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the agent's part for the measurements in bench/frontend: holds the
// agent's lock and rewrites ZAN_VAL.DAT, a UPS on mains, at a fixed interval
// for a number of seconds.
//   values_feeder DIR SECONDS [--interval MS]
#include <chrono>
#include <cstdlib>
#include <thread>

#include "AgentLock.h"
#include "file.h"

int main(int argc, char** argv) {
    AgentFolderLock lock;
    std::string error;
    if (argc < 3 || lock.Take(argv[1], &error) != AgentFolderLock::Result::Taken) {
        std::fprintf(stderr, "usage: values_feeder DIR SECONDS [--interval MS] %s\n",
                     error.c_str());
        return 2;
    }
    UPSVal val{};
    val.flag_OpenUPS = 1;
    val.SupportItem = 0x2000E01F; // battery, frequency, input and output readings, temperature
    const std::pair<int, short> items[] = {{0, 1365}, {1, 12},    {2, 1000}, {3, 500},  {4, 2301},
                                           {12, 500}, {13, 2299}, {14, 14},  {15, 310}, {29, 285}};
    for (const auto& [item, reading] : items)
        val.ItemVal[item] = reading;
    val.DownTime = -1;
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(val, image);
    const std::chrono::milliseconds interval(argc > 4 ? std::atoi(argv[4]) : 1000);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[2]));
    for (; std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(interval))
        WriteFileAtomic(std::string(argv[1]) + "/" + ValuesFileName, image, sizeof image);
    return 0;
}
