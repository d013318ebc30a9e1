// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "NutStatus.h"

#include <sys/stat.h>

#include <cstdio>

#include "Folder.h"
#include "file.h"
#include "screen.h"

namespace {

// The file as lstat saw it; the change time catches a new owner too.
struct Seen {
    FileStamp stamp;
    long ctimeSec = 0;
    long ctimeNsec = 0;
    bool operator==(const Seen&) const = default;
};

Seen SeenOf(const struct stat& st) {
    return {StampOf(st), static_cast<long>(st.st_ctim.tv_sec),
            static_cast<long>(st.st_ctim.tv_nsec)};
}

Seen seen;
// What the file last read said, and whose it was.
std::optional<NutState> parsed;
uid_t owner = 0;
std::optional<NutState> believed;

// Reads the file at path when it is a regular file, never through a link.
void ReadFile(const std::string& path) {
    parsed.reset();
    struct stat st {};
    UniqueFd fd = OpenForReading(path, &st, true);
    if (!fd) return;
    // What was opened, should it have been replaced since the lstat.
    seen = SeenOf(st);
    owner = st.st_uid;
    if (!S_ISREG(st.st_mode)) return;
    UniqueFile in = CappedStream(std::move(fd), NutStateFileCap);
    if (in == nullptr) return;
    std::string text(NutStateFileCap, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), in.get()));
    if (NutState state; ParseNutState(text, &state)) parsed = std::move(state);
}

} // namespace

void ReadNutStatus() {
    believed.reset();
    if (!ValuesAreLive()) return;
    const std::string path = FolderFile(NutStateFileName);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        seen = {};
        parsed.reset();
        return;
    }
    if (!(SeenOf(st) == seen)) {
        seen = SeenOf(st);
        ReadFile(path);
    }
    // Asked each time: the service user may have changed.
    if (parsed && IsAgentUser(owner)) believed = parsed;
}

const std::optional<NutState>& NutStatusNow() {
    return believed;
}

void ResetNutStatus() {
    seen = {};
    parsed.reset();
    believed.reset();
}
