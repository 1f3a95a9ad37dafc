#pragma once

#include <unistd.h>

#include <utility>

namespace gleanwork {

// Owns one POSIX file descriptor and closes it when it goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.fd_, -1));
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Reset(); }

    bool IsOpen() const { return fd_ >= 0; }
    int Get() const { return fd_; }

    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(fd_, -1); }

    // Closes the descriptor held and takes `fd` instead. Returns false when
    // closing reported an error (a late write failure, for instance).
    bool Reset(int fd = -1) {
        const bool closed = fd_ < 0 || ::close(fd_) == 0;
        fd_ = fd;
        return closed;
    }

private:
    int fd_ = -1;
};

}  // namespace gleanwork
