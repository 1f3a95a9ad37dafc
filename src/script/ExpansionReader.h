#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/TextScan.h"

namespace gleanwork {

// Reads a script argument from left to right and hands what it stands for to
// `sink`, in order: plain text through `sink.Text(std::string_view)` and each
// closed variable reference through `sink.Reference(std::string_view name)`,
// the name trimmed of whitespace.
// - a backslash starts an escape anywhere, also inside a reference, and the
//   character it gives is plain text: \n, \r and \t give a line feed, a
//   carriage return and a tab; \x and two characters give the character whose
//   code the leading hexadecimal digits of those two spell (0 when there is
//   none); \x with fewer than two characters after it is dropped; any other
//   escaped character stands for itself; a backslash at the very end is
//   dropped;
// - "{" opens a reference that the next "}" closes; a second "{" gives the
//   open reference up as plain text and opens a new one; a reference still
//   open at the end is plain text.
template <typename Sink>
class ExpansionReader {
public:
    ExpansionReader(std::string_view text, Sink& sink) : text_(text), sink_(sink) {}

    void Run() {
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '\\') {
                Escape();
            } else if (!referenceOpen_) {
                CopyPlainText(c);
            } else if (c == '}') {
                referenceOpen_ = false;
                sink_.Reference(TrimWhitespace(name_));
            } else if (c == '{') {
                GiveReferenceUp();
            } else {
                name_.push_back(c);
            }
        }
        if (referenceOpen_) {
            GiveReferenceUp();
        }
    }

private:
    // Hands over `c` and the plain run after it up to the next "{" or
    // backslash.
    void CopyPlainText(char c) {
        if (c == '{') {
            referenceOpen_ = true;
            name_.clear();
            return;
        }
        const std::size_t begin = at_ - 1;
        const auto end = std::find_if(text_.begin() + static_cast<std::ptrdiff_t>(at_), text_.end(),
                                      [](char next) { return next == '{' || next == '\\'; });
        at_ = static_cast<std::size_t>(end - text_.begin());
        sink_.Text(text_.substr(begin, at_ - begin));
    }

    void Escape() {
        if (at_ >= text_.size()) {
            return;  // a backslash at the very end is dropped
        }
        const char c = text_[at_++];
        switch (c) {
            case 'n':
                return Character('\n');
            case 'r':
                return Character('\r');
            case 't':
                return Character('\t');
            case 'x':
                if (text_.size() - at_ >= 2) {
                    at_ += 2;
                    Character(HexCode(text_[at_ - 2], text_[at_ - 1]));
                }
                return;
            default:
                return Character(c);
        }
    }

    void Character(char c) { sink_.Text(std::string_view(&c, 1)); }

    void GiveReferenceUp() {
        sink_.Text("{");
        sink_.Text(name_);
        name_.clear();
    }

    // The code that the two characters after "\x" spell: their leading
    // hexadecimal digits, 0 when the first is no digit.
    static char HexCode(char first, char second) {
        const int high = DigitValue(first, 16);
        if (high < 0) {
            return '\0';
        }
        const int low = DigitValue(second, 16);
        return static_cast<char>(low < 0 ? high : high * 16 + low);
    }

    std::string_view text_;
    Sink& sink_;
    std::size_t at_ = 0;
    bool referenceOpen_ = false;
    std::string name_;
};

}  // namespace gleanwork
