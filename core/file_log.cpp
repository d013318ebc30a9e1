// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's event log (ZAN_UPS.LOG), read for the one thing the status
// bar needs: why the agent's UPS stopped answering.
#include <cstring>
#include <string>
#include <unistd.h>

#include "Folder.h"
#include "file.h"

namespace {

// The reason is in the last few lines; a bounded tail is all that is read.
constexpr std::size_t TailBytes = 8u << 10;

struct Seen {
    FileStamp stamp;
    std::string reason;
};
Seen seen;

std::string ReasonIn(const std::string& tail) {
    const std::string lost = LinkLostText;
    std::string reason;
    std::size_t start = 0;
    while (start < tail.size()) {
        std::size_t end = tail.find('\n', start);
        if (end == std::string::npos) end = tail.size();
        const std::string line = tail.substr(start, end - start);
        start = end + 1;
        if (line.find(LinkBackText) != std::string::npos) {
            reason.clear();
            continue;
        }
        const std::size_t at = line.find(lost);
        if (at == std::string::npos) continue;
        const std::size_t rest = at + lost.size();
        reason = line.compare(rest, 2, ": ") == 0 ? line.substr(rest + 2) : std::string();
    }
    return reason;
}

} // namespace

std::string LastLinkLostReason() {
    struct stat st {};
    UniqueFd fd = OpenForReading(FolderFile(LogFileName), &st);
    if (!fd || !S_ISREG(st.st_mode)) return "";
    if (StampOf(st) == seen.stamp) return seen.reason;
    const auto tailBytes = static_cast<off_t>(TailBytes);
    const off_t from = st.st_size > tailBytes ? st.st_size - tailBytes : 0;
    std::string tail(TailBytes, '\0');
    const ssize_t n = ::pread(fd.Get(), tail.data(), tail.size(), from);
    tail.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    seen = {StampOf(st), ReasonIn(tail)};
    return seen.reason;
}
