// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the agent's event log for display, without any window.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The log is read in pieces of at most 255 characters (a line, or a part of
// a longer one). Each piece loses its last character (its line feed, or
// whatever stands there) and its two-character prefix; what remains, at most
// 252 bytes, is handed to row(). A piece too short for the prefix gives an
// empty row. The prefix is the agent's kind letter and a blank ('I', 'W' or
// 'E' as kind); a piece without such a prefix has kind 0. Rows come in file
// order. Returns the number of rows.
using LogRowSink = void (*)(void* context, char kind, const char* text, std::size_t length);
long ReadEventLogRows(std::FILE* in, LogRowSink row, void* context);
// The log file at path read so. A missing file, or anything but a regular
// file, gives no rows; no more of it is read than the agent ever keeps.
long ReadEventLogFile(const std::string& path, LogRowSink row, void* context);
