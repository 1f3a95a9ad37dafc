#pragma once

namespace gleanwork::test {

// Makes the calling thread's atomic writes fail, once `successfulWrites` more
// have succeeded, for as long as this object lives; a failing write stops
// halfway through its temporary file. Lets tests interrupt a save at any point.
class ScopedWriteFailure {
public:
    explicit ScopedWriteFailure(int successfulWrites);
    ~ScopedWriteFailure();
    ScopedWriteFailure(const ScopedWriteFailure&) = delete;
    ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;

private:
    int previous_;
};

}  // namespace gleanwork::test
