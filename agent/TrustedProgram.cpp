// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrustedProgram.h"

#include "Security.h"

#include <algorithm>
#include <array>
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

// Opens path as OpenTrustedProgram does, without looking into the file.
UniqueFd OpenCheckedFile(const std::string& path, uid_t runner, std::string* why,
                         bool program = true) {
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
        if (program && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0) {
            // A data file is never handed to a shell instead.
            *why = "is not executable (no execute bit)";
            return {};
        }
        return next;
    }
    *why = "is not a regular file"; // a folder
    return {};
}

// What the kernel reads of a program to find the interpreter of its #! line.
constexpr std::size_t ExecHeaderSize = 256;
// The kernel runs at most this many scripts in a row (the program and the
// interpreters that are scripts themselves); the next must be a binary.
constexpr int MaxScriptsInARow = 5;

bool SpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}
bool EndsName(char c) {
    return SpaceOrTab(c) || c == '\0';
}

// The interpreter the #! line of the checked file names, found as the
// kernel finds it; empty when the file is no script. False, with *why, when
// the file cannot be read or its #! line names nothing the kernel would run.
bool ReadInterpreter(int program, std::string* interpreter, std::string* why) {
    interpreter->clear();
    // Through the checked file itself: its name may lead elsewhere by now.
    UniqueFd in(::open(("/proc/self/fd/" + std::to_string(program)).c_str(),
                       O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    std::array<char, ExecHeaderSize> head{}; // zero-padded, as the kernel's
    std::size_t got = 0;
    int error = in ? 0 : errno;
    while (!error && got < head.size()) {
        const ssize_t n =
            ::pread(in.Get(), head.data() + got, head.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno != EINTR) error = errno;
        if (n == 0) break;
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    if (error) {
        *why = std::string("cannot be read to see what runs it (") + std::strerror(error) + ")";
        return false;
    }
    if (got < 2 || head[0] != '#' || head[1] != '!') return true;
    const char* const name0 = head.data() + 2;
    const char* const last = head.data() + head.size() - 1;
    // The line ends at the first line feed before any zero byte.
    const char* const zero = std::find(name0, last + 1, '\0');
    const char* end = std::find(name0, zero, '\n');
    if (end == zero) {
        // None: the kernel takes a name only when something ends it within
        // what it read, and keeps the last byte out of it.
        const char* name = std::find_if_not(name0, last + 1, SpaceOrTab);
        if (std::find_if(name, last + 1, EndsName) > last) {
            *why = "has a #! line whose interpreter the system cannot read whole";
            return false;
        }
        end = last;
    }
    while (SpaceOrTab(end[-1]))
        --end;
    const char* name = std::find_if_not(name0, end, SpaceOrTab);
    const char* stop = std::find_if(name, end, EndsName);
    if (name == stop) {
        *why = "has a #! line that names no interpreter";
        return false;
    }
    interpreter->assign(name, stop);
    return true;
}

} // namespace

UniqueFd OpenTrustedLibrary(const std::string& path, uid_t loader, std::string* why) {
    return OpenCheckedFile(path, loader, why, false);
}

UniqueFd OpenTrustedProgram(const std::string& path, uid_t runner, std::string* why) {
    UniqueFd program = OpenCheckedFile(path, runner, why);
    // A script runs through its interpreter, which the kernel finds by name
    // (and that one may be a script too): each must pass the same checks,
    // or the program would run whatever another user put there.
    UniqueFd step;
    int current = program.Get();
    std::string through; // "runs through interpreter X, which " for each one passed
    for (int scripts = 0; program; ++scripts) {
        std::string interpreter, inner;
        if (!ReadInterpreter(current, &interpreter, &inner)) {
            *why = through + inner;
            return {};
        }
        if (interpreter.empty()) return program;
        if (scripts == MaxScriptsInARow) {
            *why = "runs through more interpreters that are scripts than the system allows (" +
                   std::to_string(MaxScriptsInARow) + " scripts in a row)";
            return {};
        }
        through += "runs through interpreter " + interpreter + ", which ";
        step = OpenCheckedFile(interpreter, runner, &inner);
        if (!step) {
            *why = through + inner;
            return {};
        }
        current = step.Get();
    }
    return {};
}
