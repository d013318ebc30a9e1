// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// ZAN_VAL.DAT (the agent's live values) and ZAN_CMD.DAT (our requests).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AgentLock.h"
#include "Clock.h"
#include "CoreTesting.h"
#include "Folder.h"
#include "Translatable.h"
#include "file.h"

namespace {

void Put16(std::uint8_t* p, short v) {
    auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<std::uint8_t>(u >> 8);
    p[1] = static_cast<std::uint8_t>(u);
}

void Put32(std::uint8_t* p, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<std::uint8_t>(u >> 24);
    p[1] = static_cast<std::uint8_t>(u >> 16);
    p[2] = static_cast<std::uint8_t>(u >> 8);
    p[3] = static_cast<std::uint8_t>(u);
}

short Get16(const std::uint8_t* p) {
    return static_cast<short>(static_cast<std::uint16_t>((p[0] << 8) | p[1]));
}

std::int32_t Get32(const std::uint8_t* p) {
    return static_cast<std::int32_t>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                     (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]});
}

// Reader's memory between calls.
bool flag_First = true;
int oldCountdown = -1;
// The agent's own figure in the last values read; -1: none, or not read.
int agentDownTime = -1;
int staleLimit = DefaultStaleSeconds;
std::time_t firstReadTime = 0;
// Until the first values or the first loss, a missing file is waited for.
bool waiting = true;
ValuesLinkState lastLink;

// Our agent's lock seen held in this run; once it is released, the file it
// left is not believed, though it is younger than the limit.
bool lockSeen = false;
bool released = false;
FileStamp atRelease;

std::string UserName(uid_t uid) {
    char buf[1024];
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found) return found->pw_name;
    return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    char buf[1024];
    group gr{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &gr, buf, sizeof buf, &found) == 0 && found) return found->gr_name;
    return std::to_string(gid);
}

// Why the folder keeps the values from us, if it does: missing, or closed
// to this user (then *who says whom it would take).
bool FolderProblem(int valuesErrno, LostReason* reason, std::string* who) {
    struct stat st {};
    const std::string folder = CurDir[0] ? CurDir : "/";
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (errno == EACCES) return false; // a parent is closed: nothing to name
        *reason = LostReason::FolderMissing;
        return true;
    }
    if (valuesErrno != EACCES && ::access(folder.c_str(), X_OK) == 0) return false;
    *reason = LostReason::FolderUnreadable;
    const bool group = (st.st_mode & (S_IRGRP | S_IXGRP)) == (S_IRGRP | S_IXGRP);
    *who = group ? Substituted(CoreText("Files", "user %1 or group %2"),
                               {UserName(st.st_uid), GroupName(st.st_gid)})
                 : Substituted(CoreText("Files", "user %1"), {UserName(st.st_uid)});
    return true;
}

// The values file when it is a regular file of an agent's user; anyone
// else's is told in *why (the folder may be open to every user, who could
// otherwise show a power failure on other users' screens).
UniqueFile OpenValues(const std::string& path, ValuesLinkState* why) {
    struct stat st {};
    UniqueFd fd = OpenForReading(path, &st, true);
    if (!fd || !S_ISREG(st.st_mode)) return nullptr;
    if (!IsAgentUser(st.st_uid)) {
        why->reason = LostReason::ForeignWriter;
        why->detail = UserName(st.st_uid);
        return nullptr;
    }
    return CappedStream(std::move(fd), UPSValImageSize);
}

