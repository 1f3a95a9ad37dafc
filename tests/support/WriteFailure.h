#pragma once

#include <string>

namespace gleanwork::test {

// Makes the calling thread's atomic writes of files whose path ends with
// `pathEnd` (every file's, when it is empty) fail once `successfulWrites`
// more of them have succeeded, for as long as this object lives; a failing
// write stops halfway through its temporary file. Lets tests break a save at
// any point, or at one chosen file.
class ScopedWriteFailure {
public:
    explicit ScopedWriteFailure(int successfulWrites, std::string pathEnd = {});
    ~ScopedWriteFailure();
    ScopedWriteFailure(const ScopedWriteFailure&) = delete;
    ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;

private:
    int previousCount_;
    std::string previousPathEnd_;
};

}  // namespace gleanwork::test
