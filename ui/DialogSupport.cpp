// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogSupport.h"
#include "Translation.h"

#include "Alert.h"
#include "Controls.h"

const EventTypeSpec kCloseList[1] = {{kEventClassWindow, kEventWindowClose}};
const EventTypeSpec kCommandList[1] = {{kEventClassCommand, kEventCommandProcess}};
const EventTypeSpec kWindowMouseList[4] = {{kEventClassWindow, kEventWindowDrawContent},
                                           {kEventClassControl, kEventControlClick},
                                           {kEventClassWindow, kEventWindowClose},
                                           {kEventClassMouse, kEventMouseDown}};
const EventTypeSpec kScheduleList[5] = {{kEventClassWindow, kEventWindowDrawContent},
                                        {kEventClassControl, kEventControlClick},
                                        {kEventClassWindow, kEventWindowClose},
                                        {kEventClassMouse, kEventMouseDown},
                                        {kEventClassKeyboard, kEventRawKeyDown}};

ControlRef ControlOf(WindowRef window, OSType signature, SInt32 id) {
    const ControlID cid{signature, id};
    ControlRef control = nullptr;
    if (GetControlByID(window, &cid, &control) != noErr) return nullptr;
    return control;
}

void FillPopup(WindowRef window, OSType signature, SInt32 id, const ItemList& items, SInt32 value,
               bool draw) {
    ControlRef control = ControlOf(window, signature, id);
    MenuRef menu = GetControlPopupMenuRef(control);
    if (!menu) return;
    DeleteMenuItems(menu, 1, CountMenuItems(menu));
    for (const std::string& item : items)
        AppendMenuItemText(menu, item);
    SetControlMaximum(control, static_cast<SInt32>(items.size()));
    SetControlValue(control, value);
    if (draw) Draw1Control(control);
}

void SetValueOf(WindowRef window, OSType signature, SInt32 id, SInt32 value, bool draw) {
    ControlRef control = ControlOf(window, signature, id);
    if (!control) return;
    SetControlValue(control, value);
    if (draw) Draw1Control(control);
}

SInt32 ValueOf(WindowRef window, OSType signature, SInt32 id) {
    return GetControlValue(ControlOf(window, signature, id));
}

void SetTextOf(WindowRef window, OSType signature, SInt32 id, const std::string& text, bool draw) {
    ControlRef control = ControlOf(window, signature, id);
    if (!control) return;
    SetControlText(control, text);
    if (draw) Draw1Control(control);
}

std::string TextOf(WindowRef window, OSType signature, SInt32 id) {
    return GetControlText(ControlOf(window, signature, id));
}

bool ReportSave(WindowRef window, SaveResult result, const std::string& error, SavedWhat what) {
    if (result == SaveResult::Saved) return true;
    const bool calendar = what == SavedWhat::Calendar;
    if (result == SaveResult::NotSaved)
        ShowAlert(
            window, Translated("Dialogs", "Not saved"),
            Substituted(calendar ? Translated("Dialogs",
                                              "The calendar could not be saved: %1\nClose again to "
                                              "close the window without saving it.")
                                 : Translated("Dialogs", "The settings could not be saved: %1"),
                        {error}));
    else
        ShowAlert(
            window, Translated("Dialogs", "Agent not told"),
            Substituted(
                calendar
                    ? Translated("Dialogs", "The calendar was saved, but the agent could not be "
                                            "told: %1")
                    : Translated("Dialogs", "The settings were saved, but the agent could not be "
                                            "told: %1"),
                {error}));
    return false;
}

bool SaveSettings(WindowRef window, const UPSSts& next) {
    std::string error;
    const SaveResult result = WriteUPSSts(next, &error);
    return ReportSave(window, result, error, SavedWhat::Settings);
}

UInt32 CommandOfEvent(EventRef event) {
    HICommand command{};
    if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                          nullptr, &command) != noErr)
        return 0;
    return command.commandID;
}
