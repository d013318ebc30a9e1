// The settings file ZAN_UPS.STS (its 33 lines byte for byte, the defaults
// dated by the clock, the reader's quirks) and the ratings file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "file.h"

namespace {

using namespace corvanta_test;

// A record with a distinct value in every field the file carries.
UPSSts DistinctSettings() {
    const std::pair<short UPSSts::*, short> numbers[] = {
        {&UPSSts::Protocol_Type, 3},        {&UPSSts::LoadWarn, 75},
        {&UPSSts::LoadSeverity, 95},        {&UPSSts::LogEntry, 1200},
        {&UPSSts::Main_Item, -7},           {&UPSSts::Main_Step, 4},
        {&UPSSts::flag_AutoSave, 0},        {&UPSSts::flag_MAPISMTP, 1},
        {&UPSSts::LowBatteryLevel, 35},     {&UPSSts::flag_Enable_Power_OSDelay, 2},
        {&UPSSts::Power_OSDelay, 240},      {&UPSSts::flag_Enable_Power_UPSDelay, 3},
        {&UPSSts::Power_UPSDelay, 61},      {&UPSSts::flag_Enable_Battery_OSDelay, 4},
        {&UPSSts::Battery_OSDelay, 31},     {&UPSSts::flag_Enable_Battery_UPSDelay, 5},
        {&UPSSts::Battery_UPSDelay, 62},    {&UPSSts::flag_Enable_Schedule_OSDelay, 6},
        {&UPSSts::Schedule_OSDelay, 301},   {&UPSSts::flag_Enable_Schedule_UPSDelay, 7},
        {&UPSSts::Schedule_UPSDelay, 91},   {&UPSSts::flag_EnableCommand, 1},
        {&UPSSts::Command_Time, 32767},     {&UPSSts::flag_EnableNotify, 8},
        {&UPSSts::Notify_Interval, -32768},
    };
    UPSSts s{};
    for (const auto& [field, value] : numbers)
        s.*field = value;
    s.Main_Meter[0] = 5;
    s.Main_Meter[1] = 6;
    std::strcpy(s.BR_Date_Last, "20230102");
    std::strcpy(s.BR_Date_Next, "20260102");
    std::strcpy(s.SMTPServer, "smtp.example.org");
    std::strcpy(s.SMTPDomain, "example.org");
    std::strcpy(s.SMTPAccount, "ups-admin@example.org");
    std::strcpy(s.CommandFile, "/usr/local/bin/on ups event.sh");
    return s;
}

const char kDistinctText[] = "3\n20230102\n20260102\n75\n95\n1200\n-7\n4\n5\n6\n0\n1\n"
                             "smtp.example.org\nexample.org\nups-admin@example.org\n"
                             "35\n2\n240\n3\n61\n4\n31\n5\n62\n6\n301\n7\n91\n1\n"
                             "/usr/local/bin/on ups event.sh\n32767\n8\n-32768\n";

// The default file of a start on the given day (dates as YYYYMMDD).
std::string DefaultText(const std::string& date, const std::string& next) {
    return "1\n" + date + "\n" + next +
           "\n80\n90\n1000\n0\n1\n2\n2\n1\n0\n\n\n\n20\n1\n180\n1\n60\n1\n30\n1\n60\n1\n300\n1\n90"
           "\n0"
           "\n\n60\n1\n60\n";
}

// The text "from\n...to\n".
std::string Numbered(int from, int to) {
    std::string text;
    for (int line = from; line <= to; ++line)
        text += std::to_string(line) + "\n";
    return text;
}

class SettingsTest : public CoreTest {
  protected:
    void LoadText(const std::string& text) {
        WriteFileRaw(Path(SettingsFileName), text);
        LoadUPSSts();
    }
    // Line `line` (1-based) of the text the record would be saved as.
    static std::string Line(int line) { return SplitLines(FormatUPSSts(PtUPSSts)).at(line - 1); }
};

TEST_F(SettingsTest, SaveWritesThe33LinesThenTheReloadRequestAndLoadReadsThemBack) {
    EXPECT_EQ(FormatUPSSts(DistinctSettings()), kDistinctText);
    PtUPSSts = DistinctSettings();
    WriteUPSSts();
    EXPECT_EQ(ReadFile(Path(SettingsFileName)), kDistinctText);
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "1\n0\n0\n");
    EXPECT_EQ(flag_LoadSTS, 0) << "the request is cleared once it is written";
    EXPECT_EQ(ListFolder(Folder()), (std::vector<std::string>{CommandFileName, SettingsFileName}));

    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadUPSSts();
    EXPECT_EQ(FormatUPSSts(PtUPSSts), kDistinctText);
}

