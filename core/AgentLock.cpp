// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "AgentLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "CoreTesting.h"
#include "Folder.h"
#include "Ups.h"

namespace {

std::string rootPlaceForTests, ownPlaceForTests;

std::string RootPlace() {
    return rootPlaceForTests.empty() ? "/run/corvanta" : rootPlaceForTests;
}

// systemd's runtime folder of the user when the session does not name one.
std::string OwnPlace() {
    if (!ownPlaceForTests.empty()) return ownPlaceForTests;
    const char* run = std::getenv("XDG_RUNTIME_DIR");
    const std::string base =
        run && run[0] == '/' ? run : "/run/user/" + std::to_string(::geteuid());
    return base + "/corvanta";
}

std::string LockName(dev_t dev, ino_t ino) {
    return "agent-" + std::to_string(dev) + "-" + std::to_string(ino) + ".lock";
}

// A place for locks is a real folder of its owner that nobody else may
// change: anyone who could, could put a lock file of their own there.
bool TrustedPlace(const struct stat& st, uid_t owner) {
    return S_ISDIR(st.st_mode) && st.st_uid == owner && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The folder's identity: the open program folder's when it is CurDir, so
// the agent and the monitor name the folder they really use.
bool FolderId(const std::string& folder, dev_t* dev, ino_t* ino) {
    if ((folder == CurDir || (folder == "/" && CurDir[0] == '\0')) && ProgramFolderId(dev, ino))
        return true;
    struct stat st {};
    if (::stat(folder.empty() ? "/" : folder.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    *dev = st.st_dev;
    *ino = st.st_ino;
    return true;
}

// Whether a process holds an exclusive flock on the file (1, *pid: which),
// none does (0), or /proc/locks cannot be read (-1). Lines look like
// "1: FLOCK  ADVISORY  WRITE 1234 00:2d:5678 0 EOF" (device in hex); a
// waiter's line has "->" after the number and holds nothing.
int LockHolder(dev_t dev, ino_t ino, pid_t* pid) {
    std::FILE* in = std::fopen("/proc/locks", "re");
    if (in == nullptr) return -1;
    int held = 0;
    char line[256];
    while (held == 0 && std::fgets(line, sizeof line, in)) {
        char kind[16], access[16];
        long holder = 0;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(line, "%*d: %15s %*s %15s %ld %x:%x:%llu", kind, access, &holder, &major,
                        &minor, &inode) == 6 &&
            std::strcmp(kind, "FLOCK") == 0 && std::strcmp(access, "WRITE") == 0 &&
            makedev(major, minor) == dev && inode == ino) {
            held = 1;
            *pid = static_cast<pid_t>(holder);
        }
    }
    std::fclose(in);
    return held;
}

// The lock file of the folder at a place, if a trustworthy one stands there.
bool LockFileAt(const std::string& place, uid_t owner, const std::string& name, struct stat* st) {
    return ::stat(place.c_str(), st) == 0 && TrustedPlace(*st, owner) &&
           ::lstat((place + "/" + name).c_str(), st) == 0 && S_ISREG(st->st_mode) &&
           st->st_uid == owner;
}

// Running, NotRunning or Unknown for the lock files found; pid: the holder.
AgentPresence Presence(const std::vector<std::pair<std::string, uid_t>>& places,
                       const std::string& name, pid_t* pid) {
    AgentPresence presence = AgentPresence::NotRunning;
    for (const auto& [place, owner] : places) {
        struct stat st {};
        if (!LockFileAt(place, owner, name, &st)) continue;
        const int held = LockHolder(st.st_dev, st.st_ino, pid);
        if (held > 0) return AgentPresence::Running;
        if (held < 0) presence = AgentPresence::Unknown;
    }
    return presence;
}

std::string AnotherAgent(pid_t pid, const std::string& folder) {
    return "another agent" + (pid > 0 ? " (process " + std::to_string(pid) + ")" : std::string()) +
           " already runs on " + folder;
}

} // namespace

void SetAgentLockPlaces(const std::string& rootPlace, const std::string& ownPlace) {
    rootPlaceForTests = rootPlace;
    ownPlaceForTests = ownPlace;
}

AgentPresence ProbeAgentLock(const std::string& folder) {
    dev_t dev = 0;
    ino_t ino = 0;
    // A folder that is not there has no agent yet (the agent creates it).
    if (!FolderId(folder, &dev, &ino))
        return errno == ENOENT ? AgentPresence::NotRunning : AgentPresence::Unknown;
    pid_t pid = 0;
    return Presence({{RootPlace(), 0}, {OwnPlace(), ::geteuid()}}, LockName(dev, ino), &pid);
}

AgentFolderLock::~AgentFolderLock() {
    Release();
}

void AgentFolderLock::Release() {
    if (fd_ >= 0) {
        ::unlinkat(placeFd_, name_.c_str(), 0);
        ::close(fd_);
    }
    if (placeFd_ >= 0) ::close(placeFd_);
    fd_ = placeFd_ = -1;
    path_.clear();
}

AgentFolderLock::Result AgentFolderLock::Take(const std::string& folder, std::string* error) {
    Release();
    dev_t dev = 0;
    ino_t ino = 0;
    if (!FolderId(folder, &dev, &ino)) {
        *error = "cannot look at the program folder " + folder + ": " + std::strerror(errno);
        return Result::Failed;
    }
    const std::string name = LockName(dev, ino);
    const uid_t self = ::geteuid();
    pid_t pid = 0;
    if (self != 0 && Presence({{RootPlace(), 0}}, name, &pid) == AgentPresence::Running) {
        *error = AnotherAgent(pid, folder) + " as root";
        return Result::HeldByAnotherAgent;
    }
    const std::string place = self == 0 ? RootPlace() : OwnPlace();
    if (::mkdir(place.c_str(), self == 0 ? 0755 : 0700) != 0 && errno != EEXIST) {
        *error = "cannot create " + place + " for the agent's lock: " + std::strerror(errno);
        return Result::Failed;
    }
    const int placeFd = ::open(place.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (placeFd < 0 || ::fstat(placeFd, &st) != 0 || !TrustedPlace(st, self)) {
        *error = place + " is not a folder of " + (self == 0 ? "root" : "this user") +
                 " that no one else may change: no place for the agent's lock";
        if (placeFd >= 0) ::close(placeFd);
        return Result::Failed;
    }
    const std::string path = place + "/" + name;
    // The name may go between our open and our lock (the agent before us
    // ended): then the lock is on a file nobody else will find, and the next
    // one under the name is the one to take.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::openat(placeFd, name.c_str(),
                                O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != self) {
            *error = "cannot use the agent's lock file " + path + ": " +
                     (fd < 0 ? std::strerror(errno) : "not a file of this user");
            if (fd >= 0) ::close(fd);
            break;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            ::close(fd);
            if (e == EINTR) continue;
            if (e != EWOULDBLOCK) {
                *error = "cannot lock " + path + ": " + std::strerror(e);
                break;
            }
            pid = 0;
            LockHolder(st.st_dev, st.st_ino, &pid);
            *error = AnotherAgent(pid, folder);
            ::close(placeFd);
            return Result::HeldByAnotherAgent;
        }
        struct stat named {};
        if (::fstatat(placeFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == st.st_dev && named.st_ino == st.st_ino) {
            placeFd_ = placeFd;
            fd_ = fd;
            name_ = name;
            path_ = path;
            return Result::Taken;
        }
        ::close(fd);
        *error = "the agent's lock file " + path + " kept changing";
    }
    ::close(placeFd);
    return Result::Failed;
}
