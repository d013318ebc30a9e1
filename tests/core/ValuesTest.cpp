// The values file ZAN_VAL.DAT: the 132-byte big-endian image field by field,
// short files, the first read's deletion, lost communication and every branch
// of the countdown reconciliation.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "file.h"

namespace {

using namespace corvanta_test;
using Image = std::array<std::uint8_t, UPSValImageSize>;

void Put16(Image& img, int offset, int v) {
    img[offset] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    img[offset + 1] = static_cast<std::uint8_t>(v & 0xFF);
}
void Put32(Image& img, int offset, std::uint32_t v) {
    img[offset] = static_cast<std::uint8_t>(v >> 24);
    img[offset + 1] = static_cast<std::uint8_t>(v >> 16);
    img[offset + 2] = static_cast<std::uint8_t>(v >> 8);
    img[offset + 3] = static_cast<std::uint8_t>(v);
}

// A record with a distinct value in every field and its image built by hand
// from the offsets of the layout table.
struct Sample {
    UPSVal val{};
    Image img{};
};

Sample MakeSample() {
    Sample s;
    UPSVal& v = s.val;
    Image& b = s.img;
    v.flag_OpenUPS = 0x0102;
    Put16(b, 0, 0x0102);
    v.Type = -2; // 0xFFFE
    Put16(b, 2, 0xFFFE);
    v.SupportItem = 0x05060708;
    Put32(b, 4, 0x05060708u);
    v.StatusFlag.AllSts = UPS_EPO | UPS_COMMERR | UPS_BEEPER; // 0x80004001
    Put32(b, 8, 0x80004001u);
    v.StatusAvail.AllSts = 0x0D0E0F10;
    Put32(b, 12, 0x0D0E0F10u);
    v.Items = 0x1112;
    Put16(b, 16, 0x1112);
    for (int i = 0; i < ItemCount; ++i) {
        v.ItemVal[i] = static_cast<short>(0x2100 + i * 0x0101);
        Put16(b, 18 + 2 * i, 0x2100 + i * 0x0101);
    }
    v.ItemVal[29] = -1234; // 0xFB2E
    Put16(b, 18 + 58, 0xFB2E);
    v.Available.AllFlags = static_cast<std::int32_t>(0x81828384u);
    Put32(b, 80, 0x81828384u);
    v.InputLines = 0x4142;
    Put16(b, 84, 0x4142);
    v.OutputLines = 0x4344;
    Put16(b, 86, 0x4344);
    v.BypassLines = 0x4546;
    Put16(b, 88, 0x4546);
    v.RelayNo = 0x4748;
    Put16(b, 90, 0x4748);
    for (int i = 0; i < 8; ++i) {
        v.RelayStatus[i] = static_cast<short>(0x5000 + i);
        Put16(b, 92 + 2 * i, 0x5000 + i);
    }
    v.BattEstimate = 0x6162;
    Put16(b, 108, 0x6162);
    v.ChargeEstimate = 0x6364;
    Put16(b, 110, 0x6364);
    v.TestResult = 0x6566;
    Put16(b, 112, 0x6566);
    v.VoltSensitivity = 0x6768;
    Put16(b, 114, 0x6768);
    v.TxVoltLo = 0x696A;
    Put16(b, 116, 0x696A);
    v.TxVoltHi = 0x6B6C;
    Put16(b, 118, 0x6B6C);
    v.ADV_Economic = 0x6D6E;
    Put16(b, 120, 0x6D6E);
    v.ADV_AutoTest = 0x6F70;
    Put16(b, 122, 0x6F70);
    v.ADV_ATX = 0x7172;
    Put16(b, 124, 0x7172);
    v.ADV_FailReboot = 0x7374;
    Put16(b, 126, 0x7374);
    v.DownTime = -1;
    Put16(b, 128, 0xFFFF);
    return s;
}

// Field-by-field comparison (no memcmp: the record has padding).
void ExpectSameValues(const UPSVal& a, const UPSVal& b) {
    EXPECT_EQ(a.flag_OpenUPS, b.flag_OpenUPS);
    EXPECT_EQ(a.Type, b.Type);
    EXPECT_EQ(a.SupportItem, b.SupportItem);
    EXPECT_EQ(a.StatusFlag.AllSts, b.StatusFlag.AllSts);
    EXPECT_EQ(a.StatusAvail.AllSts, b.StatusAvail.AllSts);
    EXPECT_EQ(a.Items, b.Items);
    for (int i = 0; i < ItemCount; ++i)
        EXPECT_EQ(a.ItemVal[i], b.ItemVal[i]) << "ItemVal " << i;
    EXPECT_EQ(a.Available.AllFlags, b.Available.AllFlags);
    EXPECT_EQ(a.InputLines, b.InputLines);
    EXPECT_EQ(a.OutputLines, b.OutputLines);
    EXPECT_EQ(a.BypassLines, b.BypassLines);
    EXPECT_EQ(a.RelayNo, b.RelayNo);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(a.RelayStatus[i], b.RelayStatus[i]) << "Relay " << i;
    EXPECT_EQ(a.BattEstimate, b.BattEstimate);
    EXPECT_EQ(a.ChargeEstimate, b.ChargeEstimate);
    EXPECT_EQ(a.TestResult, b.TestResult);
    EXPECT_EQ(a.VoltSensitivity, b.VoltSensitivity);
    EXPECT_EQ(a.TxVoltLo, b.TxVoltLo);
    EXPECT_EQ(a.TxVoltHi, b.TxVoltHi);
    EXPECT_EQ(a.ADV_Economic, b.ADV_Economic);
    EXPECT_EQ(a.ADV_AutoTest, b.ADV_AutoTest);
    EXPECT_EQ(a.ADV_ATX, b.ADV_ATX);
    EXPECT_EQ(a.ADV_FailReboot, b.ADV_FailReboot);
    EXPECT_EQ(a.DownTime, b.DownTime);
}

std::string AsString(const Image& img) {
    return std::string(reinterpret_cast<const char*>(img.data()), img.size());
}

class ValuesTest : public CoreTest {
  protected:
    std::string ValuesPath() const { return Path(ValuesFileName); }
    void WriteValues(const UPSVal& v) {
        Image img{};
        EncodeUPSVal(v, img.data());
        WriteFileRaw(ValuesPath(), AsString(img));
    }
    // Takes the first read (which deletes the file) out of the way.
    void FirstRead() {
        ReadUPSVal();
        ASSERT_FALSE(FileExists(ValuesPath()));
    }
    // Reads an agent figure over the given own figure.
    short Reconcile(short own, short agent) {
        UPSVal v{};
        v.flag_OpenUPS = 1;
        v.DownTime = agent;
        WriteValues(v);
        PtUPSVal.DownTime = own;
        ReadUPSVal();
        return PtUPSVal.DownTime;
    }
};

TEST_F(ValuesTest, EncodePutsEveryFieldAtItsOffsetBigEndian) {
    const Sample s = MakeSample();
    Image out;
    out.fill(0xAA);
    EncodeUPSVal(s.val, out.data());
    for (int i = 0; i < UPSValImageSize; ++i) {
        EXPECT_EQ(out[i], s.img[i]) << "byte " << i;
    }
}

TEST_F(ValuesTest, DecodeReadsEveryFieldFromItsOffset) {
    const Sample s = MakeSample();
    UPSVal v{};
    DecodeUPSVal(s.img.data(), &v);
    ExpectSameValues(v, s.val);
}

TEST_F(ValuesTest, ReservedBytesAreIgnoredWhenDecoding) {
    Sample s = MakeSample();
    s.img[78] = s.img[79] = 0xEE;
    s.img[130] = s.img[131] = 0xEE;
    UPSVal v{};
    DecodeUPSVal(s.img.data(), &v);
    ExpectSameValues(v, s.val);
}

TEST_F(ValuesTest, RoundTripsExtremeValues) {
    for (int pattern : {0x0000, 0xFFFF, 0x8000, 0x7FFF, 0x00FF, 0xFF00}) {
        UPSVal v{};
        const short x = static_cast<short>(pattern);
        const std::int32_t w =
            static_cast<std::int32_t>((static_cast<std::uint32_t>(pattern) << 16) |
                                      static_cast<std::uint32_t>(pattern ^ 0xFFFF));
        v.flag_OpenUPS = v.Type = v.Items = v.DownTime = x;
        v.SupportItem = v.StatusFlag.AllSts = v.StatusAvail.AllSts = v.Available.AllFlags = w;
        for (short& i : v.ItemVal)
            i = x;
        for (short& r : v.RelayStatus)
            r = x;
        v.ADV_FailReboot = v.TxVoltHi = v.BattEstimate = x;
        Image img{};
        EncodeUPSVal(v, img.data());
        UPSVal back{};
        DecodeUPSVal(img.data(), &back);
        ExpectSameValues(back, v);
    }
}

TEST_F(ValuesTest, ALittleEndianWriterIsNotTheFormat) {
    Image img{};
    img[0] = 0x01; // flag_OpenUPS 1 written little-endian
    img[4] = 0x01; // SupportItem 1 written little-endian
    img[128] = 0x2C;
    img[129] = 0x01; // DownTime 300 written little-endian
    UPSVal v{};
    DecodeUPSVal(img.data(), &v);
    EXPECT_EQ(v.flag_OpenUPS, 256);
    EXPECT_EQ(v.SupportItem, 0x01000000);
    EXPECT_EQ(v.DownTime, 0x2C01);
}

TEST_F(ValuesTest, PartialDecodeKeepsTheBytesPastTheEnd) {
    const Sample fresh = MakeSample();
    UPSVal previous{};
    previous.flag_OpenUPS = 7;
    previous.SupportItem = 0x11223344;
    previous.StatusFlag.AllSts = UPS_ACFAIL;
    for (int i = 0; i < ItemCount; ++i)
        previous.ItemVal[i] = static_cast<short>(-100 - i);
    previous.DownTime = 42;
    Image previousImg{};
    EncodeUPSVal(previous, previousImg.data());

    for (std::size_t n = 0; n <= UPSValImageSize; ++n) {
        Image mixed = previousImg;
        std::memcpy(mixed.data(), fresh.img.data(), n);
        UPSVal expected{};
        DecodeUPSVal(mixed.data(), &expected);

        UPSVal got = previous;
        DecodeUPSValPartial(fresh.img.data(), n, &got);
        SCOPED_TRACE("n = " + std::to_string(n));
        ExpectSameValues(got, expected);
    }
}

TEST_F(ValuesTest, TheFirstReadDeletesTheFileAndCountsAsLost) {
    UPSVal v = MakeSample().val;
    v.StatusFlag.AllSts = 0;
    WriteValues(v);
    PtUPSVal.flag_OpenUPS = 1;
    PtUPSVal.ItemVal[2] = 950;
    PtUPSVal.DownTime = 77;
    PtUPSVal.StatusFlag.AllSts = UPS_ACFAIL;
    ReadUPSVal();
    EXPECT_FALSE(FileExists(ValuesPath())) << "values of an earlier run are never shown";
    EXPECT_EQ(PtUPSVal.flag_OpenUPS, 0);
    EXPECT_EQ(PtUPSVal.StatusFlag.AllSts, UPS_ACFAIL | UPS_COMMERR);
    EXPECT_EQ(PtUPSVal.ItemVal[2], 950);
    EXPECT_EQ(PtUPSVal.DownTime, 77);

    // The second read takes the file the agent writes anew.
    WriteValues(v);
    ReadUPSVal();
    EXPECT_TRUE(FileExists(ValuesPath())) << "only the first read deletes";
    ExpectSameValues(PtUPSVal, v);
}

TEST_F(ValuesTest, AMissingFileMeansLostCommunicationAndKeepsTheRest) {
    FirstRead();
    const UPSVal v = MakeSample().val;
    WriteValues(v);
    ReadUPSVal();
    ASSERT_EQ(PtUPSVal.flag_OpenUPS, 0x0102);
    std::remove(ValuesPath().c_str());
    PtUPSVal.DownTime = 55;
    ReadUPSVal();
    EXPECT_EQ(PtUPSVal.flag_OpenUPS, 0);
    EXPECT_EQ(PtUPSVal.StatusFlag.AllSts, v.StatusFlag.AllSts | UPS_COMMERR);
    EXPECT_EQ(PtUPSVal.DownTime, 55);
    EXPECT_EQ(PtUPSVal.SupportItem, v.SupportItem);
    EXPECT_EQ(PtUPSVal.ItemVal[5], v.ItemVal[5]);
    EXPECT_EQ(PtUPSVal.RelayStatus[7], v.RelayStatus[7]);

    // The loss clears as soon as the agent reports again.
    UPSVal back{};
    back.flag_OpenUPS = 1;
    back.StatusFlag.AllSts = UPS_BEEPER;
    back.DownTime = -1;
    WriteValues(back);
    ReadUPSVal();
    EXPECT_EQ(PtUPSVal.flag_OpenUPS, 1);
    EXPECT_EQ(PtUPSVal.StatusFlag.AllSts, UPS_BEEPER);
}

TEST_F(ValuesTest, AShortFileReplacesOnlyTheBeginning) {
    FirstRead();
    PtUPSVal.ItemVal[0] = 111;
    PtUPSVal.ItemVal[1] = 222;
    PtUPSVal.DownTime = -1;
    PtUPSVal.TxVoltHi = 9;
    Image img{};
    Put16(img, 0, 1);
    Put32(img, 4, 0x7);
    Put32(img, 8, static_cast<std::uint32_t>(UPS_ACFAIL));
    Put16(img, 18, 2305); // ItemVal[0]
    // 20 bytes: through ItemVal[0]; ItemVal[1] onwards keep their values.
    WriteFileRaw(ValuesPath(), std::string(reinterpret_cast<const char*>(img.data()), 20));
    ReadUPSVal();
    EXPECT_EQ(PtUPSVal.flag_OpenUPS, 1);
    EXPECT_EQ(PtUPSVal.SupportItem, 7);
    EXPECT_EQ(PtUPSVal.StatusFlag.AllSts, UPS_ACFAIL);
    EXPECT_EQ(PtUPSVal.ItemVal[0], 2305);
    EXPECT_EQ(PtUPSVal.ItemVal[1], 222);
    EXPECT_EQ(PtUPSVal.TxVoltHi, 9);
    EXPECT_EQ(PtUPSVal.DownTime, -1);
}

TEST_F(ValuesTest, ALongerFileReadsOnlyItsFirstRecord) {
    FirstRead();
    const Sample s = MakeSample();
    WriteFileRaw(ValuesPath(), AsString(s.img) + std::string(200, '\x7F'));
    ReadUPSVal();
    ExpectSameValues(PtUPSVal, s.val);
}

struct ReconcileStep {
    short own;      // the front end's figure before the read
    short agent;    // the figure in the file
    short expected; // DownTime after the read
    const char* why;
};

class ReconcileTest : public ValuesTest {
  public:
    short Step(short own, short agent) { return Reconcile(own, agent); }
};

// Runs the steps in order over one run of the reader, after the first read.
void RunSteps(ReconcileTest* t, const std::vector<ReconcileStep>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const ReconcileStep& s = steps[i];
        EXPECT_EQ(t->Step(s.own, s.agent), s.expected)
            << "step " << i << " (own " << s.own << ", agent " << s.agent << "): " << s.why;
    }
}

