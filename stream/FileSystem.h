#pragma once

#include <string>

#include "platform/Result.h"

// The file system steps of a safe replace, kept out of the stream class.

// Makes a write beyond the file size limit fail with EFBIG instead of
// killing the program with SIGXFSZ. Called once at start-up.
void IgnoreFileSizeSignal();

// The path a save to `path` must replace: symbolic links are followed to
// their (possibly not yet existing) target, so the link itself stays.
orvane::Result FollowLinks(const std::string& path, std::string& target);

// `name` in `folder`, with one slash between; a bare name for an empty folder.
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder part of a path ("." for a bare name) and the name part.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Removes the temporaries that saves of `name` in `folder` left behind when
// they were killed: those whose process no longer runs.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name);

// Creates a fresh temporary for a new version of `target` in its folder,
// ".<name>.tmp-<pid>-XXXXXX", mode 0666 less the umask, open for writing
// on `fd`. On failure `fd` is -1 and `tempPath` empty.
orvane::Result CreateTemporary(const std::string& target, std::string& tempPath, int& fd);

// Flushes a folder's entries (a rename in it) to disk.
orvane::Result SyncFolder(const std::string& folder);
