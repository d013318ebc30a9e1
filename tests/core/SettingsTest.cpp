// The settings file ZAN_UPS.STS: its 33 lines byte for byte, the defaults
// dated by the clock, and the reader's quirks (lost last character, lines
// read in pieces, carriage returns, 16-bit numbers).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Folder.h"
#include "file.h"

namespace {

using namespace corvanta_test;

// The numeric lines of the file and the fields they carry.
struct NumberLine {
    int line;
    short UPSSts::*field;
};
const NumberLine kNumberLines[] = {
    {1, &UPSSts::Protocol_Type},      {4, &UPSSts::LoadWarn},
    {5, &UPSSts::LoadSeverity},       {6, &UPSSts::LogEntry},
    {7, &UPSSts::Main_Item},          {8, &UPSSts::Main_Step},
    {11, &UPSSts::flag_AutoSave},     {12, &UPSSts::flag_MAPISMTP},
    {16, &UPSSts::LowBatteryLevel},   {17, &UPSSts::flag_Enable_Power_OSDelay},
    {18, &UPSSts::Power_OSDelay},     {19, &UPSSts::flag_Enable_Power_UPSDelay},
    {20, &UPSSts::Power_UPSDelay},    {21, &UPSSts::flag_Enable_Battery_OSDelay},
    {22, &UPSSts::Battery_OSDelay},   {23, &UPSSts::flag_Enable_Battery_UPSDelay},
    {24, &UPSSts::Battery_UPSDelay},  {25, &UPSSts::flag_Enable_Schedule_OSDelay},
    {26, &UPSSts::Schedule_OSDelay},  {27, &UPSSts::flag_Enable_Schedule_UPSDelay},
    {28, &UPSSts::Schedule_UPSDelay}, {29, &UPSSts::flag_EnableCommand},
    {31, &UPSSts::Command_Time},      {32, &UPSSts::flag_EnableNotify},
    {33, &UPSSts::Notify_Interval},
};

// Every numeric field by line (Main_Meter included), -1 when the line is text.
short NumberAt(const UPSSts& s, int line) {
    if (line == 9) return s.Main_Meter[0];
    if (line == 10) return s.Main_Meter[1];
    for (const NumberLine& n : kNumberLines)
        if (n.line == line) return s.*(n.field);
    return -1;
}

// A record with a distinct value in every field the file carries.
UPSSts DistinctSettings() {
    UPSSts s{};
    s.Protocol_Type = 3;
    std::strcpy(s.BR_Date_Last, "20230102");
    std::strcpy(s.BR_Date_Next, "20260102");
    s.LoadWarn = 75;
    s.LoadSeverity = 95;
    s.LogEntry = 1200;
    s.Main_Item = -7;
    s.Main_Step = 4;
    s.Main_Meter[0] = 5;
    s.Main_Meter[1] = 6;
    s.flag_AutoSave = 0;
    s.flag_MAPISMTP = 1;
    std::strcpy(s.SMTPServer, "smtp.example.org");
    std::strcpy(s.SMTPDomain, "example.org");
    std::strcpy(s.SMTPAccount, "ups-admin@example.org");
    s.LowBatteryLevel = 35;
    s.flag_Enable_Power_OSDelay = 0;
    s.Power_OSDelay = 240;
    s.flag_Enable_Power_UPSDelay = 0;
    s.Power_UPSDelay = 61;
    s.flag_Enable_Battery_OSDelay = 0;
    s.Battery_OSDelay = 31;
    s.flag_Enable_Battery_UPSDelay = 0;
    s.Battery_UPSDelay = 62;
    s.flag_Enable_Schedule_OSDelay = 0;
    s.Schedule_OSDelay = 301;
    s.flag_Enable_Schedule_UPSDelay = 0;
    s.Schedule_UPSDelay = 91;
    s.flag_EnableCommand = 1;
    std::strcpy(s.CommandFile, "/usr/local/bin/on ups event.sh");
    s.Command_Time = 32767;
    s.flag_EnableNotify = 0;
    s.Notify_Interval = -32768;
    return s;
}

const char kDistinctText[] = "3\n20230102\n20260102\n75\n95\n1200\n-7\n4\n5\n6\n0\n1\n"
                             "smtp.example.org\nexample.org\nups-admin@example.org\n"
                             "35\n0\n240\n0\n61\n0\n31\n0\n62\n0\n301\n0\n91\n1\n"
                             "/usr/local/bin/on ups event.sh\n32767\n0\n-32768\n";

// The default file of a start on 5 March 2031.
const char kDefaultText20310305[] = "1\n20310305\n20340305\n80\n90\n1000\n0\n1\n2\n2\n1\n0\n"
                                    "\n\n\n20\n1\n180\n1\n60\n1\n30\n1\n60\n1\n300\n1\n90\n0\n"
                                    "\n60\n1\n60\n";

void ExpectSameStoredFields(const UPSSts& a, const UPSSts& b) {
    for (int line = 1; line <= 33; ++line) {
        if (NumberAt(a, line) == -1 && NumberAt(b, line) == -1) continue;
        EXPECT_EQ(NumberAt(a, line), NumberAt(b, line)) << "line " << line;
    }
    EXPECT_STREQ(a.BR_Date_Last, b.BR_Date_Last);
    EXPECT_STREQ(a.BR_Date_Next, b.BR_Date_Next);
    EXPECT_STREQ(a.SMTPServer, b.SMTPServer);
    EXPECT_STREQ(a.SMTPDomain, b.SMTPDomain);
    EXPECT_STREQ(a.SMTPAccount, b.SMTPAccount);
    EXPECT_STREQ(a.CommandFile, b.CommandFile);
}

class SettingsTest : public CoreTest {
  protected:
    std::string SettingsPath() const { return Path(SettingsFileName); }
    std::string CommandPath() const { return Path(CommandFileName); }
    // Loads the given file text over a record filled with 0x55 markers.
    void LoadText(const std::string& text) {
        WriteFileRaw(SettingsPath(), text);
        LoadUPSSts();
    }
};

TEST_F(SettingsTest, FormatGivesThe33LinesByteForByte) {
    EXPECT_EQ(FormatUPSSts(DistinctSettings()), kDistinctText);
    EXPECT_EQ(SplitLines(kDistinctText).size(), 33u);
}

TEST_F(SettingsTest, WriteWritesTheFileThenTheReloadRequest) {
    PtUPSSts = DistinctSettings();
    WriteUPSSts();
    EXPECT_EQ(ReadFile(SettingsPath()), kDistinctText);
    EXPECT_EQ(ReadFile(CommandPath()), "1\n0\n0\n");
    EXPECT_EQ(flag_LoadSTS, 0) << "the request is cleared once it is written";
    // Nothing else is left in the folder (no temporary file).
    EXPECT_EQ(ListFolder(Folder()), (std::vector<std::string>{CommandFileName, SettingsFileName}));
}

TEST_F(SettingsTest, WriteThenLoadRoundTrips) {
    const UPSSts original = DistinctSettings();
    PtUPSSts = original;
    WriteUPSSts();
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadUPSSts();
    ExpectSameStoredFields(PtUPSSts, original);
}

TEST_F(SettingsTest, RoundTripsExtremeNumbersAndFullTexts) {
    UPSSts s = DistinctSettings();
    s.LoadWarn = -32768;
    s.LoadSeverity = 32767;
    s.Main_Meter[0] = -1;
    std::memset(s.SMTPServer, 's', 29);
    s.SMTPServer[29] = 0;
    std::memset(s.SMTPDomain, 'd', 29);
    s.SMTPDomain[29] = 0;
    std::memset(s.SMTPAccount, 'a', 63);
    s.SMTPAccount[63] = 0;
    std::memset(s.CommandFile, 'c', 255);
    s.CommandFile[255] = 0;
    PtUPSSts = s;
    WriteUPSSts();
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadUPSSts();
    ExpectSameStoredFields(PtUPSSts, s);
}

TEST_F(SettingsTest, DefaultsWhenThereIsNoFileAreDatedByTheClock) {
    SetTestTime(2031, 3, 5, 9, 0, 0);
    std::strcpy(PtUPSSts.Location, "attic");
    std::strcpy(PtUPSSts.Vendor, "kept");
    LoadUPSSts();
    EXPECT_EQ(FormatUPSSts(PtUPSSts), kDefaultText20310305);
    EXPECT_STREQ(PtUPSSts.Location, "") << "the defaults empty Location";
    EXPECT_FALSE(FileExists(SettingsPath())) << "loading never creates the file";
    EXPECT_FALSE(FileExists(CommandPath()));
}

TEST_F(SettingsTest, DefaultDatesFollowTheStartDate) {
    struct Case {
        int y, m, d;
        const char* last;
        const char* next;
    };
    const Case cases[] = {
        {2031, 3, 5, "20310305", "20340305"},
        {2024, 2, 29, "20240229", "20270229"}, // a date that does not exist, stored as computed
        {2024, 12, 31, "20241231", "20271231"},
        {2099, 1, 1, "20990101", "21020101"},
    };
    for (const Case& c : cases) {
        SetTestTime(c.y, c.m, c.d, 23, 59, 59);
        std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
        LoadUPSSts();
        EXPECT_STREQ(PtUPSSts.BR_Date_Last, c.last);
        EXPECT_STREQ(PtUPSSts.BR_Date_Next, c.next);

        UPSSts viaDefaults{};
        DefaultUPSSts(&viaDefaults);
        EXPECT_STREQ(viaDefaults.BR_Date_Last, c.last);
        EXPECT_STREQ(viaDefaults.BR_Date_Next, c.next);
    }
}

TEST_F(SettingsTest, AnExistingFileAppliesNoDefaults) {
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadText("");
    for (int line = 1; line <= 33; ++line) {
        short v = NumberAt(PtUPSSts, line);
        if (line == 2 || line == 3 || line == 13 || line == 14 || line == 15 || line == 30)
            continue;
        EXPECT_EQ(v, 0) << "line " << line;
    }
    EXPECT_STREQ(PtUPSSts.BR_Date_Last, "");
    EXPECT_STREQ(PtUPSSts.BR_Date_Next, "");
    EXPECT_STREQ(PtUPSSts.SMTPServer, "");
    EXPECT_STREQ(PtUPSSts.CommandFile, "");
}

TEST_F(SettingsTest, AShortFileFillsItsLinesAndKeepsTheOtherFields) {
    PtUPSSts = DistinctSettings();
    std::strcpy(PtUPSSts.Vendor, "vendor stays");
    std::strcpy(PtUPSSts.Location, "location stays");
    PtUPSSts.RatingVolt = 230;
    LoadText("9\n20200101\n20230101\n11\n12\n");
    EXPECT_EQ(PtUPSSts.Protocol_Type, 9);
    EXPECT_STREQ(PtUPSSts.BR_Date_Last, "20200101");
    EXPECT_STREQ(PtUPSSts.BR_Date_Next, "20230101");
    EXPECT_EQ(PtUPSSts.LoadWarn, 11);
    EXPECT_EQ(PtUPSSts.LoadSeverity, 12);
    const UPSSts d = DistinctSettings();
    for (int line = 6; line <= 33; ++line)
        EXPECT_EQ(NumberAt(PtUPSSts, line), NumberAt(d, line));
    EXPECT_STREQ(PtUPSSts.SMTPServer, d.SMTPServer);
    EXPECT_STREQ(PtUPSSts.CommandFile, d.CommandFile);
    EXPECT_STREQ(PtUPSSts.Vendor, "vendor stays");
    EXPECT_STREQ(PtUPSSts.Location, "location stays");
    EXPECT_EQ(PtUPSSts.RatingVolt, 230);
}

TEST_F(SettingsTest, ALastLineWithoutLineFeedLosesItsLastCharacter) {
    std::string text = kDefaultText20310305;
    text.pop_back(); // "...\n60" without the final line feed
    LoadText(text);
    EXPECT_EQ(PtUPSSts.Notify_Interval, 6);
    EXPECT_EQ(PtUPSSts.flag_EnableNotify, 1);

    // The same for a text line: "abc" without line feed on line 13 reads "ab".
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\nabc");
    EXPECT_STREQ(PtUPSSts.SMTPServer, "ab");
    EXPECT_EQ(PtUPSSts.flag_MAPISMTP, 12);
}

TEST_F(SettingsTest, NumbersKeepTheirLow16Bits) {
    struct Case {
        const char* text;
        short value;
    };
    const Case cases[] = {
        {"70000", 4464},
        {"-1", -1},
        {"65535", -1},
        {"65536", 0},
        {"32768", -32768},
        {"-32769", 32767},
        {"4294967297", 1},
        {"  +12abc", 12},
        {"\t 42", 42},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"12 34", 12},
        {"99999999999999999999999999999999999999", 0}, // any value will do; it must not be UB
    };
    for (const Case& c : cases) {
        std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
        LoadText(std::string(c.text) + "\n");
        if (std::strlen(c.text) < 30) {
            EXPECT_EQ(PtUPSSts.Protocol_Type, c.value) << '"' << c.text << '"';
            EXPECT_EQ(AtoiShort(c.text), c.value) << '"' << c.text << '"';
        }
    }
}

