// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The central handler: quit, tab switching, meter selection and the menu
// commands of the main window.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "Accessible.h"
#include "Alert.h"
#include "Controls.h"
#include "DialogSupport.h"
#include "Dialogs.h"
#include "Folder.h"
#include "RunLoop.h"
#include "Translation.h"
#include "UiTesting.h"
#include "Windows.h"
#include "file.h"
#include "menu.h"
#include "screen.h"

WindowRef AboutWindow = nullptr;
int tabList[4] = {3, 129, 130, 131};
int lastTabIndex = 1;

namespace {

std::string gUserGuidePath; // a test's, else beside the program

// Opens the guide in the desktop's browser, or says where it should be.
void OpenUserGuide() {
    const std::string path = UserGuidePath();
    const QString shown = QString::fromStdString(ShownPath(path));
    const bool there = QFileInfo(QString::fromStdString(path)).isFile();
    if (there && QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
        return;
    ShowAlert(MainWindow, QCoreApplication::translate("MainWindow", "No user guide").toStdString(),
              (there ? QCoreApplication::translate("MainWindow",
                                                   "No web browser could open the user guide, %1.")
                     : QCoreApplication::translate(
                           "MainWindow", "The user guide cannot be opened: %1 is missing."))
                  .arg(shown)
                  .toStdString());
}

OSStatus OpenAboutWindow() {
    if (AboutWindow) {
        SelectWindow(AboutWindow);
        return eventNotHandledErr;
    }
    MyCreateWindow("main", nullptr, "AboutWindow", &AboutWindow);
    if (!AboutWindow) return eventNotHandledErr;
    const EventTypeSpec closeList[] = {{kEventClassWindow, kEventWindowClose}};
    const OSStatus result =
        InstallEventHandler(GetWindowEventTarget(AboutWindow), AboutWindowEventHandler, 1,
                            closeList, AboutWindow, nullptr);
    ShowWindow(AboutWindow);
    return result;
}

} // namespace

OSStatus HandleEventProc(EventHandlerCallRef handlerRef, EventRef event, void*) {
    OSStatus result = eventNotHandledErr;
    const OSType eventClass = GetEventClass(event);
    const UInt32 eventKind = GetEventKind(event);

    if ((eventClass == kEventClassApplication && eventKind == kEventAppQuit) ||
        (eventClass == kEventClassWindow && eventKind == kEventWindowClose)) {
        if (MainWindow) {
            DisposeWindow(MainWindow);
            MainWindow = nullptr;
        }
        ExitToShell();
        return noErr;
    }

    ControlRef control = nullptr;
    // NOLINTNEXTLINE(bugprone-sizeof-expression): the parameter is the handle itself
    if (GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control,
                          nullptr, &control) == noErr) {
        ControlID id{};
        GetControlID(control, &id);
        if (id == kTabControl && GetControlValue(control) != lastTabIndex) {
            SelectItemOfTabControl(control);
            return noErr;
        }
        if (id == kMeterSelectors[0] || id == kMeterSelectors[1]) {
            // The pop-up holds the new choice once the default handling is done.
            CallNextEventHandler(handlerRef, event);
            const int k = id == kMeterSelectors[0] ? 0 : 1;
            UPSSts next = PtUPSSts;
            next.Main_Meter[k] = static_cast<short>(GetControlValue(control));
            if (next.Main_Meter[k] != PtUPSSts.Main_Meter[k]) {
                // A choice that could not be saved goes back: the meter shows what is saved.
                if (!SaveSettings(MainWindow, next))
                    SetControlValue(control, PtUPSSts.Main_Meter[k]);
                if (ControlRef shows = MainControl(k == 0 ? kMeter : kMeterNote)) {
                    Draw1Control(shows);
                    AnnounceControl(shows);
                }
            }
            return noErr;
        }
        return eventNotHandledErr;
    }

    HICommand command{};
    if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                          nullptr, &command) == noErr) {
        switch (command.commandID) {
        case FourCharCode("absa"):
            result = OpenAboutWindow();
            break;
        case FourCharCode("help"):
            OpenUserGuide();
            break;
        case FourCharCode("prop"):
        case FourCharCode("logm"):
        case FourCharCode("sche"):
        case FourCharCode("acti"):
        case FourCharCode("elog"):
        case FourCharCode("hist"):
            result = OpenDialogWindow(command.commandID);
            break;
        case FourCharCode("cshu"): {
            flag_LoadCancelShutdown = 1;
            // The request stays raised and goes out with the next write.
            std::string error;
            if (!WriteCommand(&error))
                ShowAlert(MainWindow, Translated("MainWindow", "Not sent"),
                          Substituted(Translated("MainWindow", "The request to cancel the "
                                                               "shutdown could not be sent: %1"),
                                      {error}));
            break;
        }
        default:
            break;
        }
    }
    return result;
}

void SelectItemOfTabControl(ControlRef tabControl) {
    const SInt16 index = static_cast<SInt16>(GetControlValue(tabControl));
    lastTabIndex = index;
    WindowRef window = GetControlOwner(tabControl);
    ControlRef shown = nullptr;
    for (int i = 1; i <= tabList[0]; ++i) {
        const ControlID id{FourCharCode("tabs"), tabList[i]};
        ControlRef pane = nullptr;
        if (GetControlByID(window, &id, &pane) != noErr) continue;
        if (i == index) {
            shown = pane;
        } else {
            SetControlVisibility(pane, false, false);
            DisableControl(pane);
        }
    }
    if (shown) {
        EnableControl(shown);
        SetControlVisibility(shown, true, true);
    }
    Draw1Control(tabControl);
}

OSStatus AboutWindowEventHandler(EventHandlerCallRef, EventRef event, void*) {
    if (GetEventClass(event) == kEventClassWindow && GetEventKind(event) == kEventWindowClose) {
        DisposeWindow(AboutWindow);
        AboutWindow = nullptr;
        return noErr;
    }
    return eventNotHandledErr;
}

std::string UserGuidePath() {
    if (!gUserGuidePath.empty()) return gUserGuidePath;
    // Installed as share/ beside bin/: in the package and in the build tree.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/corvanta/guide/user-guide.html"))
        .toStdString();
}

void SetUserGuidePath(const std::string& path) {
    gUserGuidePath = path;
}
