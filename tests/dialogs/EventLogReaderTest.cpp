// Reading the event log into rows: pieces, dropped last characters, the
// two-character prefix, short lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "EventLogReader.h"
#include "file.h"

namespace {

void AddRow(void* ctx, const char* text, std::size_t length) {
    static_cast<std::vector<std::string>*>(ctx)->emplace_back(text, length);
}

std::vector<std::string> Rows(const std::string& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    std::vector<std::string> rows;
    const long n = ReadEventLogRows(f, AddRow, &rows);
    std::fclose(f);
    EXPECT_EQ(n, static_cast<long>(rows.size()));
    return rows;
}

TEST(EventLogReader, PiecesBecomeRowsInFileOrder) {
    const std::string long300 = [] {
        std::string s;
        for (int i = 1; i <= 300; ++i)
            s += static_cast<char>('A' + i % 26);
        return s;
    }();
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> rows;
    } cases[] = {
        {"three lines", "# one\n# two\n# three\n", {"one", "two", "three"}},
        {"no final line feed", "# one\n# two", {"one", "tw"}},
        {"empty file", "", {}},
        {"short lines", "\n\nx\nab\nabc\n", {"", "", "", "", "c"}},
        {"single character at the end", "# one\nx", {"one", ""}},
        {"300 characters", long300 + "\n", {long300.substr(2, 252), long300.substr(257, 43)}},
        {"exactly 255 with line feed", std::string(254, 'z') + "\n", {std::string(252, 'z')}},
        {"carriage returns stay", "# dos\r\n", {"dos\r"}},
        {"a NUL ends the line", std::string("# ab\0cd\n# next\n", 15), {"a", "next"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(c.bytes), c.rows) << c.name;
}

class EventLogFileTest : public corvanta_test::CoreTest {};

TEST_F(EventLogFileTest, StandinsGiveNoRowsAndAnOversizedLogIsReadOnlyInPart) {
    using namespace corvanta_test;
    for (Standin what : AllStandins) {
        SCOPED_TRACE(StandinName(what));
        PlantStandin(Path(LogFileName), what, "# one\n# two\n");
        std::vector<std::string> rows;
        {
            Watchdog watchdog(20, std::string("event log, ") + StandinName(what));
            ReadEventLogFile(Path(LogFileName), AddRow, &rows);
        }
        // Two lines, then the hole in pieces of 255 up to the cap.
        EXPECT_EQ(rows.size(), what == Standin::Oversized ? 2 + (LogFileCap - 12 + 254) / 255 : 0);
        RemoveTree(Path(LogFileName));
    }
}

} // namespace
