// The values file ZAN_VAL.DAT: the 132-byte big-endian image, short files, the
// first read's deletion of a stale file, lost communication (missing or
// stale) and the countdown reconciliation.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

#include "AgentLock.h"
#include "Clock.h"
#include "CoreTestSupport.h"
#include "CoreTesting.h"
#include "file.h"

namespace {

using namespace corvanta_test;
using Image = std::array<std::uint8_t, UPSValImageSize>;

// Where each field lives in the image: offset, width in bytes, count (for the
// arrays, whose elements follow each other) and the field.
struct Field {
    const char* name;
    int offset, width, count;
    long long (*get)(const UPSVal&, int);
};
#define F(name, offset, width, count, expr)                                                        \
    Field {                                                                                        \
        name, offset, width, count, [](const UPSVal& v, int i) -> long long {                      \
            (void)i;                                                                               \
            return expr;                                                                           \
        }                                                                                          \
    }
const Field kLayout[] = {
    F("flag_OpenUPS", 0, 2, 1, v.flag_OpenUPS),
    F("Type", 2, 2, 1, v.Type),
    F("SupportItem", 4, 4, 1, v.SupportItem),
    F("StatusFlag", 8, 4, 1, v.StatusFlag.AllSts),
    F("StatusAvail", 12, 4, 1, v.StatusAvail.AllSts),
    F("Items", 16, 2, 1, v.Items),
    F("ItemVal", 18, 2, ItemCount, v.ItemVal[i]),
    F("Available", 80, 4, 1, v.Available.AllFlags),
    F("InputLines", 84, 2, 1, v.InputLines),
    F("OutputLines", 86, 2, 1, v.OutputLines),
    F("BypassLines", 88, 2, 1, v.BypassLines),
    F("RelayNo", 90, 2, 1, v.RelayNo),
    F("RelayStatus", 92, 2, 8, v.RelayStatus[i]),
    F("BattEstimate", 108, 2, 1, v.BattEstimate),
    F("ChargeEstimate", 110, 2, 1, v.ChargeEstimate),
    F("TestResult", 112, 2, 1, v.TestResult),
    F("VoltSensitivity", 114, 2, 1, v.VoltSensitivity),
    F("TxVoltLo", 116, 2, 1, v.TxVoltLo),
    F("TxVoltHi", 118, 2, 1, v.TxVoltHi),
    F("ADV_Economic", 120, 2, 1, v.ADV_Economic),
    F("ADV_AutoTest", 122, 2, 1, v.ADV_AutoTest),
    F("ADV_ATX", 124, 2, 1, v.ADV_ATX),
    F("ADV_FailReboot", 126, 2, 1, v.ADV_FailReboot),
    F("DownTime", 128, 2, 1, v.DownTime),
};
#undef F
const int kReserved[] = {78, 79, 130, 131};

// The value at the offset read big-endian, sign included.
long long BigEndian(const Image& img, int offset, int width) {
    std::uint32_t u = 0;
    for (int i = 0; i < width; ++i)
        u = (u << 8) | img[offset + i];
    return width == 2 ? static_cast<short>(u) : static_cast<std::int32_t>(u);
}

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

std::string AsString(const Image& img) {
    return std::string(reinterpret_cast<const char*>(img.data()), img.size());
}

TEST(ValuesImage, EveryFieldAtItsOffsetBigEndianAndReservedBytesZero) {
    int covered = 0;
    for (const Field& f : kLayout)
        covered += f.width * f.count;
    EXPECT_EQ(covered, UPSValImageSize - 4) << "every byte but the reserved four";
    for (int seed : {0, 0x80, 0xFF}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Image img = Pattern(seed);
        UPSVal v{};
        DecodeUPSVal(img.data(), &v);
        for (const Field& f : kLayout)
            for (int i = 0; i < f.count; ++i)
                EXPECT_EQ(f.get(v, i), BigEndian(img, f.offset + i * f.width, f.width))
                    << f.name << " " << i;
        Image expected = img;
        for (int r : kReserved)
            expected[r] = 0;
        EXPECT_EQ(Encoded(v), expected);
    }
}

TEST(ValuesImage, PartialDecodeKeepsTheBytesPastTheEnd) {
    const Image fresh = Pattern(3);
    UPSVal previous{};
    DecodeUPSVal(Pattern(101).data(), &previous);
    const Image before = Encoded(previous);
    for (std::size_t n = 0; n <= UPSValImageSize; ++n) {
        SCOPED_TRACE("n = " + std::to_string(n));
        Image expected = before;
        std::memcpy(expected.data(), fresh.data(), n);
        for (int r : kReserved)
            expected[r] = 0;
        UPSVal got = previous;
        DecodeUPSValPartial(fresh.data(), n, &got);
        EXPECT_EQ(Encoded(got), expected);
    }
}

// An agent holds the folder unless a test lets go of it.
class ValuesTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        SetTestTime(2026, 3, 10, 12, 0, 0);
        std::string error;
        ASSERT_EQ(agentLock.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    }
    std::string ValuesPath() const { return Path(ValuesFileName); }
    void WriteValues(const UPSVal& v) { WriteFileRaw(ValuesPath(), AsString(Encoded(v))); }
    // Last changed the given seconds before the clock.
    void Age(long seconds) {
        const timespec when{CurrentTime() - seconds, 0};
        const timespec times[2] = {when, when};
        ASSERT_EQ(::utimensat(AT_FDCWD, ValuesPath().c_str(), times, 0), 0);
    }
    // The first read of a run, before the agent has written anything.
    void FirstRead() {
        std::remove(ValuesPath().c_str());
        ReadUPSVal();
    }
    // The agent reports `agent`; the front end's own figure was `own`.
    short Reconcile(short own, short agent) {
        UPSVal v{};
        v.flag_OpenUPS = 1;
        v.DownTime = agent;
        WriteValues(v);
        PtUPSVal.DownTime = own;
        ReadUPSVal();
        return PtUPSVal.DownTime;
    }
    AgentFolderLock agentLock;
};

