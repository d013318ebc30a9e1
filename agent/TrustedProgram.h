// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The programs the agent runs (the command file, the shutdown command) and
// whose rights they run with. A program is opened once, checked through
// that open file, and started from it, so what runs is what was checked.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "file.h"

// Who runs a started program.
struct RunAs {
    bool Switch = false; // false: the agent's own identity, nothing changes
    uid_t Uid = 0;
    gid_t Gid = 0;
    std::vector<gid_t> Groups;
    std::string Name; // for USER and LOGNAME; empty: left as they are
    std::string Home;
};

// The agent's own user.
RunAs AgentIdentity();
// The owner of a file, with the owner's groups from the user database (the
// file's own group alone when the owner has no entry there). The agent's own
// user when the owner is the agent's user.
RunAs IdentityOfOwner(uid_t owner, gid_t fileGroup);

// Opens the program at path for running as user runner: after resolving
// links, every folder from / down and the file itself must belong to root or
// to runner and be writable by no one else (a sticky folder is no
// exception), and the file must be a regular file with its execute bit.
// A script's #! interpreter, as the kernel reads it, and so on down its
// chain, must be an absolute path that passes the same checks.
// Returns an O_PATH descriptor of exactly the file checked, or an invalid
// one with *why saying what is wrong ("is writable by its group", "runs
// through interpreter /home/u/py, which belongs to user 1000, ...").
UniqueFd OpenTrustedProgram(const std::string& path, uid_t runner, std::string* why);

// The same checks for a library the agent loads itself (its modules): no
// execute bit is asked for, and no #! line is read.
UniqueFd OpenTrustedLibrary(const std::string& path, uid_t loader, std::string* why);
