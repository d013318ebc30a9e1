// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The records shared by every part of the monitor and by the UPS agent.
// UPSVal is also the byte image of ZAN_VAL.DAT; that image is produced and
// consumed only by EncodeUPSVal / DecodeUPSVal (file.h), never by casting.
#pragma once

#include <cstdint>

using Boolean = std::uint8_t;

struct UPSSts {
    short Protocol_Type;
    char Vendor[33];
    char Model[65];
    char Version[33];
    char Location[65];
    char BR_Date_Last[9];
    char BR_Date_Next[9];
    int RatingVA;
    short RatingVolt;
    short RatingCurrent;
    short RatingBattVolt;
    short RatingFreq;
    short LoadWarn;
    short LoadSeverity;
    short LogEntry;
    short Main_Item;
    short Main_Step;
    short Main_Meter[2];
    short flag_AutoSave;
    short RatingOutVolt;
    short RatingOutFreq;
    short RatingLowBattTime;
    short RatingTxLoUp;
    short RatingTxLoLo;
    short RatingTxHiUp;
    short RatingTxHiLo;
    short flag_MAPISMTP;
    char SMTPServer[30];
    char SMTPDomain[30];
    char SMTPAccount[64];
    short LowBatteryLevel;
    short flag_Enable_Power_OSDelay;
    short Power_OSDelay;
    short flag_Enable_Power_UPSDelay;
    short Power_UPSDelay;
    short flag_Enable_Battery_OSDelay;
    short Battery_OSDelay;
    short flag_Enable_Battery_UPSDelay;
    short Battery_UPSDelay;
    short flag_Enable_Schedule_OSDelay;
    short Schedule_OSDelay;
    short flag_Enable_Schedule_UPSDelay;
    short Schedule_UPSDelay;
    short flag_EnableCommand;
    char CommandFile[256];
    short Command_Time;
    short flag_EnableNotify;
    short Notify_Interval;
};

// Declared for the agent's vocabulary; the monitor never instantiates it.
struct ACTSts {
    short Enable;
    short DelayTime;
    short flag_ShutSuspend;
    short OSTime;
    short UPSTime;
    char LogMessage[128];
    short BInterval;
    char BroadcastMessage[128];
    short PInterval;
    short EInterval;
    char EMailMessage[128];
    short CDelay;
    char FileName[256];
    short AInterval;
    short Audio;
    char AFileName[256];
    short OutletSelect[8];
    short OutletDelay[8];
    short RatingTxLoUp;
    short RatingTxLoLo;
    short RatingTxHiUp;
    short RatingTxHiLo;
};

// The status word. Bit-field layout is compiler-defined, so the word is kept
// as one 32-bit integer and the fields are named by their masks below.
struct FlagStruct {
    std::int32_t AllSts;
};

constexpr std::int32_t UPS_EPO = static_cast<std::int32_t>(0x80000000u);
constexpr std::int32_t UPS_MANUALBYPASS = 0x40000000;
constexpr std::int32_t UPS_BUCK = 0x20000000;
constexpr std::int32_t UPS_BOOST = 0x10000000;
constexpr std::int32_t UPS_BATTCHARGESTS = 0x0C000000; // two bits
constexpr std::int32_t UPS_BATTDEPLETED = 0x02000000;
constexpr std::int32_t UPS_BATTREPLACE = 0x01000000;
constexpr std::int32_t UPS_TESTFAIL = 0x00800000;
constexpr std::int32_t UPS_ECONOMIC = 0x00400000;
constexpr std::int32_t UPS_INVERTERBAD = 0x00200000;
constexpr std::int32_t UPS_FUSE = 0x00100000;
constexpr std::int32_t UPS_FAN = 0x00080000;
constexpr std::int32_t UPS_AWAITPOWER = 0x00040000;
constexpr std::int32_t UPS_SYSTEMOFF = 0x00020000;
constexpr std::int32_t UPS_OUTPUTOFF = 0x00010000;
constexpr std::int32_t UPS_OUTPUTBAD = 0x00008000;
constexpr std::int32_t UPS_COMMERR = 0x00004000;
constexpr std::int32_t UPS_LOADSEVERITY = 0x00002000;
constexpr std::int32_t UPS_LOADWARN = 0x00001000;
constexpr std::int32_t UPS_CHARGERBAD = 0x00000800;
constexpr std::int32_t UPS_BYPASSBAD = 0x00000400;
constexpr std::int32_t UPS_OVERLOAD = 0x00000200;
constexpr std::int32_t UPS_OVERHEAT = 0x00000100;
constexpr std::int32_t UPS_ACFAIL = 0x00000080;
constexpr std::int32_t UPS_BATTLOW = 0x00000040;
constexpr std::int32_t UPS_BYPASS = 0x00000020;
constexpr std::int32_t UPS_FAIL = 0x00000010;
constexpr std::int32_t UPS_STANDBY = 0x00000008;
constexpr std::int32_t UPS_TESTING = 0x00000004;
constexpr std::int32_t UPS_SHUTACT = 0x00000002;
constexpr std::int32_t UPS_BEEPER = 0x00000001;

