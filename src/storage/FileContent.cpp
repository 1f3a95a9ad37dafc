#include "storage/FileContent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/FileDescriptor.h"

namespace gleanwork {

bool AppendFileContent(const std::string& path, std::string& content) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.IsOpen() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const std::size_t start = content.size();
    std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
    content.resize(start + capacity);
    std::size_t filled = 0;
    for (;;) {
        if (filled == capacity) {
            capacity = capacity * 2;
            content.resize(start + capacity);
        }
        const ssize_t got = ::read(file.Get(), content.data() + start + filled, capacity - filled);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            content.resize(start);
            return false;
        }
    }
    content.resize(start + filled);
    return true;
}

}  // namespace gleanwork