TEST_F(SettingsTest, HugeNumbersNeverMisbehave) {
    // Any digits at all: the reader must neither crash nor overflow (the
    // sanitizer build turns signed overflow into a failure).
    const std::string huge[] = {
        std::string(298, '9'),  "-" + std::string(297, '9'), "9223372036854775807",
        "9223372036854775808",  "-9223372036854775808",      "-9223372036854775809",
        "18446744073709551616",
    };
    for (const std::string& h : huge) {
        LoadText(h + "\n" + h + "\n");
        (void)AtoiShort(h.c_str());
        (void)AtoiByte(h.c_str());
        (void)AtoiWide(h.c_str());
    }
    EXPECT_EQ(AtoiWide("9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(AtoiWide("-123456789012"), -123456789012LL);
    EXPECT_EQ(AtoiShort("9223372036854775807"), -1); // low 16 bits of 0x7FFF...FFFF
}

TEST_F(SettingsTest, OverlongTextsAreCutToTheirField) {
    const std::string date = "2024010199";
    const std::string server(40, 's'), domain(31, 'd'), account(100, 'a'), command(280, 'c');
    std::string text = "1\n" + date + "\n" + date + "\n";
    for (int line = 4; line <= 12; ++line)
        text += std::to_string(line) + "\n";
    text += server + "\n" + domain + "\n" + account + "\n";
    for (int line = 16; line <= 29; ++line)
        text += std::to_string(line) + "\n";
    text += command + "\n31\n32\n33\n";
    LoadText(text);
    EXPECT_STREQ(PtUPSSts.BR_Date_Last, "20240101");
    EXPECT_STREQ(PtUPSSts.BR_Date_Next, "20240101");
    EXPECT_EQ(std::string(PtUPSSts.SMTPServer), server.substr(0, 29));
    EXPECT_EQ(std::string(PtUPSSts.SMTPDomain), domain.substr(0, 29));
    EXPECT_EQ(std::string(PtUPSSts.SMTPAccount), account.substr(0, 63));
    EXPECT_EQ(std::string(PtUPSSts.CommandFile), command.substr(0, 255));
    // Fields after the cut texts are in their places.
    EXPECT_EQ(PtUPSSts.LowBatteryLevel, 16);
    EXPECT_EQ(PtUPSSts.flag_EnableCommand, 29);
    EXPECT_EQ(PtUPSSts.Command_Time, 31);
    EXPECT_EQ(PtUPSSts.Notify_Interval, 33);
}

TEST_F(SettingsTest, ALineOf299CharactersOrMoreIsReadInPiecesAndShiftsLaterFields) {
    // Line 30 of 600 characters is read as three pieces: 299 (line 30),
    // 299 (line 31) and "xx" (line 32); the file's line 31 lands on line 33.
    std::string text;
    for (int line = 1; line <= 29; ++line)
        text += std::to_string(line) + "\n";
    text += std::string(600, 'x') + "\n61\n1\n62\n";
    LoadText(text);
    EXPECT_EQ(std::string(PtUPSSts.CommandFile), std::string(255, 'x'));
    EXPECT_EQ(PtUPSSts.Command_Time, 0);
    EXPECT_EQ(PtUPSSts.flag_EnableNotify, 0);
    EXPECT_EQ(PtUPSSts.Notify_Interval, 61);
    EXPECT_EQ(PtUPSSts.flag_EnableCommand, 29);
}

TEST_F(SettingsTest, PieceBoundaryAt298And299Characters) {
    // 298 characters and a line feed fit one piece; 299 characters leave the
    // line feed for a piece of its own (an empty line 5).
    std::string fits = "1\n2\n3\n" + std::string(298, '7') + "\n5\n6\n";
    PtUPSSts.LoadSeverity = -100;
    LoadText(fits);
    EXPECT_EQ(PtUPSSts.LoadSeverity, 5);
    EXPECT_EQ(PtUPSSts.LogEntry, 6);

    std::string shifts = "1\n2\n3\n" + std::string(299, '7') + "\n5\n6\n";
    LoadText(shifts);
    EXPECT_EQ(PtUPSSts.LoadSeverity, 0) << "the lone line feed is a line of its own";
    EXPECT_EQ(PtUPSSts.LogEntry, 5);
    EXPECT_EQ(PtUPSSts.Main_Item, 6);

    // Each piece loses its last character too: 297 blanks and "12" read as 1.
    std::string blanks = "1\n2\n3\n" + std::string(297, ' ') + "12\n5\n6\n";
    LoadText(blanks);
    EXPECT_EQ(PtUPSSts.LoadWarn, 1);
    EXPECT_EQ(PtUPSSts.LoadSeverity, 0);
    EXPECT_EQ(PtUPSSts.LogEntry, 5);

    // A text field filled from a 299-character line keeps 298 of them, cut.
    std::string text;
    for (int line = 1; line <= 12; ++line)
        text += "0\n";
    text += std::string(299, 'q') + "\n";
    LoadText(text);
    EXPECT_EQ(std::string(PtUPSSts.SMTPServer), std::string(29, 'q'));
    EXPECT_STREQ(PtUPSSts.SMTPDomain, "") << "the line feed piece";
}

TEST_F(SettingsTest, CarriageReturnsStayInTextsAndNumbersIgnoreThem) {
    std::string text = "2\r\n20240102\r\n20270102\r\n81\r\n91\r\n";
    for (int line = 6; line <= 12; ++line)
        text += std::to_string(line) + "\r\n";
    text += "mail.example\r\ndomain\r\n\r\n";
    LoadText(text);
    EXPECT_EQ(PtUPSSts.Protocol_Type, 2);
    EXPECT_STREQ(PtUPSSts.BR_Date_Last, "20240102") << "the CR is cut off by the 8-character field";
    EXPECT_EQ(PtUPSSts.LoadWarn, 81);
    EXPECT_EQ(PtUPSSts.LoadSeverity, 91);
    EXPECT_EQ(PtUPSSts.flag_MAPISMTP, 12);
    EXPECT_STREQ(PtUPSSts.SMTPServer, "mail.example\r");
    EXPECT_STREQ(PtUPSSts.SMTPDomain, "domain\r");
    EXPECT_STREQ(PtUPSSts.SMTPAccount, "\r");
}

TEST_F(SettingsTest, LinesAfterThe33rdAreIgnored) {
    std::string text = kDefaultText20310305;
    text += "999\n888\nmore text\n";
    LoadText(text);
    EXPECT_EQ(PtUPSSts.Notify_Interval, 60);
    EXPECT_EQ(PtUPSSts.Protocol_Type, 1);
}

TEST_F(SettingsTest, AFileWithBinaryGarbageNeverOverruns) {
    std::string junk;
    for (int i = 0; i < 5000; ++i)
        junk += static_cast<char>((i * 131 + 7) & 0xFF);
    LoadText(junk);
    EXPECT_LT(std::strlen(PtUPSSts.BR_Date_Last), sizeof PtUPSSts.BR_Date_Last);
    EXPECT_LT(std::strlen(PtUPSSts.SMTPServer), sizeof PtUPSSts.SMTPServer);
    EXPECT_LT(std::strlen(PtUPSSts.SMTPAccount), sizeof PtUPSSts.SMTPAccount);
    EXPECT_LT(std::strlen(PtUPSSts.CommandFile), sizeof PtUPSSts.CommandFile);
}

TEST_F(SettingsTest, ParseReadsFromAnOpenStream) {
    std::FILE* in = fmemopen(const_cast<char*>(kDistinctText), sizeof kDistinctText - 1, "r");
    ASSERT_NE(in, nullptr);
    UPSSts s{};
    ParseUPSSts(in, &s);
    std::fclose(in);
    ExpectSameStoredFields(s, DistinctSettings());
}

TEST_F(SettingsTest, AFailedOpenSendsNoRequest) {
    // CurDir names a folder that does not exist.
    std::string error;
    ASSERT_TRUE(SetCurDir(Path("missing").c_str(), &error));
    PtUPSSts = DistinctSettings();
    WriteUPSSts();
    EXPECT_EQ(flag_LoadSTS, 0) << "no reload request when the settings were not written";
    EXPECT_FALSE(FileExists(Path("missing")));
    EXPECT_EQ(PtUPSSts.LoadWarn, 75) << "the record keeps the new values";

    // A path through a regular file.
    WriteFileRaw(Path("plain"), "x");
    ASSERT_TRUE(SetCurDir(Path("plain").c_str(), &error));
    WriteUPSSts();
    EXPECT_EQ(flag_LoadSTS, 0);
    EXPECT_EQ(ReadFile(Path("plain")), "x");
}

// Runs body with the process's file size limit at limitBytes, as a full disk
// would behave for writes past that size.
template <class Body> void WithFileSizeLimit(rlim_t limitBytes, Body body) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = limitBytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    body();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
}

TEST_F(SettingsTest, AFullDiskLeavesTheOldFileWholeAndSendsNoRequest) {
    PtUPSSts = DistinctSettings();
    WriteUPSSts();
    ASSERT_EQ(ReadFile(SettingsPath()), kDistinctText);
    std::remove(CommandPath().c_str());

    PtUPSSts.LoadWarn = 1;
    WithFileSizeLimit(16, [] { WriteUPSSts(); });
    EXPECT_EQ(ReadFile(SettingsPath()), kDistinctText) << "the old file is whole";
    EXPECT_FALSE(FileExists(CommandPath())) << "no request for a write that failed";
    EXPECT_EQ(flag_LoadSTS, 0);
    EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{SettingsFileName})
        << "no temporary file left behind";
}

