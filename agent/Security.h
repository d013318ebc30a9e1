// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Checks that keep the agent from acting on files other users could have
// planted or changed: the settings, calendar and command requests it reads.
// The programs it runs are checked in TrustedProgram.h.
#pragma once

#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// Opens a file read-only without following a symbolic link under its name
// and without blocking on a FIFO; *st receives its status. Returns the
// descriptor, or -1 (errno set; ELOOP for a link).
int OpenForReadNoFollow(const std::string& path, struct stat* st);

// Reads a password or token from the first line of a file the agent can
// trust: a regular file (no symbolic link), owned by root or the agent's
// user, writable by no one else and not readable by other users. *error
// never holds the secret.
bool ReadPasswordFile(const std::string& path, std::string* password, std::string* error);

// Owned by root or by one of the two users (owners names them for *why),
// and writable by neither its group nor other users: nobody else can swap it.
bool CheckOwnerAndMode(const struct stat& st, uid_t owner, uid_t otherOwner,
                       const std::string& owners, std::string* why);

// A data file the agent acts on (settings, calendar, request file): a
// regular file, owned by root, by the agent's user or by the owner of the
// program folder, and writable by neither its group nor other users.
// On refusal *why says what is wrong ("is writable by other users").
bool IsTrustedDataFile(const struct stat& st, uid_t folderOwner, std::string* why);

// Writes one of the agent's own files of the program folder (values,
// ratings, the alert spool) in one piece. Most live only while the agent
// runs: no flush to the disk unless durable. Their names are ours: an empty
// folder planted there goes.
bool ReplaceOwnFile(const std::string& path, const void* data, std::size_t size,
                    bool durable = false);

// The program folder's status, through its open handle when there is one.
bool ProgramFolderStatus(struct stat* st);
// The owner of the program folder (root when it cannot be read).
uid_t ProgramFolderOwner();

// Whose word a settings file is: a program it names runs as that user.
struct SettingsWriter {
    uid_t Uid = 0;
    gid_t Gid = 0;
    std::string Refusal; // not empty: no program it names may run, and why
    bool operator==(const SettingsWriter&) const = default;
};
// The writer of a trusted settings file of status file in the program
// folder of status folder (null: it cannot be examined). Its owner, but a
// file of root or of the agent's user in a folder of another user counts as
// that user's, who could have renamed one of the agent's own files to it.
// In a folder its group or other users can change, anyone could have: no
// program it names runs.
SettingsWriter WriterOfSettings(const struct stat& file, const struct stat* folder);
