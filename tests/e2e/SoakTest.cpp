// Soak: the agent flaps the mains every three seconds while the monitor
// runs. Nothing may crash, the values file may never be read short or found
// missing once running, and neither process may grow by 2 MB or more.
// CORVANTA_SOAK_SECONDS sets the length (default 60).
#include <atomic>

#include "E2eSupport.h"

namespace e2e {
namespace {

// Resident memory in kB (VmRSS), -1 when unknown.
long RssKb(const Child& child) {
    const std::string status = ReadFile("/proc/" + std::to_string(child.Pid) + "/status");
    const std::size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

class Soak : public E2eTest {};

TEST_F(Soak, FlappingPowerWithTheMonitorRunning) {
    int total = 60;
    if (const char* s = std::getenv("CORVANTA_SOAK_SECONDS")) total = std::max(20, std::atoi(s));
    StartAgent(ReadFile(CORVANTA_FLAP_SCENARIO));
    ASSERT_TRUE(WaitForValues(Open));
    Child& monitor = StartMonitor();
    const std::vector<Child*> procs{&agent_, &monitor};

    // A reader as eager as a monitor can be: every few milliseconds. Counting
    // starts after the start has settled (a monitor deletes a stale values
    // file at its first read).
    std::atomic<bool> stop{false}, counting{false};
    std::atomic<long> reads{0}, shortReads{0}, missing{0};
    std::thread reader([&] {
        for (UPSVal v{}; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(3))) {
            const int n = ReadValues(Path(ValuesFileName), &v);
            if (!counting) continue;
            ++reads;
            missing += n < 0;
            shortReads += n >= 0 && n != UPSValImageSize;
        }
    });
    std::this_thread::sleep_for(seconds(10));
    counting = true;
    std::vector<long> start, end;
    for (const Child* c : procs)
        start.push_back(RssKb(*c));
    std::this_thread::sleep_for(seconds(total - 10));
    for (const Child* c : procs)
        end.push_back(RssKb(*c));
    stop = true;
    reader.join();

    std::cout << "soak " << total << " s: " << reads.load() << " reads";
    for (std::size_t i = 0; i < procs.size(); ++i) {
        std::cout << (i ? ", monitor " : ", agent ") << start[i] << " -> " << end[i] << " kB";
        EXPECT_TRUE(Alive(*procs[i])) << (i ? ReadFile(Path("monitor.out")) : "the agent died");
        EXPECT_LT(end[i] - start[i], 2048);
    }
    std::cout << "\n";
    EXPECT_EQ((std::vector<long>{shortReads, missing}), (std::vector<long>{0, 0}));
    EXPECT_GT(reads.load(), 100);
    // The flapping was seen and logged, and the log kept within its bounds.
    EXPECT_LE(corvanta_test::SplitLines(ReadFile(Path(LogFileName))).size(), 1000u);
    EXPECT_TRUE(LogHas("Power failure: running on battery") && LogHas("Power restored"));
    EXPECT_EQ(Terminate(agent_), 0);
}

} // namespace
} // namespace e2e
