#include "Integrations.h"

#include <cstring>

#include "file.h"

bool SameState(const AgentSnapshot& a, const AgentSnapshot& b) {
    if (a.Connected != b.Connected || a.Status != b.Status || a.CountdownLeft != b.CountdownLeft ||
        a.OutagesTotal != b.OutagesTotal || a.SecondsOnBattery != b.SecondsOnBattery)
        return false;
    // The values compared as the values file holds them: padding and all.
    std::uint8_t x[UPSValImageSize], y[UPSValImageSize];
    EncodeUPSVal(a.Values, x);
    EncodeUPSVal(b.Values, y);
    return std::memcmp(x, y, UPSValImageSize) == 0;
}
