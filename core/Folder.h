// The program folder (CurDir) where every exchange file lives.
#pragma once

#include <string>

constexpr const char* DefaultProgramFolder = "/Applications/Corvanta";

// Sets CurDir to the given folder (trailing slashes dropped). A path that does
// not fit CurDir is refused with a message in *error; CurDir is then unchanged.
bool SetCurDir(const char* folder, std::string* error);

// Chooses the program folder at start: the --folder argument when given
// (may be null), else the environment variable CORVANTA_FOLDER, else the
// default. Returns false with a message when the chosen path does not fit.
bool InitProgramFolder(const char* folderArgument, std::string* error);

// "CurDir/name".
std::string FolderFile(const char* name);
