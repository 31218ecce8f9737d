#pragma once

#include <string>

#include "platform/Result.h"

// The port map as the ports dialog and the open path see it. Each "COMn" is a
// symlink in PortMapDir(); a virtual dome that made one records itself beside
// it in "COMn.owner" (its process id and the target it linked), so a link
// left behind by a dome that died can be told from the user's own.

struct PortBinding {
    std::string link;           // PortMapPath(n); empty without a port map folder
    bool linked = false;        // a symlink is there
    std::string target;         // where it leads; empty when not linked
    bool targetExists = false;  // the target (followed to the end) is there
    long domePid = 0;           // the dome that recorded this link; 0 for none
    bool domeRunning = false;

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
orvane::Result RecordDomeOwner(unsigned portNumber, long pid, const std::string& target);
bool ProcessRunning(long pid);

// Makes the port map's folder; fails when there is no home to put it in or it
// cannot be made.
orvane::Result EnsureMapDir();

// Points the link `path` at `target` through a temporary link beside it and a
// rename, so a reader sees the old entry or the new one, never none.
orvane::Result ReplaceWithSymlink(const std::string& path, const std::string& target);
