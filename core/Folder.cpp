// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "CoreTesting.h"
#include "Translatable.h"
#include "Ups.h"

namespace {

bool handleWanted = false;
bool followRecreated = false;
int folderFd = -1;
std::string handlePrefix; // "/proc/self/fd/N/" while the handle is open
std::optional<uid_t> serviceUser;

void CloseHandle() {
    if (folderFd >= 0) ::close(folderFd);
    folderFd = -1;
    handlePrefix.clear();
}

std::string PlainPath(const char* name) {
    std::string path(CurDir);
    path += '/';
    path += name;
    return path;
}

// Opens the folder once it exists. With followRecreated, a folder that was
// removed (not moved: a moved one still has its links) is let go for one
// made anew under the name, under the same descriptor number, so names
// given out before stay good.
void EnsureHandle() {
    if (!handleWanted) return;
    if (folderFd >= 0) {
        struct stat st {};
        if (!followRecreated || (::fstat(folderFd, &st) == 0 && st.st_nlink > 0)) return;
    }
    int fd = ::open(CurDir[0] ? CurDir : "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (folderFd >= 0) {
        if (::dup3(fd, folderFd, O_CLOEXEC) < 0) CloseHandle();
        ::close(fd);
        if (folderFd >= 0) return;
        fd = ::open(CurDir[0] ? CurDir : "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return;
    }
    std::string prefix = "/proc/self/fd/" + std::to_string(fd) + "/";
    // Without /proc (a bare chroot) the handle cannot be named: plain paths.
    struct stat viaProc {
    }, direct{};
    if (::stat(prefix.c_str(), &viaProc) != 0 || ::fstat(fd, &direct) != 0 ||
        viaProc.st_dev != direct.st_dev || viaProc.st_ino != direct.st_ino) {
        ::close(fd);
        return;
    }
    folderFd = fd;
    handlePrefix = std::move(prefix);
}

} // namespace

bool SetCurDir(const char* folder, std::string* error) {
    if (folder == nullptr || folder[0] == '\0') {
        if (error) *error = CoreText("Files", "the program folder must not be empty");
        return false;
    }
    std::string path(folder);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path == "/") path.clear(); // files are named "%s/%s", so "/" becomes ""
    if (path.size() >= sizeof(CurDir)) {
        if (error) {
            *error = Substituted(
                CoreText("Files", "the program folder path is %1 bytes long; at most %2 fit: %3"),
                {std::to_string(path.size()), std::to_string(sizeof(CurDir) - 1), path});
        }
        return false;
    }
    std::memcpy(CurDir, path.c_str(), path.size() + 1);
    CloseHandle();
    return true;
}

bool InitProgramFolder(const char* folderArgument, std::string* error) {
    const char* chosen = folderArgument;
    if (chosen == nullptr) {
        const char* env = std::getenv("CORVANTA_FOLDER");
        if (env != nullptr && env[0] != '\0') chosen = env;
    }
    if (chosen == nullptr) chosen = DefaultProgramFolder;
    return SetCurDir(chosen, error);
}

void UseFolderHandle(bool followRecreatedFolder) {
    handleWanted = true;
    followRecreated = followRecreatedFolder;
    EnsureHandle();
}

int ProgramFolderFd() {
    EnsureHandle();
    return folderFd;
}

bool ProgramFolderId(dev_t* dev, ino_t* ino) {
    struct stat st {};
    if (ProgramFolderFd() < 0 || ::fstat(folderFd, &st) != 0) return false;
    *dev = st.st_dev;
    *ino = st.st_ino;
    return true;
}

bool ProgramFolderMoved() {
    dev_t dev = 0;
    ino_t ino = 0;
    if (!ProgramFolderId(&dev, &ino)) return false;
    struct stat st {};
    return ::stat(CurDir[0] ? CurDir : "/", &st) != 0 || st.st_dev != dev || st.st_ino != ino;
}

std::string FolderFile(const char* name) {
    EnsureHandle();
    if (folderFd >= 0) return handlePrefix + name;
    return PlainPath(name);
}

std::string ShownPath(const std::string& path) {
    if (handlePrefix.empty() || path.compare(0, handlePrefix.size(), handlePrefix) != 0)
        return path;
    return PlainPath(path.c_str() + handlePrefix.size());
}

void SetServiceUser(uid_t uid) {
    serviceUser = uid;
}

void ClearServiceUser() {
    serviceUser.reset();
}

bool IsAgentUser(uid_t uid) {
    return uid == 0 || uid == ::geteuid() || (serviceUser && *serviceUser == uid);
}

void StopFolderHandle() {
    handleWanted = false;
    CloseHandle();
}
