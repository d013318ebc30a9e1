// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// ZAN_UPS.STS: the settings, one field per line.
#include <cstring>

#include "Clock.h"
#include "Folder.h"
#include "file.h"

namespace {

// Line n of the file (1-based) is row n - 1: a 16-bit number or a text with
// its field's capacity (NUL included).
struct SettingsRow {
    short* (*number)(UPSSts&);
    char* (*text)(UPSSts&);
    std::size_t capacity;
};

#define NUM(f)                                                                                     \
    SettingsRow {                                                                                  \
        [](UPSSts& s) { return &s.f; }, nullptr, 0                                                 \
    }
#define TXT(f)                                                                                     \
    SettingsRow {                                                                                  \
        nullptr, [](UPSSts& s) -> char* { return s.f; }, sizeof(UPSSts::f)                         \
    }

const SettingsRow Rows[33] = {
    NUM(Protocol_Type),
    TXT(BR_Date_Last),
    TXT(BR_Date_Next),
    NUM(LoadWarn),
    NUM(LoadSeverity),
    NUM(LogEntry),
    NUM(Main_Item),
    NUM(Main_Step),
    NUM(Main_Meter[0]),
    NUM(Main_Meter[1]),
    NUM(flag_AutoSave),
    NUM(flag_MAPISMTP),
    TXT(SMTPServer),
    TXT(SMTPDomain),
    TXT(SMTPAccount),
    NUM(LowBatteryLevel),
    NUM(flag_Enable_Power_OSDelay),
    NUM(Power_OSDelay),
    NUM(flag_Enable_Power_UPSDelay),
    NUM(Power_UPSDelay),
    NUM(flag_Enable_Battery_OSDelay),
    NUM(Battery_OSDelay),
    NUM(flag_Enable_Battery_UPSDelay),
    NUM(Battery_UPSDelay),
    NUM(flag_Enable_Schedule_OSDelay),
    NUM(Schedule_OSDelay),
    NUM(flag_Enable_Schedule_UPSDelay),
    NUM(Schedule_UPSDelay),
    NUM(flag_EnableCommand),
    TXT(CommandFile),
    NUM(Command_Time),
    NUM(flag_EnableNotify),
    NUM(Notify_Interval),
};

#undef NUM
#undef TXT

} // namespace

std::string FormatUPSSts(const UPSSts& sts) {
    UPSSts copy = sts;
    std::string out;
    out.reserve(600);
    for (const SettingsRow& row : Rows) {
        if (row.number) {
            out += std::to_string(*row.number(copy));
        } else {
            const char* field = row.text(copy);
            out.append(field, strnlen(field, row.capacity));
        }
        out += '\n';
    }
    return out;
}

void ParseUPSSts(std::FILE* in, UPSSts* sts) {
    char buffer[300];
    int line = 0;
    while (std::fgets(buffer, sizeof buffer, in) != nullptr) {
        // The last character read is dropped whatever it is: normally the
        // line feed, else the last character of a final unterminated line.
        std::size_t len = std::strlen(buffer);
        if (len > 0) buffer[len - 1] = '\0';
        if (line < 33) {
            if (Rows[line].number) {
                *Rows[line].number(*sts) = AtoiShort(buffer);
            } else {
                CopyField(Rows[line].text(*sts), Rows[line].capacity, buffer);
            }
        }
        ++line;
    }
}

void DefaultUPSSts(UPSSts* s) {
    DateTimeRec now;
    GetTime(&now);
    char date[32];
    s->Protocol_Type = 1;
    std::snprintf(date, sizeof date, "%04d%02d%02d", now.year, now.month, now.day);
    CopyField(s->BR_Date_Last, sizeof s->BR_Date_Last, date);
    std::snprintf(date, sizeof date, "%04d%02d%02d", now.year + 3, now.month, now.day);
    CopyField(s->BR_Date_Next, sizeof s->BR_Date_Next, date);
    s->Location[0] = '\0';
    s->LoadWarn = 80;
    s->LoadSeverity = 90;
    s->LogEntry = 1000;
    s->Main_Item = 0;
    s->Main_Step = 1;
    s->Main_Meter[0] = 2;
    s->Main_Meter[1] = 2;
    s->flag_AutoSave = 1;
    s->flag_MAPISMTP = 0;
    s->SMTPServer[0] = '\0';
    s->SMTPDomain[0] = '\0';
    s->SMTPAccount[0] = '\0';
    s->LowBatteryLevel = 20;
    s->flag_Enable_Power_OSDelay = 1;
    s->Power_OSDelay = 180;
    s->flag_Enable_Power_UPSDelay = 1;
    s->Power_UPSDelay = 60;
    s->flag_Enable_Battery_OSDelay = 1;
    s->Battery_OSDelay = 30;
    s->flag_Enable_Battery_UPSDelay = 1;
    s->Battery_UPSDelay = 60;
    s->flag_Enable_Schedule_OSDelay = 1;
    s->Schedule_OSDelay = 300;
    s->flag_Enable_Schedule_UPSDelay = 1;
    s->Schedule_UPSDelay = 90;
    s->flag_EnableCommand = 0;
    s->CommandFile[0] = '\0';
    s->Command_Time = 60;
    s->flag_EnableNotify = 1;
    s->Notify_Interval = 60;
}

void LoadUPSSts() {
    UniqueFile in = OpenFolderFile(FolderFile(SettingsFileName), SettingsFileCap);
    if (in == nullptr) {
        DefaultUPSSts(&PtUPSSts);
        return;
    }
    ParseUPSSts(in.get(), &PtUPSSts);
}

SaveResult WriteUPSSts(const UPSSts& sts, std::string* error) {
    const std::string path = FolderFile(SettingsFileName);
    if (!WriteFileAtomic(path, FormatUPSSts(sts))) {
        if (error) *error = CannotWrite(path);
        return SaveResult::NotSaved;
    }
    PtUPSSts = sts;
    flag_LoadSTS = 1;
    return WriteCommand(error) ? SaveResult::Saved : SaveResult::AgentNotTold;
}

SaveResult WriteUPSSts(std::string* error) {
    return WriteUPSSts(UPSSts(PtUPSSts), error);
}
