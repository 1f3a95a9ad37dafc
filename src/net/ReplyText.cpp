#include "net/ReplyText.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <string_view>

#include "net/HugePages.h"
#include "net/ResponseHead.h"

namespace gleanwork {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHeadEnd = "\r\n\r\n";
// What one receive may bring: large receives cost the system less than many
// small ones, and what one brings is still in the processor's cache when it
// is copied into the body. Only the part that receives write is ever touched.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// Larger announced lengths are not believed enough to set room aside for.
constexpr std::size_t kLargestSizedBody = std::size_t{1} << 30;
// Room beyond twice the reply that a finished text gives back.
constexpr std::size_t kSmallReply = std::size_t{64} << 10;

// The size of the head in `received` when its empty line has arrived: the
// first CR LF at the very start or straight after another CR LF. Searches
// from `from` on, where the head cannot have ended before.
std::size_t HeadSize(std::string_view received, std::size_t from) {
    if (received.starts_with(kLineEnd)) {
        return kLineEnd.size();
    }
    const std::size_t end = received.find(kHeadEnd, from);
    return end == std::string_view::npos ? end : end + kHeadEnd.size();
}

// The room a text grows to when it must hold `needed` bytes: twice its room
// (or the bytes needed, when more) up to half of `limit`, else `limit`
// itself. A growth copies the full room into the new one, so a room of at
// most half the limit keeps the two together within it.
std::size_t GrownRoom(std::size_t room, std::size_t needed, std::size_t limit) {
    const std::size_t doubled = room > std::numeric_limits<std::size_t>::max() / 2
                                    ? std::numeric_limits<std::size_t>::max()
                                    : room * 2;
    const std::size_t grown = std::max(needed, doubled);
    return grown > limit / 2 ? std::max(needed, limit) : grown;
}

}  // namespace

ReplyText::ReplyText(std::string& head, std::string& body, std::uint64_t limit)
    : head_(head),
      text_(body),
      limit_(static_cast<std::size_t>(
          std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max()))),
      buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
    // Room left from an earlier use is no room this reply may grow from.
    for (std::string* text : {&head_, &text_}) {
        text->clear();
        text->shrink_to_fit();
    }
}

std::span<char> ReplyText::Space(std::size_t most) {
    return {buffer_.get(), std::clamp<std::size_t>(most, 1, kBufferSize)};
}

bool ReplyText::Commit(std::size_t count) {
    const std::string_view received(buffer_.get(), std::min(count, kBufferSize));
    if (received.size() > limit_ - used_) {
        return false;
    }
    used_ += received.size();
    if (!headEnded_) {
        Append(head_, received);
        return TakeBodyFromHead();
    }
    Append(text_, received);
    return true;
}

void ReplyText::Finish() {
    if (!headEnded_) {
        const std::size_t lastLineEnd = head_.rfind(kLineEnd);
        const std::size_t headSize =
            lastLineEnd == std::string::npos ? 0 : lastLineEnd + kLineEnd.size();
        text_.swap(head_);
        head_.assign(text_, 0, headSize);
        text_.erase(0, headSize);
    }
    if (text_.capacity() / 2 > text_.size() + kSmallReply) {
        text_.shrink_to_fit();
    }
}

// Once the head's empty line has arrived, moves what came after it into the
// body and makes room for the whole body that the head announces. The length
// is a hint: when the room cannot be had, the body just grows. False when
// the length announced would take the reply beyond the limit.
bool ReplyText::TakeBodyFromHead() {
    const std::size_t from = headSearched_ < kHeadEnd.size() ? 0 : headSearched_ - kHeadEnd.size();
    const std::size_t headSize = HeadSize(head_, from);
    headSearched_ = head_.size();
    if (headSize == std::string::npos) {
        return true;
    }
    headEnded_ = true;
    const std::optional<std::uint64_t> length =
        ContentLength(std::string_view(head_).substr(0, headSize));
    if (length && *length > limit_ - headSize) {
        return false;
    }
    if (length && *length <= kLargestSizedBody) {
        try {
            Reserve(text_, GrownRoom(0, *length, limit_));
        } catch (const std::bad_alloc&) {
            // No room for the length named: the body grows as it comes.
        }
    }
    Append(text_, std::string_view(head_).substr(headSize));
    head_.resize(headSize);
    return true;
}

void ReplyText::Append(std::string& text, std::string_view bytes) {
    if (text.capacity() - text.size() < bytes.size()) {
        Reserve(text, GrownRoom(text.capacity(), text.size() + bytes.size(), limit_));
    }
    text.append(bytes);
}

// Room for `size` bytes, in huge pages where the room is large enough.
void ReplyText::Reserve(std::string& text, std::size_t size) {
    text.reserve(size);
    AdviseHugePages(text.data(), text.capacity());
}

}  // namespace gleanwork
