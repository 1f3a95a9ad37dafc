#include "engine/RunOutput.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "base/FileDescriptor.h"

namespace gleanwork {

namespace {

// Opens without blocking, so that a pipe nobody reads fails instead of
// hanging the run, then writes blocking like any file.
FileDescriptor OpenForWriting(const std::string& path, bool append) {
    const int mode = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : O_TRUNC);
    FileDescriptor fd(::open(path.c_str(), mode, 0666));
    struct stat info {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &info) != 0 || S_ISDIR(info.st_mode) ||
        ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK) != 0) {
        return FileDescriptor();
    }
    return fd;
}

}  // namespace

bool RunOutput::OpenFile(const std::string& path, bool append) {
    Close();
    FileDescriptor fd = OpenForWriting(path, append);
    if (!fd.IsOpen()) {
        return false;
    }
    file_.reset(::fdopen(fd.Get(), append ? "a" : "w"));
    if (!file_) {
        return false;
    }
    static_cast<void>(fd.Release());
    return true;
}

void RunOutput::Write(std::string_view text) {
    if (text.empty()) {
        return;  // an empty view may hold no pointer at all
    }
    std::FILE* target = file_ ? file_.get() : stdout;
    std::fwrite(text.data(), 1, text.size(), target);
}

void RunOutput::Close() {
    if (file_) {
        file_.reset();
    } else {
        std::fflush(stdout);
    }
}

}  // namespace gleanwork
