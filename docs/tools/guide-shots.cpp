// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// corvanta-guide-shots: takes the user guide's pictures. It starts the
// monitor's front end on a program folder as corvanta-monitor does, grabs
// each tab of the main window, then chooses every menu item that opens a
// window, grabs the window that appears and closes it again. Nothing here
// names a window: a new menu item is pictured without a change.
//
//   corvanta-guide-shots --folder DIR --out DIR
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "Desktop.h"
#include "Folder.h"
#include "Preferences.h"
#include "Windows.h"
#include "monitor.h"

namespace {

// Commands that end the run, talk to the agent or open the guide in a
// browser rather than open a window.
const QStringList kNoWindow = {QStringLiteral("quit"), QStringLiteral("cshu"),
                               QStringLiteral("help")};
constexpr int kPollMs = 50;
constexpr int kMaxPolls = 100;  // five seconds for a window to appear or go
constexpr int kSettlePolls = 6; // what a window draws after it is shown

QString gOut;
int gFailures = 0;

// "EventLogWindow" -> "event-log"; an unnamed window goes by its command.
QString FileNameFor(const QString& name) {
    QString s = name;
    s.replace(QRegularExpression(QStringLiteral("Window$")), QString());
    s.replace(QRegularExpression(QStringLiteral("([a-z0-9])([A-Z])")), QStringLiteral("\\1-\\2"));
    s.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    return s.toLower();
}

void Save(QWidget* window, const QString& name) {
    const QString file = QDir(gOut).filePath(name + QStringLiteral(".png"));
    if (window->grab().save(file, "PNG")) {
        std::printf("guide-shots: %s\n", qPrintable(file));
    } else {
        std::fprintf(stderr, "guide-shots: cannot write %s\n", qPrintable(file));
        ++gFailures;
    }
}

QSet<QWidget*> ShownWindows() {
    QSet<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip &&
            !qobject_cast<QMenu*>(w))
            shown.insert(w);
    return shown;
}

// The menu bar's items in menu order, submenus included.
void CollectActions(const QList<QAction*>& actions, QList<QAction*>* out) {
    for (QAction* a : actions) {
        if (a->menu())
            CollectActions(a->menu()->actions(), out);
        else if (!a->isSeparator())
            out->append(a);
    }
}

// Calls check every poll until it says true or the polls run out; then done
// with whether it did. Runs from the event loop, so a window that runs a
// nested loop of its own (a modal dialog) does not stop the run.
void PollUntil(const std::function<bool()>& check, const std::function<void(bool)>& done,
               int polls = kMaxPolls) {
    if (check()) return done(true);
    if (polls <= 0) return done(false);
    QTimer::singleShot(kPollMs, [check, done, polls] { PollUntil(check, done, polls - 1); });
}

void Settle(std::function<void()> then) {
    QTimer::singleShot(kPollMs * kSettlePolls, std::move(then));
}

class Tour {
  public:
    explicit Tour(QWidget* main) : main_(main) {
        if (auto* bar = qobject_cast<QWidget*>(GetMenuBar()))
            CollectActions(bar->actions(), &actions_);
    }

    void Start() {
        Settle([this] { ShootTab(0); });
    }

  private:
    // Each tab of the main window, chosen as a click would choose it.
    void ShootTab(int index) {
        auto* tabs = main_->findChild<QTabBar*>();
        const int count = tabs ? tabs->count() : 0;
        if (index >= count) {
            if (tabs) tabs->setCurrentIndex(0);
            if (count == 0) Save(main_, QStringLiteral("main"));
            return Settle([this] { NextAction(); });
        }
        tabs->setCurrentIndex(index);
        Settle([this, tabs, index] {
            Save(main_, QStringLiteral("main-") + FileNameFor(tabs->tabText(index)));
            ShootTab(index + 1);
        });
    }

    void NextAction() {
        if (next_ >= actions_.size()) return QApplication::exit(gFailures ? 1 : 0);
        QPointer<QAction> action = actions_[next_++];
        const QString command = action ? action->property("command").toString() : QString();
        if (command.isEmpty() || kNoWindow.contains(command) || !action->isEnabled())
            return NextAction();
        const QSet<QWidget*> before = ShownWindows();
        auto found = std::make_shared<QPointer<QWidget>>();
        PollUntil(
            [before, found] {
                for (QWidget* w : ShownWindows())
                    if (!before.contains(w)) *found = w;
                return !found->isNull();
            },
            [this, action, command, found](bool appeared) {
                if (!appeared) {
                    std::printf("guide-shots: \"%s\" (%s) opened no window\n",
                                action ? qPrintable(action->text()) : "?", qPrintable(command));
                    return NextAction();
                }
                Settle([this, command, found] { ShootAndClose(*found, command); });
            });
        QTimer::singleShot(0, action, &QAction::trigger);
    }

    void ShootAndClose(const QPointer<QWidget>& window, const QString& command) {
        if (!window) return NextAction();
        QString name = QString::fromStdString(GetWindowName(window));
        if (name.isEmpty()) name = window->objectName();
        Save(window, FileNameFor(name.isEmpty() ? command : name));
        window->close();
        PollUntil([window] { return window.isNull() || !window->isVisible(); },
                  [this, command](bool closed) {
                      if (!closed) {
                          std::fprintf(stderr, "guide-shots: the %s window did not close\n",
                                       qPrintable(command));
                          ++gFailures;
                      }
                      NextAction();
                  });
    }

    QWidget* main_;
    QList<QAction*> actions_;
    qsizetype next_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationName(QStringLiteral("corvanta-monitor"));
    QApplication::setQuitOnLastWindowClosed(false);
    std::string folder;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--folder")
            folder = argv[i + 1];
        else if (option == "--out")
            gOut = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (folder.empty() || gOut.isEmpty() || !QDir().mkpath(gOut)) {
        std::fputs("usage: corvanta-guide-shots --folder DIR --out DIR\n", stderr);
        return 2;
    }
    LoadPreferences();
    std::string error;
    if (!InitProgramFolder(folder.c_str(), &error)) {
        std::fprintf(stderr, "guide-shots: %s\n", error.c_str());
        return 2;
    }
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/corvanta.png")));
    if (!StartMonitor() || !MainWindow) return 1;
    StartDesktop(QSystemTrayIcon::isSystemTrayAvailable());
    Tour tour(MainWindow);
    tour.Start();
    return QApplication::exec();
}
