// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The program folder and what every file routine shares: replacing a file
// (never through a planted link, nothing left behind, the old file whole on a
// full disk) with the requests of the command file, readers facing what is
// not a file, the agent's lock and the folder's choice.
#include "AgentLock.h"
#include "CoreTestSupport.h"

namespace {

using namespace corvanta_test;

class FolderTest : public CoreTest {};

TEST_F(FolderTest, ReplacingAFileIsAllOrNothingAndNeverThroughALink) {
    const std::string target = Path("target"), victim = Path("victim");
    WriteFileRaw(victim, "victim");
    for (const char* name : {"target.tmp", "target~", "target.new", ".target", "CALTMP.DAT"})
        ASSERT_EQ(symlink(victim.c_str(), Path(name).c_str()), 0);
    const mode_t mask = umask(022);
    for (const std::string& text : {std::string("first\n"), std::string("\0\xFF\n", 3)}) {
        ASSERT_TRUE(WriteFileAtomic(target, text));
        EXPECT_EQ(ReadFile(target), text) << "no tail of the old text";
    }
    umask(mask);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644))
        << "readable by an agent running as another user";
    EXPECT_EQ(ReadFile(victim), "victim");
    // A failure leaves nothing behind: a non-empty folder cannot be renamed over.
    ASSERT_EQ(mkdir(Path("dir").c_str(), 0755), 0);
    WriteFileRaw(Path("dir/inside"), "x");
    EXPECT_FALSE(WriteFileAtomic(Path("dir"), std::string("data")));
    EXPECT_EQ(ListFolder(Folder()).size(), 8u) << "nothing beside the target";
}

TEST_F(FolderTest, ASaveSendsItsOwnRequestAndOneThatCouldNotBeWrittenWaits) {
    SetTestTime(2024, 5, 15, 10, 0);
    LoadSchedule();
    const std::string old = "old, longer than the limit\n";
    using Writer = SaveResult (*)(std::string*);
    for (const auto& [file, write, request] :
         {std::tuple{SettingsFileName, Writer(&WriteUPSSts), "1\n0\n0\n"},
          {CalendarFileName, Writer(&WriteSchedule), "0\n1\n0\n"}}) {
        RemoveTree(Path(CommandFileName));
        WriteFileRaw(Path(file), old);
        WithFileSizeLimit(3, [&] { EXPECT_EQ(write(nullptr), SaveResult::NotSaved); }); // disk full
        EXPECT_EQ(ReadFile(Path(file)), old);
        EXPECT_EQ(flag_LoadSTS + flag_LoadSCH, 0) << "no request without the file";
        EXPECT_EQ(write(nullptr), SaveResult::Saved);
        EXPECT_EQ(ReadFile(Path(CommandFileName)), request);
        EXPECT_EQ(flag_LoadSTS + flag_LoadSCH, 0) << "cleared once written";
    }
    // Requests the disk had no room for wait for the next write.
    flag_LoadSTS = flag_LoadCancelShutdown = 1;
    WithFileSizeLimit(3, [] { EXPECT_FALSE(WriteCommand()); });
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "0\n1\n0\n") << "the old file whole";
    EXPECT_EQ(flag_LoadSTS + flag_LoadCancelShutdown, 2);
    EXPECT_TRUE(WriteCommand());
    EXPECT_EQ(ReadFile(Path(CommandFileName)), "1\n0\n1\n");
    EXPECT_EQ(flag_LoadSTS + flag_LoadCancelShutdown, 0);
}

