#include "net/ReplyText.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <vector>

#include "base/TextScan.h"
#include "net/HugePages.h"
#include "net/ResponseHead.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";
// A head that has not ended by then names no length worth waiting for.
constexpr std::size_t kLongestSizingHead = std::size_t{64} << 10;
constexpr std::size_t kLargestSpace = std::size_t{16} << 20;
// Room kept after a sized body for the receive that sees the connection close.
constexpr std::size_t kClosingRoom = std::size_t{1} << 20;
// Larger announced lengths are not believed enough to set room aside for.
constexpr std::size_t kLargestSizedBody = std::size_t{1} << 30;
// Room beyond twice the reply that a finished text gives back.
constexpr std::size_t kSmallReply = std::size_t{64} << 10;

// The "Content-Length" that `head` names, or 0.
std::size_t NamedLength(std::string_view head) {
    std::vector<std::string_view> lines;
    for (std::string_view line = ReadHeaderLine(head); !line.empty(); line = ReadHeaderLine(head)) {
        lines.push_back(line);
    }
    const std::int64_t length = ReadDecimal(FindHeader("Content-Length", lines));
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

}  // namespace

ReplyText::ReplyText(std::string& text) : text_(text) {
    text_.clear();
}

std::span<char> ReplyText::Space(std::size_t most) {
    const std::size_t room = std::clamp<std::size_t>(most, 1, kLargestSpace);
    if (text_.size() - used_ < room) {
        if (text_.capacity() < used_ + room) {
            Reserve(std::max(used_ + room, text_.capacity() * 2));
        }
        text_.resize(used_ + room);
    }
    return {text_.data() + used_, room};
}

void ReplyText::Commit(std::size_t count) {
    used_ += std::min(count, text_.size() - used_);
    if (!sized_) {
        SizeFromHead();
    }
}

void ReplyText::Finish() {
    text_.resize(used_);
    if (text_.capacity() / 2 > used_ + kSmallReply) {
        text_.shrink_to_fit();
    }
}

// Looks for the end of the head in what arrived since the last look; once it
// is there, makes room for the whole reply that the head announces. The
// length is a hint: when the room cannot be had, the text just grows.
void ReplyText::SizeFromHead() {
    const std::string_view received(text_.data(), used_);
    const std::size_t from = headSearched_ < kHeadEnd.size() ? 0 : headSearched_ - kHeadEnd.size();
    const std::size_t end = received.find(kHeadEnd, from);
    headSearched_ = used_;
    if (end == std::string_view::npos) {
        sized_ = used_ > kLongestSizingHead;
        return;
    }
    sized_ = true;
    const std::size_t headSize = end + kHeadEnd.size();
    const std::size_t length = NamedLength(received.substr(0, headSize));
    if (length == 0 || length > kLargestSizedBody) {
        return;
    }
    try {
        Reserve(headSize + length + kClosingRoom);
    } catch (const std::bad_alloc&) {
        // No room for the length named: the text grows as the body comes.
    }
}

// Room for `size` bytes, in huge pages where the room is large enough.
void ReplyText::Reserve(std::size_t size) {
    text_.reserve(size);
    AdviseHugePages(text_.data(), text_.capacity());
}

}  // namespace gleanwork
