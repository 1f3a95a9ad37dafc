#include "storage/LinkFollowing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

namespace gleanwork {

namespace {

// As many links as the system follows in one path.
constexpr int kMostLinks = 40;
constexpr std::string_view kProcessFolder = "/proc";

// Puts the parts of `path` on `parts` so that the first part comes off first.
void PushParts(std::string_view path, std::vector<std::string>& parts) {
    while (!path.empty()) {
        const std::size_t slash = path.find_last_of('/');
        const std::size_t begin = slash == std::string_view::npos ? 0 : slash + 1;
        if (begin < path.size()) {
            parts.emplace_back(path.substr(begin));
        }
        path = path.substr(0, slash == std::string_view::npos ? 0 : slash);
    }
}

// Whether the link that `link` describes, in the folder `folder`, may be
// followed: not when the folder is sticky and writable by all and the link
// belongs neither to the one who follows it nor to the folder's owner.
bool MayFollow(const struct stat& link, const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return false;
    }
    const bool shared = (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == info.st_uid;
}

// The text of the link at `path`, whose size is said to be `size`; false
// (errno set) when it cannot be read.
bool ReadLink(const std::string& path, std::size_t size, std::string& text) {
    for (text.resize(std::max<std::size_t>(size, 64) + 1);; text.resize(2 * text.size())) {
        const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
        if (length < 0) {
            return false;
        }
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return true;
        }
    }
}

// The parent of `folder`, which holds no link; "" is the root.
std::string ParentOf(const std::string& folder) {
    const std::size_t slash = folder.find_last_of('/');
    const std::string_view last = std::string_view(folder).substr(slash + 1);
    if (last == "." || last == "..") {
        return folder + "/..";
    }
    return folder.empty() ? folder : folder.substr(0, slash);
}

}  // namespace

bool InProcessFolder(const std::string& path) {
    return path.starts_with(kProcessFolder) &&
           (path.size() == kProcessFolder.size() || path[kProcessFolder.size()] == '/');
}

int FollowLinks(const std::string& path, std::string& target) {
    std::vector<std::string> parts;
    PushParts(path, parts);
    // What is followed so far, without a trailing "/": "" is the root.
    std::string done = path.starts_with('/') ? "" : ".";
    std::string link;
    for (int links = 0; !parts.empty();) {
        const std::string part = std::move(parts.back());
        parts.pop_back();
        if (part == ".") {
            continue;
        }
        if (part == "..") {
            done = ParentOf(done);
            continue;
        }
        const std::string next = done + "/" + part;
        struct stat info {};
        if (::lstat(next.c_str(), &info) != 0 || !S_ISLNK(info.st_mode) || InProcessFolder(done)) {
            done = next;
            if (!parts.empty() && !S_ISDIR(info.st_mode)) {
                break;  // missing, no folder or a process's file: the open sees to the rest
            }
            continue;
        }
        if (++links > kMostLinks) {
            return ELOOP;
        }
        const std::string folder = done.empty() ? "/" : done;
        if (!MayFollow(info, folder)) {
            return kForeignLinkError;
        }
        if (!ReadLink(next, static_cast<std::size_t>(info.st_size), link)) {
            return errno;
        }
        if (link.starts_with('/')) {
            done.clear();
        }
        PushParts(link, parts);
    }
    target = done.empty() ? "/" : done;
    while (!parts.empty()) {
        target.append("/").append(parts.back());
        parts.pop_back();
    }
    if (path.ends_with('/')) {
        target.push_back('/');
    }
    return 0;
}

}  // namespace gleanwork
