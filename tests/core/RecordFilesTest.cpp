// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The record files: the values image and its reader (the stale limit, the
// countdown reconciliation), the settings' 33 lines with the reader's quirks
// and the defaults, and the ratings.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>

#include <tuple>

#include "AgentLock.h"
#include "CoreTestSupport.h"
#include "NutState.h"

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
    Image expected = img, encoded;
    for (int reserved : {78, 79, 130, 131})
        expected[reserved] = 0;
    encoded.fill(0xAA);
    EncodeUPSVal(v, encoded.data());
    EXPECT_EQ(encoded, expected) << "every other field where it was read";
}

// What the reader keeps of a short or long file is the values fuzzer's to
// check. An agent holds the folder; the first read of the run finds no file.
using ValuesFileTest = CoreTest;

TEST_F(ValuesFileTest, TheStaleLimitIsPinnedAndTheCountdownReconciled) {
    SetTestTime(2026, 3, 10, 12, 0, 0);
    AgentFolderLock lock;
    std::string error;
    ASSERT_EQ(lock.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    ReadUPSVal();
    // The agent's countdown (-1: none), written the given seconds before the clock.
    const auto read = [this](int countdown, long age) {
        Image img = Pattern(1);
        std::tie(img[128], img[129]) = std::tuple(countdown >> 8 & 0xFF, countdown & 0xFF);
        WriteFileRaw(Path(ValuesFileName), std::string(img.begin(), img.end()));
        const timespec when{CurrentTime() - age, 0}, times[2] = {when, when};
        ASSERT_EQ(::utimensat(AT_FDCWD, Path(ValuesFileName).c_str(), times, 0), 0);
        ReadUPSVal();
    };
    // {limit, age, fresh}: the limit is pinned to 2 s .. 1 h (the monitor's
    // tests take the default).
    for (auto [limit, age, fresh] : {std::tuple{1, 2L, true}, {5000, 3601L, false}}) {
        SetValuesStaleLimit(limit);
        read(-1, age);
        EXPECT_EQ(GetValuesLink().link, fresh ? ValuesLink::Live : ValuesLink::Lost) << age;
        EXPECT_EQ(GetValuesLink().age, fresh ? 0 : age);
    }
    // From the first read, {own figure, the agent's ("none": no file), the
    // figure shown}. The agent's figure wins when nothing is followed yet, or
    // when it is clearly longer; any negative ends what was followed.
    ResetReadUPSValState();
    std::istringstream in("-1 110 110, 100 105 100, 100 106 106, 100 40 100, 100 -5 -1, "
                          "50 -7 -7, 50 0 0, 30 none 30");
    short own, shown;
    for (std::string agent; in >> own >> agent >> shown; in.ignore(1)) {
        PtUPSVal.DownTime = own;
        std::remove(Path(ValuesFileName).c_str());
        agent == "none" ? ReadUPSVal() : read(std::stoi(agent), 0);
        EXPECT_EQ(PtUPSVal.DownTime, shown) << own << " " << agent;
    }
}

TEST_F(ValuesFileTest, OnlyTheAgentsUsersValuesAreBelieved) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give the values file to another user";
    const passwd* pw = ::getpwuid(65534);
    const std::string owner = pw ? pw->pw_name : "65534";
    SetTestTime(2026, 3, 10, 12, 0, 0);
    const timespec now{CurrentTime(), 0}, times[2] = {now, now};
    for (bool service : {false, true}) {
        service ? SetServiceUser(65534) : ClearServiceUser();
        WriteFileRaw(Path(ValuesFileName), std::string(UPSValImageSize, '\1'));
        ASSERT_EQ(::chown(Path(ValuesFileName).c_str(), 65534, 65534), 0);
        ASSERT_EQ(::utimensat(AT_FDCWD, Path(ValuesFileName).c_str(), times, 0), 0);
        ReadUPSVal();
        const ValuesLinkState link = GetValuesLink();
        EXPECT_EQ(std::tuple(link.link, link.reason, link.detail),
                  service ? std::tuple(ValuesLink::Live, LostReason::NoValues, std::string())
                          : std::tuple(ValuesLink::Lost, LostReason::ForeignWriter, owner));
        EXPECT_EQ(PtUPSVal.flag_OpenUPS, service ? 0x0101 : 0);
    }
}

TEST_F(ValuesFileTest, AFolderClosedToTheUserNamesWhoMayReadIt) {
    // Root reads every folder: the reader then runs as nobody.
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(Folder().c_str(), root ? 0750 : 0), 0);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = root ? ::fork() : 0;
    if (child == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            _exit(1);
        ReadUPSVal();
        const ValuesLinkState link = GetValuesLink();
        const std::string said = std::to_string(int(link.reason)) + " " + link.detail;
        (void)!::write(out[1], said.data(), said.size());
        if (root) _exit(0);
    }
    ::close(out[1]);
    if (root) ::waitpid(child, nullptr, 0);
    char said[256] = {};
    (void)!::read(out[0], said, sizeof said - 1);
    ::close(out[0]);
    ::chmod(Folder().c_str(), 0700);
    const std::string who =
        root ? "user root or group root" : std::string("user ") + ::getpwuid(::geteuid())->pw_name;
    EXPECT_EQ(said, std::to_string(int(LostReason::FolderUnreadable)) + " " + who);
}

using SettingsTest = CoreTest;

