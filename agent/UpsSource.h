// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where the agent gets its UPS from. The agent asks its source for one
// reading a second; the simulator plays a scenario, a bridge to a real UPS
// daemon can sit beside it behind the same interface.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "NutState.h"
#include "Ups.h"

// Status bits the agent works out itself (the link, the load levels): never
// taken from a source, and a scenario may not set them.
constexpr std::int32_t AgentOwnedBits = UPS_COMMERR | UPS_LOADWARN | UPS_LOADSEVERITY;

// One second's answer of the UPS.
struct UpsReading {
    bool Connected = false;           // false: the UPS did not answer this time
    short Type = 0;                   // UPSVal.Type
    std::int32_t SupportItem = 0;     // bit i: ItemVal[i] is measured
    std::int32_t Status = 0;          // the UPS's own status bits (UPS_ACFAIL, ...)
    std::int32_t StatusAvail = 0;     // which status bits the UPS can report
    short ItemVal[ItemCount] = {};    // tenths of the unit, catalogue order
    short BattEstimate = 0;           // seconds on battery left at this load; 0: unknown
    short TxVoltLo = 0, TxVoltHi = 0; // input volts (tenths) that send it to battery; 0: unknown
    std::string Problem = {};         // when not connected: why, for the log; "": unknown
    bool operator==(const UpsReading&) const = default;
};

// Nominal ratings in tenths of the unit (VA whole), as ZAN_RATING.DAT carries them.
struct UpsRatings {
    short Volt = 0;
    short Current = 0;
    short BattVolt = 0;
    int VA = 0;
    short Freq = 0;
    bool operator==(const UpsRatings&) const = default;
};

// A UPS shared with other computers through a UPS server: the agent's part
// in it as the server last said.
struct UpsSharing {
    NutState State;             // Forced is the agent's own to say: false here
    std::string Ups;            // the UPS's name at the server
    std::string Where;          // UPS@HOST[:PORT] as configured
    bool LoggedIn = false;      // the server counts this computer as one it feeds
    bool OrderAnswered = false; // the forced shutdown asked for was answered
    bool Ordered = false;       // and the server set it
    std::string OrderProblem;   // why not
    // Where the other computers logged in connect from, while the agent
    // waits for them to go.
    std::vector<std::string> Clients;
    bool RoleRefused = false; // logged in, but not granted the primary's role
    bool operator==(const UpsSharing&) const = default;
};

class UpsSource {
  public:
    virtual ~UpsSource() = default;
    // Called once a second; must not block for long.
    virtual UpsReading Poll() = 0;
    // Between the seconds: a reading newer than the last one taken, when the
    // source has one (a bridge polls faster than once a second); never
    // advances a simulation.
    virtual bool Fresh(UpsReading*) { return false; }
    // Becomes readable when Fresh has something new; -1: never.
    virtual int WakeFd() const { return -1; }
    virtual UpsRatings Ratings() const = 0;
    // Short name for the log ("simulated UPS", ...).
    virtual std::string Name() const = 0;
    // Asks the UPS for a quick or deep battery test. *note receives what to
    // log; false when the UPS refused or cannot test.
    virtual bool StartSelfTest(bool deep, std::string* note) = 0;
    // Asks the UPS to cut its output after the given seconds and to come
    // back when the mains returns (the UPS-side delay after a shutdown).
    virtual bool TurnOffAfter(int seconds, std::string* note) = 0;
    // A UPS that feeds other computers too; none for a UPS of our own.
    virtual std::optional<UpsSharing> Sharing() const { return std::nullopt; }
    // As the UPS's primary: tells the other computers to shut down now
    // (forced shutdown). Never waits: Sharing() tells how it went.
    virtual void OrderOthersDown() {}
    // After a sleep of the computer: the next reading must be read afresh,
    // never one from before the sleep. False when every reading is fresh.
    virtual bool Resync() { return false; }
};
