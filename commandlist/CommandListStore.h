#pragma once

#include <string>
#include <vector>

#include "commandlist/CommandListFile.h"
#include "platform/Result.h"

class CxIOFile;

// Saving and loading the command list file as the operator sees it: every
// failure comes back with the path and the system's reason. Paths and folder
// names are bytes, handed to the system unchanged (they need not be UTF-8).

// The command list file in `folder`: folder + "/DomeConfig.cfg" (the bare
// name, in the working directory, for an empty folder).
std::string CommandListPath(const std::string& folder);

// True when `folder` already holds something named "DomeConfig.cfg" (a link
// counts even when it leads nowhere), so that replacing it can be asked first.
bool CommandListFileExists(const std::string& folder);

// Saves into CommandListPath(folder): through a link to its target, keeping
// the target's permission bits, on disk before it replaces the old file. A
// failed save leaves the old file and no temporary behind.
orvane::Result SaveCommandListFile(CxIOFile& file, const std::string& folder,
                                   const CommandListHeader& header,
                                   const std::vector<CommandRecord>& records);

// Loads `path`. On failure the outputs are untouched: a path that is not a
// regular file (refused without blocking), a read error, or a file that is
// no command list file (kNotCommandListFile). `load`, when given, says how
// many rows came and how many the row limit left out.
orvane::Result LoadCommandListFile(CxIOFile& file, const std::string& path,
                                   CommandListHeader& header, std::vector<CommandRecord>& records,
                                   CommandListLoad* load = nullptr);
