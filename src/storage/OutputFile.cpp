#include "storage/OutputFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/OwnedHandle.h"
#include "storage/LinkFollowing.h"

namespace gleanwork {

namespace {

constexpr std::string_view kTempMark = ".gleanwork-";
constexpr std::size_t kTempSuffixLength = 6;
constexpr int kNameAttempts = 100;
// A temporary file's name keeps at most this much of the target's name, so
// that it stays within the file system's limit for a name.
constexpr std::size_t kMostNameInTemp = 200;

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".NAME.gleanwork-": how every temporary file of `path` begins.
std::string TempPrefix(const std::string& path) {
    return std::string(".").append(NameOf(path).substr(0, kMostNameInTemp)).append(kTempMark);
}

// A new random name for a temporary file of `path`, in its folder.
std::string FreshTempName(const std::string& path) {
    return FolderOf(path) + "/" + TempPrefix(path) + RandomLetters(kTempSuffixLength);
}

// Removes the temporary files that killed runs of `path` left behind. A live
// run holds a lock on its file, so its file stays.
void RemoveLeftTemporaries(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string prefix = TempPrefix(path);
    const OwnedHandle<DIR, ::closedir> entries(::opendir(folder.c_str()));
    if (!entries) {
        return;
    }
    while (const dirent* entry = ::readdir(entries.get())) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || name.size() != prefix.size() + kTempSuffixLength) {
            continue;
        }
        const std::string full = folder + "/" + std::string(name);
        const FileDescriptor left(::open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (left.IsOpen() && ::flock(left.Get(), LOCK_EX | LOCK_NB) == 0) {
            ::unlink(full.c_str());
        }
    }
}

bool Failed(int& error) {
    error = errno;
    return false;
}

}  // namespace

bool OutputFile::Open(const std::string& path, bool append, int& error) {
    Discard();
    error = FollowLinks(path, path_);
    if (error != 0) {
        return false;
    }
    struct stat info {};
    const bool exists = ::stat(path_.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        error = EISDIR;
        return false;
    }
    // A pipe, a device, or an open file of a process (/dev/stdout)
    const bool special = (exists && !S_ISREG(info.st_mode)) || InProcessFolder(path_);
    if (special || append) {
        kind_ = special ? Kind::Direct : Kind::Append;
        fd_ = OpenForWriting(path_, O_CREAT | O_APPEND, error);
        if (!fd_.IsOpen()) {
            return false;
        }
        appendStart_ = ::lseek(fd_.Get(), 0, SEEK_END);
        appendEnd_ = appendStart_;
        appendedAlone_ = true;
        return true;
    }
    kind_ = Kind::Replace;
    RemoveLeftTemporaries(path_);
    if (!OpenTemporary(error)) {
        return false;
    }
    if (exists) {
        ::fchmod(fd_.Get(), info.st_mode & 07777);  // the new file keeps the old one's mode
    }
    return true;
}

// An unnamed file where the file system has them, else a named one; locked,
// so that no other run takes it for one left behind.
bool OutputFile::OpenTemporary(int& error) {
    const std::string folder = FolderOf(path_);
    fd_.Reset(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!fd_.IsOpen() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < kNameAttempts && !fd_.IsOpen(); ++attempt) {
            tempName_ = FreshTempName(path_);
            fd_.Reset(::open(tempName_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666));
            if (!fd_.IsOpen() && errno != EEXIST) {
                break;
            }
        }
        if (!fd_.IsOpen()) {
            tempName_.clear();
        }
    }
    if (!fd_.IsOpen()) {
        return Failed(error);
    }
    ::flock(fd_.Get(), LOCK_EX | LOCK_NB);
    return true;
}

bool OutputFile::Write(std::string_view bytes, int& error) {
    if (!WriteAll(fd_.Get(), bytes)) {
        return Failed(error);
    }
    if (kind_ == Kind::Append) {
        const off_t end = ::lseek(fd_.Get(), 0, SEEK_CUR);
        appendedAlone_ = appendedAlone_ && end - static_cast<off_t>(bytes.size()) == appendEnd_;
        appendEnd_ = end;
    }
    return true;
}

// Gives the unnamed file a temporary name beside the target.
bool OutputFile::NameTemporary(int& error) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.Get());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        tempName_ = FreshTempName(path_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tempName_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    tempName_.clear();
    return Failed(error);
}

bool OutputFile::Commit(int& error) {
    if (kind_ != Kind::Replace) {
        return fd_.Reset() || Failed(error);
    }
    const bool placed = (::fsync(fd_.Get()) == 0 || Failed(error)) &&
                        (!tempName_.empty() || NameTemporary(error)) &&
                        (::rename(tempName_.c_str(), path_.c_str()) == 0 || Failed(error));
    if (!placed) {
        Discard();
        return false;
    }
    tempName_.clear();
    fd_.Reset();
    SyncFolderOf(path_);
    return true;
}

bool OutputFile::Discard() {
    if (!fd_.IsOpen()) {
        return true;
    }
    const bool asBefore = kind_ != Kind::Append || CutBack();
    if (!tempName_.empty()) {
        ::unlink(tempName_.c_str());
        tempName_.clear();
    }
    fd_.Reset();
    return asBefore;
}

// What this run appended goes, unless other runs appended after it (or in
// between): cutting the file back would take their lines too.
bool OutputFile::CutBack() {
    const off_t end = ::lseek(fd_.Get(), 0, SEEK_CUR);
    struct stat info {};
    if (end == appendStart_) {
        return true;
    }
    return appendedAlone_ && ::fstat(fd_.Get(), &info) == 0 && info.st_size == end &&
           ::ftruncate(fd_.Get(), appendStart_) == 0;
}

}  // namespace gleanwork
