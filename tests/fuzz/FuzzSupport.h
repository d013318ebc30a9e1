// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: one private program folder per process with
// whole-file writes, and a check that stops the run loudly when an
// invariant breaks.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Folder.h"

#define FUZZ_CHECK(cond)                                                                           \
    ((cond) ? void(0)                                                                              \
            : (std::fprintf(stderr, "broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__),            \
               std::abort()))

namespace corvanta_fuzz {

inline std::string folder;

inline void RemoveFolder() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

// Creates the folder on first use and points CurDir at it.
inline const std::string& UseFuzzFolder() {
    if (folder.empty()) {
        // A memory file system when there is one: every run writes files, and
        // on a disk the metadata updates would dominate the run time.
        const std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string tmpl = base + "/corvanta-fuzz-XXXXXX";
        if (mkdtemp(tmpl.data()) == nullptr) std::abort();
        folder = tmpl;
        std::atexit(RemoveFolder);
    }
    std::string error;
    if (!SetCurDir(folder.c_str(), &error)) std::abort();
    return folder;
}

inline void WriteWhole(const std::string& path, const void* data, std::size_t size) {
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), long(size));
}

} // namespace corvanta_fuzz
