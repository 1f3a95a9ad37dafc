// Test programs link this file, and with it their own WriteInterrupted in
// place of the programs' one, which never interrupts.

#include "support/WriteFailure.h"

#include <utility>

#include "storage/WriteInterruption.h"

namespace gleanwork {

namespace {

thread_local int writesBeforeFailure = -1;  // negative: no failure due
thread_local std::string failingPathEnd;

}  // namespace

bool WriteInterrupted(const std::string& path) {
    if (writesBeforeFailure < 0 || !path.ends_with(failingPathEnd)) {
        return false;
    }
    if (writesBeforeFailure == 0) {
        return true;
    }
    --writesBeforeFailure;
    return false;
}

namespace test {

ScopedWriteFailure::ScopedWriteFailure(int successfulWrites, std::string pathEnd)
    : previousCount_(std::exchange(writesBeforeFailure, successfulWrites)),
      previousPathEnd_(std::exchange(failingPathEnd, std::move(pathEnd))) {}

ScopedWriteFailure::~ScopedWriteFailure() {
    writesBeforeFailure = previousCount_;
    failingPathEnd = std::move(previousPathEnd_);
}

}  // namespace test
}  // namespace gleanwork