// Deletion at the first read, waiting and the reasons are the tick's tests;
// here the limit, which comes from a preference, and the age it measures.
TEST_F(ValuesTest, AFileOlderThanTheLimitCountsAsMissing) {
    UPSVal v{};
    v.flag_OpenUPS = 1;
    v.DownTime = -1;
    FirstRead();
    const std::tuple<int, long, bool> cases[] = {
        {10, 10, true}, {10, 14, false}, {1, 2, true}, {1, 3, false}, {5000, 3601, false}};
    for (const auto& [limit, age, fresh] : cases) {
        SetValuesStaleLimit(limit); // pinned to 2 s .. 1 h
        WriteValues(v);
        Age(age);
        ReadUPSVal();
        EXPECT_EQ(PtUPSVal.flag_OpenUPS, fresh ? 1 : 0) << limit << " " << age;
        EXPECT_EQ(GetValuesLink().age, fresh ? 0 : age);
    }
}

TEST_F(ValuesTest, AMissingFileMeansLostCommunicationAndKeepsTheRest) {
    FirstRead();
    UPSVal v{};
    DecodeUPSVal(Pattern(9).data(), &v);
    v.DownTime = -1;
    WriteValues(v);
    ReadUPSVal();
    std::remove(ValuesPath().c_str());
    ReadUPSVal();
    UPSVal expected = v;
    expected.flag_OpenUPS = 0;
    expected.StatusFlag.AllSts |= UPS_COMMERR;
    EXPECT_EQ(Encoded(PtUPSVal), Encoded(expected));
}

TEST_F(ValuesTest, AShortFileReplacesOnlyItsBytesALongOneOnlyTheFirstRecord) {
    FirstRead();
    UPSVal old{};
    DecodeUPSVal(Pattern(11).data(), &old);
    old.DownTime = -1;
    PtUPSVal = old;
    const Image fresh = Pattern(200);
    WriteFileRaw(ValuesPath(), AsString(fresh).substr(0, 20)); // through ItemVal[0]
    ReadUPSVal();
    Image expected = Encoded(old);
    std::memcpy(expected.data(), fresh.data(), 20);
    EXPECT_EQ(Encoded(PtUPSVal), expected);

    UPSVal whole{};
    DecodeUPSVal(Pattern(13).data(), &whole);
    whole.DownTime = -1;
    WriteFileRaw(ValuesPath(), AsString(Encoded(whole)) + std::string(200, '\x7F'));
    ReadUPSVal();
    EXPECT_EQ(Encoded(PtUPSVal), Encoded(whole));
}

// Each sequence runs over one run of the reader, after its first read (the
// reset between them is checked too: the first sequence ends while following).
struct Step {
    short own, agent, expected;
    const char* why;
};
struct Sequence {
    const char* name;
    std::vector<Step> steps;
};

TEST_F(ValuesTest, EveryBranchOfTheCountdownReconciliation) {
    const Sequence sequences[] = {
        {"following",
         {{-1, 110, 110, "nothing followed: the agent's figure, following begins"},
          {100, 101, 100, "1 above own: own stands"},
          {100, 105, 100, "5 above own: own stands"},
          {100, 106, 106, "6 above own: the agent restarted, its figure"},
          {100, 40, 100, "below own: own stands"},
          {100, 0, 100, "agent at zero is still a countdown"},
          {100, -1, -1, "agent ended its countdown"},
          {50, -1, -1, "not followed: the agent's -1 replaces own"},
          {50, 20, 20, "not followed: the agent's figure, following begins"},
          {30, 25, 30, "followed again"}}},
        {"following begins at zero",
         {{-1, 0, 0, "zero begins the following"},
          {-1, 3, -1, "less than 6 above own -1: own stands"},
          {-1, 5, 5, "6 above own -1: the agent's figure"}}},
        {"minus one over a front-end countdown", {{300, -1, -1, "the agent has none"}}},
        {"any negative figure ends it",
         {{-1, 60, 60, "begin"},
          {59, -5, -1, "negative ends it: DownTime is -1"},
          {-1, -7, -7, "not followed: taken as it is"}}},
    };
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        ResetReadUPSValState();
        FirstRead();
        for (const Step& st : s.steps)
            EXPECT_EQ(Reconcile(st.own, st.agent), st.expected)
                << "own " << st.own << ", agent " << st.agent << ": " << st.why;
    }
}

TEST_F(ValuesTest, AMissingFileKeepsTheFollowing) {
    FirstRead();
    EXPECT_EQ(Reconcile(-1, 120), 120);
    std::remove(ValuesPath().c_str());
    PtUPSVal.DownTime = 119;
    ReadUPSVal();
    EXPECT_EQ(PtUPSVal.DownTime, 119);
    EXPECT_EQ(Reconcile(118, 121), 118) << "still followed after the lost read";
}

} // namespace
