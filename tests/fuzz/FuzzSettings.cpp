// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The settings reader on any bytes: no overrun, texts always terminated
// inside their fields, and what it read survives a write and a second read.
#include <algorithm>
#include <cstring>

#include "FuzzSupport.h"
#include "file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = corvanta_fuzz::UseFuzzFolder() + "/" + SettingsFileName;
    corvanta_fuzz::WriteWhole(path, data, size);
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadUPSSts();
    const UPSSts& s = PtUPSSts;
    for (const auto& [field, capacity] : {std::pair{s.BR_Date_Last, sizeof s.BR_Date_Last},
                                          {s.BR_Date_Next, sizeof s.BR_Date_Next},
                                          {s.SMTPServer, sizeof s.SMTPServer},
                                          {s.SMTPDomain, sizeof s.SMTPDomain},
                                          {s.SMTPAccount, sizeof s.SMTPAccount},
                                          {s.CommandFile, sizeof s.CommandFile}})
        FUZZ_CHECK(strnlen(field, capacity) < capacity);
    const std::string text = FormatUPSSts(PtUPSSts);
    FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') == 33);
    corvanta_fuzz::WriteWhole(path, text.data(), text.size());
    std::memset(&PtUPSSts, 0, sizeof PtUPSSts);
    LoadUPSSts();
    FUZZ_CHECK(FormatUPSSts(PtUPSSts) == text);
    return 0;
}
