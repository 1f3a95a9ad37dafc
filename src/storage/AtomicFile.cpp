#include "storage/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "base/FileDescriptor.h"

namespace gleanwork {

namespace {

// Writes left before the injected failure; negative when none is injected.
thread_local int writesBeforeFailure = -1;

bool InjectedFailureDue() {
    if (writesBeforeFailure < 0) {
        return false;
    }
    if (writesBeforeFailure == 0) {
        return true;
    }
    --writesBeforeFailure;
    return false;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// New files get the usual permissions of a user's document.
bool GiveUsualPermissions(int fd) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(fd, 0666 & ~mask) == 0;
}

bool FillTemporaryFile(int fd, std::string_view content) {
    if (InjectedFailureDue()) {
        WriteAll(fd, content.substr(0, content.size() / 2));
        return false;
    }
    return GiveUsualPermissions(fd) && WriteAll(fd, content) && ::fsync(fd) == 0;
}

// Makes a rename inside `path`'s folder durable.
void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.IsOpen()) {
        ::fsync(handle.Get());
    }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
    std::string pattern = path + ".XXXXXX";
    std::vector<char> tempName(pattern.begin(), pattern.end());
    tempName.push_back('\0');
    FileDescriptor temp(::mkostemp(tempName.data(), O_CLOEXEC));
    if (!temp.IsOpen()) {
        return false;
    }
    const bool written = FillTemporaryFile(temp.Get(), content);
    if (!temp.Reset() || !written || ::rename(tempName.data(), path.c_str()) != 0) {
        ::unlink(tempName.data());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

ScopedWriteFailure::ScopedWriteFailure(int successfulWrites) : previous_(writesBeforeFailure) {
    writesBeforeFailure = successfulWrites;
}

ScopedWriteFailure::~ScopedWriteFailure() {
    writesBeforeFailure = previous_;
}

}  // namespace gleanwork
