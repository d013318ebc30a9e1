#include "CommandRunner.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

bool PosixRunner::Start(const std::vector<std::string>& argv, std::string* error) {
    if (argv.empty()) {
        *error = "nothing to run";
        return false;
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The program gets no stdin of ours; its output goes to the journal.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Our signal mask and handlers are ours alone.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t deflt;
    sigemptyset(&deflt);
    sigaddset(&deflt, SIGTERM);
    sigaddset(&deflt, SIGHUP);
    sigaddset(&deflt, SIGINT);
    sigaddset(&deflt, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &deflt);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    int rc = posix_spawn(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        *error = std::strerror(rc);
        return false;
    }
    running_[pid] = argv[0];
    return true;
}

std::vector<std::string> PosixRunner::Finished() {
    std::vector<std::string> done;
    for (auto it = running_.begin(); it != running_.end();) {
        int status = 0;
        pid_t r = waitpid(it->first, &status, WNOHANG);
        if (r == 0) {
            ++it;
            continue;
        }
        std::string text = it->second;
        if (r < 0)
            text += " ended";
        else if (WIFEXITED(status))
            text += " ended with exit status " + std::to_string(WEXITSTATUS(status));
        else if (WIFSIGNALED(status))
            text += " was ended by signal " + std::to_string(WTERMSIG(status));
        else
            text += " ended";
        done.push_back(text);
        it = running_.erase(it);
    }
    return done;
}
