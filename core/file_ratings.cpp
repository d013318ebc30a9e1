// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// ZAN_RATING.DAT: the UPS's nominal ratings, written by the agent so that the
// meters have a full scale.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Folder.h"
#include "file.h"

namespace {

// A whole line holding one decimal number that fits a short.
bool ParseRatingLine(const char* line, long max, long* out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(line, &end, 10);
    if (end == line || errno != 0 || v < -max - 1 || v > max) return false;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    if (*end != '\0') return false;
    *out = v;
    return true;
}

} // namespace

bool LoadRatings() {
    UniqueFile in = OpenFolderFile(FolderFile(RatingFileName), RatingFileCap);
    if (in == nullptr) return false;
    // Volts, amperes, battery volts; then, from newer agents, VA and hertz.
    long values[5] = {};
    const long max[5] = {32767, 32767, 32767, 2147483647, 32767};
    char line[128];
    int read = 0;
    for (; read < 5 && std::fgets(line, sizeof line, in.get()) != nullptr; ++read)
        if (!ParseRatingLine(line, max[read], &values[read])) return false;
    in.reset();
    if (read != 3 && read != 5) return false;
    PtUPSSts.RatingVolt = static_cast<short>(values[0]);
    PtUPSSts.RatingCurrent = static_cast<short>(values[1]);
    PtUPSSts.RatingBattVolt = static_cast<short>(values[2]);
    if (read == 5) {
        PtUPSSts.RatingVA = static_cast<int>(values[3]);
        PtUPSSts.RatingFreq = static_cast<short>(values[4]);
    }
    return true;
}
