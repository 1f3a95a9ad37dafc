// Test programs link this file, and with it their own WriteInterrupted in
// place of the programs' one, which never interrupts.

#include "support/WriteFailure.h"

#include <utility>

#include "storage/WriteInterruption.h"

namespace gleanwork {

namespace {

thread_local test::ScopedWriteFailure::Rule rule;

bool CountDownDue() {
    if (rule.writesBeforeFailure < 0) {
        return false;
    }
    if (rule.writesBeforeFailure == 0) {
        return true;
    }
    --rule.writesBeforeFailure;
    return false;
}

}  // namespace

bool WriteInterrupted(const std::string& path) {
    if (!rule.fileName.empty() && path.substr(path.find_last_of('/') + 1) == rule.fileName) {
        return true;
    }
    return CountDownDue();
}

namespace test {

ScopedWriteFailure::ScopedWriteFailure(int successfulWrites) : previous_(rule) {
    rule = Rule{successfulWrites, {}};
}

ScopedWriteFailure::ScopedWriteFailure(std::string fileName) : previous_(rule) {
    rule = Rule{-1, std::move(fileName)};
}

ScopedWriteFailure::~ScopedWriteFailure() {
    rule = std::move(previous_);
}

}  // namespace test
}  // namespace gleanwork
