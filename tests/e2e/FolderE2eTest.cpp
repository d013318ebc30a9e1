// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The folder by handle: a program folder renamed, with its parent, under the
// running agent, and a link planted at the old path. Every write follows the
// folder the agent opened, none goes where the link leads.

#include <filesystem>

#include "E2eSupport.h"

namespace e2e {
namespace {

TEST_F(E2eTest, AMovedFolderKeepsEveryWriteWhereTheFolderWent) {
    namespace fs = std::filesystem;
    const std::string parent = Path("parent"), folder = parent + "/prog";
    const std::string moved = Path("moved/prog2"), lure = Path("lure");
    for (const std::string& dir : {parent, folder, lure, lure + "/prog"})
        ASSERT_TRUE(fs::create_directory(dir)) << dir;
    std::ofstream(Path("scenario.scn")) << OnMains;
    agent_ = Spawn({AgentBinary, "--folder", folder, "--simulate", Path("scenario.scn")},
                   Path("agent.out"));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(folder + "/" + ValuesFileName); }, seconds(5)));
    fs::rename(folder, parent + "/prog2");
    fs::rename(parent, Path("moved"));
    fs::create_directory_symlink(lure, parent); // the old path now leads elsewhere
    // The values are renewed, the log written and a reload read where the folder went.
    ASSERT_EQ(::unlink((moved + "/" + ValuesFileName).c_str()), 0);
    EXPECT_TRUE(WaitFor([&] { return fs::exists(moved + "/" + ValuesFileName); }, seconds(5)));
    ::kill(agent_.Pid, SIGHUP);
    const auto logged = [&](const std::string& text) {
        return ReadFile(moved + "/" + LogFileName).find(text) != std::string::npos;
    };
    EXPECT_TRUE(WaitFor([&] { return logged("Settings file missing"); }, seconds(5)));
    EXPECT_EQ(Terminate(agent_), 0);
    EXPECT_TRUE(logged("Agent stopped"));
    EXPECT_TRUE(fs::is_empty(lure + "/prog")) << "a write followed the name";
}

} // namespace
} // namespace e2e
