// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The actions window: shutdown delays and their switches, and the command
// file the agent runs.
#include <cstdio>
#include <cstring>

#include "DialogSupport.h"
#include "Dialogs.h"
#include "Windows.h"
#include "file.h"

WindowRef ActionsWindow = nullptr;

namespace {

constexpr OSType kActi = FourCharCode("acti");

struct DelayPair {
    short UPSSts::*flag;
    short UPSSts::*delay;
};

// Check box 128 + 4j and its delay pop-up 129 + 4j.
const DelayPair Delays[3] = {
    {&UPSSts::flag_Enable_Power_OSDelay, &UPSSts::Power_OSDelay},
    {&UPSSts::flag_Enable_Battery_OSDelay, &UPSSts::Battery_OSDelay},
    {&UPSSts::flag_Enable_Schedule_OSDelay, &UPSSts::Schedule_OSDelay},
};

} // namespace

void FillActionsWindow(WindowRef window) {
    for (int j = 0; j < 3; ++j)
        SetValueOf(window, kActi, 128 + 4 * j, CheckBoxValue(PtUPSSts.*Delays[j].flag), false);
    SetValueOf(window, kActi, 141, CheckBoxValue(PtUPSSts.flag_EnableCommand), false);
    for (int j = 0; j < 3; ++j)
        FillPopup(window, kActi, 129 + 4 * j, DelayItems(), DelayItem(PtUPSSts.*Delays[j].delay),
                  false);
    SetTextOf(window, kActi, 143,
              std::string(PtUPSSts.CommandFile,
                          strnlen(PtUPSSts.CommandFile, sizeof PtUPSSts.CommandFile)),
              false);
    char time[16];
    std::snprintf(time, sizeof time, "%d", PtUPSSts.Command_Time);
    SetTextOf(window, kActi, 144, time, false);
}

OSStatus ActionsWindowEventHandler(EventHandlerCallRef, EventRef event, void* userData) {
    auto window = static_cast<WindowRef>(userData);
    switch (CommandOfEvent(event)) {
    case kHICommandOK: {
        UPSSts next = PtUPSSts;
        for (int j = 0; j < 3; ++j) {
            next.*Delays[j].flag = FlagOfCheckBox(ValueOf(window, kActi, 128 + 4 * j));
            next.*Delays[j].delay = DelayOfItem(ValueOf(window, kActi, 129 + 4 * j));
        }
        next.flag_EnableCommand = FlagOfCheckBox(ValueOf(window, kActi, 141));
        // A path too long for the field keeps the old one rather than a cut one.
        StoreCommandFile(next.CommandFile, TextOf(window, kActi, 143));
        next.Command_Time = CommandTimeOfText(TextOf(window, kActi, 144));
        if (SaveSettings(window, next)) DisposeWindow(window);
        return noErr;
    }
    case kHICommandCancel:
        DisposeWindow(window);
        return noErr;
    case FourCharCode("brow"):
        HandleOpenFile();
        return noErr;
    default:
        return eventNotHandledErr;
    }
}
