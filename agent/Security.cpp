#include "Security.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "Ups.h"

int OpenForReadNoFollow(const std::string& path, struct stat* st) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, st) != 0) {
        int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    // Reads of a regular file never block; clear the flag anyway so stdio
    // behaves normally.
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

namespace {

bool CheckModeAndOwner(const struct stat& st, uid_t extraOwner, std::string* why) {
    uid_t me = ::geteuid();
    if (st.st_uid != 0 && st.st_uid != me && st.st_uid != extraOwner) {
        *why =
            "belongs to user " + std::to_string(st.st_uid) + ", not to root or to the agent's user";
        return false;
    }
    if (st.st_mode & S_IWGRP) {
        *why = "is writable by its group";
        return false;
    }
    if (st.st_mode & S_IWOTH) {
        *why = "is writable by other users";
        return false;
    }
    return true;
}

} // namespace

bool IsTrustedDataFile(const struct stat& st, uid_t folderOwner, std::string* why) {
    if (!S_ISREG(st.st_mode)) {
        *why = "is not a regular file";
        return false;
    }
    return CheckModeAndOwner(st, folderOwner, why);
}

bool IsTrustedProgram(const std::string& path, std::string* why) {
    if (path.empty() || path[0] != '/') {
        *why = "is not an absolute path";
        return false;
    }
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) {
        *why = std::string("cannot be found (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat st {};
    if (::stat(resolved, &st) != 0) {
        *why = std::string("cannot be examined (") + std::strerror(errno) + ")";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = "is not a regular file";
        return false;
    }
    uid_t me = ::geteuid();
    if (!CheckModeAndOwner(st, me, why)) return false;
    // Whoever may replace files in its folder may replace the program.
    std::string dir(resolved);
    auto slash = dir.find_last_of('/');
    dir = slash == 0 ? std::string("/") : dir.substr(0, slash);
    struct stat ds {};
    if (::stat(dir.c_str(), &ds) != 0) {
        *why = "lies in a folder that cannot be examined";
        return false;
    }
    bool sticky = (ds.st_mode & S_ISVTX) != 0;
    if ((ds.st_uid != 0 && ds.st_uid != me) || (!sticky && (ds.st_mode & (S_IWGRP | S_IWOTH)))) {
        *why = "lies in folder " + dir + ", which other users can change";
        return false;
    }
    return true;
}

uid_t ProgramFolderOwner() {
    struct stat st {};
    if (::stat(CurDir[0] ? CurDir : "/", &st) != 0) return 0;
    return st.st_uid;
}
