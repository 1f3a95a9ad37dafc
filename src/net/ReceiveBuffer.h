#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace gleanwork {

// Collects the bytes of a reply in blocks that grow with the reply, so that
// nothing already received is copied while receiving, and joins them into
// one text at the end, giving each block back once it has been copied.
class ReceiveBuffer {
public:
    // Room for at most `most` more bytes (at least 1 when `most` is).
    std::span<char> Space(std::size_t most);

    // Takes `count` bytes just written at the start of the last Space.
    void Commit(std::size_t count);

    // Replaces `text` with everything received, and empties the buffer.
    void MoveInto(std::string& text);

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };
    std::vector<Block> blocks_;
    std::size_t total_ = 0;
};

}  // namespace gleanwork
