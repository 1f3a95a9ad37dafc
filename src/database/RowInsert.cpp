#include "database/RowInsert.h"

#include <algorithm>
#include <array>

namespace gleanwork {

namespace {

enum class TokenKind { kWord, kQuotedName, kString, kNumber, kPlaceholder, kSymbol };

struct Token {
    TokenKind kind;
    std::size_t begin;
    std::size_t end;
};

// The symbols a RowInsert may hold; any other operator or punctuation makes
// the text none.
constexpr std::array<std::string_view, 10> kSymbols = {"(", ")", ",",  ";",  ".",
                                                       "[", "]", "::", "||", "-"};
constexpr std::string_view kOperatorCharacters = "+-*/<>=~!@#%^&|`?";

bool IsWordStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsWordPart(unsigned char c) {
    return IsWordStart(c) || IsDigit(static_cast<char>(c)) || c == '$';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The end of the quoted text that starts at `at` with `quote`, a doubled
// quote standing for itself; npos when it is not closed.
std::size_t QuotedEnd(std::string_view sql, std::size_t at, char quote) {
    for (std::size_t i = at + 1; i < sql.size(); ++i) {
        if (sql[i] != quote) {
            continue;
        }
        if (i + 1 < sql.size() && sql[i + 1] == quote) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}

std::size_t NumberEnd(std::string_view sql, std::size_t at) {
    std::size_t i = at;
    while (i < sql.size() && (IsDigit(sql[i]) || sql[i] == '.')) {
        ++i;
    }
    if (i < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
        std::size_t exponent = i + 1;
        if (exponent < sql.size() && (sql[exponent] == '+' || sql[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < sql.size() && IsDigit(sql[exponent])) {
            i = exponent;
            while (i < sql.size() && IsDigit(sql[i])) {
                ++i;
            }
        }
    }
    return i;
}

// The token that starts at `at`, or nothing when the text there is none a
// RowInsert may hold.
std::optional<Token> ReadToken(std::string_view sql, std::size_t at) {
    const unsigned char c = static_cast<unsigned char>(sql[at]);
    auto token = [&](TokenKind kind, std::size_t end) -> std::optional<Token> {
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        return Token{kind, at, end};
    };
    if (IsWordStart(c)) {
        std::size_t end = at + 1;
        while (end < sql.size() && IsWordPart(static_cast<unsigned char>(sql[end]))) {
            ++end;
        }
        return token(TokenKind::kWord, end);
    }
    if (c == '"') {
        return token(TokenKind::kQuotedName, QuotedEnd(sql, at, '"'));
    }
    if (c == '\'') {
        const std::size_t end = QuotedEnd(sql, at, '\'');
        // Whether a backslash escapes depends on a server setting.
        if (end == std::string_view::npos || sql.substr(at, end - at).find('\\') != sql.npos) {
            return std::nullopt;
        }
        return token(TokenKind::kString, end);
    }
    if (IsDigit(static_cast<char>(c)) ||
        (c == '.' && at + 1 < sql.size() && IsDigit(sql[at + 1]))) {
        return token(TokenKind::kNumber, NumberEnd(sql, at));
    }
    if (c == '$' && at + 1 < sql.size() && IsDigit(sql[at + 1])) {
        std::size_t end = at + 1;
        while (end < sql.size() && IsDigit(sql[end])) {
            ++end;
        }
        return token(TokenKind::kPlaceholder, end);
    }
    // Operator characters run together into one operator, as the server
    // reads them; "--" and "/*" begin comments.
    std::size_t end = at;
    while (end < sql.size() && kOperatorCharacters.find(sql[end]) != std::string_view::npos) {
        ++end;
    }
    if (end == at) {
        end = sql.substr(at, 2) == "::" ? at + 2 : at + 1;
    }
    const std::string_view symbol = sql.substr(at, end - at);
    if (std::find(kSymbols.begin(), kSymbols.end(), symbol) == kSymbols.end()) {
        return std::nullopt;
    }
    return token(TokenKind::kSymbol, end);
}

std::optional<std::vector<Token>> Tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    while (at < sql.size()) {
        if (IsSpace(sql[at])) {
            ++at;
            continue;
        }
        const std::optional<Token> token = ReadToken(sql, at);
        if (!token) {
            return std::nullopt;
        }
        tokens.push_back(*token);
        at = token->end;
    }
    return tokens;
}

bool SameWord(std::string_view text, std::string_view upper) {
    return std::equal(text.begin(), text.end(), upper.begin(), upper.end(), [](char a, char b) {
        return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b;
    });
}

// Reads the tokens of one statement in order.
class TokenReader {
public:
    TokenReader(std::string_view sql, std::vector<Token> tokens)
        : sql_(sql), tokens_(std::move(tokens)) {}

    bool AtEnd() const { return at_ == tokens_.size(); }
    std::size_t Position() const { return at_; }
    const Token& At(std::size_t index) const { return tokens_[index]; }
    std::string_view Text(const Token& token) const {
        return sql_.substr(token.begin, token.end - token.begin);
    }

    // Each takes the next token when it is what it names.
    bool Word(std::string_view upper) { return Take(TokenKind::kWord, upper); }
    bool Symbol(std::string_view symbol) { return Take(TokenKind::kSymbol, symbol); }
    bool Kind(TokenKind kind) {
        if (AtEnd() || tokens_[at_].kind != kind) {
            return false;
        }
        ++at_;
        return true;
    }
    bool Name() { return Kind(TokenKind::kWord) || Kind(TokenKind::kQuotedName); }

    // name [. name ...]
    bool QualifiedName() {
        if (!Name()) {
            return false;
        }
        while (Symbol(".")) {
            if (!Name()) {
                return false;
            }
        }
        return true;
    }
    // ( name, ... )
    bool NameList() {
        if (!Symbol("(") || !Name()) {
            return false;
        }
        while (Symbol(",")) {
            if (!Name()) {
                return false;
            }
        }
        return Symbol(")");
    }
    // A type after "::" or AS: words, then sizes in parentheses, then
    // array brackets.
    bool TypeName() {
        if (!QualifiedName()) {
            return false;
        }
        while (QualifiedName()) {
        }
        if (Symbol("(")) {
            do {
                if (!Kind(TokenKind::kNumber)) {
                    return false;
                }
            } while (Symbol(","));
            if (!Symbol(")")) {
                return false;
            }
        }
        while (Symbol("[")) {
            Kind(TokenKind::kNumber);
            if (!Symbol("]")) {
                return false;
            }
        }
        return true;
    }
    // One value of the row, or a piece of one: a placeholder, a constant,
    // a parenthesis, a concatenation, a sign or a cast.
    bool ValuePiece() {
        if (Kind(TokenKind::kPlaceholder) || Kind(TokenKind::kString) || Kind(TokenKind::kNumber)) {
            return true;
        }
        if (Symbol("(") || Symbol(")") || Symbol(",") || Symbol("||") || Symbol("-")) {
            return true;
        }
        if (Symbol("::") || Word("AS")) {
            return TypeName();
        }
        if (Word("CAST")) {
            return !AtEnd() && Text(tokens_[at_]) == "(";
        }
        return Word("NULL") || Word("TRUE") || Word("FALSE") || Word("DEFAULT");
    }

    // The index of the parenthesis that closes the one at the reader.
    std::optional<std::size_t> ClosingParenthesis() const {
        int depth = 0;
        for (std::size_t i = at_; i < tokens_.size(); ++i) {
            const std::string_view text = Text(tokens_[i]);
            depth += text == "(" ? 1 : text == ")" ? -1 : 0;
            if (depth == 0) {
                return i;
            }
        }
        return std::nullopt;
    }

private:
    bool Take(TokenKind kind, std::string_view text) {
        if (AtEnd() || tokens_[at_].kind != kind) {
            return false;
        }
        const std::string_view found = Text(tokens_[at_]);
        if (kind == TokenKind::kWord ? !SameWord(found, text) : found != text) {
            return false;
        }
        ++at_;
        return true;
    }

    std::string_view sql_;
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

// [ON CONFLICT [(column, ...) | ON CONSTRAINT name] DO NOTHING] [;]
bool ReadTail(TokenReader& reader) {
    if (reader.Word("ON")) {
        if (!reader.Word("CONFLICT")) {
            return false;
        }
        if (reader.Word("ON")) {
            if (!reader.Word("CONSTRAINT") || !reader.Name()) {
                return false;
            }
        } else if (!reader.AtEnd() && reader.Text(reader.At(reader.Position())) == "(" &&
                   !reader.NameList()) {
            return false;
        }
        if (!reader.Word("DO") || !reader.Word("NOTHING")) {
            return false;
        }
    }
    reader.Symbol(";");
    return reader.AtEnd();
}

// The most placeholders one statement may have.
constexpr std::size_t kMostPlaceholders = 65535;

// Splits the row's text at its placeholders; false when a placeholder's
// number is out of range.
bool SplitRow(std::string_view sql, const TokenReader& reader, std::size_t open, std::size_t close,
              RowInsert& insert) {
    std::size_t textStart = reader.At(open).begin;
    for (std::size_t i = open; i < close; ++i) {
        const Token& token = reader.At(i);
        if (token.kind != TokenKind::kPlaceholder) {
            continue;
        }
        insert.rowText.emplace_back(sql.substr(textStart, token.begin - textStart));
        std::size_t number = 0;
        for (const char digit : reader.Text(token).substr(1)) {
            number = number * 10 + static_cast<std::size_t>(digit - '0');
            if (number > kMostPlaceholders) {
                return false;
            }
        }
        insert.rowPlaceholders.push_back(number);
        insert.parameters = std::max(insert.parameters, number);
        textStart = token.end;
    }
    insert.rowText.emplace_back(sql.substr(textStart, reader.At(close).end - textStart));
    return true;
}

}  // namespace

std::optional<RowInsert> ReadRowInsert(std::string_view sql) {
    std::optional<std::vector<Token>> tokens = Tokenize(sql);
    if (!tokens) {
        return std::nullopt;
    }
    TokenReader reader(sql, std::move(*tokens));
    RowInsert insert;
    if (!reader.Word("INSERT") || !reader.Word("INTO")) {
        return std::nullopt;
    }
    const std::size_t nameStart = reader.Position();
    if (!reader.QualifiedName()) {
        return std::nullopt;
    }
    const Token& nameEnd = reader.At(reader.Position() - 1);
    insert.table = sql.substr(reader.At(nameStart).begin, nameEnd.end - reader.At(nameStart).begin);
    if (!reader.Word("VALUES") && (!reader.NameList() || !reader.Word("VALUES"))) {
        return std::nullopt;
    }
    insert.head = sql.substr(0, reader.At(reader.Position() - 1).end);
    const std::size_t open = reader.Position();
    const std::optional<std::size_t> close = reader.ClosingParenthesis();
    if (!reader.Symbol("(") || !close) {
        return std::nullopt;
    }
    while (reader.Position() < *close) {
        if (!reader.ValuePiece()) {
            return std::nullopt;
        }
    }
    reader.Symbol(")");
    const std::size_t tailStart = reader.At(*close).end;
    if (!ReadTail(reader) || !SplitRow(sql, reader, open, *close, insert)) {
        return std::nullopt;
    }
    std::size_t tailEnd = reader.At(reader.Position() - 1).end;
    if (reader.Text(reader.At(reader.Position() - 1)) == ";") {
        tailEnd = reader.At(reader.Position() - 1).begin;
    }
    insert.tail = sql.substr(tailStart, tailEnd - tailStart);
    while (!insert.tail.empty() && IsSpace(insert.tail.back())) {
        insert.tail.pop_back();
    }
    return insert;
}

std::string ManyRowInsert(const RowInsert& insert, std::size_t rows) {
    std::string sql = insert.head;
    for (std::size_t row = 0; row < rows; ++row) {
        sql += row == 0 ? " " : ", ";
        for (std::size_t i = 0; i < insert.rowPlaceholders.size(); ++i) {
            sql += insert.rowText[i];
            sql += '$';
            sql += std::to_string(insert.rowPlaceholders[i] + row * insert.parameters);
        }
        sql += insert.rowText.back();
    }
    return sql + insert.tail;
}

}  // namespace gleanwork
