// Plays the agent's part for the measurements in bench/frontend: holds the
// folder's lock and rewrites ZAN_VAL.DAT at a fixed interval for a number of
// seconds, with the readings of a UPS on mains.
//   values_feeder DIR SECONDS [--interval MS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "AgentLock.h"
#include "file.h"

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--interval")) {
        std::fprintf(stderr, "usage: values_feeder DIR SECONDS [--interval MS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::chrono::milliseconds interval(argc == 5 ? std::atoi(argv[4]) : 1000);
    UPSVal val{};
    val.flag_OpenUPS = 1;
    val.SupportItem = 0x2000E01F; // battery, frequency, input and output readings, temperature
    const std::pair<int, short> items[] = {{0, 1365}, {1, 12},    {2, 1000}, {3, 500},  {4, 2301},
                                           {12, 500}, {13, 2299}, {14, 14},  {15, 310}, {29, 285}};
    for (const auto& [item, reading] : items)
        val.ItemVal[item] = reading;
    val.DownTime = -1;
    AgentFolderLock lock;
    std::string error;
    if (lock.Take(folder, &error) != AgentFolderLock::Result::Taken) {
        std::fprintf(stderr, "values_feeder: %s\n",
                     error.empty() ? "folder locked" : error.c_str());
        return 1;
    }
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(val, image);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[2]));
    while (std::chrono::steady_clock::now() < end) {
        WriteFileAtomic(folder + "/" + ValuesFileName, image, sizeof image);
        std::this_thread::sleep_for(interval);
    }
    return 0;
}
