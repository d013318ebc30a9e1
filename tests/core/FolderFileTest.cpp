// Whatever stands under a folder file's name, the monitor's readers return at
// once: a FIFO, a device or a folder counts as a missing file, and of an
// oversized file no more than the first part is read.
#include <gtest/gtest.h>

#include <sys/stat.h>

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

// One reader of one folder file: the text of a sound file, what to do with
// nothing under the name yet, and what the reader shows when it found the
// file missing and when it read the sound file.
struct Reader {
    const char* name;
    const char* file;
    std::string soundText;
    std::function<void()> before, read;
    std::function<long()> shown;
    long missing, sound;
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

std::string SoundSettings() {
    UPSSts s{};
    DefaultUPSSts(&s);
    s.Power_OSDelay = 77;
    return FormatUPSSts(s);
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
        {"values", ValuesFileName, SoundValues(),
         [] {
             // One sound read first: from then on a missing file is a loss.
             const std::string path = FolderFile(ValuesFileName);
             WriteFileRaw(path, SoundValues());
             ReadUPSVal();
             std::remove(path.c_str());
             PtUPSVal.ItemVal[2] = 0;
         },
         ReadUPSVal,
         [] { return (PtUPSVal.StatusFlag.AllSts & UPS_COMMERR) ? -1L : PtUPSVal.ItemVal[2]; }, -1,
         870},
        {"settings", SettingsFileName, SoundSettings(), [] {}, LoadUPSSts,
         [] { return long{PtUPSSts.Power_OSDelay}; }, 180, 77},
        {"ratings", RatingFileName, "2300\n43\n240\n", [] {}, [] { LoadRatings(); },
         [] { return long{PtUPSSts.RatingVolt}; }, 0, 2300},
        {"calendar load", CalendarFileName, SoundCalendar(),
         [] {
             LoadSchedule();
             PtSchedule[RowOf(3, 11, 0)].Button = 9;
         },
         LoadSchedule, [] { return long{PtSchedule[RowOf(3, 11, 0)].Button}; }, 0,
         ScheduleShutdown},
        {"next-event search", CalendarFileName, SoundCalendar(),
         [] {
             SetTestTime(2026, 3, 10, 14, 0);
             NextShutdown.Day = 99;
         },
         GetNext, [] { return long{NextShutdown.Day}; }, 99, 11},
        // The roll leaves what it cannot read, and replaces an oversized file
        // by one of 4465 lines.
        {"yearly roll", CalendarFileName, SoundCalendar(), [] { StartYear = 2027; },
         SchedulePlus1Year,
         [this] {
             if (ListFolder(Folder()).size() != 1) return -2L; // a temporary file left
             struct stat st {};
             lstat(Path(CalendarFileName).c_str(), &st);
             return S_ISREG(st.st_mode) ? long{st.st_size < (1 << 20)} : -1L;
         },
         -1, 1},
    };
    for (const Reader& r : readers) {
        for (Standin what : AllStandins) {
            const std::string trace = std::string(r.name) + " reader, " + StandinName(what);
            SCOPED_TRACE(trace);
            ResetCoreState();
            r.before();
            PlantStandin(Path(r.file), what, r.soundText);
            {
                Watchdog watchdog(20, trace);
                r.read();
            }
            EXPECT_EQ(r.shown(), what == Standin::Oversized ? r.sound : r.missing);
            RemoveTree(Path(r.file));
        }
    }
}

} // namespace
