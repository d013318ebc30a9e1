// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandRunner.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Started programs find the system's tools, never ones a caller's PATH names.
constexpr const char* FixedPath =
    "PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Whether variable (NAME=value) is one that extra sets or keeps out.
bool NamedIn(const char* variable, const std::vector<std::string>& extra) {
    const std::size_t length = std::strcspn(variable, "=");
    for (const std::string& e : extra)
        if (e.compare(0, e.find('='), variable, length) == 0) return true;
    return false;
}

// Our environment without PATH and the dynamic loader's variables, plus the
// fixed PATH, the caller's extra variables and, for another user, that
// user's name and home.
std::vector<std::string> ChildEnvironment(const RunAs& as, const std::vector<std::string>& extra) {
    std::vector<std::string> env{FixedPath};
    bool own = as.Switch && !as.Name.empty();
    for (char** e = environ; e && *e; ++e) {
        if (StartsWith(*e, "PATH=") || StartsWith(*e, "LD_") || NamedIn(*e, extra)) continue;
        if (own &&
            (StartsWith(*e, "HOME=") || StartsWith(*e, "USER=") || StartsWith(*e, "LOGNAME=")))
            continue;
        env.emplace_back(*e);
    }
    for (const std::string& e : extra)
        if (e.find('=') != std::string::npos) env.push_back(e);
    if (own) {
        env.push_back("HOME=" + as.Home);
        env.push_back("USER=" + as.Name);
        env.push_back("LOGNAME=" + as.Name);
    }
    return env;
}

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> p;
    p.reserve(texts.size() + 1);
    for (const auto& t : texts)
        p.push_back(const_cast<char*>(t.c_str()));
    p.push_back(nullptr);
    return p;
}

// The child between fork and exec: only async-signal-safe calls. On failure
// the errno goes back through the pipe.
[[noreturn]] void Child(int program, int report, int devnull, const RunAs& as, char* const* argv,
                        char* const* envp) {
    ::setpgid(0, 0); // its own process group: killed as a whole, spared our signals
    struct sigaction dflt {};
    dflt.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        ::sigaction(sig, &dflt, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    int error = 0;
    if (::dup2(devnull, 0) < 0 || ::chdir("/") != 0) error = errno;
    // Nothing of ours (the folder lock above all) survives the exec.
    if (!error) ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    // A script's interpreter reads it through /dev/fd/N, so that one stays.
    if (!error && ::fcntl(program, F_SETFD, 0) != 0) error = errno;
    if (!error && as.Switch &&
        (::setgroups(as.Groups.size(), as.Groups.data()) != 0 || ::setgid(as.Gid) != 0 ||
         ::setuid(as.Uid) != 0))
        error = errno;
    if (!error) {
        ::execveat(program, "", argv, envp, AT_EMPTY_PATH);
        error = errno;
    }
    while (::write(report, &error, sizeof error) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

} // namespace

long long MonotonicSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec;
}

PosixRunner::PosixRunner(std::function<long long()> now, int timeLimit)
    : now_(std::move(now)), timeLimit_(timeLimit) {}

StartResult PosixRunner::Start(const std::vector<std::string>& argv, const RunAs& as,
                               std::string* why) {
    return Start(argv, as, why, {});
}

StartResult PosixRunner::Start(const std::vector<std::string>& argv, const RunAs& as,
                               std::string* why, const std::vector<std::string>& extra) {
    if (argv.empty()) {
        *why = "nothing to run";
        return StartResult::Refused;
    }
    if (as.Switch && ::geteuid() != 0) {
        *why = "would run as user " + std::to_string(as.Uid) + ", which the agent cannot become";
        return StartResult::Refused;
    }
    UniqueFd program = OpenTrustedProgram(argv[0], as.Uid, why);
    if (!program) return StartResult::Refused;

    UniqueFd devnull(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    int pipeFds[2];
    if (!devnull || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        *why = std::strerror(errno);
        return StartResult::Failed;
    }
    UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    std::vector<std::string> env = ChildEnvironment(as, extra);
    std::vector<char*> args = Pointers(argv), envp = Pointers(env);

    pid_t pid = ::fork();
    if (pid < 0) {
        *why = std::strerror(errno);
        return StartResult::Failed;
    }
    if (pid == 0) Child(program.Get(), writeEnd.Get(), devnull.Get(), as, args.data(), envp.data());
    ::setpgid(pid, pid); // also here, so a kill right away reaches the group
    writeEnd.Reset();
    int error = 0;
    ssize_t n;
    while ((n = ::read(readEnd.Get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (n > 0) { // the exec never happened
        ::waitpid(pid, nullptr, 0);
        *why = std::strerror(error);
        return StartResult::Failed;
    }
    running_[pid] = Running{argv[0], now_() + timeLimit_, false};
    return StartResult::Started;
}

std::vector<ProgramEnd> PosixRunner::Finished() {
    std::vector<ProgramEnd> done;
    for (auto it = running_.begin(); it != running_.end();) {
        Running& r = it->second;
        int status = 0;
        pid_t got = ::waitpid(it->first, &status, WNOHANG);
        if (got == 0) {
            if (!r.Killed && now_() >= r.Deadline) {
                ::kill(-it->first, SIGKILL);
                ::kill(it->first, SIGKILL);
                r.Killed = true;
                done.push_back({r.Name,
                                r.Name + " did not end within " + std::to_string(timeLimit_) +
                                    " s and was killed",
                                false, true});
            }
            ++it;
            continue;
        }
        if (!r.Killed) {
            ProgramEnd end{r.Name, r.Name};
            if (got > 0 && WIFEXITED(status)) {
                end.Text += " ended with exit status " + std::to_string(WEXITSTATUS(status));
                end.Failed = WEXITSTATUS(status) != 0;
            } else if (got > 0 && WIFSIGNALED(status)) {
                end.Text += " was ended by signal " + std::to_string(WTERMSIG(status));
            } else {
                end.Text += " ended";
            }
            done.push_back(end);
        }
        it = running_.erase(it);
    }
    return done;
}
