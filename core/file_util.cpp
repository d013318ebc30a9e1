// Helpers every file routine shares: bounded copies, overflow-free number
// parsing and the atomic file replacement.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "file.h"

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

bool WriteFileAtomic(const std::string& path, const void* data, std::size_t size) {
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
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) unlink(tmp.c_str());
    return ok;
}

bool WriteFileAtomic(const std::string& path, const std::string& text) {
    return WriteFileAtomic(path, text.data(), text.size());
}
