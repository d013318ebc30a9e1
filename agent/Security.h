// Checks that keep the agent from acting on files other users could have
// planted or changed: the settings, calendar and command requests it reads
// and the programs it runs.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// Opens a file read-only without following a symbolic link under its name
// and without blocking on a FIFO; *st receives its status. Returns the
// descriptor, or -1 (errno set; ELOOP for a link).
int OpenForReadNoFollow(const std::string& path, struct stat* st);

// A data file the agent acts on (settings, calendar, request file): a
// regular file, owned by root, by the agent's user or by the owner of the
// program folder, and writable by neither its group nor other users.
// On refusal *why says what is wrong ("is writable by other users").
bool IsTrustedDataFile(const struct stat& st, uid_t folderOwner, std::string* why);

// A program the agent runs (command file, shutdown command): after
// resolving links, a regular file owned by root or by the agent's user,
// writable by no one else, in a folder that no one else can change.
bool IsTrustedProgram(const std::string& path, std::string* why);

// The owner of the program folder (root when it cannot be read).
uid_t ProgramFolderOwner();
