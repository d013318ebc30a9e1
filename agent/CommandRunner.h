// Starting the programs the agent runs (the command file, the shutdown
// command) without waiting for them, so the one-second rhythm never stalls.
#pragma once

#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

class CommandRunner {
  public:
    virtual ~CommandRunner() = default;
    // Starts argv[0] (an absolute path) with the rest as its arguments; no
    // shell is involved. False with *error when it could not be started.
    virtual bool Start(const std::vector<std::string>& argv, std::string* error) = 0;
    // One log text for each program that ended since the last call.
    virtual std::vector<std::string> Finished() = 0;
};

class PosixRunner : public CommandRunner {
  public:
    bool Start(const std::vector<std::string>& argv, std::string* error) override;
    std::vector<std::string> Finished() override;

  private:
    std::map<pid_t, std::string> running_;
};
