// What the fuzz targets share: one private program folder per process with
// whole-file reads and writes, and a check that stops the run loudly when an
// invariant breaks.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Folder.h"

namespace corvanta_fuzz {

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

inline std::string& FolderPath() {
    static std::string path;
    return path;
}

inline void RemoveFolder() {
    const std::string& path = FolderPath();
    if (path.empty()) return;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") unlink((path + "/" + n).c_str());
        }
        closedir(dir);
    }
    rmdir(path.c_str());
}

// Creates the folder on first use and points CurDir at it.
inline const std::string& UseFuzzFolder() {
    std::string& path = FolderPath();
    if (path.empty()) {
        // A memory file system when there is one: every run writes files, and
        // on a disk the metadata updates would dominate the run time.
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        if (const char* t = std::getenv("CORVANTA_FUZZ_TMP")) base = t;
        std::string tmpl = base + "/corvanta-fuzz-XXXXXX";
        if (mkdtemp(tmpl.data()) == nullptr) std::abort();
        path = tmpl;
        std::atexit(RemoveFolder);
    }
    std::string error;
    if (!SetCurDir(path.c_str(), &error)) std::abort();
    return path;
}

inline std::string ReadWhole(const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[8192];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
            text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

inline std::size_t CountLines(const std::string& s) {
    return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
}

inline void WriteWhole(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace corvanta_fuzz
