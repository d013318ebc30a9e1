// The record files: the values image and its reader (short, long, stale and
// missing files, the countdown reconciliation), the settings' 33 lines with
// the reader's quirks and the defaults, and the ratings.
#include <fcntl.h>

#include <sstream>
#include <tuple>

#include "AgentLock.h"
#include "CoreTestSupport.h"

namespace {

using namespace corvanta_test;
using Image = std::array<std::uint8_t, UPSValImageSize>;

// Every byte distinct from its neighbours, half of them with the top bit set.
Image Pattern(int seed) {
    Image img;
    for (int i = 0; i < UPSValImageSize; ++i)
        img[i] = static_cast<std::uint8_t>(i * 37 + seed);
    return img;
}
Image Encoded(const UPSVal& v) {
    Image img;
    img.fill(0xAA);
    EncodeUPSVal(v, img.data());
    return img;
}
// The record of an image, with the given countdown (-1: none to reconcile).
UPSVal Decoded(const Image& img, int countdown = -1) {
    UPSVal v{};
    DecodeUPSVal(img.data(), &v);
    v.DownTime = static_cast<short>(countdown);
    return v;
}
std::string Bytes(const Image& img) {
    return std::string(img.begin(), img.end());
}

TEST(ValuesImage, BigEndianFieldsAtTheirOffsetsAndReservedBytesZero) {
    const Image img = Pattern(0x80);
    auto at = [&img](int offset, int width) -> long long {
        std::uint32_t u = 0;
        for (int i = 0; i < width; ++i)
            u = (u << 8) | img[offset + i];
        return width == 2 ? static_cast<short>(u) : static_cast<std::int32_t>(u);
    };
    UPSVal v{};
    DecodeUPSVal(img.data(), &v);
    EXPECT_EQ(std::tuple(v.flag_OpenUPS, v.SupportItem, v.StatusAvail.AllSts, v.ItemVal[0],
                         v.ItemVal[29], v.Available.AllFlags, v.RelayStatus[7], v.DownTime),
              std::tuple(at(0, 2), at(4, 4), at(12, 4), at(18, 2), at(76, 2), at(80, 4), at(106, 2),
                         at(128, 2)));
    Image expected = img;
    for (int reserved : {78, 79, 130, 131})
        expected[reserved] = 0;
    EXPECT_EQ(Encoded(v), expected) << "every other field where it was read";
}

// An agent holds the folder; the first read of the run found no file yet.
class ValuesFileTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        SetTestTime(2026, 3, 10, 12, 0, 0);
        std::string error;
        ASSERT_EQ(lock.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
        ReadUPSVal();
    }
    // Written the given seconds before the clock.
    void Read(const std::string& bytes, long age = 0) {
        WriteFileRaw(Path(ValuesFileName), bytes);
        const timespec when{CurrentTime() - age, 0}, times[2] = {when, when};
        ASSERT_EQ(::utimensat(AT_FDCWD, Path(ValuesFileName).c_str(), times, 0), 0);
        ReadUPSVal();
    }
    AgentFolderLock lock;
};

TEST_F(ValuesFileTest, ShortLongStaleAndMissingFiles) {
    const UPSVal old = Decoded(Pattern(11));
    PtUPSVal = old;
    Read(Bytes(Pattern(200)).substr(0, 20)); // through ItemVal[0]
    Image mixed = Encoded(old);
    std::copy_n(Pattern(200).begin(), 20, mixed.begin());
    EXPECT_EQ(Encoded(PtUPSVal), mixed) << "the rest of the record kept";
    Read(Bytes(Encoded(Decoded(Pattern(13)))) + std::string(200, '\x7F'));
    EXPECT_EQ(Encoded(PtUPSVal), Encoded(Decoded(Pattern(13)))) << "only the first record";
    std::remove(Path(ValuesFileName).c_str());
    ReadUPSVal();
    UPSVal lost = Decoded(Pattern(13));
    lost.flag_OpenUPS = 0;
    lost.StatusFlag.AllSts |= UPS_COMMERR;
    EXPECT_EQ(Encoded(PtUPSVal), Encoded(lost)) << "lost, the rest kept";
    // {limit, age, fresh}: the limit is pinned to 2 s .. 1 h (the monitor's
    // tests take the default).
    const std::tuple<int, long, bool> stale[] = {
        {1, 2, true}, {1, 3, false}, {5000, 3600, true}, {5000, 3601, false}};
    for (auto [limit, age, fresh] : stale) {
        SetValuesStaleLimit(limit);
        Read(Bytes(Encoded(Decoded(Pattern(1)))), age);
        EXPECT_EQ(GetValuesLink().link, fresh ? ValuesLink::Live : ValuesLink::Lost) << age;
        EXPECT_EQ(GetValuesLink().age, fresh ? 0 : age);
    }
}

