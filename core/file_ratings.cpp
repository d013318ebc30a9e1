// ZAN_RATING.DAT: the UPS's nominal ratings, written by the agent so that the
// meters have a full scale.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Folder.h"
#include "file.h"

namespace {

// A whole line holding one decimal number that fits a short.
bool ParseRatingLine(const char* line, short* out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(line, &end, 10);
    if (end == line || errno != 0 || v < -32768 || v > 32767) return false;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    if (*end != '\0') return false;
    *out = static_cast<short>(v);
    return true;
}

} // namespace

bool LoadRatings() {
    UniqueFile in = OpenFolderFile(FolderFile(RatingFileName), RatingFileCap);
    if (in == nullptr) return false;
    short values[3];
    bool ok = true;
    char line[128];
    for (short& v : values) {
        if (std::fgets(line, sizeof line, in.get()) == nullptr || !ParseRatingLine(line, &v)) {
            ok = false;
            break;
        }
    }
    in.reset();
    if (!ok) return false;
    PtUPSSts.RatingVolt = values[0];
    PtUPSSts.RatingCurrent = values[1];
    PtUPSSts.RatingBattVolt = values[2];
    return true;
}
