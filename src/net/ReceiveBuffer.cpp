#include "net/ReceiveBuffer.h"

#include <algorithm>

namespace gleanwork {

namespace {

constexpr std::size_t kFirstBlock = std::size_t{64} << 10;
constexpr std::size_t kLargestBlock = std::size_t{16} << 20;

}  // namespace

std::span<char> ReceiveBuffer::Space(std::size_t most) {
    if (blocks_.empty() || blocks_.back().used == blocks_.back().capacity) {
        const std::size_t capacity =
            blocks_.empty() ? kFirstBlock : std::min(blocks_.back().capacity * 2, kLargestBlock);
        blocks_.push_back({std::make_unique_for_overwrite<char[]>(capacity), capacity, 0});
    }
    Block& last = blocks_.back();
    return {last.bytes.get() + last.used, std::min(most, last.capacity - last.used)};
}

void ReceiveBuffer::Commit(std::size_t count) {
    Block& last = blocks_.back();
    const std::size_t taken = std::min(count, last.capacity - last.used);
    last.used += taken;
    total_ += taken;
}

void ReceiveBuffer::MoveInto(std::string& text) {
    text.clear();
    text.reserve(total_);
    for (Block& block : blocks_) {
        text.append(block.bytes.get(), block.used);
        block.bytes.reset();
    }
    blocks_.clear();
    total_ = 0;
}

}  // namespace gleanwork
