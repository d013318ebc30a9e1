// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The program folder (CurDir) where every exchange file lives.
#pragma once

#include <string>
#include <sys/types.h>

constexpr const char* DefaultProgramFolder = "/Applications/Corvanta";

// Sets CurDir to the given folder (trailing slashes dropped). A path that does
// not fit CurDir is refused with a message in *error; CurDir is then unchanged.
// A folder handle held for the old folder is let go.
bool SetCurDir(const char* folder, std::string* error);

// Chooses the program folder at start: the --folder argument when given
// (may be null), else the environment variable CORVANTA_FOLDER, else the
// default. Returns false with a message when the chosen path does not fit.
bool InitProgramFolder(const char* folderArgument, std::string* error);

// The folder by handle. Once UseFolderHandle() is called, the folder is
// opened once (as soon as it exists) and every name FolderFile gives goes
// through that open folder, so renaming the folder or a parent cannot
// redirect a read or a write to another place. Without it (unit tests),
// names are plain paths under CurDir. The agent keeps the folder it opened
// for its whole life (followRecreatedFolder false): a folder made anew under
// the name could lead anywhere. The monitor follows one that replaces a
// removed folder.
void UseFolderHandle(bool followRecreatedFolder);
// The open folder's descriptor, or -1 (not used, or not there yet).
int ProgramFolderFd();
// The open folder's device and inode (false when none is open).
bool ProgramFolderId(dev_t* dev, ino_t* ino);
// True when CurDir no longer names the folder that is open: it was moved or
// renamed (the handle still reaches it).
bool ProgramFolderMoved();

// The name of a file of the folder to open, rename or remove: through the
// handle when there is one, else "CurDir/name".
std::string FolderFile(const char* name);
// A path as the user knows it: a name that goes through the folder's handle
// is shown under CurDir. Every message that names a file uses this.
std::string ShownPath(const std::string& path);

// Whose files the agent's are: root, this process's own user (an agent of
// one's own), or the service user set here (none by default). The values
// file and the history are believed only from these.
void SetServiceUser(uid_t uid);
void ClearServiceUser();
bool IsAgentUser(uid_t uid);