// Why the values file at path cannot be believed; false when it is fresh.
bool ValuesStale(const std::string& path, std::time_t now, ValuesLinkState* why) {
    const AgentPresence agent = ProbeAgentLock(CurDir);
    if (agent == AgentPresence::Running) {
        lockSeen = true;
        released = false;
    }
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    const int statErrno = errno;
    // A rewritten file tells another writer from the one a stopped agent left.
    const FileStamp stamp = exists ? StampOf(st) : FileStamp{};
    if (agent != AgentPresence::Running && lockSeen && !released) {
        released = true;
        atRelease = stamp;
    }
    if (released) {
        // Another writer has taken over once the file changes.
        if (!exists || stamp == atRelease) {
            why->reason = LostReason::AgentNotRunning;
            return true;
        }
        released = lockSeen = false;
    }
    if (!exists) {
        if (agent == AgentPresence::Running ||
            !FolderProblem(statErrno, &why->reason, &why->detail))
            why->reason = agent == AgentPresence::NotRunning ? LostReason::AgentNotRunning
                                                             : LostReason::NoValues;
        return true;
    }
    // A file from the future (the clock was set back) is taken as fresh.
    const long age = static_cast<long>(now - st.st_mtime);
    if (age > staleLimit) {
        why->reason =
            agent == AgentPresence::NotRunning ? LostReason::AgentNotRunning : LostReason::NoUpdate;
        why->age = age;
        return true;
    }
    return false;
}

} // namespace

void EncodeUPSVal(const UPSVal& v, std::uint8_t out[UPSValImageSize]) {
    std::memset(out, 0, UPSValImageSize);
    Put16(out + 0, v.flag_OpenUPS);
    Put16(out + 2, v.Type);
    Put32(out + 4, v.SupportItem);
    Put32(out + 8, v.StatusFlag.AllSts);
    Put32(out + 12, v.StatusAvail.AllSts);
    Put16(out + 16, v.Items);
    for (int i = 0; i < ItemCount; ++i)
        Put16(out + 18 + 2 * i, v.ItemVal[i]);
    Put32(out + 80, v.Available.AllFlags);
    Put16(out + 84, v.InputLines);
    Put16(out + 86, v.OutputLines);
    Put16(out + 88, v.BypassLines);
    Put16(out + 90, v.RelayNo);
    for (int i = 0; i < 8; ++i)
        Put16(out + 92 + 2 * i, v.RelayStatus[i]);
    Put16(out + 108, v.BattEstimate);
    Put16(out + 110, v.ChargeEstimate);
    Put16(out + 112, v.TestResult);
    Put16(out + 114, v.VoltSensitivity);
    Put16(out + 116, v.TxVoltLo);
    Put16(out + 118, v.TxVoltHi);
    Put16(out + 120, v.ADV_Economic);
    Put16(out + 122, v.ADV_AutoTest);
    Put16(out + 124, v.ADV_ATX);
    Put16(out + 126, v.ADV_FailReboot);
    Put16(out + 128, v.DownTime);
}

void DecodeUPSVal(const std::uint8_t in[UPSValImageSize], UPSVal* v) {
    v->flag_OpenUPS = Get16(in + 0);
    v->Type = Get16(in + 2);
    v->SupportItem = Get32(in + 4);
    v->StatusFlag.AllSts = Get32(in + 8);
    v->StatusAvail.AllSts = Get32(in + 12);
    v->Items = Get16(in + 16);
    for (int i = 0; i < ItemCount; ++i)
        v->ItemVal[i] = Get16(in + 18 + 2 * i);
    v->Available.AllFlags = Get32(in + 80);
    v->InputLines = Get16(in + 84);
    v->OutputLines = Get16(in + 86);
    v->BypassLines = Get16(in + 88);
    v->RelayNo = Get16(in + 90);
    for (int i = 0; i < 8; ++i)
        v->RelayStatus[i] = Get16(in + 92 + 2 * i);
    v->BattEstimate = Get16(in + 108);
    v->ChargeEstimate = Get16(in + 110);
    v->TestResult = Get16(in + 112);
    v->VoltSensitivity = Get16(in + 114);
    v->TxVoltLo = Get16(in + 116);
    v->TxVoltHi = Get16(in + 118);
    v->ADV_Economic = Get16(in + 120);
    v->ADV_AutoTest = Get16(in + 122);
    v->ADV_ATX = Get16(in + 124);
    v->ADV_FailReboot = Get16(in + 126);
    v->DownTime = Get16(in + 128);
}

