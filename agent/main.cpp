// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// corvanta-agent: start-up, signals and the one-second loop around Agent.
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "Agent.h"
#include "AgentLock.h"
#include "AgentLog.h"
#include "Alerts.h"
#include "Clock.h"
#include "CommandRunner.h"
#include "Folder.h"
#include "HistoryReport.h"
#include "Integrations.h"
#include "MqttLink.h"
#include "NetModule.h"
#include "NutUps.h"
#include "Options.h"
#include "Scenario.h"
#include "Security.h"
#include "SimulatedUps.h"
#include "TrustedProgram.h"

#ifndef CORVANTA_VERSION
#define CORVANTA_VERSION "0"
#endif

namespace {

volatile std::sig_atomic_t stopRequested = 0;
// The signal mask while waiting: the stop and reload signals are blocked at
// all other times, so one that comes during a step is taken by the next
// wait at once, never after a whole second, and never by another thread.
sigset_t waitMask;
volatile std::sig_atomic_t reloadRequested = 0;

void OnStop(int) {
    stopRequested = 1;
}
void OnReload(int) {
    reloadRequested = 1;
}

void InstallHandlers() {
    struct sigaction sa {};
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no restart: a signal cuts the sleep short
    sa.sa_handler = OnStop;
    for (int sig : {SIGTERM, SIGINT, SIGQUIT})
        sigaction(sig, &sa, nullptr);
    sa.sa_handler = OnReload;
    sigaction(SIGHUP, &sa, nullptr);
    // Every other signal that would end the agent by default is ignored:
    // ending without the last values file would leave a monitor showing a
    // live UPS that nobody watches. Faults (SIGSEGV, SIGABRT, ...) keep
    // their default, and started programs get all defaults back.
    sa.sa_handler = SIG_IGN;
    for (int sig : {SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGIO, SIGPWR,
                    SIGSTKFLT, SIGXCPU, SIGXFSZ})
        sigaction(sig, &sa, nullptr);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        sigaction(sig, &sa, nullptr);
}

// Waits until just after the next whole wall-clock second, a signal, or
// news from the UPS source (wake, -1: none). True when the source woke us.
// The margin matters: time() reads a coarse clock that can lag a few
// milliseconds, and a step must never be stamped with the second before it.
bool WaitForNextSecond(int wake) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    long long left = 1'020'000'000LL - now.tv_nsec; // nanoseconds to .020 past the next second
    timespec timeout{static_cast<time_t>(left / 1'000'000'000),
                     static_cast<long>(left % 1'000'000'000)};
    pollfd fd{wake, POLLIN, 0};
    if (::ppoll(&fd, wake >= 0 ? 1 : 0, &timeout, &waitMask) <= 0) return false;
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t n = ::read(wake, &count, sizeof count); // drained: one wake per news
    return true;
}

int Fail(const std::string& text, int code) {
    std::fprintf(stderr, "corvanta-agent: %s\n", text.c_str());
    if (code == 2) std::fprintf(stderr, "Try 'corvanta-agent --help'.\n");
    return code;
}

} // namespace

int main(int argc, char** argv) {
    AgentCommandLine cl;
    std::string message;
    switch (ParseAgentCommandLine(argc, argv, &cl, &message)) {
    case ParseOutcome::ShowHelp:
        std::fputs(message.c_str(), stdout);
        return 0;
    case ParseOutcome::ShowVersion:
        std::printf("corvanta-agent %s\n", CORVANTA_VERSION);
        return 0;
    case ParseOutcome::BadUsage:
        return Fail(message, 2);
    case ParseOutcome::Run:
        break;
    }

    std::string error;
    if (!InitProgramFolder(cl.HasFolder ? cl.Folder.c_str() : nullptr, &error))
        return Fail(error, 2);
    const char* folder = CurDir[0] ? CurDir : "/";
    // Every file of the folder goes through one handle from here on: a
    // rename of the folder or of a parent cannot send a write elsewhere.
    UseFolderHandle(false);
    // Lets end-to-end tests put the agent on a chosen date and time; the
    // clock then runs on from there in real time.
    if (const char* start = std::getenv("CORVANTA_TEST_TIME"); start && *start) {
        int t[6];
        if (!ParseStartTime(start, t))
            return Fail(std::string("CORVANTA_TEST_TIME: expected YYYY-MM-DD HH:MM:SS, got '") +
                            start + "'",
                        2);
        SetTestTime(t[0], t[1], t[2], t[3], t[4], t[5]);
    }

    // Only reads: no folder created, no lock taken.
    if (cl.HistoryReport)
        return PrintHistoryReport(folder, cl.Since, CurrentTime(), cl.Csv, stdout, stderr);
    Scenario scenario;
    if (!cl.Nut.empty()) {
        // the scenario stays unused
    } else if (cl.ScenarioFile.empty()) {
        if (!ParseScenario(DefaultScenarioText(), &scenario, &error))
            return Fail("built-in scenario: " + error, 1);
    } else if (!LoadScenarioFile(cl.ScenarioFile, &scenario, &error)) {
        return Fail(error, 2);
    }

    if (!cl.ShutdownCommand.empty() &&
        !OpenTrustedProgram(cl.ShutdownCommand[0], ::geteuid(), &error))
        return Fail("--shutdown-command: " + cl.ShutdownCommand[0] + " " + error, 2);
    for (const std::string& program : cl.OnEvent)
        if (!OpenTrustedProgram(program, ::geteuid(), &error))
            return Fail("--on-event: " + program + " " + error, 2);

    AlertsConfig alerts;
    if (!cl.Alerts.empty() && !LoadAlertsConfig(cl.Alerts, &alerts, &error))
        return Fail("--alerts: " + error, 2);

    // Made only now: a mistyped option or a missing file leaves no folder
    // behind.
    struct stat st {};
    if (::stat(folder, &st) != 0) {
        if (::mkdir(folder, 0755) != 0)
            return Fail("cannot create the program folder " + ShownPath(folder) + ": " +
                            std::strerror(errno),
                        1);
    } else if (!S_ISDIR(st.st_mode)) {
        return Fail(ShownPath(folder) + " is not a folder", 2);
    }

    // One agent per folder: two would fight over the values file and could
    // both shut the computer down.
    AgentFolderLock lock;
    if (lock.Take(folder, &error) != AgentFolderLock::Result::Taken) {
        // Said in the event log as well: a service's standard error is
        // seldom read. The running agent's line limit is not known here; the
        // widest trims nothing it keeps.
        AgentLog log(FolderFile(LogFileName));
        log.SetLimit(SHRT_MAX);
        log.Append(LogKind::Warning, static_cast<char>(std::toupper(error[0])) + error.substr(1));
        return Fail(error, 1);
    }

    // Blocked before any thread starts (the UPS link's, the history's), so
    // that only the main loop's wait takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int sig : {SIGTERM, SIGINT, SIGQUIT, SIGHUP})
        sigaddset(&stopSignals, sig);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);

    // The password is read once, before the agent starts; it is never on a
    // command line and never in the log.
    std::unique_ptr<UpsSource> ups;
    if (!cl.Nut.empty()) {
        NutTarget target;
        if (!ParseNutTarget(cl.Nut, &target, &error)) return Fail("--nut: " + error, 2);
        std::string password;
        if (!cl.NutPasswordFile.empty() &&
            !ReadNutPasswordFile(cl.NutPasswordFile, &password, &error))
            return Fail("--nut-password-file: " + error, 2);
        auto link = MakeNutTcpLink(target, cl.NutUser, password);
        if (!link) return Fail("built without Network UPS Tools support (libnutclient)", 2);
        ups = std::make_unique<NutUps>(std::move(link), target, !cl.NutUser.empty(),
                                       cl.NutRole == "primary" ? NutRole::Primary
                                                               : NutRole::Secondary);
    } else {
        ups = std::make_unique<SimulatedUps>(std::move(scenario));
    }

    InstallHandlers();
    PosixRunner runner;
    AgentOptions options;
    options.ShutdownCommand = cl.ShutdownCommand;
    if (cl.NutHostSync >= 0) options.HostSync = cl.NutHostSync;
    options.Echo = stdout;
    options.Version = CORVANTA_VERSION;
    std::vector<std::unique_ptr<Integration>> integrations;
    if (!cl.OnEvent.empty()) integrations.push_back(MakeEventPrograms(cl.OnEvent));
    if (!cl.MetricsFile.empty())
        integrations.push_back(MakeMetricsFile(
            cl.MetricsFile, cl.Nut.empty() ? "simulated" : cl.Nut.substr(0, cl.Nut.find('@'))));
    if (!cl.Alerts.empty() && !CheckNetModule(NetModuleKind::Alerts, &error))
        return Fail("--alerts: " + error, 2);
    if (!cl.Mqtt.empty()) {
        MqttTarget target;
        ParseMqttUrl(cl.Mqtt, &target, &error); // checked with the options
        std::string password;
        if (!cl.MqttPasswordFile.empty() &&
            !ReadPasswordFile(cl.MqttPasswordFile, &password, &error))
            return Fail("--mqtt-password-file: " + error, 2);
        char name[256] = {};
        ::gethostname(name, sizeof name - 1);
        auto link = MakeMqttLink(target, cl.MqttUser, password, TopicHost(name), &error);
        if (!link) return Fail("--mqtt: " + error, 2);
        integrations.push_back(std::move(link));
    }
    if (!cl.Alerts.empty()) integrations.push_back(MakeAlerts(std::move(alerts)));
    for (const auto& i : integrations)
        options.Integrations.push_back(i.get());
    Agent agent(*ups, runner, options);
    agent.Start();

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    time_t lastStep = now.tv_sec;
    agent.Step();
    const int wake = ups->WakeFd();
    while (!stopRequested) {
        bool news = WaitForNextSecond(wake);
        if (stopRequested) break;
        if (reloadRequested) {
            reloadRequested = 0;
            agent.RequestReload();
        }
        clock_gettime(CLOCK_REALTIME, &now);
        if (now.tv_sec == lastStep) {
            // Between the seconds: a changed UPS goes to the values file at
            // once; the countdown still counts whole seconds only.
            if (news) agent.Refresh();
            continue;
        }
        if (TestTimeActive() && now.tv_sec > lastStep)
            AdvanceTestTime(static_cast<long>(now.tv_sec - lastStep));
        lastStep = now.tv_sec;
        agent.Step();
    }
    agent.Stop();
    return 0;
}
