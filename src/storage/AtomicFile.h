#pragma once

#include <climits>
#include <cstddef>
#include <string>
#include <string_view>

namespace gleanwork {

// The temporary file of an atomic write is named after the file it replaces,
// followed by "." and this many random letters and digits.
inline constexpr std::size_t kTemporaryNameSuffixLength = 7;

// The longest file name (the last part of a path, in bytes) that
// WriteFileAtomically can write: its temporary file's name must still fit the
// system's limit on the length of a file name.
inline constexpr std::size_t kLongestAtomicFileName = NAME_MAX - kTemporaryNameSuffixLength;

// Replaces the file at `path` with `content` as a whole or not at all: the
// bytes go to a temporary file in the same folder, reach the disk, and only
// then is it renamed over `path`. A file that is replaced keeps its
// permissions; a new one gets those of any new file (the process's umask
// applies). On failure the old file is left as it was and no temporary file
// remains, and errno holds the reason. Returns true when the new file is in
// place.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// As WriteFileAtomically, for a file that holds secrets (session cookies,
// for instance): new or replacing one, it is readable and writable by its
// owner alone (mode 0600).
bool WritePrivateFileAtomically(const std::string& path, std::string_view content);

}  // namespace gleanwork
