// Every window of the interface description loads, and holds every control
// the code names, of the kind the code expects.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <gtest/gtest.h>

#include "Controls.h"
#include "FrontendTestSupport.h"
#include "Windows.h"
#include "screen.h"

namespace {

enum Kind { Popup, Check, Edit, Tabs, Custom, Any, Button };

struct Expected {
    const char* window;
    const char* sig;
    int first, last; // numbers first..last
    Kind kind;
    const char* title = nullptr; // custom controls: their class
};

const Expected kControls[] = {
    {"MainWindow", "tabs", 128, 128, Tabs},
    {"MainWindow", "tabs", 129, 131, Any},
    {"MainWindow", "main", 128, 128, Custom, "Communication"},
    {"MainWindow", "main", 141, 141, Custom, "PowerSource"},
    {"MainWindow", "main", 142, 142, Custom, "BatteryStatus"},
    {"MainWindow", "main", 150, 151, Popup},
    {"MainWindow", "main", 152, 152, Custom, "MeterL"},
    {"MainWindow", "main", 153, 153, Any},
    {"MainWindow", "main", 155, 155, Custom, "BattLevel"},
    {"MainWindow", "main", 157, 157, Custom, "BattLevelVal"},
    {"MainWindow", "main", 160, 160, Custom, "LBRD"},
    {"MainWindow", "main", 161, 161, Custom, "NBRD"},
    {"MainWindow", "main", 162, 162, Custom, "NST"},
    {"MainWindow", "main", 300, 306, Any},
    {"MainWindow", "main", 320, 326, Any},
    {"MainWindow", "tbut", 128, 128, Custom, "Countdown"},
    {"MainWindow", "cdic", 128, 128, Any},
    {"PropertyWindow", "prop", 130, 134, Popup},
    {"PropertyWindow", "prop", 135, 136, Edit},
    {"ActionsWindow", "acti", 128, 128, Check},
    {"ActionsWindow", "acti", 129, 129, Popup},
    {"ActionsWindow", "acti", 132, 132, Check},
    {"ActionsWindow", "acti", 133, 133, Popup},
    {"ActionsWindow", "acti", 136, 136, Check},
    {"ActionsWindow", "acti", 137, 137, Popup},
    {"ActionsWindow", "acti", 141, 141, Check},
    {"ActionsWindow", "acti", 143, 144, Edit},
    {"ScheduleWindow", "sche", 128, 128, Custom, "Calendar"},
    {"ScheduleWindow", "sche", 129, 136, Popup},
    {"ScheduleWindow", "sche", 141, 146, Popup},
    {"ScheduleWindow", "sche", 151, 156, Popup},
    {"LogManageWindow", "logm", 128, 128, Popup},
};

bool IsKind(ControlRef c, Kind kind) {
    switch (kind) {
    case Popup:
        return qobject_cast<QComboBox*>(c) != nullptr;
    case Check:
        return qobject_cast<QCheckBox*>(c) != nullptr;
    case Edit:
        return qobject_cast<QLineEdit*>(c) != nullptr;
    case Tabs:
        return qobject_cast<QTabBar*>(c) != nullptr;
    case Button:
        return qobject_cast<QPushButton*>(c) != nullptr;
    default:
        return true;
    }
}

// The commands each window's buttons must send.
struct Commands {
    const char* window;
    std::vector<const char*> commands;
};
const Commands kButtons[] = {
    {"PropertyWindow", {"ok  ", "not!"}},
    {"ActionsWindow", {"ok  ", "not!", "brow"}},
    {"ScheduleWindow", {"oned", "dail", "week", "mont", "not!"}},
    {"LogManageWindow", {"ok  ", "not!"}},
};

} // namespace

class InterfaceTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { RegisterCustomControls(); }
};

TEST_F(InterfaceTest, EveryWindowHoldsEveryControlTheCodeNames) {
    for (const char* name : {"MainWindow", "AboutWindow", "PropertyWindow", "ActionsWindow",
                             "ScheduleWindow", "EventLogWindow", "LogManageWindow"}) {
        WindowRef window = nullptr;
        MyCreateWindow("main", nullptr, name, &window);
        ASSERT_NE(window, nullptr) << name;
        EXPECT_FALSE(window->windowTitle().isEmpty()) << name;
        for (const Expected& e : kControls) {
            if (std::string(e.window) != name) continue;
            for (int n = e.first; n <= e.last; ++n) {
                const ControlID id{FourCharCodeFromText(e.sig), n};
                ControlRef c = nullptr;
                ASSERT_EQ(GetControlByID(window, &id, &c), noErr) << name << " " << e.sig << n;
                EXPECT_TRUE(IsKind(c, e.kind)) << name << " " << e.sig << n;
                if (e.title) {
                    EXPECT_EQ(GetControlTitleText(c), e.title) << e.sig << n;
                }
            }
        }
        for (const Commands& b : kButtons) {
            if (std::string(b.window) != name) continue;
            for (const char* command : b.commands) {
                bool found = false;
                for (QPushButton* button : window->findChildren<QPushButton*>())
                    found |= button->property("command").toString() == QString(command);
                EXPECT_TRUE(found) << name << " '" << command << "'";
            }
        }
        DisposeWindow(window);
    }
    FlushDeletes();
}

TEST_F(InterfaceTest, ScheduleSelectorsSendTheirCommands) {
    WindowRef window = nullptr;
    MyCreateWindow("main", nullptr, "ScheduleWindow", &window);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QComboBox*>("sche_129")->property("command").toString(), "sely");
    EXPECT_EQ(window->findChild<QComboBox*>("sche_130")->property("command").toString(), "selm");
    DisposeWindow(window);
    FlushDeletes();
}

TEST_F(InterfaceTest, MenuBarSendsEveryCommand) {
    IBNibRef nib = nullptr;
    ASSERT_EQ(CreateNibReference("main", &nib), noErr);
    ASSERT_EQ(SetMenuBarFromNib(nib, "MainMenu"), noErr);
    DisposeNibReference(nib);
    auto* bar = qobject_cast<QMenuBar*>(GetMenuBar());
    ASSERT_NE(bar, nullptr);
    QStringList commands;
    QStringList texts;
    for (QAction* a : bar->findChildren<QAction*>()) {
        if (a->property("command").isValid()) {
            commands << a->property("command").toString();
            texts << a->text();
        }
    }
    for (const char* c : {"absa", "prop", "logm", "sche", "acti", "elog", "cshu", "quit"})
        EXPECT_TRUE(commands.contains(c)) << c;
    for (const char* t : {"About", "Property", "Log settings", "Schedule", "Actions", "Event log",
                          "Cancel shutdown", "Quit"})
        EXPECT_TRUE(texts.contains(t)) << t;
    delete bar; // no window took it
}
