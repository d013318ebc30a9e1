// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Security.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "Folder.h"
#include "Ups.h"
#include "file.h"

namespace {

// A password file is one short line; more is not a password file.
constexpr std::size_t MaxPasswordFile = 4096;

} // namespace

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

bool ReplaceOwnFile(const std::string& path, const void* data, std::size_t size, bool durable) {
    bool ok = WriteFileAtomic(path, data, size, durable);
    if (!ok && errno == EISDIR && ::rmdir(path.c_str()) == 0)
        ok = WriteFileAtomic(path, data, size, durable);
    return ok;
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

bool ReadPasswordFile(const std::string& path, std::string* password, std::string* error) {
    struct stat st {};
    int fd = OpenForReadNoFollow(path, &st);
    if (fd < 0) {
        *error = path + (errno == ELOOP ? " is a symbolic link" : " cannot be read");
        return false;
    }
    std::string why;
    bool trusted = IsTrustedDataFile(st, ::geteuid(), &why);
    if (trusted && (st.st_mode & S_IROTH)) {
        trusted = false;
        why = "is readable by other users";
    }
    if (trusted && static_cast<std::size_t>(st.st_size) > MaxPasswordFile) {
        trusted = false;
        why = "is too large for a password file";
    }
    if (!trusted) {
        ::close(fd);
        *error = path + " " + why;
        return false;
    }
    std::string text;
    char buffer[512];
    ssize_t n;
    while (text.size() <= MaxPasswordFile && (n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty()) {
        *error = path + " holds no password on its first line";
        return false;
    }
    if (std::any_of(text.begin(), text.end(),
                    [](unsigned char c) { return c < ' ' || c == 0x7F; })) {
        *error = path + " holds control characters in its first line";
        return false;
    }
    *password = std::move(text);
    return true;
}
