#include "Folder.h"

#include <cstdlib>
#include <cstring>

#include "Ups.h"

bool SetCurDir(const char* folder, std::string* error) {
    if (folder == nullptr || folder[0] == '\0') {
        if (error) *error = "the program folder must not be empty";
        return false;
    }
    std::string path(folder);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path == "/") path.clear(); // files are named "%s/%s", so "/" becomes ""
    if (path.size() >= sizeof(CurDir)) {
        if (error) {
            *error = "the program folder path is " + std::to_string(path.size()) +
                     " bytes long; at most " + std::to_string(sizeof(CurDir) - 1) + " fit: " + path;
        }
        return false;
    }
    std::memcpy(CurDir, path.c_str(), path.size() + 1);
    return true;
}

bool InitProgramFolder(const char* folderArgument, std::string* error) {
    const char* chosen = folderArgument;
    if (chosen == nullptr) {
        const char* env = std::getenv("CORVANTA_FOLDER");
        if (env != nullptr && env[0] != '\0') chosen = env;
    }
    if (chosen == nullptr) chosen = DefaultProgramFolder;
    return SetCurDir(chosen, error);
}

std::string FolderFile(const char* name) {
    std::string path(CurDir);
    path += '/';
    path += name;
    return path;
}
