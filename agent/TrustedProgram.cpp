#include "TrustedProgram.h"

#include "Security.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

RunAs AgentIdentity() {
    RunAs as;
    as.Uid = ::geteuid();
    as.Gid = ::getegid();
    return as;
}

RunAs IdentityOfOwner(uid_t owner, gid_t fileGroup) {
    if (owner == ::geteuid()) return AgentIdentity();
    RunAs as;
    as.Switch = true;
    as.Uid = owner;
    as.Gid = fileGroup;
    passwd pw{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(owner, &pw, buffer.data(), buffer.size(), &found) == 0 && found) {
        as.Gid = pw.pw_gid;
        as.Name = pw.pw_name;
        as.Home = pw.pw_dir;
        int count = 64;
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        if (::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &count) < 0) {
            groups.resize(static_cast<std::size_t>(count));
            ::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &count);
        }
        groups.resize(static_cast<std::size_t>(count));
        as.Groups = groups;
    } else {
        as.Groups = {fileGroup};
    }
    return as;
}

namespace {

// How a refusal names the user the program would have run as.
std::string RunnerName(uid_t runner) {
    return "user " + std::to_string(runner) + " who would run it";
}

bool CheckFolder(int fd, const std::string& name, uid_t runner, std::string* why) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        *why = "lies in folder " + name + ", which cannot be examined";
        return false;
    }
    std::string what;
    if (CheckOwnerAndMode(st, runner, runner, RunnerName(runner), &what)) return true;
    // Whoever may replace entries of a folder may replace what lies below.
    *why = "lies in folder " + name + ", which " +
           (st.st_mode & (S_IWGRP | S_IWOTH) ? std::string("other users can change")
                                             : "belongs to user " + std::to_string(st.st_uid));
    return false;
}

std::string Named(const std::vector<std::string>& names) {
    std::string path;
    for (const auto& n : names)
        path += "/" + n;
    return path.empty() ? "/" : path;
}

} // namespace

UniqueFd OpenTrustedProgram(const std::string& path, uid_t runner, std::string* why) {
    if (path.empty() || path[0] != '/') {
        *why = "is not an absolute path";
        return {};
    }
    // The path is resolved here, one name at a time and without following
    // anything: every folder on the way and every link is checked through
    // the very descriptor the next step starts from, so nothing can be
    // swapped between the check and the run.
    std::deque<std::string> parts;
    auto prepend = [&parts](const std::string& text) {
        std::deque<std::string> front;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t slash = text.find('/', start);
            if (slash == std::string::npos) slash = text.size();
            front.push_back(text.substr(start, slash - start));
            start = slash + 1;
        }
        parts.insert(parts.begin(), front.begin(), front.end());
    };
    prepend(path);
    UniqueFd dir(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dir) {
        *why = "lies in folder /, which cannot be examined";
        return {};
    }
    if (!CheckFolder(dir.Get(), "/", runner, why)) return {};
    std::vector<std::string> names; // the folder dir stands for
    int links = 0;
    while (!parts.empty()) {
        std::string part = parts.front();
        parts.pop_front();
        if (part.empty() || part == ".") continue;
        bool last = std::none_of(parts.begin(), parts.end(),
                                 [](const std::string& p) { return !p.empty() && p != "."; });
        UniqueFd next(::openat(dir.Get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (!next || ::fstat(next.Get(), &st) != 0) {
            *why = std::string("cannot be found (") + std::strerror(errno) + ")";
            return {};
        }
        if (S_ISLNK(st.st_mode)) {
            std::string at = Named(names) + (names.empty() ? "" : "/") + part;
            if (st.st_uid != 0 && st.st_uid != runner) {
                *why = "goes through link " + at + ", which belongs to user " +
                       std::to_string(st.st_uid);
                return {};
            }
            char target[PATH_MAX];
            ssize_t n = ::readlinkat(next.Get(), "", target, sizeof target - 1);
            if (n <= 0 || ++links > 40) {
                *why = "cannot be found (link " + at + " leads nowhere)";
                return {};
            }
            target[n] = '\0';
            if (target[0] == '/') {
                dir = UniqueFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                names.clear();
                if (!dir) {
                    *why = "lies in folder /, which cannot be examined";
                    return {};
                }
            }
            prepend(target);
            continue;
        }
        if (S_ISDIR(st.st_mode) && !last) {
            if (part == "..") {
                if (!names.empty()) names.pop_back();
            } else {
                names.push_back(part);
            }
            if (!CheckFolder(next.Get(), Named(names), runner, why)) return {};
            dir = std::move(next);
            continue;
        }
        if (!last) {
            *why = "cannot be found (Not a directory)";
            return {};
        }
        if (!S_ISREG(st.st_mode)) {
            *why = "is not a regular file";
            return {};
        }
        if (!CheckOwnerAndMode(st, runner, runner, RunnerName(runner), why)) return {};
        if ((st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0) {
            // A data file is never handed to a shell instead.
            *why = "is not executable (no execute bit)";
            return {};
        }
        return next;
    }
    *why = "is not a regular file"; // a folder
    return {};
}
