// Soak: the agent flaps the mains every three seconds while the monitor
// runs. Nothing may crash, the values file may never be read short or found
// missing once running, and neither process may grow by 2 MB or more.
// CORVANTA_SOAK_SECONDS sets the length (default 60).
#include <atomic>
#include <cstdlib>
#include <thread>

#include "E2eSupport.h"
#include "file.h"

namespace e2e {
namespace {

using std::chrono::seconds;

class Soak : public E2eTest {};

TEST_F(Soak, FlappingPowerWithTheMonitorRunning) {
    int total = 60;
    if (const char* s = std::getenv("CORVANTA_SOAK_SECONDS")) total = std::max(20, std::atoi(s));
    const int warmUp = 10;

    StartAgent(ReadFile(CORVANTA_FLAP_SCENARIO));
    ASSERT_TRUE(WaitForValues([](const UPSVal& v) { return v.flag_OpenUPS == 1; }, seconds(5)));
    Child monitor;
    bool withMonitor = MonitorBinary[0] != '\0';
    if (withMonitor) {
        monitor = Spawn({MonitorBinary, "--folder", Folder()}, Path("monitor.out"),
                        {{"QT_QPA_PLATFORM", "offscreen"}});
        children_.push_back(&monitor);
        ASSERT_GT(monitor.Pid, 0);
    } else {
        std::cerr << "corvanta-monitor is not built: soaking the agent alone\n";
    }

    // A reader as eager as a monitor can be: every few milliseconds.
    std::atomic<bool> stop{false};
    std::atomic<long> reads{0}, shortReads{0}, missing{0};
    std::atomic<bool> counting{false};
    std::thread reader([&] {
        while (!stop) {
            UPSVal v{};
            int n = ReadValues(Path(ValuesFileName), &v);
            if (counting) {
                ++reads;
                if (n < 0)
                    ++missing;
                else if (n != UPSValImageSize)
                    ++shortReads;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });

    // Let the start settle (a monitor deletes a stale values file at its
    // first read); count after that.
    std::this_thread::sleep_for(seconds(warmUp));
    counting = true;
    long agentStart = RssKb(agent_.Pid);
    long monitorStart = withMonitor ? RssKb(monitor.Pid) : 0;
    std::this_thread::sleep_for(seconds(total - warmUp));
    long agentEnd = RssKb(agent_.Pid);
    long monitorEnd = withMonitor ? RssKb(monitor.Pid) : 0;
    stop = true;
    reader.join();

    EXPECT_TRUE(Alive(agent_)) << "the agent died";
    if (withMonitor) {
        EXPECT_TRUE(Alive(monitor)) << "the monitor died:\n" << ReadFile(Path("monitor.out"));
    }
    EXPECT_EQ(shortReads.load(), 0);
    EXPECT_EQ(missing.load(), 0);
    EXPECT_GT(reads.load(), 100);
    EXPECT_LT(agentEnd - agentStart, 2048) << agentStart << " kB -> " << agentEnd << " kB";
    if (withMonitor) {
        EXPECT_LT(monitorEnd - monitorStart, 2048)
            << monitorStart << " kB -> " << monitorEnd << " kB";
    }
    std::cout << "soak " << total << " s: " << reads.load() << " reads, agent " << agentStart
              << " -> " << agentEnd << " kB";
    if (withMonitor) std::cout << ", monitor " << monitorStart << " -> " << monitorEnd << " kB";
    std::cout << "\n";

    // The flapping was seen and logged, and the log kept within its bounds.
    std::vector<std::string> lines = Lines(ReadFile(Path(LogFileName)));
    EXPECT_LE(lines.size(), 1000u);
    EXPECT_TRUE(LogHas("Power failure: running on battery"));
    EXPECT_TRUE(LogHas("Power restored"));
    EXPECT_EQ(Terminate(agent_, seconds(3)), 0);
}

} // namespace
} // namespace e2e
