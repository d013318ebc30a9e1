// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// corvanta-monitor: the desktop front end of the UPS agent.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CommandLine.h"
#include "Desktop.h"
#include "Folder.h"
#include "FolderWatch.h"
#include "Preferences.h"
#include "RunLoop.h"
#include "Translation.h"
#include "Windows.h"
#include "monitor.h"

#ifndef CORVANTA_VERSION
#define CORVANTA_VERSION "0.1.0"
#endif

namespace {

int gSnapshotResult = 0;

void TakeSnapshot(const std::string& file) {
    if (!MainWindow) return;
    const QPixmap picture = MainWindow->grab();
    if (!picture.save(QString::fromStdString(file), "PNG")) {
        std::fprintf(
            stderr, "corvanta-monitor: %s\n",
            Substituted(Translated("CommandLine", "cannot write the snapshot %1"), {file}).c_str());
        gSnapshotResult = 1;
    }
    ExitToShell();
}

// Prints the answer to help, version or a wrong option; false for a run.
bool Answer(CommandLineResult result, const std::string& message, int* status) {
    switch (result) {
    case CommandLineResult::Help:
        std::fputs(UsageText().c_str(), stdout);
        *status = 0;
        return true;
    case CommandLineResult::Version:
        std::printf("corvanta-monitor %s\n", CORVANTA_VERSION);
        *status = 0;
        return true;
    case CommandLineResult::Error:
        std::fprintf(stderr, "corvanta-monitor: %s\n%s", message.c_str(), UsageText().c_str());
        *status = 2;
        return true;
    case CommandLineResult::Run:
        break;
    }
    return false;
}

// Every Qt object goes before the application does: the tray icon, the
// notifier, the timers and the windows would otherwise die after it, in the
// destruction of statics, and take the process down with them.
void StopQtOwners() {
    RemoveAllEventLoopTimers();
    StopWatchingFolderFile();
    StopDesktop();
    MainWindow = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        DisposeWindow(window);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool NonEmptyEnv(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// Whether Qt could find a display: one is named in the environment or a
// platform is given on the command line.
bool DisplayMayBeReached(int argc, char** argv) {
    if (NonEmptyEnv("QT_QPA_PLATFORM") || NonEmptyEnv("DISPLAY") || NonEmptyEnv("WAYLAND_DISPLAY"))
        return true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-platform" || arg == "--platform" || arg.rfind("-platform=", 0) == 0 ||
            arg.rfind("--platform=", 0) == 0)
            return true;
    }
    return false;
}

// At login the panel that holds the tray may come up after the monitor: a
// hidden start waits for it a little, then opens the window after all.
constexpr int kTrayWaitSeconds = 10;

void AwaitTray(int halfSecondsLeft) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) return StartDesktop(true);
    if (halfSecondsLeft <= 0) {
        StartDesktop(false);
        ShowWindow(MainWindow);
        return;
    }
    QTimer::singleShot(500, [halfSecondsLeft] { AwaitTray(halfSecondsLeft - 1); });
}

} // namespace

int main(int argc, char** argv) {
    MonitorOptions options;
    std::string message;
    int status = 0;
    // Help, version and a wrong option need no display, so they are answered
    // before Qt connects to one. Qt's own options (-platform ...) are known
    // only once QApplication has taken them out of argv, so an argument this
    // first look cannot place waits for that, unless no display is in reach.
    const CommandLineResult early = ParseCommandLine(argc - 1, argv + 1, &options, &message);
    if (early != CommandLineResult::Error || !DisplayMayBeReached(argc, argv))
        if (Answer(early, message, &status)) return status;

    QApplication app(argc, argv); // takes Qt's own options (-platform ...) out of argv
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationName(QStringLiteral("corvanta-monitor"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANTA_VERSION));
    // The desktop entry's name (the AppStream id): under Wayland it is the
    // window's app id, by which the desktop finds the entry's name and icon.
    QApplication::setDesktopFileName(QStringLiteral("org.corvanta_ups.Monitor"));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallTranslations();

    options = MonitorOptions{};
    if (Answer(ParseCommandLine(argc - 1, argv + 1, &options, &message), message, &status))
        return status;
    LoadPreferences();

    std::string error;
    if (!InitProgramFolder(options.folder.empty() ? nullptr : options.folder.c_str(), &error)) {
        std::fprintf(stderr, "corvanta-monitor: %s\n", error.c_str());
        return 2;
    }
    UseFolderHandle(true);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/corvanta.png")));
    const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
    const bool awaitTray = !tray && !OpensMainWindow(options, true);
    if (!StartMonitor(OpensMainWindow(options, tray) && !awaitTray)) return 1;
    if (awaitTray)
        AwaitTray(kTrayWaitSeconds * 2);
    else
        StartDesktop(tray);
    if (!options.snapshot.empty()) {
        const std::string file = options.snapshot;
        QTimer::singleShot(static_cast<int>(options.after * 1000), [file] { TakeSnapshot(file); });
    }
    QuitOnTerminationSignals();
    RunApplicationEventLoop();
    const int result = ExitToShellRequested() ? gSnapshotResult : 1;
    StopQtOwners();
    // The run ends through the quit path; a loop that returns otherwise is a fault.
    return result;
}
