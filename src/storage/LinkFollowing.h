#pragma once

#include <string>

#include "base/SystemReason.h"

namespace gleanwork {

// Sets `target` to the path that `path` names once every symbolic link in it
// is followed: no part of `target` is a link, but for a missing part, or a
// link in /proc (which names an open file of a process), which stays as
// written with what follows it, for the open to see to. Follows a link in a folder
// that is sticky and writable by all only when the link's owner is the one
// who follows it or the folder's owner, so that no other user can turn a
// write into a shared folder towards a file of their choice. Returns 0, an
// errno value, or kForeignLinkError for a link that is not followed.
int FollowLinks(const std::string& path, std::string& target);

// Whether `path` lies in /proc, whose links FollowLinks leaves for the open
// to follow. In any other path that it gave, a link was planted after it
// looked, and the open must not follow it.
bool InProcessFolder(const std::string& path);

}  // namespace gleanwork
