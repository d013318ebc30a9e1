// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Status evaluation: each changed bit of the status word switches a status
// light, redraws what depends on it and arms or ends the shutdown countdown.
#include "Controls.h"
#include "file.h"
#include "monitor.h"

namespace {

FlagStruct oldUPSStatus{0};

void LightOn(int n) {
    SetStatusLight(LitLight(n), UnlitLight(n));
}
void LightOff(int n) {
    SetStatusLight(UnlitLight(n), LitLight(n));
}

// A new failure may start the countdown or shorten it, never lengthen it.
void Arm(short enabled, short delay) {
    short& down = PtUPSVal.DownTime;
    if (enabled && (down < 0 || down > delay)) down = delay;
}

} // namespace

void SetStatusLight(const ControlID& shown, const ControlID& hidden) {
    if (ControlRef off = MainControl(hidden)) SetControlVisibility(off, false, true);
    if (ControlRef on = MainControl(shown)) SetControlVisibility(on, true, true);
}

void CheckStatus() {
    if (PtUPSVal.StatusFlag.AllSts == oldUPSStatus.AllSts) return;
    for (int bit = 0; bit < 32; ++bit) {
        const std::uint32_t mask = 1u << bit;
        const bool now = (static_cast<std::uint32_t>(PtUPSVal.StatusFlag.AllSts) & mask) != 0;
        const bool before = (static_cast<std::uint32_t>(oldUPSStatus.AllSts) & mask) != 0;
        if (now == before) continue;
        switch (static_cast<std::int32_t>(mask)) {
        case UPS_BEEPER:
            now ? LightOn(6) : LightOff(6);
            break;
        case UPS_BATTLOW:
            if (now) {
                if (PtUPSVal.StatusFlag.AllSts & UPS_ACFAIL) {
                    Arm(PtUPSSts.flag_Enable_Battery_OSDelay, PtUPSSts.Battery_OSDelay);
                    LightOn(2);
                }
            } else {
                LightOff(2);
            }
            RedrawMainControl(kBatteryStatusText);
            RedrawMainControl(kCountdown);
            break;
        case UPS_ACFAIL:
            if (now) {
                Arm(PtUPSSts.flag_Enable_Power_OSDelay, PtUPSSts.Power_OSDelay);
                LightOn(1);
            } else {
                // The agent may still count down for a cause the power did
                // not end (a scheduled shutdown); its figure stands.
                PtUPSVal.DownTime = AgentDownTime();
                PtUPSVal.StatusFlag.AllSts &= ~UPS_BATTLOW;
                LightOff(1);
            }
            RedrawMainControl(kPowerSourceText);
            RedrawMainControl(kCountdown);
            break;
        case UPS_OVERHEAT:
            now ? LightOn(5) : LightOff(5);
            break;
        case UPS_OVERLOAD:
            now ? LightOn(4) : LightOff(4);
            break;
        case UPS_COMMERR:
            if (MainWindow) DrawControls(MainWindow);
            now ? LightOn(0) : LightOff(0);
            break;
        case UPS_BATTREPLACE:
            RedrawMainControl(kBatteryStatusText);
            now ? LightOn(3) : LightOff(3);
            break;
        default:
            break;
        }
    }
    oldUPSStatus = PtUPSVal.StatusFlag;
}

void CountDown() {
    if (PtUPSVal.DownTime < 0) return;
    --PtUPSVal.DownTime;
    RedrawMainControl(kCountdown);
}

void ResetStatusState() {
    oldUPSStatus.AllSts = 0;
}
