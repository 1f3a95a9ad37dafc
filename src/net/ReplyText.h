#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace gleanwork {

// Gathers a reply: its head (the status line and the header lines, each
// ended by CR LF, and the empty line after them) apart from its body, which
// goes into the text that is to hold it. Each receive lands in a buffer of
// its own and is appended from there while it is still in the processor's
// cache, so the body's room is never zero-filled before it is written, and
// the body is never moved to take the head off its front. The text grows
// geometrically, or in one step once the head names a "Content-Length": that
// length only sizes the text. The reply still ends only when the peer closes
// the connection, whatever length the head names.
//
// The reply, head and body together, holds at most `limit` bytes, and the
// memory it takes stays within that limit (and the receive buffer): a text
// grows to at most half the limit, or straight to the limit itself, so that
// the copy a growth makes never holds more than the limit either.
class ReplyText {
public:
    // Empties `head` and `body`, which must outlive this object.
    ReplyText(std::string& head, std::string& body, std::uint64_t limit);

    // Room for the next receive: at most `most` bytes, at least 1.
    std::span<char> Space(std::size_t most);

    // Takes `count` bytes just written at the start of the last Space.
    // False, and nothing taken, when the reply would outgrow the limit or
    // its head names a "Content-Length" that does.
    bool Commit(std::size_t count);

    // Ends the reply. A head without an empty line after it ends with its
    // last CR LF; the body is what follows.
    void Finish();

private:
    bool TakeBodyFromHead();
    void Append(std::string& text, std::string_view bytes);
    void Reserve(std::string& text, std::size_t size);

    std::string& head_;
    std::string& text_;
    std::size_t limit_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::size_t headSearched_ = 0;
    bool headEnded_ = false;
};

}  // namespace gleanwork