TEST_F(SettingsTest, ACommandFileThatCannotBeReplacedKeepsTheRequestRaised) {
    // A folder standing under the command file's name: the settings are
    // written, the request cannot be, and waits.
    ASSERT_EQ(mkdir(CommandPath().c_str(), 0755), 0);
    PtUPSSts = DistinctSettings();
    WriteUPSSts();
    EXPECT_EQ(ReadFile(SettingsPath()), kDistinctText);
    EXPECT_EQ(flag_LoadSTS, 1);
    EXPECT_EQ(ListFolder(Folder()), (std::vector<std::string>{CommandFileName, SettingsFileName}))
        << "no temporary file left behind";
    RemoveTree(CommandPath());
    WriteCommand();
    EXPECT_EQ(ReadFile(CommandPath()), "1\n0\n0\n");
    EXPECT_EQ(flag_LoadSTS, 0);
}

TEST_F(SettingsTest, SavingTwiceWritesTheCommandFileTwice) {
    PtUPSSts = DistinctSettings();
    WriteUPSSts();
    ASSERT_EQ(ReadFile(CommandPath()), "1\n0\n0\n");
    WriteFileRaw(CommandPath(), "read by the agent\n");
    WriteUPSSts();
    EXPECT_EQ(ReadFile(CommandPath()), "1\n0\n0\n");
}

TEST_F(SettingsTest, NewFilesAreCreatedWithTheUsualPermissions) {
    // The agent may run as another user: the files must be as readable as a
    // plain fopen(..., "w") would make them, not private like a mkstemp file.
    mode_t mask = umask(022);
    PtUPSSts = DistinctSettings();
    WriteUPSSts();
    umask(mask);
    struct stat st {};
    ASSERT_EQ(stat(SettingsPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ASSERT_EQ(stat(CommandPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

} // namespace
