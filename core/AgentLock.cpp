#include "AgentLock.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// O_RDONLY is enough for flock and works for anyone who may list the folder.
int OpenFolder(const std::string& folder) {
    return ::open(folder.empty() ? "/" : folder.c_str(),
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
}

// True when someone holds the folder exclusively: a shared lock of our own
// cannot be had. Our shared lock lasts only as long as this call.
bool HeldExclusively(const std::string& folder, bool* known) {
    *known = false;
    int fd = OpenFolder(folder);
    if (fd < 0) return false;
    int rc;
    while ((rc = ::flock(fd, LOCK_SH | LOCK_NB)) != 0 && errno == EINTR) {
    }
    int e = errno;
    ::close(fd); // closing drops our shared lock at once
    errno = e;
    if (rc == 0) {
        *known = true;
        return false;
    }
    if (e == EWOULDBLOCK) {
        *known = true;
        return true;
    }
    return false;
}

} // namespace

AgentPresence ProbeAgentLock(const std::string& folder) {
    bool known = false;
    bool held = HeldExclusively(folder, &known);
    if (known) return held ? AgentPresence::Running : AgentPresence::NotRunning;
    // A folder that is not there has no agent yet (the agent creates it).
    if (errno == ENOENT) return AgentPresence::NotRunning;
    return AgentPresence::Unknown;
}

AgentFolderLock::~AgentFolderLock() {
    Release();
}

void AgentFolderLock::Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

AgentFolderLock::Result AgentFolderLock::Take(const std::string& folder, std::string* error) {
    Release();
    int fd = OpenFolder(folder);
    if (fd < 0) {
        *error = "cannot open the program folder " + folder + ": " + std::strerror(errno);
        return Result::Failed;
    }
    // Probes come and go within microseconds; a few seconds of retries
    // outlast any burst of them.
    constexpr int Attempts = 1000;
    const timespec pause{0, 5'000'000};
    for (int i = 0; i < Attempts; ++i) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return Result::Taken;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            *error = "cannot lock the program folder " + folder + ": " + std::strerror(errno);
            ::close(fd);
            return Result::Failed;
        }
        bool known = false;
        if (HeldExclusively(folder, &known) && known) {
            ::close(fd);
            return Result::HeldByAnotherAgent;
        }
        ::nanosleep(&pause, nullptr);
    }
    ::close(fd);
    *error = "the program folder " + folder + " stayed locked by monitors for too long";
    return Result::Failed;
}
