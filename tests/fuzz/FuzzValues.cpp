// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The values reader on any bytes, held as a running agent holds the folder:
// the record takes the file's bytes as far as they go and keeps its own past
// them (the reserved ones aside), without overrun, and the countdown
// reconciliation only ever yields our figure, the agent's or -1.
#include <algorithm>

#include "AgentLock.h"
#include "CoreTesting.h"
#include "FuzzSupport.h"
#include "file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = corvanta_fuzz::UseFuzzFolder();
    static AgentFolderLock lock;
    static bool first = true;
    if (std::string error; first) {
        SetAgentLockPlaces(folder + "/root", folder + "/own");
        lock.Take(folder, &error);
        ResetReadUPSValState();
        ReadUPSVal(); // the first read of the run; take it out of the way
        first = false;
    }
    corvanta_fuzz::WriteWhole(folder + "/" + ValuesFileName, data, size);
    // Our figure from the input's last byte, so that every branch is reached.
    const short own = size ? static_cast<short>(static_cast<std::int8_t>(data[size - 1]) * 4) : -1;
    PtUPSVal.DownTime = own;
    std::uint8_t want[UPSValImageSize], after[UPSValImageSize];
    EncodeUPSVal(PtUPSVal, want);
    std::copy_n(data, std::min<std::size_t>(size, UPSValImageSize), want);
    ReadUPSVal();
    EncodeUPSVal(PtUPSVal, after);
    for (std::size_t i = 0; i < 128; ++i) // 128 on: the countdown, reserved bytes
        if (i != 78 && i != 79) FUZZ_CHECK(after[i] == want[i]);
    const short agent = static_cast<short>(want[128] << 8 | want[129]);
    FUZZ_CHECK(PtUPSVal.DownTime == own || PtUPSVal.DownTime == agent || PtUPSVal.DownTime == -1);
    return 0;
}
