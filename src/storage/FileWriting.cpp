#include "storage/FileWriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "storage/LinkFollowing.h"

namespace gleanwork {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

FileDescriptor OpenForWriting(const std::string& path, int flags, int& error) {
    std::string target;
    error = FollowLinks(path, target);
    if (error != 0) {
        return FileDescriptor();
    }
    const int noFollow = InProcessFolder(target) ? 0 : O_NOFOLLOW;
    FileDescriptor fd(
        ::open(target.c_str(), flags | noFollow | O_WRONLY | O_CLOEXEC | O_NONBLOCK, 0666));
    struct stat info {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &info) != 0 ||
        ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK) != 0) {
        error = errno;
        return FileDescriptor();
    }
    if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
        return FileDescriptor();
    }
    return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string RandomLetters(std::size_t count) {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string letters(count, ' ');
    for (char& c : letters) {
        c = kLetters[pick(generator)];
    }
    return letters;
}

void SyncFolderOf(const std::string& path) {
    const FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.IsOpen()) {
        ::fsync(folder.Get());
    }
}

}  // namespace gleanwork
