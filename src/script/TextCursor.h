#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gleanwork {

// The characters of a script argument, for the commands that treat their
// argument as a set (GETTOKEN, SKIPANY, SKIPTOKEN, MATCHANY).
class CharacterSet {
public:
    explicit CharacterSet(std::string_view characters);
    bool Contains(char c) const { return members_[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> members_{};
};

// A position in a text, from its start up to its end inclusive. No operation
// moves it before the start or past the end, whatever its argument.
class TextCursor {
public:
    explicit TextCursor(std::string_view text = {}) : text_(text) {}

    std::size_t Position() const { return position_; }
    bool AtEnd() const { return position_ == text_.size(); }

    // Where the next occurrence of `target` begins, from the cursor on, or
    // npos. An empty target is found at the cursor. Linear in the lengths of
    // the text and the target, whatever they hold.
    std::size_t Search(std::string_view target) const;

    // Moves to `position`, which must lie between the cursor and the end;
    // returns the characters passed over.
    std::string_view MoveTo(std::size_t position);

    // Moves forward by up to `count` characters (none when it is not
    // positive), stopping at the end; returns the characters passed over.
    std::string_view Advance(std::int64_t count);

    // Moves back by up to `count` characters, stopping at the start;
    // nothing happens when `count` is negative.
    void MoveBack(std::int64_t count);
    void MoveToStart() { position_ = 0; }

    // Moves past the characters in (or not in) `set` at the cursor; returns
    // the characters passed over.
    std::string_view SkipIn(const CharacterSet& set);
    std::string_view SkipNotIn(const CharacterSet& set);

    // True when the text at the cursor begins with `prefix`.
    bool LooksAt(std::string_view prefix) const { return Rest().starts_with(prefix); }

    // The whole text, and the text from the cursor to the end.
    std::string_view Text() const { return text_; }
    std::string_view Rest() const { return text_.substr(position_); }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace gleanwork