TEST_F(SettingsTest, WithoutAFileTheDefaultsAreDatedByTheClock) {
    struct Case {
        int y, m, d;
        const char *last, *next;
    };
    const Case cases[] = {
        {2031, 3, 5, "20310305", "20340305"},
        {2024, 2, 29, "20240229", "20270229"}, // a day that will not exist, stored as computed
        {2024, 12, 31, "20241231", "20271231"},
        {2099, 1, 1, "20990101", "21020101"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        SetTestTime(c.y, c.m, c.d, 23, 59, 59);
        std::memset(&PtUPSSts, 0x55, sizeof PtUPSSts);
        std::strcpy(PtUPSSts.Location, "attic");
        LoadUPSSts();
        EXPECT_EQ(FormatUPSSts(PtUPSSts), DefaultText(c.last, c.next));
        EXPECT_STREQ(PtUPSSts.Location, "");
        UPSSts direct{};
        DefaultUPSSts(&direct);
        EXPECT_EQ(FormatUPSSts(direct), DefaultText(c.last, c.next));
    }
    EXPECT_TRUE(ListFolder(Folder()).empty()) << "loading never creates a file";
}

TEST_F(SettingsTest, AnExistingFileOnlyReplacesTheLinesItHas) {
    PtUPSSts = DistinctSettings();
    std::strcpy(PtUPSSts.Vendor, "vendor stays");
    PtUPSSts.RatingVolt = 230;
    LoadText("");
    EXPECT_EQ(FormatUPSSts(PtUPSSts), kDistinctText) << "an empty file applies no defaults";

    LoadText("9\n20200101\n20230101\n11\n12\n");
    std::vector<std::string> expected = SplitLines(kDistinctText);
    expected[0] = "9", expected[1] = "20200101", expected[2] = "20230101";
    expected[3] = "11", expected[4] = "12";
    EXPECT_EQ(SplitLines(FormatUPSSts(PtUPSSts)), expected);
    EXPECT_STREQ(PtUPSSts.Vendor, "vendor stays");
    EXPECT_EQ(PtUPSSts.RatingVolt, 230);
}

TEST_F(SettingsTest, ReaderQuirks) {
    struct Case {
        const char* why;
        std::string text;
        std::vector<std::pair<int, std::string>> lines; // line of the reloaded record, text
    };
    std::string unterminated = DefaultText("20310305", "20340305");
    unterminated.pop_back();
    const std::string longTexts = "1\n2024010199\n2024010199\n" + Numbered(4, 12) +
                                  std::string(40, 's') + "\n" + std::string(31, 'd') + "\n" +
                                  std::string(100, 'a') + "\n" + Numbered(16, 29) +
                                  std::string(280, 'c') + "\n31\n32\n33\n";
    const Case cases[] = {
        {"an unterminated last line loses its last character",
         unterminated,
         {{32, "1"}, {33, "6"}}},
        {"the same for a text line", Numbered(1, 12) + "abc", {{12, "12"}, {13, "ab"}}},
        {"texts are cut to their fields",
         longTexts,
         {{2, "20240101"},
          {13, std::string(29, 's')},
          {15, std::string(63, 'a')},
          {16, "16"},
          {30, std::string(255, 'c')},
          {33, "33"}}},
        {"a 600-character line is read as 299 + 299 + 2 and shifts the fields after it",
         Numbered(1, 29) + std::string(600, 'x') + "\n61\n1\n62\n",
         {{29, "29"}, {30, std::string(255, 'x')}, {31, "0"}, {32, "0"}, {33, "61"}}},
        {"298 characters and the line feed fit one piece",
         "1\n2\n3\n" + std::string(298, '7') + "\n5\n6\n",
         {{5, "5"}, {6, "6"}}},
        {"299 characters leave the line feed as a line of its own",
         "1\n2\n3\n" + std::string(299, '7') + "\n5\n6\n",
         {{5, "0"}, {6, "5"}, {7, "6"}}},
        {"each piece loses its last character",
         "1\n2\n3\n" + std::string(297, ' ') + "12\n5\n6\n",
         {{4, "1"}, {5, "0"}, {6, "5"}}},
        {"a 299-character text line: cut, then its line feed as the next line",
         Numbered(1, 12) + std::string(299, 'q') + "\ndom\n",
         {{13, std::string(29, 'q')}, {14, ""}, {15, "dom"}}},
        {"carriage returns stay in texts, numbers ignore them",
         "2\r\n20240102\r\n20270102\r\n81\r\n" + Numbered(5, 12) + "mail\r\ndomain\r\n\r\n",
         {{1, "2"}, {2, "20240102"}, {4, "81"}, {13, "mail\r"}, {14, "domain\r"}, {15, "\r"}}},
        {"lines after the 33rd are ignored",
         DefaultText("20310305", "20340305") + "999\n888\n",
         {{1, "1"}, {33, "60"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
        LoadText(c.text);
        for (const auto& [line, text] : c.lines)
            EXPECT_EQ(Line(line), text) << "line " << line;
    }
}

TEST_F(SettingsTest, NumbersKeepTheirLow16BitsWhateverTheirSize) {
    struct Case {
        const char* text;
        short value;
    };
    const Case cases[] = {
        {"70000", 4464},   {"-1", -1},
        {"65535", -1},     {"65536", 0},
        {"32768", -32768}, {"-32769", 32767},
        {"4294967297", 1}, {"  +12abc", 12},
        {"\t 42", 42},     {"abc", 0},
        {"", 0},           {"- 5", 0},
        {"12 34", 12},     {"9223372036854775807", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        LoadText(std::string(c.text) + "\n");
        EXPECT_EQ(PtUPSSts.Protocol_Type, c.value);
        EXPECT_EQ(AtoiShort(c.text), c.value);
    }
    EXPECT_EQ(AtoiWide("-123456789012"), -123456789012LL);
    // Any number of digits: no crash and no overflow (the sanitizer build
    // turns signed overflow into a failure).
    for (const std::string& huge :
         {std::string(298, '9'), "-" + std::string(297, '9'), std::string("-9223372036854775809"),
          std::string("18446744073709551616")}) {
        LoadText(huge + "\n" + huge + "\n");
        (void)AtoiByte(huge.c_str());
    }
}

class RatingsTest : public CoreTest {};

TEST_F(RatingsTest, ThreeNumbersTakenWholeOrNotAtAll) {
    struct Case {
        const char* text; // nullptr: no file
        bool taken;
        short volt, current, batt;
    };
    const Case cases[] = {
        {"230\n12\n24\n", true, 230, 12, 24},
        {"120\r\n8\r\n48\r\n", true, 120, 8, 48},
        {"-5\n0\n32767\n", true, -5, 0, 32767},
        {nullptr, false, 1, 2, 3},
        {"", false, 1, 2, 3},
        {"230\n12\n", false, 1, 2, 3},
        {"230\nabc\n24\n", false, 1, 2, 3},
        {"230\n12\n24x\n", false, 1, 2, 3},
        {"70000\n1\n2\n", false, 1, 2, 3},
        {"\n\n\n", false, 1, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "no file");
        PtUPSSts.RatingVolt = 1;
        PtUPSSts.RatingCurrent = 2;
        PtUPSSts.RatingBattVolt = 3;
        std::remove(Path(RatingFileName).c_str());
        if (c.text) WriteFileRaw(Path(RatingFileName), c.text);
        EXPECT_EQ(LoadRatings(), c.taken);
        EXPECT_EQ(PtUPSSts.RatingVolt, c.volt);
        EXPECT_EQ(PtUPSSts.RatingCurrent, c.current);
        EXPECT_EQ(PtUPSSts.RatingBattVolt, c.batt);
    }
}

} // namespace
