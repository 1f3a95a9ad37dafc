// Test programs link this file, and with it their own WriteInterrupted in
// place of the programs' one, which never interrupts.

#include "support/WriteFailure.h"

#include "storage/WriteInterruption.h"

namespace gleanwork {

namespace {

thread_local int writesBeforeFailure = -1;  // negative: no failure due

}  // namespace

bool WriteInterrupted(const std::string&) {
    if (writesBeforeFailure > 0) {
        --writesBeforeFailure;
        return false;
    }
    return writesBeforeFailure == 0;
}

namespace test {

ScopedWriteFailure::ScopedWriteFailure(int successfulWrites) : previous_(writesBeforeFailure) {
    writesBeforeFailure = successfulWrites;
}

ScopedWriteFailure::~ScopedWriteFailure() {
    writesBeforeFailure = previous_;
}

}  // namespace test
}  // namespace gleanwork
