#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace gleanwork {

// Gathers a reply straight into the text that is to hold it. The text grows
// geometrically, or in one step once the head names a "Content-Length":
// that length only sizes the text, so that a large body is neither copied
// nor moved while it arrives. The reply still ends only when the peer closes
// the connection, whatever length the head names.
class ReplyText {
public:
    // Empties `text`, which must outlive this object.
    explicit ReplyText(std::string& text);

    // Room for the next receive: at most `most` bytes, at least 1.
    std::span<char> Space(std::size_t most);

    // Takes `count` bytes just written at the start of the last Space.
    void Commit(std::size_t count);

    // The bytes received so far.
    std::size_t Size() const { return used_; }

    // Leaves the text holding exactly the bytes received.
    void Finish();

private:
    void SizeFromHead();
    void Reserve(std::size_t size);

    std::string& text_;
    std::size_t used_ = 0;
    std::size_t headSearched_ = 0;
    bool sized_ = false;
};

}  // namespace gleanwork
