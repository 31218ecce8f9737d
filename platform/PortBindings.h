#pragma once

#include <string>

#include "platform/Result.h"

// The port map as the ports dialog and the open path see it. Each "COMn" is a
// symlink in PortMapDir(); a virtual dome that made one records itself beside
// it in "COMn.owner", so a link left behind by a dome that died can be told
// from the user's own. The record is plain text, one "key value" a line:
//   pid 4242 / start 1234567 / name orvane-vdome / target /dev/pts/3
// and, from a dome run with --force, "replaced <the user's target>", kept on
// disk so the user's link can be put back even after the dome was killed.

// Why a dome's link is not trusted.
enum class StaleReason {
    None,
    Gone,       // no such process any more, or one that exited and was not reaped
    NotADome,   // the pid now belongs to another program
    PidReused,  // an orvane-vdome, but started after the record was written
    Unproven,   // a record without the start time and name (an older dome's)
};

inline constexpr char kDomeProcessName[] = "orvane-vdome";

struct PortBinding {
    std::string link;           // PortMapPath(n); empty without a port map folder
    bool linked = false;        // a symlink is there
    std::string target;         // where it leads; empty when not linked
    bool targetExists = false;  // the target (followed to the end) is there
    bool targetSerial = false;  // the target is a serial device (IsSerialDeviceNode)
    long domePid = 0;           // the dome that recorded this link; 0 for none
    bool domeRunning = false;   // the record proves that dome still runs
    StaleReason staleReason = StaleReason::None;
    std::string runningName;     // what runs under domePid now, for NotADome
    std::string replacedTarget;  // the link a --force dome replaced; empty for none

    // A dome's link whose dome is gone: it may now lead to a stranger's terminal.
    bool StaleDomeLink() const { return domePid != 0 && !domeRunning; }
};

PortBinding ReadPortBinding(unsigned portNumber);

// Points "COMn" at `device` in one step (an existing link is replaced, never
// missing in between) and drops any dome's record of it.
orvane::Result BindPort(unsigned portNumber, const std::string& device);
// Removes "COMn" and any dome's record of it; no link is not an error.
orvane::Result UnbindPort(unsigned portNumber);

// For the virtual dome: the record beside the link, and writing it.
std::string PortOwnerPath(unsigned portNumber);
// Records `pid` (its start time and name read from /proc) as the owner of the
// link to `target`; `replaced` is the target of the link it took, if any.
orvane::Result RecordDomeOwner(unsigned portNumber, long pid, const std::string& target,
                               const std::string& replaced = std::string());
bool ProcessRunning(long pid);

// Puts back the link a --force dome replaced once that dome is gone (its link
// stale): true when it did. The dome's own record goes with its link.
bool RestoreReplacedLink(unsigned portNumber);

// Makes the port map's folder; fails when there is no home to put it in or it
// cannot be made.
orvane::Result EnsureMapDir();

// Points the link `path` at `target` through a temporary link beside it and a
// rename, so a reader sees the old entry or the new one, never none.
orvane::Result ReplaceWithSymlink(const std::string& path, const std::string& target);