TEST_F(SettingsTest, The33LinesLoadedAndSaved) {
    const std::string text = "3\n20230102\n20260102\n75\n95\n1200\n-7\n4\n5\n6\n0\n1\nsmtp.org\n"
                             "example.org\nups@example.org\n35\n2\n240\n3\n61\n4\n31\n5\n62\n6\n"
                             "301\n7\n91\n1\n/usr/bin/on event\n32767\n8\n-32768\n";
    WriteFileRaw(Path(SettingsFileName), text);
    LoadUPSSts();
    EXPECT_EQ(std::tuple(PtUPSSts.Main_Meter[1], PtUPSSts.Power_OSDelay, PtUPSSts.Schedule_UPSDelay,
                         std::string(PtUPSSts.SMTPAccount), std::string(PtUPSSts.CommandFile)),
              std::tuple(6, 240, 91, "ups@example.org", "/usr/bin/on event"));
    EXPECT_EQ(FormatUPSSts(PtUPSSts), text) << "as it is saved";
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
    // clang-format off
    const std::tuple<const char*, std::string, std::vector<std::pair<int, std::string>>> cases[] = {
        // why, the file, {line, text} of the record as it would be saved
        {"a short file: only its lines", "9\n2020\n", {{1, "9"}, {2, "2020"}, {4, "21845"}}},
        {"an unterminated last line loses its last character", n12 + "abc", {{13, "ab"}}},
        {"texts are cut to their fields",
         "1\n2024010199\n" + Numbered(3, 12) + std::string(40, 's') + "\n" + Numbered(14, 29) +
             std::string(280, 'c') + "\n31\n",
         {{2, "20240101"}, {13, std::string(29, 's')}, {30, std::string(255, 'c')}, {31, "31"}}},
        {"lines are read in pieces of 299 characters, each losing its last one",
         n3 + std::string(297, ' ') + "12\n5\n", {{4, "1"}, {5, "0"}, {6, "5"}}},
        {"lines after the 33rd are ignored", Numbered(1, 35), {{33, "33"}}}};
    // clang-format on
    for (const auto& [why, text, lines] : cases) {
        std::memset(&PtUPSSts, 0x55, sizeof PtUPSSts);
        WriteFileRaw(Path(SettingsFileName), text);
        LoadUPSSts();
        for (const auto& [line, want] : lines) // as the record would be saved
            EXPECT_EQ(SplitLines(FormatUPSSts(PtUPSSts)).at(line - 1), want) << why << ", " << line;
    }
}

TEST_F(SettingsTest, RatingsAreTakenWholeOrNotAtAll) {
    // clang-format off
    const std::tuple<const char*, short, short, short> cases[] = {
        {"-5\r\n0\r\n32767\r\n", -5, 0, 32767}, {nullptr, 1, 2, 3}, {"230\n12\n", 1, 2, 3},
        {"230\nabc\n24\n", 1, 2, 3}, {"230\n12\n24x\n", 1, 2, 3}, {"70000\n1\n2\n", 1, 2, 3},
        {"230\n12\n24\n1500\n", 1, 2, 3}, {"230\n12\n24\n100000\n500\n", 230, 12, 24}};
    // clang-format on
    for (const auto& [text, volt, current, batt] : cases) {
        SCOPED_TRACE(text ? text : "no file");
        PtUPSSts.RatingVolt = 1, PtUPSSts.RatingCurrent = 2, PtUPSSts.RatingBattVolt = 3;
        RemoveTree(Path(RatingFileName));
        if (text) WriteFileRaw(Path(RatingFileName), text);
        EXPECT_EQ(LoadRatings(), volt != 1);
        EXPECT_EQ(std::tuple(PtUPSSts.RatingVolt, PtUPSSts.RatingCurrent, PtUPSSts.RatingBattVolt),
                  std::tuple(volt, current, batt));
    }
    EXPECT_EQ(std::pair(PtUPSSts.RatingVA, PtUPSSts.RatingFreq), std::pair(100000, short{500}));
}

TEST(NutStateFile, RoundTripsAndRefusesWhatItCannotRead) {
    // {text, what it reads as; none: refused, the record left as it was}.
    const NutState full{NutRole::Primary, 2, true, "login refused by the server"}, before{};
    // clang-format off
    const std::pair<std::string, std::optional<NutState>> cases[] = {
        {EncodeNutState({NutRole::Primary, 2, true, "login refused\rby\nthe server"}), full},
        {"role=secondary\r\nothers=-1\nlater=x\njunk\nproblem=a=b\n", NutState{NutRole::Secondary, -1, false, "a=b"}},
        {"others=0\nrole=observer", NutState{NutRole::Observer, 0, false, ""}}, {"others=3\n", {}}, {"role=Primary\n", {}},
        {"role=primary\nothers= 2\n", {}}, {"role=primary\nothers=+2\n", {}}, {"role=primary\nothers=-2\n", {}},
        {"role=primary\nothers=\n", {}}, {"role=primary\nothers=99999999999999999999\n", {}}, {"role=primary\nforced=yes\n", {}}};
    // clang-format on
    for (const auto& [text, want] : cases) {
        NutState s = before;
        EXPECT_EQ(ParseNutState(text, &s), want.has_value()) << text;
        EXPECT_EQ(s, want.value_or(before)) << text;
    }
}

} // namespace