void DecodeUPSValPartial(const std::uint8_t* in, std::size_t n, UPSVal* v) {
    // A short file replaces the record byte by byte as far as it goes.
    std::uint8_t image[UPSValImageSize];
    EncodeUPSVal(*v, image);
    if (n > UPSValImageSize) n = UPSValImageSize;
    if (n) std::memcpy(image, in, n);
    DecodeUPSVal(image, v);
}

void ResetReadUPSValState() {
    flag_First = true;
    oldCountdown = -1;
    agentDownTime = -1;
    firstReadTime = 0;
    waiting = true;
    lastLink = ValuesLinkState{};
    lockSeen = released = false;
    atRelease = {};
    staleLimit = DefaultStaleSeconds;
}

short AgentDownTime() {
    return static_cast<short>(agentDownTime);
}

ValuesLinkState GetValuesLink() {
    return lastLink;
}

void SetValuesStaleLimit(int seconds) {
    staleLimit = seconds < MinStaleSeconds   ? MinStaleSeconds
                 : seconds > MaxStaleSeconds ? MaxStaleSeconds
                                             : seconds;
}

void ReadUPSVal() {
    const int own = PtUPSVal.DownTime;
    const std::string path = FolderFile(ValuesFileName);
    const std::time_t now = CurrentTime();
    ValuesLinkState lost;
    lost.link = ValuesLink::Lost;
    const bool stale = ValuesStale(path, now, &lost);
    if (flag_First) {
        // Values left long ago must never be shown; a fresh file is read at
        // once, whichever agent writes it.
        if (stale && lost.age > staleLimit) std::remove(path.c_str());
        firstReadTime = now;
        flag_First = false;
    }
    // Anything but a regular file (a folder, a FIFO, a link) is no values file.
    UniqueFile in = stale ? nullptr : OpenValues(path, &lost);
    if (in == nullptr) {
        // Before anything was read, a missing file may only mean the agent
        // is starting: wait for it up to the stale limit, unless it is known
        // not to run or the folder keeps it out.
        const bool mayBeStarting =
            lost.reason == LostReason::NoValues || lost.reason == LostReason::NoUpdate;
        if (waiting && mayBeStarting && now - firstReadTime <= staleLimit) return;
        waiting = false;
        agentDownTime = -1;
        PtUPSVal.flag_OpenUPS = 0;
        PtUPSVal.StatusFlag.AllSts |= UPS_COMMERR;
        lastLink = lost;
        return;
    }
    std::uint8_t image[UPSValImageSize];
    std::size_t n = std::fread(image, 1, sizeof image, in.get());
    in.reset();
    DecodeUPSValPartial(image, n, &PtUPSVal);
    waiting = false;
    lastLink = ValuesLinkState{};
    lastLink.link = ValuesLink::Live;

    const int agent = PtUPSVal.DownTime;
    agentDownTime = agent < 0 ? -1 : agent;
    if (oldCountdown < 0) {
        if (agent >= 0) oldCountdown = agent;
    } else if (agent < 0) {
        PtUPSVal.DownTime = -1;
        oldCountdown = -1;
    } else if (agent - own < 6) {
        // Our own clock runs the display; the agent only wins with a figure
        // that is clearly longer (a restarted or lengthened countdown).
        PtUPSVal.DownTime = static_cast<short>(own);
    }
}

bool WriteCommand(std::string* error) {
    char text[64];
    int n = std::snprintf(text, sizeof text, "%d\n%d\n%d\n", flag_LoadSTS, flag_LoadSCH,
                          flag_LoadCancelShutdown);
    // On failure the requests stay raised and go out with the next write.
    const std::string path = FolderFile(CommandFileName);
    if (!WriteFileAtomic(path, text, static_cast<std::size_t>(n))) {
        if (error) *error = CannotWrite(path);
        return false;
    }
    flag_LoadSTS = 0;
    flag_LoadSCH = 0;
    flag_LoadCancelShutdown = 0;
    return true;
}
