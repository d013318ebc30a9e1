// StringToken and the bounded copy and number helpers the readers share.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "file.h"

namespace {

using corvanta_test::ResetCoreState;

class TokenTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetCoreState(); }
    void TearDown() override { ResetCoreState(); }
};

// The first token of text, then count - 1 continuations.
std::vector<std::string> Tokens(const char* text, char sep, int count) {
    std::vector<std::string> out;
    out.push_back(StringToken(text, sep));
    for (int i = 1; i < count; ++i)
        out.push_back(StringToken(nullptr, sep));
    return out;
}

TEST_F(TokenTest, SplitsAsTheCalendarRowsNeed) {
    struct Case {
        const char* text;
        char sep;
        std::vector<std::string> tokens;
    };
    const std::vector<Case> cases = {
        {"3\t12\t30\n", '\t', {"3", "12", "30\n", ""}},
        {"\t5", '\t', {"", "5", ""}},
        {"a,,b", ',', {"a", "", "b", ""}},
        {"no separator", '\t', {"no separator", "", ""}},
        {"", '\t', {"", ""}},
        {"\t", '\t', {"", "", ""}},
        {"x\t", '\t', {"x", "", ""}},
        {"3\t12\t30\n", '\n', {"3\t12\t30", ""}},
        {"1\t2\t3", '\t', {"1", "2", "3", "", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tokens(c.text, c.sep, static_cast<int>(c.tokens.size())), c.tokens)
            << '"' << c.text << '"';
    }
}

TEST_F(TokenTest, ReturnsStringBuffer) {
    char* t = StringToken("abc\tdef", '\t');
    EXPECT_EQ(t, StringBuffer);
    EXPECT_STREQ(StringBuffer, "abc");
}

TEST_F(TokenTest, TheSeparatorMayChangeBetweenCalls) {
    EXPECT_STREQ(StringToken("1\t2,3\t4", '\t'), "1");
    EXPECT_STREQ(StringToken(nullptr, ','), "2");
    EXPECT_STREQ(StringToken(nullptr, '\t'), "3");
    EXPECT_STREQ(StringToken(nullptr, '\t'), "4");
}

TEST_F(TokenTest, ANewTextAbandonsThePrevious) {
    EXPECT_STREQ(StringToken("a\tb\tc", '\t'), "a");
    EXPECT_STREQ(StringToken("x\ty", '\t'), "x");
    EXPECT_STREQ(StringToken(nullptr, '\t'), "y");
    EXPECT_STREQ(StringToken(nullptr, '\t'), "");
}

TEST_F(TokenTest, TheTextMayBeTheLastToken) {
    // The caller may hand back the buffer it got: the copy must not overlap.
    StringToken("first\tsecond", '\t');
    std::string copy = StringBuffer;
    EXPECT_STREQ(StringToken(StringBuffer, '\t'), copy.c_str());
}

TEST_F(TokenTest, OverlongTextsAndTokensAreCutNeverOverrun) {
    // A text longer than 2047 characters keeps its first 2047; a token longer
    // than 1023 keeps its first 1023.
    std::string longToken(1500, 'a');
    std::string text = longToken + "\tb";
    std::string t = StringToken(text.c_str(), '\t');
    EXPECT_EQ(t, std::string(1023, 'a'));
    EXPECT_STREQ(StringToken(nullptr, '\t'), "b");

    std::string huge(5000, 'z');
    huge[3000] = '\t';
    t = StringToken(huge.c_str(), '\t');
    EXPECT_EQ(t, std::string(1023, 'z'));
    EXPECT_STREQ(StringToken(nullptr, '\t'), "") << "the text was cut before the separator";
    EXPECT_LE(std::strlen(StorBuffer), 2047u);

    // Many short tokens inside a cut text.
    std::string many;
    while (many.size() < 4000)
        many += "12\t";
    int count = 0;
    for (const char* tok = StringToken(many.c_str(), '\t'); *tok; tok = StringToken(nullptr, '\t'))
        ++count;
    EXPECT_EQ(count, 2047 / 3 + 1) << "682 whole tokens and the cut first digit";
}

TEST_F(TokenTest, CopyFieldCutsToTheCapacity) {
    char field[9];
    std::memset(field, 'X', sizeof field);
    CopyField(field, sizeof field, "2024010199");
    EXPECT_STREQ(field, "20240101");
    CopyField(field, sizeof field, "short");
    EXPECT_STREQ(field, "short");
    CopyField(field, sizeof field, "");
    EXPECT_STREQ(field, "");
    char one[1] = {'Q'};
    CopyField(one, 1, "anything");
    EXPECT_EQ(one[0], '\0');
}

TEST_F(TokenTest, AtoiByteKeepsTheLow8Bits) {
    struct Case {
        const char* text;
        unsigned char value;
    };
    const Case cases[] = {{"0", 0},    {"4", 4},    {"260", 4},   {"255", 255},
                          {"256", 0},  {"-1", 255}, {"30\n", 30}, {" 7", 7},
                          {"x", 0},    {"", 0},     {"1e3", 1},   {"65539", 3},
                          {"-256", 0}, {"+9", 9},   {"\t12", 12}, {"99999999999999", 255}};
    for (const Case& c : cases)
        EXPECT_EQ(AtoiByte(c.text), c.value) << '"' << c.text << '"';
}

} // namespace
