// One agent per program folder. The agent holds an exclusive flock on the
// folder itself for its whole life: a lock on a file in the folder could be
// deleted from under it, the folder cannot while the agent uses it. The
// monitor probes the same lock to learn whether an agent is alive.
#pragma once

#include <string>

enum class AgentPresence { Running, NotRunning, Unknown };

// Looks, without disturbing a running or starting agent, whether an agent
// holds the folder. Unknown when the folder cannot be opened (not readable,
// not a folder).
AgentPresence ProbeAgentLock(const std::string& folder);

// The agent's side: taken once at start, held until destruction. The
// descriptor is close-on-exec, so no program the agent starts keeps the
// folder locked after the agent has gone.
class AgentFolderLock {
  public:
    enum class Result { Taken, HeldByAnotherAgent, Failed };

    AgentFolderLock() = default;
    ~AgentFolderLock();
    AgentFolderLock(const AgentFolderLock&) = delete;
    AgentFolderLock& operator=(const AgentFolderLock&) = delete;

    // Takes the lock. A monitor's probe holds a shared lock for an instant;
    // that is waited out (up to a few seconds), another agent's exclusive
    // lock is not. On Failed, *error says why.
    Result Take(const std::string& folder, std::string* error);
    bool Held() const { return fd_ >= 0; }
    void Release();

  private:
    int fd_ = -1;
};
