#include "EventLogReader.h"

#include <cstring>

long ReadEventLogRows(std::FILE* in, LogRowSink row, void* context) {
    char buffer[256];
    long rows = 0;
    while (std::fgets(buffer, sizeof buffer, in) != nullptr) {
        // A NUL inside the line ends it, as for any C-string reader.
        std::size_t length = std::strlen(buffer);
        if (length > 0) --length;
        if (length > 2)
            row(context, buffer + 2, length - 2);
        else
            row(context, "", 0);
        ++rows;
    }
    return rows;
}
