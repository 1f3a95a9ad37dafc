#pragma once

#include <string>

namespace gleanwork::test {

// Makes the calling thread's atomic writes fail for as long as this object
// lives; a failing write stops halfway through its temporary file. Either
// every write after `successfulWrites` more have succeeded, or every write of
// a file named `fileName` (the last part of its path). Lets tests interrupt a
// save at any point, or at one chosen file.
class ScopedWriteFailure {
public:
    explicit ScopedWriteFailure(int successfulWrites);
    explicit ScopedWriteFailure(std::string fileName);
    ~ScopedWriteFailure();
    ScopedWriteFailure(const ScopedWriteFailure&) = delete;
    ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;

    struct Rule {
        int writesBeforeFailure = -1;  // negative: no count-down
        std::string fileName;          // empty: no file singled out
    };

private:
    Rule previous_;
};

}  // namespace gleanwork::test