TEST_F(ReconcileTest, NotFollowingTakesTheAgentFigureAndBeginsFollowing) {
    FirstRead();
    RunSteps(this, {
                       {-1, 103, 103, "none followed: the agent's figure, following begins"},
                       {102, 103, 102, "now followed: 1 above own, own stands"},
                   });
}

TEST_F(ReconcileTest, WhileFollowingEveryBranch) {
    FirstRead();
    RunSteps(this, {
                       {-1, 110, 110, "begin following"},
                       {100, 103, 100, "3 above own: own stands"},
                       {100, 105, 100, "5 above own: own stands"},
                       {100, 106, 106, "6 above own: the agent restarted, its figure"},
                       {100, 40, 100, "below own: own stands"},
                       {100, 100, 100, "equal"},
                       {100, 0, 100, "agent at zero is still a countdown"},
                       {100, -1, -1, "agent ended its countdown"},
                       {50, -1, -1, "no longer followed: the agent's -1 replaces own"},
                       {50, 20, 20, "not followed: the agent's figure, following begins"},
                       {30, 25, 30, "followed again"},
                   });
}

TEST_F(ReconcileTest, MinusOneReplacesAFrontEndStartedCountdown) {
    FirstRead();
    // Nothing followed; the front end has just started 300 seconds itself.
    RunSteps(this, {{300, -1, -1, "the agent reports no countdown"}});
}