TEST_F(FolderTest, ReadersTakeOnlyAFileAndOfAnOversizedOneOnlyTheFirstPart) {
    AgentFolderLock lock;
    std::string error;
    ASSERT_EQ(lock.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    const char* files[] = {ValuesFileName, SettingsFileName, RatingFileName, CalendarFileName};
    for (Standin what : AllStandins) {
        SCOPED_TRACE(StandinName(what));
        ResetCoreState();
        SetTestTime(2026, 3, 10, 14, 0);
        for (const char* name : files)
            PlantStandin(Path(name), what, "2026\n1\t8\t0\n");
        const bool file = what == Standin::Oversized;
        {
            Watchdog watchdog(20, StandinName(what));
            LoadUPSSts();
            LoadRatings();
            LoadSchedule();
            GetNext();
            ReadUPSVal();
            StartYear = 2027;
            SchedulePlus1Year(); // what it cannot read it leaves
        }
        EXPECT_EQ(PtUPSSts.Power_OSDelay, file ? 0 : 180) << "the defaults for no file";
        EXPECT_EQ(PtSchedule[0].Button, file ? 1 : 0);
        EXPECT_EQ(PtUPSVal.flag_OpenUPS, file ? 0x3230 : 0) << "\"20\"";
        EXPECT_EQ(ListFolder(Folder()).size(), 4u);
        std::error_code notAFile;
        EXPECT_EQ(fs::file_size(Path(CalendarFileName), notAFile) < (1u << 20), file) << "rolled";
        for (const char* name : files)
            RemoveTree(Path(name));
    }
}

TEST_F(FolderTest, OneAgentHoldsTheLockInAPlaceOfItsUserAndTheProbeSeesIt) {
    const std::string place = Lock(::geteuid() == 0 ? "root" : "own");
    std::string error;
    AgentFolderLock first, second;
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::NotRunning);
    ASSERT_EQ(first.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::Running);
    const std::string file = first.Path();
    EXPECT_EQ(std::tuple(file.substr(0, place.size() + 1), fs::symlink_status(file).permissions()),
              std::tuple(place + "/", fs::perms(0600)));
    EXPECT_EQ(second.Take(Folder(), &error), AgentFolderLock::Result::HeldByAnotherAgent);
    EXPECT_EQ(error, "another agent (process " + std::to_string(::getpid()) + ") already runs on " +
                         Folder());
    first.Release();
    EXPECT_FALSE(FileExists(file)) << "the name goes with the lock";
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::NotRunning);
    // A lock in a place others may change proves nothing, and is not taken.
    ASSERT_EQ(second.Take(Folder(), &error), AgentFolderLock::Result::Taken) << error;
    ASSERT_EQ(::chmod(place.c_str(), 0777), 0);
    EXPECT_EQ(ProbeAgentLock(Folder()), AgentPresence::NotRunning);
    EXPECT_EQ(first.Take(Folder(), &error), AgentFolderLock::Result::Failed);
    WriteFileRaw(Path("file"), "x");
    EXPECT_EQ(ProbeAgentLock(Path("file")), AgentPresence::Unknown);
    EXPECT_EQ(first.Take(Path("file"), &error), AgentFolderLock::Result::Failed);
}

TEST_F(FolderTest, ArgumentBeforeEnvironmentBeforeDefaultAndNothingThatDoesNotFit) {
    const std::string fits = "/" + std::string(254, 'a'), tooLong = fits + "b";
    // Argument (nullptr: none), environment (nullptr: unset), CurDir ("/s": refused).
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/from/arg", "/from/env", "/from/arg"}, {nullptr, "/from/env///", "/from/env"},
        {nullptr, "", DefaultProgramFolder}, {fits.c_str(), nullptr, fits.c_str()},
        {tooLong.c_str(), "/from/env", "/s"}, {nullptr, tooLong.c_str(), "/s"}};
    // clang-format on
    for (const auto& [argument, env, curDir] : cases) {
        std::strcpy(CurDir, "/s");
        env ? setenv("CORVANTA_FOLDER", env, 1) : unsetenv("CORVANTA_FOLDER");
        std::string error;
        const bool taken = std::strcmp(curDir, "/s") != 0;
        EXPECT_EQ(InitProgramFolder(argument, &error), taken) << error;
        EXPECT_EQ(error.empty(), taken) << "a refusal says why";
        EXPECT_STREQ(CurDir, curDir);
    }
    unsetenv("CORVANTA_FOLDER");
}

} // namespace
