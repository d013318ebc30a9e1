// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end tests share: real processes on a private program
// folder, and readers for the files they exchange and the monitor's snapshots.
#pragma once

#include <QImage>
#include <deque>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <valarray>

#include "CoreTestSupport.h"

extern char** environ;

namespace e2e {

using corvanta_test::ReadFile;
using std::chrono::seconds;

inline const char* const AgentBinary = CORVANTA_AGENT_BIN;
// A scenario of a UPS on mains with a full battery.
inline const char* const OnMains = "ratings 230 4.3 24\n0 set InputVoltage 230\n"
                                   "0 set OutputLoading 30\n0 set BatteryLevel 100\n";
inline const char* const MonitorBinary = CORVANTA_MONITOR_BIN;

// A child process; its standard output and error go to a file.
struct Child {
    pid_t Pid = -1;
    std::string Output;
};

// Through sh and env(1), which set the output and the variables and then
// become the program: the child's process is the program's.
inline Child Spawn(const std::vector<std::string>& argv, const std::string& outputFile,
                   const std::map<std::string, std::string>& env = {}) {
    std::string command = "exec env";
    for (const auto& [name, value] : env)
        command += " '" + name + "=" + value + "'";
    for (const std::string& a : argv)
        command += " '" + a + "'";
    command += " </dev/null >'" + outputFile + "' 2>&1";
    char* args[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), command.data(), nullptr};
    pid_t pid = -1;
    return {posix_spawn(&pid, "/bin/sh", nullptr, nullptr, args, environ) == 0 ? pid : -1,
            outputFile};
}

// Polls the predicate every 50 ms until it holds or the time is up.
inline bool WaitFor(const std::function<bool()>& ok, std::chrono::milliseconds wait) {
    for (const auto until = std::chrono::steady_clock::now() + wait; !ok();
         std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (std::chrono::steady_clock::now() > until) return false;
    return true;
}

// Waits for the child to exit by itself (after the signal, if one is given)
// and returns its exit status; -1 when it did not exit normally, or on
// timeout (then it is killed).
inline int WaitExit(Child& child, std::chrono::milliseconds wait, int signal = 0) {
    const pid_t pid = std::exchange(child.Pid, -1);
    if (pid > 0 && signal) ::kill(pid, signal);
    int status = 0, r = -1;
    if (pid > 0 && !WaitFor([&] { return (r = ::waitpid(pid, &status, WNOHANG)) != 0; }, wait)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int Terminate(Child& child) {
    return WaitExit(child, seconds(5), SIGTERM);
}

// The standard output of a shell command, run with the variables.
inline std::string Shell(std::string command, const std::map<std::string, std::string>& env = {}) {
    for (const auto& [name, value] : env)
        command = name + "='" + value + "' " + command;
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, p))
            out += buffer;
        pclose(p);
    }
    return out;
}

// A child found ended is reaped and forgotten: its PID, free for another
// process now, is never signalled.
inline bool Alive(Child& child) {
    if (child.Pid > 0 && ::waitpid(child.Pid, nullptr, WNOHANG) != 0) child.Pid = -1;
    return child.Pid > 0;
}

inline void WriteFile(const std::string& path, const std::string& text) {
    ASSERT_TRUE(WriteFileAtomic(path, text)) << path;
}

// Reads the values file; the result is the number of bytes read (-1: none).
inline int ReadValues(const std::string& path, UPSVal* val) {
    std::ifstream in(path, std::ios::binary);
    const std::string b{std::istreambuf_iterator<char>(in), {}};
    if (b.size() == UPSValImageSize) DecodeUPSVal(reinterpret_cast<const uint8_t*>(b.data()), val);
    return in.is_open() ? static_cast<int>(b.size()) : -1;
}

// Each test runs in its own folder, which is also CurDir, so the core's own
// writers (WriteUPSSts, WriteCommand, ...) write there as the monitor does.
class E2eTest : public corvanta_test::CoreTest {
  protected:
    void TearDown() override {
        for (Child* c : children_)
            Terminate(*c);
        if (!programs_.empty()) corvanta_test::RemoveTree(programs_);
        if (HasFailure()) std::cerr << "agent output:\n" << ReadFile(Path("agent.out"));
        CoreTest::TearDown();
    }