TEST_F(ReconcileTest, FollowingBeginsAtZero) {
    FirstRead();
    RunSteps(this, {
                       {-1, 0, 0, "zero begins the following"},
                       {-1, 3, -1, "3 is less than 6 above own -1: own stands"},
                       {-1, 5, 5, "6 above own -1: the agent's figure"},
                   });
}

TEST_F(ReconcileTest, AnyNegativeAgentFigureEndsTheFollowing) {
    FirstRead();
    RunSteps(this, {
                       {-1, 60, 60, "begin"},
                       {59, -5, -1, "negative ends it, DownTime is -1"},
                       {-1, -7, -7, "not followed: negative figure taken as it is"},
                   });
}

TEST_F(ReconcileTest, AMissingFileKeepsTheFollowing) {
    FirstRead();
    EXPECT_EQ(Reconcile(-1, 120), 120);
    std::remove(ValuesPath().c_str());
    PtUPSVal.DownTime = 119;
    ReadUPSVal();
    EXPECT_EQ(PtUPSVal.DownTime, 119);
    EXPECT_EQ(PtUPSVal.flag_OpenUPS, 0);
    EXPECT_EQ(Reconcile(118, 121), 118) << "still followed after the lost read";
}

TEST_F(ReconcileTest, ResetForgetsTheFollowingAndTheFirstRead) {
    FirstRead();
    EXPECT_EQ(Reconcile(-1, 120), 120);
    ResetReadUPSValState();
    UPSVal v{};
    v.DownTime = 50;
    WriteValues(v);
    ReadUPSVal();
    EXPECT_FALSE(FileExists(ValuesPath())) << "the first read again";
    EXPECT_EQ(Reconcile(100, 103), 103) << "nothing followed after a reset";
}

} // namespace