TEST_F(ValuesFileTest, CountdownReconciliation) {
    // Each run of the reader starts with its first read, then reads {own
    // figure, the agent's ("none": no file), the figure shown}. The agent's
    // figure wins when nothing is followed yet, or when it is clearly longer.
    const char* runs[] = {"-1 110 110, 100 101 100, 100 105 100, 100 106 106, 100 40 100, "
                          "100 0 100, 100 -1 -1, 50 -1 -1, 50 20 20, 30 25 30",
                          "-1 0 0, -1 3 -1, -1 5 5", "300 -1 -1", "-1 60 60, 59 -5 -1, -1 -7 -7",
                          "-1 120 120, 119 none 119, 118 121 118"};
    for (const char* run : runs) {
        ResetReadUPSValState();
        std::remove(Path(ValuesFileName).c_str());
        ReadUPSVal();
        std::istringstream in(run);
        short own, shown;
        for (std::string agent; in >> own >> agent >> shown; in.ignore(1)) {
            PtUPSVal.DownTime = own;
            std::remove(Path(ValuesFileName).c_str());
            if (agent == "none")
                ReadUPSVal();
            else
                Read(Bytes(Encoded(Decoded(Pattern(1), std::stoi(agent)))));
            EXPECT_EQ(PtUPSVal.DownTime, shown) << run << ": " << own << " " << agent;
        }
    }
}

class SettingsTest : public CoreTest {
  protected:
    // Line `line` (1-based) of the record as it would be saved.
    static std::string Line(int line) { return SplitLines(FormatUPSSts(PtUPSSts)).at(line - 1); }
    void Load(const std::string& text) {
        WriteFileRaw(Path(SettingsFileName), text);
        LoadUPSSts();
    }
};

TEST_F(SettingsTest, The33LinesLoadedAndSaved) {
    const std::string text = "3\n20230102\n20260102\n75\n95\n1200\n-7\n4\n5\n6\n0\n1\nsmtp.org\n"
                             "example.org\nups@example.org\n35\n2\n240\n3\n61\n4\n31\n5\n62\n6\n"
                             "301\n7\n91\n1\n/usr/bin/on event\n32767\n8\n-32768\n";
    Load(text);
    EXPECT_EQ(std::tuple(PtUPSSts.Main_Meter[1], PtUPSSts.Power_OSDelay, PtUPSSts.Schedule_UPSDelay,
                         std::string(PtUPSSts.SMTPAccount), std::string(PtUPSSts.CommandFile)),
              std::tuple(6, 240, 91, "ups@example.org", "/usr/bin/on event"));
    RemoveTree(Path(SettingsFileName));
    WriteUPSSts();
    EXPECT_EQ(ReadFile(Path(SettingsFileName)), text);
}

TEST_F(SettingsTest, WithoutAFileTheDefaultsAreDatedByTheClock) {
    SetTestTime(2024, 2, 29, 23, 59, 59); // three years on: a day that does not exist
    std::memset(&PtUPSSts, 0x55, sizeof PtUPSSts);
    LoadUPSSts();
    EXPECT_EQ(FormatUPSSts(PtUPSSts),
              "1\n20240229\n20270229\n80\n90\n1000\n0\n1\n2\n2\n1\n0\n\n\n\n20\n1\n180\n1"
              "\n60\n1\n30\n1\n60\n1\n300\n1\n90\n0\n\n60\n1\n60\n");
    EXPECT_STREQ(PtUPSSts.Location, "");
    EXPECT_TRUE(ListFolder(Folder()).empty()) << "loading never creates a file";
}

// The text "from\n...to\n".
std::string Numbered(int from, int to) {
    std::string text;
    for (int line = from; line <= to; ++line)
        text += std::to_string(line) + "\n";
    return text;
}

