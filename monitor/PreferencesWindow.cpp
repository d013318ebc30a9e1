// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences window: which notifications, hiding to the tray, starting
// at login, and the age at which the values count as lost.
#include <QIntValidator>
#include <QLineEdit>
#include <charconv>
#include <string>

#include "Alert.h"
#include "DialogSupport.h"
#include "Preferences.h"
#include "Translation.h"
#include "Windows.h"

namespace {

constexpr OSType kPref = FourCharCode("pref");
WindowRef gWindow = nullptr;

OSStatus PreferencesWindowEventHandler(EventHandlerCallRef, EventRef event, void* userData) {
    auto window = static_cast<WindowRef>(userData);
    const UInt32 command = CommandOfEvent(event);
    if (command != kHICommandOK && command != kHICommandCancel) return eventNotHandledErr;
    if (command == kHICommandOK) {
        MonitorPreferences prefs = Preferences();
        for (int i = 0; i < 4; ++i)
            prefs.notify[i] = ValueOf(window, kPref, 128 + i) != 0;
        prefs.hideToTray = ValueOf(window, kPref, 132) != 0;
        // A limit outside its range is refused rather than quietly changed.
        const std::string text = TextOf(window, kPref, 133);
        int stale = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), stale);
        if (error != std::errc() || end != text.data() + text.size() || stale < MinStaleSeconds ||
            stale > MaxStaleSeconds) {
            ShowAlert(
                window, Translated("PreferencesWindow", "Not saved"),
                Substituted(Translated("PreferencesWindow",
                                       "Values count as lost after a number of seconds "
                                       "from %1 to %2."),
                            {std::to_string(MinStaleSeconds), std::to_string(MaxStaleSeconds)}));
            return noErr;
        }
        prefs.staleSeconds = stale;
        // First what can fail most easily: refused, it leaves everything as it was.
        std::string why;
        const bool atLogin = ValueOf(window, kPref, 134) != 0;
        if (atLogin != StartsAtLogin() && !SetStartAtLogin(atLogin, &why)) {
            ShowAlert(window, Translated("PreferencesWindow", "Not saved"),
                      Substituted(Translated("PreferencesWindow",
                                             "Starting at login could not be changed: %1"),
                                  {why}));
            return noErr;
        }
        if (!SavePreferences(prefs, &why)) {
            ShowAlert(window, Translated("PreferencesWindow", "Not saved"),
                      Substituted(
                          Translated("PreferencesWindow", "The preferences could not be saved: %1"),
                          {why}));
            return noErr;
        }
    }
    DisposeWindow(window);
    gWindow = nullptr;
    return noErr;
}

} // namespace

void OpenPreferencesWindow() {
    if (gWindow && IsValidWindowPtr(gWindow)) {
        SelectWindow(gWindow);
        return;
    }
    gWindow = nullptr;
    MyCreateWindow("main", nullptr, "PreferencesWindow", &gWindow);
    if (!gWindow) return;
    InstallEventHandler(GetWindowEventTarget(gWindow), PreferencesWindowEventHandler, 1,
                        kCommandList, gWindow, nullptr);
    const MonitorPreferences& prefs = Preferences();
    for (int i = 0; i < 4; ++i)
        SetValueOf(gWindow, kPref, 128 + i, prefs.notify[i], false);
    SetValueOf(gWindow, kPref, 132, prefs.hideToTray, false);
    SetValueOf(gWindow, kPref, 134, StartsAtLogin(), false);
    SetTextOf(gWindow, kPref, 133, std::to_string(prefs.staleSeconds), false);
    if (auto* edit = qobject_cast<QLineEdit*>(ControlOf(gWindow, kPref, 133)))
        edit->setValidator(new QIntValidator(MinStaleSeconds, MaxStaleSeconds, edit));
    ShowWindow(gWindow);
}
