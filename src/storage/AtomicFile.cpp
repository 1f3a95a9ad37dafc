#include "storage/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "base/FileDescriptor.h"
#include "storage/FileWriting.h"
#include "storage/WriteInterruption.h"

namespace gleanwork {

namespace {

constexpr int kNameAttempts = 100;

// `path` followed by "." and random letters and digits.
std::string TemporaryName(const std::string& path) {
    return path + '.' + RandomLetters(kTemporaryNameSuffixLength - 1);
}

// The permissions of the regular file at `path`, if there is one.
bool ReadPermissions(const std::string& path, mode_t& permissions) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    permissions = info.st_mode & 0777;
    return true;
}

constexpr mode_t kPrivatePermissions = 0600;

// A new temporary file beside `path`, with the permissions it is to have:
// `fixed` when given, else those of the file it will replace. It is created
// with them (the umask may narrow them, never widen) and then given them
// exactly, before any byte is written. Without either, the kernel applies the
// umask to the usual 0666.
FileDescriptor CreateTemporaryFile(const std::string& path, std::optional<mode_t> fixed,
                                   std::string& tempName) {
    mode_t permissions = fixed.value_or(0666);
    const bool exact = fixed.has_value() || ReadPermissions(path, permissions);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        tempName = TemporaryName(path);
        FileDescriptor temp(
            ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions));
        if (temp.IsOpen()) {
            if (exact && ::fchmod(temp.Get(), permissions) != 0) {
                const int error = errno;
                ::unlink(tempName.c_str());
                errno = error;
                return FileDescriptor();
            }
            return temp;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return FileDescriptor();
}

bool FillTemporaryFile(int fd, const std::string& path, std::string_view content) {
    if (WriteInterrupted(path)) {
        WriteAll(fd, content.substr(0, content.size() / 2));
        return false;
    }
    return WriteAll(fd, content) && ::fsync(fd) == 0;
}

// Writes `content` to `path` through a temporary file (see
// CreateTemporaryFile for `fixed`).
bool WriteThroughTemporaryFile(const std::string& path, std::string_view content,
                               std::optional<mode_t> fixed) {
    std::string tempName;
    FileDescriptor temp = CreateTemporaryFile(path, fixed, tempName);
    if (!temp.IsOpen()) {
        return false;
    }
    errno = EIO;  // the reason when an interrupted write sets none
    const bool written = FillTemporaryFile(temp.Get(), path, content);
    if (!temp.Reset() || !written || ::rename(tempName.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempName.c_str());
        errno = error;
        return false;
    }
    SyncFolderOf(path);
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
    return WriteThroughTemporaryFile(path, content, std::nullopt);
}

bool WritePrivateFileAtomically(const std::string& path, std::string_view content) {
    return WriteThroughTemporaryFile(path, content, kPrivatePermissions);
}

}  // namespace gleanwork