TEST_F(SettingsTest, ReaderQuirks) {
    const std::string n3 = Numbered(1, 3), n12 = Numbered(1, 12);
    const std::tuple<const char*, std::string, std::vector<std::pair<int, std::string>>> cases[] = {
        // why, the file, {line, text} of the record as it would be saved
        {"a short file: only its lines", "9\n2020\n", {{1, "9"}, {2, "2020"}, {4, "21845"}}},
        {"an unterminated last line loses its last character", n12 + "abc", {{13, "ab"}}},
        {"texts are cut to their fields",
         "1\n2024010199\n" + Numbered(3, 12) + std::string(40, 's') + "\n" + Numbered(14, 29) +
             std::string(280, 'c') + "\n31\n",
         {{2, "20240101"}, {13, std::string(29, 's')}, {30, std::string(255, 'c')}, {31, "31"}}},
        {"a 600-character line is read as 299 + 299 + 2",
         Numbered(1, 29) + std::string(600, 'x') + "\n61\n",
         {{30, std::string(255, 'x')}, {31, "0"}, {32, "0"}, {33, "61"}}},
        {"298 characters and the line feed are one piece",
         n3 + std::string(298, '7') + "\n5\n",
         {{5, "5"}}},
        {"each piece loses its last character",
         n3 + std::string(297, ' ') + "12\n5\n",
         {{4, "1"}, {5, "0"}, {6, "5"}}},
        {"carriage returns stay in texts, numbers ignore them",
         "2\r\n" + n12 + "mail\r\n",
         {{1, "2"}, {14, "mail\r"}}},
        {"lines after the 33rd are ignored", Numbered(1, 35), {{33, "33"}}}};
    for (const auto& [why, text, lines] : cases) {
        std::memset(&PtUPSSts, 0x55, sizeof PtUPSSts);
        Load(text);
        for (const auto& [line, want] : lines)
            EXPECT_EQ(Line(line), want) << why << ", line " << line;
    }
}

TEST(Numbers, KeepTheirLowBitsWhateverTheirSize) {
    const std::tuple<const char*, short, unsigned char> cases[] = {
        {"70000", 4464, 112},   {"-1", -1, 255},      {"65536", 0, 0},     {"32768", -32768, 0},
        {"-32769", 32767, 255}, {"  +12abc", 12, 12}, {"\t 42", 42, 42},   {"- 5", 0, 0},
        {"1e3", 1, 1},          {"260", 260, 4},      {"4294967297", 1, 1}};
    for (const auto& [text, value, byte] : cases)
        EXPECT_EQ(std::tuple(AtoiShort(text), AtoiByte(text)), std::tuple(value, byte)) << text;
    // Any number of digits, without overflow (the sanitizer build fails on one).
    EXPECT_EQ(AtoiShort(std::string(298, '9').c_str()), -1);
    EXPECT_EQ(AtoiWide("-123456789012"), -123456789012LL);
}

TEST_F(SettingsTest, RatingsAreThreeNumbersTakenWholeOrNotAtAll) {
    const std::tuple<const char*, short, short, short> cases[] = {
        {"120\r\n8\r\n48\r\n", 120, 8, 48},
        {"-5\n0\n32767\n", -5, 0, 32767},
        {nullptr, 1, 2, 3},
        {"230\n12\n", 1, 2, 3},
        {"230\nabc\n24\n", 1, 2, 3},
        {"230\n12\n24x\n", 1, 2, 3},
        {"70000\n1\n2\n", 1, 2, 3}};
    for (const auto& [text, volt, current, batt] : cases) {
        std::tie(PtUPSSts.RatingVolt, PtUPSSts.RatingCurrent, PtUPSSts.RatingBattVolt) =
            std::tuple(1, 2, 3);
        RemoveTree(Path(RatingFileName));
        if (text) WriteFileRaw(Path(RatingFileName), text);
        EXPECT_EQ(LoadRatings(), volt != 1);
        EXPECT_EQ(std::tuple(PtUPSSts.RatingVolt, PtUPSSts.RatingCurrent, PtUPSSts.RatingBattVolt),
                  std::tuple(volt, current, batt))
            << (text ? text : "no file");
    }
}

} // namespace
