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
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    long mtimeNsec = 0;
    long mtimeSec = 0;
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
    if (st.st_dev == seen.dev && st.st_ino == seen.ino && st.st_size == seen.size &&
        st.st_mtim.tv_sec == seen.mtimeSec && st.st_mtim.tv_nsec == seen.mtimeNsec)
        return seen.reason;
    const auto tailBytes = static_cast<off_t>(TailBytes);
    const off_t from = st.st_size > tailBytes ? st.st_size - tailBytes : 0;
    std::string tail(TailBytes, '\0');
    const ssize_t n = ::pread(fd.Get(), tail.data(), tail.size(), from);
    tail.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    seen = {st.st_dev,          st.st_ino,         st.st_size,
            st.st_mtim.tv_nsec, st.st_mtim.tv_sec, ReasonIn(tail)};
    return seen.reason;
}
