#include "net/ReplyText.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "base/TextScan.h"
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

// The "Content-Length" that `head` names, or 0.
std::size_t NamedLength(std::string_view head) {
    const std::int64_t length = ReadDecimal(FindHeader("Content-Length", HeaderLines(head)));
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

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

}  // namespace

ReplyText::ReplyText(std::string& head, std::string& body)
    : head_(head), text_(body), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
    head_.clear();
    text_.clear();
}

std::span<char> ReplyText::Space(std::size_t most) {
    return {buffer_.get(), std::clamp<std::size_t>(most, 1, kBufferSize)};
}

void ReplyText::Commit(std::size_t count) {
    const std::string_view received(buffer_.get(), std::min(count, kBufferSize));
    used_ += received.size();
    if (!headEnded_) {
        head_.append(received);
        TakeBodyFromHead();
        return;
    }
    if (text_.capacity() - text_.size() < received.size()) {
        Reserve(std::max(text_.size() + received.size(), text_.capacity() * 2));
    }
    text_.append(received);
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
// is a hint: when the room cannot be had, the body just grows.
void ReplyText::TakeBodyFromHead() {
    const std::size_t from = headSearched_ < kHeadEnd.size() ? 0 : headSearched_ - kHeadEnd.size();
    const std::size_t headSize = HeadSize(head_, from);
    headSearched_ = head_.size();
    if (headSize == std::string::npos) {
        return;
    }
    headEnded_ = true;
    const std::size_t length = NamedLength(std::string_view(head_).substr(0, headSize));
    if (length > 0 && length <= kLargestSizedBody) {
        try {
            Reserve(length);
        } catch (const std::bad_alloc&) {
            // No room for the length named: the body grows as it comes.
        }
    }
    text_.append(head_, headSize);
    head_.resize(headSize);
}

// Room for `size` bytes, in huge pages where the room is large enough.
void ReplyText::Reserve(std::size_t size) {
    text_.reserve(size);
    AdviseHugePages(text_.data(), text_.capacity());
}

}  // namespace gleanwork
