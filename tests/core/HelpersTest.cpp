// The small pieces every reader shares: StringToken, the 8-bit numbers, the measurement slots, the
// clock and the program folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "Clock.h"
#include "CoreTestSupport.h"
#include "Folder.h"
#include "HID.h"
#include "file.h"

namespace {

using corvanta_test::ResetCoreState;

class HelpersTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetCoreState(); }
    void TearDown() override { ResetCoreState(); }
};

TEST_F(HelpersTest, StringTokenSplitsAsTheCalendarRowsNeed) {
    struct Case {
        const char* text;
        std::string seps; // one per call; the first call passes the text
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"3\t12\t30\n", "\t\t\t\t", {"3", "12", "30\n", ""}},
        {"\t5", "\t\t\t", {"", "5", ""}},
        {"a,,b", ",,,,", {"a", "", "b", ""}},
        {"no separator", "\t\t", {"no separator", ""}},
        {"", "\t\t", {"", ""}},
        {"x\t", "\t\t\t", {"x", "", ""}},
        {"3\t12\t30\n", "\n\n", {"3\t12\t30", ""}},
        {"1\t2,3\t4", "\t,\t\t\t", {"1", "2", "3", "4", ""}}, // the separator may change
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        std::vector<std::string> got;
        for (std::size_t i = 0; i < c.seps.size(); ++i) {
            char* t = StringToken(i == 0 ? c.text : nullptr, c.seps[i]);
            EXPECT_EQ(t, StringBuffer);
            got.push_back(t);
        }
        EXPECT_EQ(got, c.tokens);
    }
    // A new text abandons the previous one; the text may be the last token.
    StringToken("a\tb\tc", '\t');
    EXPECT_STREQ(StringToken("x\ty", '\t'), "x");
    EXPECT_STREQ(StringToken(StringBuffer, '\t'), "x");
    EXPECT_STREQ(StringToken(nullptr, '\t'), "");
}

TEST_F(HelpersTest, StringTokenCutsOverlongTextsAndTokensNeverOverruns) {
    // A text keeps its first 2047 characters, a token its first 1023.
    std::string text = std::string(1500, 'a') + "\tb";
    EXPECT_EQ(std::string(StringToken(text.c_str(), '\t')), std::string(1023, 'a'));
    EXPECT_STREQ(StringToken(nullptr, '\t'), "b");

    std::string huge(5000, 'z');
    huge[3000] = '\t';
    EXPECT_EQ(std::string(StringToken(huge.c_str(), '\t')), std::string(1023, 'z'));
    EXPECT_STREQ(StringToken(nullptr, '\t'), "") << "the text was cut before the separator";

    std::string many;
    while (many.size() < 4000)
        many += "12\t";
    int count = 0;
    for (const char* tok = StringToken(many.c_str(), '\t'); *tok; tok = StringToken(nullptr, '\t'))
        ++count;
    EXPECT_EQ(count, 2047 / 3 + 1) << "682 whole tokens and the cut first digit";
}

TEST_F(HelpersTest, AtoiByteKeepsTheLow8Bits) {
    struct Case {
        const char* text;
        unsigned char value;
    };
    const Case cases[] = {
        {"4", 4},     {"260", 4}, {"255", 255}, {"256", 0}, {"-1", 255},
        {"30\n", 30}, {" 7", 7},  {"x", 0},     {"1e3", 1}, {"65539", 3},
        {"-256", 0},  {"+9", 9},  {"\t12", 12}, {"", 0},    {"99999999999999", 255}};
    for (const Case& c : cases)
        EXPECT_EQ(AtoiByte(c.text), c.value) << '"' << c.text << '"';
}

std::int32_t Bits(std::initializer_list<int> bits) {
    std::uint32_t m = 0;
    for (int b : bits)
        m |= 1u << b;
    return static_cast<std::int32_t>(m);
}

