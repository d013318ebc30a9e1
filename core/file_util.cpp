// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers every file routine shares: bounded copies, overflow-free number
// parsing and the atomic file replacement.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Folder.h"
#include "Translatable.h"
#include "file.h"

namespace {

// What a capped stream knows of its file: the descriptor, where the next
// read starts and where reading ends.
struct CappedFile {
    int fd;
    off64_t position;
    off64_t cap;
};

ssize_t CappedRead(void* cookie, char* buf, std::size_t size) {
    auto* f = static_cast<CappedFile*>(cookie);
    if (f->position >= f->cap) return 0;
    size = std::min(size, static_cast<std::size_t>(f->cap - f->position));
    ssize_t n;
    do
        n = ::read(f->fd, buf, size);
    while (n < 0 && errno == EINTR);
    if (n > 0) f->position += n;
    return n;
}

int CappedSeek(void* cookie, off64_t* offset, int whence) {
    auto* f = static_cast<CappedFile*>(cookie);
    off64_t to = ::lseek64(f->fd, *offset, whence);
    if (to < 0) return -1;
    f->position = *offset = to;
    return 0;
}

int CappedClose(void* cookie) {
    auto* f = static_cast<CappedFile*>(cookie);
    int rc = ::close(f->fd);
    delete f;
    return rc;
}

} // namespace

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

UniqueFd OpenForReading(const std::string& path, struct stat* st, bool noFollow) {
    // O_NONBLOCK keeps open() from waiting for a FIFO's writer; for a
    // regular file it changes nothing, so the flag can stay.
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (noFollow ? O_NOFOLLOW : 0);
    UniqueFd fd(::open(path.c_str(), flags));
    if (fd && ::fstat(fd.Get(), st) != 0) {
        int e = errno;
        fd.Reset();
        errno = e;
    }
    return fd;
}

UniqueFile CappedStream(UniqueFd fd, std::size_t cap) {
    if (!fd) return nullptr;
    off64_t position = ::lseek64(fd.Get(), 0, SEEK_CUR);
    auto* cookie = new CappedFile{fd.Get(), position < 0 ? 0 : position, static_cast<off64_t>(cap)};
    std::FILE* f = ::fopencookie(cookie, "r", {CappedRead, nullptr, CappedSeek, CappedClose});
    if (f == nullptr) {
        delete cookie;
        return nullptr;
    }
    fd.Release();
    return UniqueFile(f);
}

UniqueFile OpenFolderFile(const std::string& path, std::size_t cap) {
    struct stat st {};
    UniqueFd fd = OpenForReading(path, &st);
    if (!fd) return nullptr;
    if (!S_ISREG(st.st_mode)) {
        errno = ENOENT;
        return nullptr;
    }
    return CappedStream(std::move(fd), cap);
}

long long AtoiWide(const char* text) {
    // atoi's grammar, computed modulo 2^64 so that any number of digits is
    // defined behaviour and the low bits are still those of the true value.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10u + static_cast<std::uint64_t>(*p - '0');
        ++p;
    }
    if (negative) value = ~value + 1u;
    return static_cast<long long>(value);
}

short AtoiShort(const char* text) {
    return static_cast<short>(static_cast<std::uint16_t>(AtoiWide(text) & 0xFFFF));
}

unsigned char AtoiByte(const char* text) {
    return static_cast<unsigned char>(AtoiWide(text) & 0xFF);
}

void CopyField(char* field, std::size_t capacity, const char* text) {
    if (capacity == 0) return;
    std::size_t n = text ? strnlen(text, capacity - 1) : 0;
    if (n) std::memcpy(field, text, n);
    field[n] = '\0';
}

bool WriteFileAtomic(const std::string& path, const void* data, std::size_t size, bool durable) {
    // mkstemp creates its file exclusively under a fresh name, so a link
    // planted beside the target is never followed, and the rename leaves
    // either the old file or the complete new one, never a truncated one.
    std::string tmp = path + ".XXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0644) == 0;
    const char* p = static_cast<const char*>(data);
    std::size_t left = size;
    while (ok && left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (ok && durable && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        int cause = errno; // the caller reports why
        unlink(tmp.c_str());
        errno = cause;
    }
    return ok;
}

bool WriteFileAtomic(const std::string& path, const std::string& text, bool durable) {
    return WriteFileAtomic(path, text.data(), text.size(), durable);
}

std::string CannotWrite(const std::string& path) {
    return CannotWrite(path, std::strerror(errno));
}

std::string CannotWrite(const std::string& path, const std::string& reason) {
    return Substituted(CoreText("Files", "cannot write %1: %2"), {ShownPath(path), reason});
}

FileStamp StampOf(const struct stat& st) {
    return {true,
            st.st_dev,
            st.st_ino,
            st.st_size,
            static_cast<long>(st.st_mtim.tv_sec),
            static_cast<long>(st.st_mtim.tv_nsec)};
}