    // Starts the agent on the folder with a scenario text (written to a
    // file), extra arguments and environment.
    Child& StartAgent(const std::string& scenario, std::vector<std::string> extra = {},
                      const std::map<std::string, std::string>& env = {}) {
        std::ofstream(Path("scenario.scn")) << scenario;
        extra.insert(extra.begin(),
                     {AgentBinary, "--folder", Folder(), "--simulate", Path("scenario.scn")});
        return agent_ = Spawn(extra, Path("agent.out"), env);
    }
    // A shutdown command the agent trusts, which writes its first argument
    // to "halted" and then the time (date +%s.%N) to "halted.at"; empty
    // (*whyNot says why) where there can be none.
    std::string HaltScript(std::string* whyNot) {
        programs_ = corvanta_test::MakeProgramFolder(whyNot);
        if (programs_.empty()) return "";
        const std::string halt = programs_ + "/halt.sh";
        WriteFile(halt, "#!/bin/sh\necho \"$1\" > " + Path("halted") + "\n/bin/date +%s.%N > " +
                            Path("halted.at") + "\n");
        if (::chmod(halt.c_str(), 0755) == 0) return halt;
        *whyNot = "cannot make " + halt + " executable";
        return "";
    }
    UPSVal Values() const {
        UPSVal v{};
        v.DownTime = -1;
        ReadValues(Path(ValuesFileName), &v);
        return v;
    }
    bool LogHas(const std::string& text) const {
        return ReadFile(Path(LogFileName)).find(text) != std::string::npos;
    }
    // Waits until the values file satisfies the predicate.
    bool WaitForValues(const std::function<bool(const UPSVal&)>& ok,
                       std::chrono::milliseconds t = seconds(5)) {
        UPSVal v{};
        return WaitFor(
            [&] { return ReadValues(Path(ValuesFileName), &v) == UPSValImageSize && ok(v); }, t);
    }
    // Starts a monitor, which writes its snapshot after the given seconds
    // when given a file for it. The folder is also its configuration home: no
    // preference of the user's reaches the test, Corvanta/corvanta-monitor.conf
    // in the folder does. A session bus that is not there keeps the test's
    // power failures off the user's desktop. desktop: variables that put it
    // on a display and bus of the test's own instead.
    Child& StartMonitor(const std::string& png = "", double after = 0,
                        const std::map<std::string, std::string>& desktop = {}) {
        std::vector<std::string> argv{MonitorBinary, "--folder", Folder()};
        if (!png.empty())
            argv.insert(argv.end(), {"--snapshot", Path(png), "--after", std::to_string(after)});
        std::map<std::string, std::string> env{
            {"QT_QPA_PLATFORM", "offscreen"},
            {"XDG_RUNTIME_DIR", Folder()},
            {"XDG_CONFIG_HOME", Folder()},
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + Path("no-bus")}};
        for (const auto& [name, value] : desktop)
            env[name] = value;
        Child& m = monitors_.emplace_back(
            Spawn(argv, Path(png.empty() ? "monitor.out" : png + ".out"), env));
        children_.push_back(&m);
        return m;
    }
    // Waits for the monitor to write its snapshot and exit 0.
    QImage Snapshot(Child& monitor, const std::string& png) {
        EXPECT_EQ(WaitExit(monitor, seconds(60)), 0) << ReadFile(Path(png + ".out"));
        QImage image(QString::fromStdString(Path(png)));
        EXPECT_FALSE(image.isNull()) << png;
        return image;
    }

    static bool Open(const UPSVal& v) { return v.flag_OpenUPS == 1; }
    static bool Counting(const UPSVal& v) { return v.DownTime >= 0; }
    static bool Idle(const UPSVal& v) { return v.DownTime == -1; }

    Child agent_;
    std::string programs_;                  // a folder of trusted programs, removed at the end
    std::deque<Child> monitors_;            // a deque keeps them in place
    std::vector<Child*> children_{&agent_}; // ended at the end of the test
};

// The monitor's snapshot: the colours of its status texts, of its countdown
// and its "Shutdown in" companion (Badge) and of a lit gauge segment, and
// where they stand in the main window (menu bar included).
inline const QRgb Good = qRgb(0, 0x70, 0), Caution = qRgb(0xA0, 0xA0, 0), Alarm = qRgb(0xF0, 0, 0);
inline const QRgb Plain = qRgb(0, 0, 0), Badge = qRgb(0xC0, 0x20, 0x20);
inline const QRgb GaugeGreen = qRgb(0x70, 0xF0, 0x70);
inline const QRect StatusTexts(145, 0, 190, 140), CountdownBox(345, 55, 170, 80),
    Gauge(145, 95, 110, 40);

// How many pixels of the rectangle have the colour.
inline int CountColour(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom() && y < image.height(); ++y)
        for (int x = r.left(); x <= r.right() && x < image.width(); ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == colour;
    return n;
}

// The colours of the status lines top down (communication, power source,
// battery) as names: "good caution good ". Rows holding a status colour form
// a line, which takes its most frequent one; the battery level's percentage
// comes after the three.
inline std::string StatusNames(const QImage& image) {
    const char* const names[] = {"good ", "caution ", "alarm "};
    std::string s;
    std::valarray<int> line(3);
    for (int y = StatusTexts.top(), lines = 0; y <= StatusTexts.bottom() + 1 && lines < 3; ++y) {
        const QRect r(StatusTexts.left(), y, StatusTexts.width(), y <= StatusTexts.bottom());
        const std::valarray<int> row{CountColour(image, r, Good), CountColour(image, r, Caution),
                                     CountColour(image, r, Alarm)};
        line += row;
        if (row.sum() > 0 || line.sum() == 0) continue;
        s += names[std::max_element(std::begin(line), std::end(line)) - std::begin(line)];
        line = 0;
        ++lines;
    }
    return s;
}

} // namespace e2e
