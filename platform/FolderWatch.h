// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Watching one file of a folder: the callback runs from the event loop when
// the file is written and closed, renamed into place, or removed.
#pragma once

#include <functional>
#include <string>

// Replaces any earlier watch. False when the folder cannot be watched; the
// caller then relies on its own polling.
bool WatchFolderFile(const std::string& folder, const std::string& name,
                     std::function<void()> changed);
void StopWatchingFolderFile();
