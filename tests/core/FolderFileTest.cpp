// Whatever stands under a folder file's name, the monitor's readers return at
// once: a FIFO, a device or a folder counts as a missing file, and of an
// oversized file no more than the first part is read.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "AgentLock.h"
#include "Clock.h"
#include "CoreTestSupport.h"
#include "Folder.h"
#include "Schedule.h"
#include "file.h"

namespace {

using namespace corvanta_test;

TEST(CappedStream, ReadsEndAtTheCapAlsoAfterARewind) {
    char tmpl[] = "/tmp/corvanta-cap-XXXXXX";
    const int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "0123456789", 10), 10);
    close(fd);
    for (std::size_t cap : {0u, 4u, 10u, 64u}) {
        struct stat st {};
        UniqueFile f = CappedStream(OpenForReading(tmpl, &st), cap);
        ASSERT_NE(f, nullptr);
        char buf[32];
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(std::fread(buf, 1, sizeof buf, f.get()), std::min<std::size_t>(cap, 10))
                << "cap " << cap << ", pass " << pass;
            std::rewind(f.get());
        }
    }
    unlink(tmpl);
}

// An agent holds the folder, so the values reader believes a sound file.
class FolderFileTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        std::string error;
        ASSERT_EQ(agentLock.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    }
    AgentFolderLock agentLock;
};

// One reader of one folder file: what it reads when the file is sound, and
// how its missing-file state and its reading of that sound file show.
struct Reader {
    const char* name;
    const char* file;
    std::function<std::string()> soundText;
    std::function<void()> before; // run with nothing under the name
    std::function<void()> read;
    std::function<bool()> sawMissing;
    std::function<bool()> sawSound;
};

std::string SoundValues() {
    UPSVal v{};
    v.flag_OpenUPS = 1;
    v.ItemVal[2] = 870;
    v.DownTime = -1;
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(v, image);
    return std::string(reinterpret_cast<const char*>(image), sizeof image);
}

// 2026 with a shutdown on 11 March at 08:00 (and on 1 January 2027).
std::string SoundCalendar() {
    std::vector<Row> rows = EmptyRows();
    rows[RowOf(3, 11, 0)] = {ScheduleShutdown, 8, 0};
    rows[RowOf(13, 1, 0)] = {ScheduleShutdown, 9, 0};
    return CalendarText(2026, rows);
}

TEST_F(FolderFileTest, StandinsCountAsMissingAndOversizedFilesAreReadOnlyInPart) {
    const Reader readers[] = {
        {"values", ValuesFileName, SoundValues,
         [] {
             // One sound read first: from then on a missing file is a loss.
             const std::string path = FolderFile(ValuesFileName);
             WriteFileRaw(path, SoundValues());
             ReadUPSVal();
             std::remove(path.c_str());
         },
         [] { ReadUPSVal(); },
         [] { return PtUPSVal.flag_OpenUPS == 0 && (PtUPSVal.StatusFlag.AllSts & UPS_COMMERR); },
         [] { return PtUPSVal.flag_OpenUPS == 1 && PtUPSVal.ItemVal[2] == 870; }},
        {"settings", SettingsFileName,
         [] {
             UPSSts s{};
             DefaultUPSSts(&s);
             s.Power_OSDelay = 77;
             return FormatUPSSts(s);
         },
         [] {}, [] { LoadUPSSts(); }, [] { return PtUPSSts.Power_OSDelay == 180; },
         [] { return PtUPSSts.Power_OSDelay == 77; }},
        {"ratings", RatingFileName, [] { return std::string("2300\n43\n240\n"); }, [] {},
         [] { LoadRatings(); }, [] { return PtUPSSts.RatingVolt == 0; },
         [] { return PtUPSSts.RatingVolt == 2300; }},
        {"calendar load", CalendarFileName, SoundCalendar,
         [] {
             LoadSchedule();
             PtSchedule[RowOf(3, 11, 0)].Button = 9;
         },
         [] { LoadSchedule(); }, [] { return PtSchedule[RowOf(3, 11, 0)].Button == 0; },
         [] { return PtSchedule[RowOf(3, 11, 0)].Button == ScheduleShutdown; }},
        {"next-event search", CalendarFileName, SoundCalendar,
         [] {
             SetTestTime(2026, 3, 10, 14, 0);
             NextShutdown.Year = 1999;
         },
         [] { GetNext(); }, [] { return NextShutdown.Year == 1999; },
         [] { return std::string(NextShutString) == "03/11/2026 08:00"; }},
        {"yearly roll", CalendarFileName, SoundCalendar, [] { StartYear = 2027; },
         [] { SchedulePlus1Year(); },
         [this] { return ListFolder(Folder()) == std::vector<std::string>{CalendarFileName}; },
         [this] { return ReadFile(Path(CalendarFileName)).starts_with("2027\n1\t9\t0\n"); }},
    };
    for (const Reader& r : readers) {
        for (Standin what : AllStandins) {
            const std::string trace = std::string(r.name) + " reader, " + StandinName(what);
            SCOPED_TRACE(trace);
            ResetCoreState();
            r.before();
            PtUPSVal.flag_OpenUPS = 1;
            PlantStandin(Path(r.file), what, r.soundText());
            {
                Watchdog watchdog(20, trace);
                r.read();
            }
            if (what == Standin::Oversized)
                EXPECT_TRUE(r.sawSound());
            else
                EXPECT_TRUE(r.sawMissing());
            RemoveTree(Path(r.file));
        }
    }
}

} // namespace
