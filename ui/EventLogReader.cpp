// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventLogReader.h"

#include <cstring>

#include "file.h"

long ReadEventLogRows(std::FILE* in, LogRowSink row, void* context) {
    char buffer[256];
    long rows = 0;
    while (std::fgets(buffer, sizeof buffer, in) != nullptr) {
        // A NUL inside the line ends it, as for any C-string reader.
        std::size_t length = std::strlen(buffer);
        if (length > 0) --length;
        const char kind = length >= 2 && buffer[1] == ' ' ? buffer[0] : '\0';
        if (length > 2)
            row(context, kind, buffer + 2, length - 2);
        else
            row(context, kind, "", 0);
        ++rows;
    }
    return rows;
}

long ReadEventLogFile(const std::string& path, LogRowSink row, void* context) {
    UniqueFile in = OpenFolderFile(path, LogFileCap);
    if (in == nullptr) return 0;
    static char buffer[1 << 16];
    std::setvbuf(in.get(), buffer, _IOFBF, sizeof buffer);
    return ReadEventLogRows(in.get(), row, context);
}
