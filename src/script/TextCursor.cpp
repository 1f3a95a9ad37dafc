#include "script/TextCursor.h"

#include <string.h>

#include <algorithm>

namespace gleanwork {

CharacterSet::CharacterSet(std::string_view characters) {
    for (const char c : characters) {
        members_[static_cast<unsigned char>(c)] = true;
    }
}

std::size_t TextCursor::Search(std::string_view target) const {
    if (target.empty()) {
        return position_;
    }
    const std::string_view rest = Rest();
    if (rest.size() < target.size()) {
        return std::string_view::npos;
    }
    // The C library's search: fast on ordinary text and linear in the worst
    // case, even for a long target over a repetitive text.
    const void* found = ::memmem(rest.data(), rest.size(), target.data(), target.size());
    return found == nullptr
               ? std::string_view::npos
               : static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
}

std::string_view TextCursor::MoveTo(std::size_t position) {
    const std::string_view passed = text_.substr(position_, position - position_);
    position_ = position;
    return passed;
}

std::string_view TextCursor::Advance(std::int64_t count) {
    const std::size_t left = text_.size() - position_;
    const std::size_t step = count <= 0 ? 0 : std::min(left, static_cast<std::size_t>(count));
    return MoveTo(position_ + step);
}

void TextCursor::MoveBack(std::int64_t count) {
    if (count >= 0) {
        position_ -= std::min(position_, static_cast<std::size_t>(count));
    }
}

std::string_view TextCursor::SkipIn(const CharacterSet& set) {
    const std::string_view rest = Rest();
    const auto end =
        std::find_if_not(rest.begin(), rest.end(), [&set](char c) { return set.Contains(c); });
    return MoveTo(position_ + static_cast<std::size_t>(end - rest.begin()));
}

std::string_view TextCursor::SkipNotIn(const CharacterSet& set) {
    const std::string_view rest = Rest();
    const auto end =
        std::find_if(rest.begin(), rest.end(), [&set](char c) { return set.Contains(c); });
    return MoveTo(position_ + static_cast<std::size_t>(end - rest.begin()));
}

}  // namespace gleanwork
