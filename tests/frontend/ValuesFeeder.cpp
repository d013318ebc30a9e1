// Plays the agent's part for tests and measurements: rewrites ZAN_VAL.DAT in
// a folder at a fixed interval for a number of seconds.
//   values_feeder DIR SECONDS [--interval MS] [--status HEX] [--battery TENTHS]
//                 [--downtime S] [--support HEX] [--open 0|1]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "AgentLock.h"
#include "file.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: values_feeder DIR SECONDS [options]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const double seconds = std::atof(argv[2]);
    int intervalMs = 1000;
    UPSVal val{};
    val.flag_OpenUPS = 1;
    val.SupportItem = 0x2000E01F; // battery, frequency, input and output readings, temperature
    val.ItemVal[0] = 1365;
    val.ItemVal[1] = 12;
    val.ItemVal[2] = 1000;
    val.ItemVal[3] = 500;
    val.ItemVal[4] = 2301;
    val.ItemVal[12] = 500;
    val.ItemVal[13] = 2299;
    val.ItemVal[14] = 14;
    val.ItemVal[15] = 310;
    val.ItemVal[29] = 285;
    val.DownTime = -1;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        const char* v = argv[i + 1];
        if (opt == "--interval")
            intervalMs = std::atoi(v);
        else if (opt == "--status")
            val.StatusFlag.AllSts = static_cast<std::int32_t>(std::strtoul(v, nullptr, 16));
        else if (opt == "--battery")
            val.ItemVal[2] = static_cast<short>(std::atoi(v));
        else if (opt == "--downtime")
            val.DownTime = static_cast<short>(std::atoi(v));
        else if (opt == "--support")
            val.SupportItem = static_cast<std::int32_t>(std::strtoul(v, nullptr, 16));
        else if (opt == "--open")
            val.flag_OpenUPS = static_cast<short>(std::atoi(v));
    }
    // Held as the agent holds it, so the monitor sees an agent running.
    AgentFolderLock lock;
    std::string error;
    if (lock.Take(folder, &error) != AgentFolderLock::Result::Taken) {
        std::fprintf(stderr, "values_feeder: %s\n",
                     error.empty() ? "folder locked" : error.c_str());
        return 1;
    }
    std::uint8_t image[UPSValImageSize];
    const std::string path = folder + "/" + ValuesFileName;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        EncodeUPSVal(val, image);
        WriteFileAtomic(path, image, sizeof image);
        // A countdown the agent reports runs down as the agent's would.
        if (val.DownTime > 0 && intervalMs >= 1000) --val.DownTime;
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }
    return 0;
}
