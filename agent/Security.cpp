#include "Security.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "Folder.h"
#include "Ups.h"
#include "file.h"

int OpenForReadNoFollow(const std::string& path, struct stat* st) {
    UniqueFd fd = OpenForReading(path, st, true);
    return fd ? fd.Release() : -1;
}

bool CheckOwnerAndMode(const struct stat& st, uid_t owner, uid_t otherOwner,
                       const std::string& owners, std::string* why) {
    if (st.st_uid != 0 && st.st_uid != owner && st.st_uid != otherOwner) {
        *why = "belongs to user " + std::to_string(st.st_uid) + ", not to root or to " + owners;
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

bool IsTrustedDataFile(const struct stat& st, uid_t folderOwner, std::string* why) {
    if (!S_ISREG(st.st_mode)) {
        *why = "is not a regular file";
        return false;
    }
    return CheckOwnerAndMode(st, ::geteuid(), folderOwner, "the agent's user", why);
}

bool ProgramFolderStatus(struct stat* st) {
    const int fd = ProgramFolderFd();
    return fd >= 0 ? ::fstat(fd, st) == 0 : ::stat(CurDir[0] ? CurDir : "/", st) == 0;
}

uid_t ProgramFolderOwner() {
    struct stat st {};
    return ProgramFolderStatus(&st) ? st.st_uid : 0;
}

SettingsWriter WriterOfSettings(const struct stat& file, const struct stat* folder) {
    const std::string named = "is named by settings in the program folder ";
    const std::string shown = CurDir[0] ? CurDir : "/";
    if (!folder) return {0, 0, named + shown + ", which cannot be examined"};
    if (folder->st_mode & (S_IWGRP | S_IWOTH))
        return {0, 0, named + shown + ", which other users can change"};
    auto agents = [](uid_t uid) { return uid == 0 || uid == ::geteuid(); };
    if (agents(file.st_uid) && !agents(folder->st_uid)) return {folder->st_uid, folder->st_gid, ""};
    return {file.st_uid, file.st_gid, ""};
}
