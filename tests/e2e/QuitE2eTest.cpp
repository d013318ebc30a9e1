// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Quitting with a real tray: the monitor under Xvfb with a system tray host
// (trayer) and a notification daemon (dunst) on a private session bus, quit
// by each of its ways, with real input where there is input.
#include <cstring>
#include <iterator>
#include <xcb/xcb.h>

#include "E2eSupport.h"

namespace e2e {
namespace {

using std::chrono::milliseconds;

// What a window manager sends when the user clicks a window's close box.
void SendCloseBox(const std::string& display, unsigned window) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(r);
        return a;
    };
    if (!xcb_connection_has_error(c)) {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = window;
        e.type = atom("WM_PROTOCOLS");
        e.data.data32[0] = atom("WM_DELETE_WINDOW");
        e.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
        xcb_flush(c);
    }
    xcb_disconnect(c);
}

class QuitE2e : public E2eTest {
  protected:
    // A display with a tray host, a private bus (starting no service of the
    // machine's) with a notification daemon: empty, or why they cannot run.
    std::string StartDesktop() {
        for (const char* tool : {"Xvfb", "trayer", "dunst", "dbus-daemon", "xdotool"})
            if (Shell(std::string("command -v ") + tool).empty())
                return std::string(tool) + " is not installed (scripts/setup installs it)";
        std::ofstream(Path("bus.conf"))
            << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
               "<policy context='default'><allow send_destination='*'/>"
               "<allow receive_sender='*'/><allow own='*'/></policy></busconfig>";
        const std::string display = Line({"Xvfb", "-displayfd", "1", "-nolisten", "tcp"}, "xvfb");
        const std::string bus = Line(
            {"dbus-daemon", "--config-file=" + Path("bus.conf"), "--nofork", "--print-address=1"},
            "bus");
        if (display.empty() || bus.empty()) return "Xvfb or dbus-daemon does not start";
        env_ = {{"DISPLAY", ":" + display},
                {"QT_QPA_PLATFORM", "xcb"},
                {"XDG_CONFIG_HOME", Folder()},
                {"DBUS_SESSION_BUS_ADDRESS", bus}};
        Line({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request"}, "");
        Line({"dunst"}, "");
        if (!WaitFor([&] { return !X("search --classname '^trayer$'").empty(); }, seconds(10)))
            return "trayer does not start";
        return "";
    }
    // Starts a program of the desktop, kept until the end; the first line it
    // writes, when one is waited for.
    std::string Line(const std::vector<std::string>& argv, const std::string& name) {
        const std::string out = Path((name.empty() ? argv[0] : name) + ".out");
        children_.push_back(&desktop_.emplace_back(Spawn(argv, out, env_)));
        if (name.empty()) return "";
        WaitFor([&] { return ReadFile(out).find('\n') != std::string::npos; }, seconds(10));
        return ReadFile(out).substr(0, ReadFile(out).find('\n'));
    }
    // xdotool on the test's display: its output.
    std::string X(const std::string& args) const {
        return Shell("xdotool " + args + " 2>/dev/null", env_);
    }
    // The monitor's windows on the screen: the main window, the tray icon
    // and, while it is open, the tray's menu.
    std::vector<unsigned> Shown() const {
        std::istringstream found(X("search --onlyvisible --classname '^corvanta-monitor$'"));
        return {std::istream_iterator<unsigned>(found), {}};
    }

    std::map<std::string, std::string> env_;
    std::deque<Child> desktop_;
};

TEST_F(QuitE2e, EveryQuitEndsWellWithATray) {
    if (const std::string why = StartDesktop(); !why.empty()) GTEST_SKIP() << why;
    StartAgent("0 set BatteryLevel 100\n");
    ASSERT_TRUE(WaitForValues(Open));
    // Closing the main window quits only with hide-to-tray off.
    ASSERT_EQ(::mkdir(Path("Corvanta").c_str(), 0700), 0);
    WriteFile(Path("Corvanta/corvanta-monitor.conf"), "[Tray]\nHideOnClose=false\n");
    const char* const ways[] = {"Ctrl+Q", "tray Quit", "close box", "SIGTERM"};
    for (int i = 0; i < 20; ++i) {
        const std::string way = ways[i % 4];
        Child& monitor = StartMonitor("", 0, env_);
        // Its main window and its icon in the tray host.
        std::vector<unsigned> shown;
        ASSERT_TRUE(WaitFor([&] { return (shown = Shown()).size() == 2; }, seconds(10)))
            << way << ": no window or tray icon\n"
            << ReadFile(Path("monitor.out"));
        const std::string window = X("search --onlyvisible --name '^Corvanta UPS Monitor$'");
        const unsigned main = static_cast<unsigned>(std::stoul(window));
        const unsigned icon = shown[0] == main ? shown[1] : shown[0];
        int signal = 0;
        if (way == "Ctrl+Q") {
            X("windowfocus --sync " + std::to_string(main) + " key ctrl+q");
        } else if (way == "tray Quit") {
            // The icon's menu, its last item.
            X("mousemove --window " + std::to_string(icon) + " 4 4 click 3");
            ASSERT_TRUE(WaitFor([&] { return Shown().size() > 2; }, seconds(5))) << "no tray menu";
            X("key Up Return");
        } else if (way == "close box") {
            // Now and then the first message goes unseen under Xvfb without
            // a window manager: clicked again, as a user would.
            WaitFor(
                [&] {
                    SendCloseBox(env_["DISPLAY"], main);
                    return WaitFor([&] { return Shown().size() < 2; }, milliseconds(700));
                },
                seconds(10));
        } else {
            signal = SIGTERM;
        }
        EXPECT_EQ(WaitExit(monitor, seconds(10), signal), 0) << way << " (quit " << i + 1 << ")\n"
                                                             << ReadFile(Path("monitor.out"));
    }
    // A snapshot run ends by itself, the same way.
    Child& snapshot = StartMonitor("quit.png", 1, env_);
    EXPECT_EQ(WaitExit(snapshot, seconds(20)), 0) << ReadFile(Path("quit.png.out"));
}

} // namespace
} // namespace e2e