// Masks of UPSVal.Available.AllFlags.
constexpr std::int32_t flag_SystemHibernate = static_cast<std::int32_t>(0x80000000u);
constexpr std::int32_t flag_SystemSuspend = 0x40000000;
constexpr std::int32_t flag_TEMP = 0x3FFC0000; // 12 bits
constexpr std::int32_t flag_RNF = 0x00020000;
constexpr std::int32_t flag_ROF = 0x00010000;
constexpr std::int32_t flag_RON = 0x00008000;
constexpr std::int32_t flag_VSN = 0x00004000;
constexpr std::int32_t flag_TXV = 0x00002000;
constexpr std::int32_t flag_UID = 0x00001000;
constexpr std::int32_t flag_UBR = 0x00000800;
constexpr std::int32_t flag_TST = 0x00000400;
constexpr std::int32_t flag_SDT = 0x00000200;
constexpr std::int32_t flag_SDR = 0x00000100;
constexpr std::int32_t flag_SDA = 0x00000080;
constexpr std::int32_t flag_RST = 0x00000040;
constexpr std::int32_t flag_BUZ = 0x00000020;
constexpr std::int32_t flag_ARB = 0x00000010;
constexpr std::int32_t flag_ATX = 0x00000008;
constexpr std::int32_t flag_BTT = 0x00000004;
constexpr std::int32_t flag_ATT = 0x00000002;
constexpr std::int32_t flag_ECO = 0x00000001;

struct AvailableFlags {
    std::int32_t AllFlags;
};

constexpr int UPSValImageSize = 132;
constexpr int ItemCount = 30;

struct UPSVal {
    short flag_OpenUPS;
    short Type;
    std::int32_t SupportItem;
    FlagStruct StatusFlag;
    FlagStruct StatusAvail;
    short Items;
    short ItemVal[ItemCount];
    AvailableFlags Available;
    short InputLines;
    short OutputLines;
    short BypassLines;
    short RelayNo;
    short RelayStatus[8];
    short BattEstimate;
    short ChargeEstimate;
    short TestResult;
    short VoltSensitivity;
    short TxVoltLo;
    short TxVoltHi;
    short ADV_Economic;
    short ADV_AutoTest;
    short ADV_ATX;
    short ADV_FailReboot;
    short DownTime;
};

// Button codes of a calendar entry.
enum : unsigned char {
    ScheduleNone = 0,
    ScheduleShutdown = 1,
    ScheduleRestart = 2,
    ScheduleTest = 3,
    ScheduleDeepTest = 4,
};

struct ScheduleStr {
    unsigned char Button;
    unsigned char Hour;
    unsigned char Minute;
};

struct DateTimeStr {
    short Year;
    short Month;
    short Day;
    short Hour;
    short Minute;
};

struct DataItemStr {
    unsigned char Day;
    unsigned char Hour;
    unsigned char Minute;
    int ItemVal[ItemCount];
};

// Calendar geometry: 24 months of 31 day slots of 6 entries.
constexpr int ScheduleEntriesPerDay = 6;
constexpr int ScheduleRowsPerMonth = 31 * ScheduleEntriesPerDay; // 186
constexpr int ScheduleRowsPerYear = 12 * ScheduleRowsPerMonth;   // 2232
constexpr int ScheduleRows = 2 * ScheduleRowsPerYear;            // 4464

// Process-wide records.
extern char CurDir[256];
extern UPSSts PtUPSSts;
extern UPSVal PtUPSVal;
extern DataItemStr DataItem;
extern int flag_LoadSTS;
extern int flag_LoadSCH;
extern int flag_LoadCancelShutdown;
