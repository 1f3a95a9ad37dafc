#pragma once

#include <string>
#include <string_view>

#include "base/FileDescriptor.h"

namespace gleanwork {

// The folder part of `path`: "." when it has none, "/" for a file in the root.
std::string FolderOf(const std::string& path);

// Opens `path` for writing without blocking on a pipe that nobody reads, then
// sets the descriptor to block like any file. Follows symbolic links as
// FollowLinks does, so never one that another user planted in a shared
// folder. None, with `error` set to an errno value or kForeignLinkError, on
// failure or for a folder.
FileDescriptor OpenForWriting(const std::string& path, int flags, int& error);

// Writes all of `bytes` to `fd`. False (errno set) when not all got there.
bool WriteAll(int fd, std::string_view bytes);

// `count` random letters and digits, for the name of a temporary file.
std::string RandomLetters(std::size_t count);

// Makes a rename or a new name inside `path`'s folder durable.
void SyncFolderOf(const std::string& path);

}  // namespace gleanwork
