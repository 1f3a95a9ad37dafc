#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// Replaces the file at `path` with `content` as a whole or not at all: the
// bytes go to a temporary file in the same folder, reach the disk, and only
// then is it renamed over `path`. On failure the old file is left as it was
// and no temporary file remains. Returns true when the new file is in place.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// Makes the calling thread's atomic writes fail after `successfulWrites`
// more of them have succeeded, for as long as this object lives; a failing
// write stops halfway through its temporary file. Lets tests interrupt a
// save at any point.
class ScopedWriteFailure {
public:
    explicit ScopedWriteFailure(int successfulWrites);
    ~ScopedWriteFailure();
    ScopedWriteFailure(const ScopedWriteFailure&) = delete;
    ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;

private:
    int previous_;
};

}  // namespace gleanwork
