#include "engine/ArgumentExpansion.h"

#include <algorithm>

#include "base/TextScan.h"
#include "engine/ValueFilter.h"

namespace gleanwork {

namespace {

// The value of one hexadecimal digit, or -1 for any other character.
int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The code that the two characters after "\x" spell: their leading
// hexadecimal digits, 0 when the first is no digit.
char HexCode(char first, char second) {
    const int high = HexDigitValue(first);
    if (high < 0) {
        return '\0';
    }
    const int low = HexDigitValue(second);
    return static_cast<char>(low < 0 ? high : high * 16 + low);
}

// Reads the left-to-right expansion; `at` is the index of the next character.
class Expansion {
public:
    Expansion(std::string_view text, const VariableTable& variables, std::string& result)
        : text_(text), variables_(variables), result_(result) {}

    bool Run() {
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '\\') {
                Escape();
            } else if (!referenceOpen_) {
                CopyPlainText(c);
            } else if (c == '}') {
                CloseReference();
            } else if (c == '{') {
                GiveReferenceUp();
            } else {
                name_.push_back(c);
            }
        }
        if (referenceOpen_) {
            result_.push_back('{');
            result_.append(name_);
        }
        return lookedUp_;
    }

private:
    // Copies `c` and the plain run after it up to the next "{" or backslash.
    void CopyPlainText(char c) {
        if (c == '{') {
            referenceOpen_ = true;
            name_.clear();
            return;
        }
        const auto begin = text_.begin() + static_cast<std::ptrdiff_t>(at_);
        const auto end =
            std::find_if(begin, text_.end(), [](char next) { return next == '{' || next == '\\'; });
        result_.push_back(c);
        result_.append(begin, end);
        at_ += static_cast<std::size_t>(end - begin);
    }

    void Escape() {
        if (at_ >= text_.size()) {
            return;  // a backslash at the very end is dropped
        }
        const char c = text_[at_++];
        switch (c) {
            case 'n':
                result_.push_back('\n');
                break;
            case 'r':
                result_.push_back('\r');
                break;
            case 't':
                result_.push_back('\t');
                break;
            case 'x':
                if (text_.size() - at_ >= 2) {
                    result_.push_back(HexCode(text_[at_], text_[at_ + 1]));
                    at_ += 2;
                }
                break;
            default:
                result_.push_back(c);
                break;
        }
    }

    void CloseReference() {
        referenceOpen_ = false;
        lookedUp_ = true;
        const std::string_view name = TrimWhitespace(name_);
        const auto found = variables_.find(name);
        if (found != variables_.end()) {
            result_.append(found->second);
        } else if (const std::size_t bar = name.find('|'); bar != std::string_view::npos) {
            AppendFiltered(TrimWhitespace(name.substr(0, bar)), name.substr(bar + 1));
        }
    }

    // A reference with filters: the variable's value (empty when there is no
    // such variable) through the filters; nothing when a filter is unknown.
    void AppendFiltered(std::string_view name, std::string_view filters) {
        const auto found = variables_.find(name);
        std::string value = found == variables_.end() ? std::string() : found->second;
        if (ApplyValueFilters(filters, value)) {
            result_.append(value);
        }
    }

    void GiveReferenceUp() {
        result_.push_back('{');
        result_.append(name_);
        name_.clear();
    }

    std::string_view text_;
    const VariableTable& variables_;
    std::string& result_;
    std::size_t at_ = 0;
    bool referenceOpen_ = false;
    bool lookedUp_ = false;
    std::string name_;
};

}  // namespace

bool AppendExpansion(std::string_view text, const VariableTable& variables, std::string& result) {
    return Expansion(text, variables, result).Run();
}

}  // namespace gleanwork
