#include "storage/FileContent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/FileDescriptor.h"

namespace gleanwork {

namespace {

bool Fail(int* error, int reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

}  // namespace

bool AppendFileContent(const std::string& path, std::string& content, int* error,
                       std::uint64_t maxBytes) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.IsOpen() || ::fstat(file.Get(), &info) != 0) {
        return Fail(error, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return Fail(error, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return Fail(error, EFBIG);
    }
    const std::size_t start = content.size();
    std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
    content.resize(start + capacity);
    std::size_t filled = 0;
    for (;;) {
        if (filled == capacity) {
            if (filled > maxBytes) {  // the file grew while it was read
                content.resize(start);
                return Fail(error, EFBIG);
            }
            capacity = capacity * 2;
            content.resize(start + capacity);
        }
        const ssize_t got = ::read(file.Get(), content.data() + start + filled, capacity - filled);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            const int reason = errno;
            content.resize(start);
            return Fail(error, reason);
        }
    }
    content.resize(start + filled);
    return true;
}

}  // namespace gleanwork
