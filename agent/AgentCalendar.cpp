// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "AgentCalendar.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "CalendarDate.h"
#include "Security.h"
#include "file.h"

void AgentCalendar::Clear() {
    baseYear_ = 0;
    rows_.clear();
}

AgentCalendar::LoadResult AgentCalendar::Load(const std::string& path, uid_t folderOwner,
                                              std::string* why) {
    Clear();
    struct stat st {};
    int fd = OpenForReadNoFollow(path, &st);
    if (fd < 0) {
        if (errno == ENOENT) return LoadResult::Missing;
        *why = errno == ELOOP ? "is a symbolic link" : "cannot be read";
        return LoadResult::Refused;
    }
    if (!IsTrustedDataFile(st, folderOwner, why)) {
        ::close(fd);
        return LoadResult::Refused;
    }
    UniqueFile in = CappedStream(UniqueFd(fd), CalendarFileCap);
    if (!in) {
        *why = "cannot be read";
        return LoadResult::Refused;
    }
    char line[1024];
    if (!std::fgets(line, sizeof line, in.get()))
        return LoadResult::Loaded; // empty file: nothing scheduled
    long long year = AtoiWide(line);
    baseYear_ = year > 0 && year < 100000 ? static_cast<int>(year) : 0;
    rows_.assign(ScheduleRows, ScheduleStr{0, 0, 0});
    for (int r = 0; r < ScheduleRows && std::fgets(line, sizeof line, in.get()); ++r)
        rows_[static_cast<std::size_t>(r)] = ParseScheduleRow(line);
    return LoadResult::Loaded;
}

ScheduleStr AgentCalendar::Entry(int year, int month, int day, int k) const {
    const int row = ScheduleIndexIn(baseYear_, year, month, day, k);
    if (rows_.empty() || baseYear_ == 0 || row < 0) return {0, 0, 0};
    return rows_[static_cast<std::size_t>(row)];
}

int AgentCalendar::Count() const {
    int n = 0;
    for (const auto& e : rows_)
        n += e.Button != 0;
    return n;
}
