// corvanta-monitor: the desktop front end of the UPS agent.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <string>

#include "CommandLine.h"
#include "Folder.h"
#include "RunLoop.h"
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
        std::fprintf(stderr, "corvanta-monitor: cannot write the snapshot %s\n", file.c_str());
        gSnapshotResult = 1;
    }
    ExitToShell();
}

// Prints the help or the version; false for any other result.
bool PrintInformation(CommandLineResult result) {
    if (result == CommandLineResult::Help) {
        std::fputs(UsageText().c_str(), stdout);
        return true;
    }
    if (result == CommandLineResult::Version) {
        std::printf("corvanta-monitor %s\n", CORVANTA_VERSION);
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version answer before QApplication, which aborts without a
    // display; anything else waits until Qt has taken its own options.
    {
        MonitorOptions early;
        std::string ignored;
        if (PrintInformation(ParseCommandLine(argc - 1, argv + 1, &early, &ignored))) return 0;
    }
    QApplication app(argc, argv); // takes Qt's own options (-platform ...) out of argv
    QApplication::setApplicationName(QStringLiteral("corvanta-monitor"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANTA_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    MonitorOptions options;
    std::string message;
    const CommandLineResult parsed = ParseCommandLine(argc - 1, argv + 1, &options, &message);
    if (PrintInformation(parsed)) return 0;
    if (parsed == CommandLineResult::Error) {
        std::fprintf(stderr, "corvanta-monitor: %s\n%s", message.c_str(), UsageText().c_str());
        return 2;
    }

    std::string error;
    if (!InitProgramFolder(options.folder.empty() ? nullptr : options.folder.c_str(), &error)) {
        std::fprintf(stderr, "corvanta-monitor: %s\n", error.c_str());
        return 2;
    }
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/corvanta.png")));
    if (!StartMonitor()) return 1;
    if (!options.snapshot.empty()) {
        const std::string file = options.snapshot;
        QTimer::singleShot(static_cast<int>(options.after * 1000), [file] { TakeSnapshot(file); });
    }
    RunApplicationEventLoop();
    RemoveAllEventLoopTimers();
    // The run ends through the quit path; a loop that returns otherwise is a fault.
    if (!ExitToShellRequested()) return 1;
    return gSnapshotResult;
}