TEST_F(HelpersTest, GetSupportIndexCountsTheSupportedSlots) {
    struct Case {
        std::int32_t mask;
        int order, slot;
    };
    const Case cases[] = {
        {0, 0, 0},
        {0, -1, 0},
        {Bits({4, 5, 13}), 0, 4},
        {Bits({4, 5, 13}), 1, 5},
        {Bits({4, 5, 13}), 2, 13},
        {Bits({4, 5, 13}), 3, 0},
        {Bits({4, 5, 13}), -100, 0},
        {Bits({29}), 0, 29},
        {Bits({3, 29}), 2, 0},     // past the end: 0, never 30
        {Bits({2, 30, 31}), 1, 0}, // bits 30 and 31 never count
        {-1, 29, 29},
        {-1, 30, 0},
        {Bits({1, 2, 4, 13, 14, 15}), 4, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mask " + std::to_string(c.mask) + " order " + std::to_string(c.order));
        PtUPSVal.SupportItem = c.mask;
        EXPECT_EQ(GetSupportIndex(c.order), c.slot);
        EXPECT_EQ(SupportIndexOf(c.mask, c.order), c.slot);
    }
}

TEST_F(HelpersTest, TheTestClockMovesAcrossMonthYearAndLeapDay) {
    struct Case {
        int y, mo, d, h, mi, s;
        long seconds;
        int ey, emo, ed, eh, emi, es, edow; // 1 = Sunday
    };
    const Case cases[] = {
        {2031, 3, 5, 7, 30, 15, 0, 2031, 3, 5, 7, 30, 15, 4},
        {2024, 12, 31, 23, 59, 30, 60, 2025, 1, 1, 0, 0, 30, 4},
        {2024, 1, 31, 23, 50, 0, 20 * 60, 2024, 2, 1, 0, 10, 0, 5},
        {2024, 2, 28, 23, 59, 59, 1, 2024, 2, 29, 0, 0, 0, 5},
        {2023, 2, 28, 23, 59, 59, 1, 2023, 3, 1, 0, 0, 0, 4},
        {2024, 3, 1, 0, 0, 0, -1, 2024, 2, 29, 23, 59, 59, 5},
        {2100, 2, 28, 12, 0, 0, 86400, 2100, 3, 1, 12, 0, 0, 2},
        {2038, 1, 19, 0, 0, 0, 86400L * 366, 2039, 1, 20, 0, 0, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.mo) + "-" + std::to_string(c.d));
        SetTestTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
        AdvanceTestTime(c.seconds);
        DateTimeRec dt{};
        GetTime(&dt);
        const DateTimeRec made = MakeDateTime(c.ey, c.emo, c.ed, c.eh, c.emi, c.es);
        for (const DateTimeRec& t : {dt, made})
            EXPECT_EQ(std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek),
                      std::tuple(c.ey, c.emo, c.ed, c.eh, c.emi, c.es, c.edow));
    }
    ClearTestTime();
    EXPECT_FALSE(TestTimeActive());
    DateTimeRec now{};
    GetTime(&now);
    EXPECT_GE(now.year, 2020) << "back on the real clock";
}

class FolderTest : public HelpersTest {
  protected:
    void SetUp() override {
        HelpersTest::SetUp();
        std::strcpy(CurDir, "/start/here");
        if (const char* v = std::getenv("CORVANTA_FOLDER")) saved_ = v, hadEnv_ = true;
        unsetenv("CORVANTA_FOLDER");
    }
    void TearDown() override {
        if (hadEnv_)
            setenv("CORVANTA_FOLDER", saved_.c_str(), 1);
        else
            unsetenv("CORVANTA_FOLDER");
        HelpersTest::TearDown();
    }
    bool hadEnv_ = false;
    std::string saved_;
};

TEST_F(FolderTest, ArgumentBeforeEnvironmentBeforeDefaultAndNothingThatDoesNotFit) {
    const std::string fits = "/" + std::string(254, 'a'), tooLong = fits + "b", huge(5000, 'c');
    struct Case {
        const char* argument; // nullptr: none
        const char* env;      // nullptr: unset
        const char* curDir;   // "/start/here": refused, CurDir unchanged
    };
    const Case cases[] = {
        {"/from/arg", "/from/env", "/from/arg"},    {"/tmp/ups///", nullptr, "/tmp/ups"},
        {"relative/dir/", nullptr, "relative/dir"}, {nullptr, "/from/env/", "/from/env"},
        {nullptr, "", "/Applications/Corvanta"},    {nullptr, nullptr, "/Applications/Corvanta"},
        {fits.c_str(), nullptr, fits.c_str()},      {tooLong.c_str(), "/from/env", "/start/here"},
        {nullptr, tooLong.c_str(), "/start/here"},  {huge.c_str(), nullptr, "/start/here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.curDir);
        std::strcpy(CurDir, "/start/here");
        if (c.env)
            setenv("CORVANTA_FOLDER", c.env, 1);
        else
            unsetenv("CORVANTA_FOLDER");
        std::string error;
        const bool fitsCurDir = std::strcmp(c.curDir, "/start/here") != 0;
        EXPECT_EQ(InitProgramFolder(c.argument, &error), fitsCurDir) << error;
        EXPECT_EQ(error.empty(), fitsCurDir) << "a refusal carries a message";
        EXPECT_STREQ(CurDir, c.curDir);
    }
    EXPECT_EQ(FolderFile("ZAN_UPS.STS"), "/start/here/ZAN_UPS.STS");
}

} // namespace
