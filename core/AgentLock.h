// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One agent per program folder. The agent's lock is a file no other user can
// open: in root's runtime folder (/run/corvanta) for an agent running as
// root, in the user's own ($XDG_RUNTIME_DIR/corvanta) for an agent of one's
// own, named by the program folder's device and inode. Whatever a user may do
// in the program folder, they can neither take, block nor split it. The
// monitor cannot open the file either: it reads /proc/locks to learn whether
// the file is locked.
#pragma once

#include <string>
#include <sys/types.h>

enum class AgentPresence { Running, NotRunning, Unknown };

// Whether an agent holds the folder's lock, in root's runtime folder or this
// user's own; the folder is the open program folder when it is CurDir.
// NotRunning when there is no lock file under either name or no folder;
// Unknown when the folder cannot be looked at or /proc/locks cannot be read.
AgentPresence ProbeAgentLock(const std::string& folder);

// The agent's side: taken once at start, held until destruction. The
// descriptor is close-on-exec, so no program the agent starts keeps the lock
// after the agent has gone.
class AgentFolderLock {
  public:
    enum class Result { Taken, HeldByAnotherAgent, Failed };

    AgentFolderLock() = default;
    ~AgentFolderLock();
    AgentFolderLock(const AgentFolderLock&) = delete;
    AgentFolderLock& operator=(const AgentFolderLock&) = delete;

    // Takes the lock in root's place for root, else in the user's own; an
    // agent of a user also yields to root's agent on the same folder. On
    // anything but Taken, *error says why, naming the other agent's process
    // where it is known.
    Result Take(const std::string& folder, std::string* error);
    bool Held() const { return fd_ >= 0; }
    // The lock file while it is held.
    const std::string& Path() const { return path_; }
    // Removes the lock file's name while still holding it, so a name that
    // stands always belongs to the agent that holds it, then lets go.
    void Release();

  private:
    int placeFd_ = -1;
    int fd_ = -1;
    std::string name_;
    std::string path_;
};
