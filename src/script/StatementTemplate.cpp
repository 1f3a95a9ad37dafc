#include "script/StatementTemplate.h"

#include "script/ExpansionReader.h"

namespace gleanwork {

namespace {

// Builds the SQL text from what ExpansionReader hands over, following single
// quotes to know whether a reference stands inside a quoted SQL text.
class StatementBuilder {
public:
    StatementBuilder(const PlaceholderWriter& appendPlaceholder, ParameterizedStatement& statement)
        : appendPlaceholder_(appendPlaceholder), statement_(statement) {}

    void Text(std::string_view text) {
        for (const char c : text) {
            Character(c);
        }
    }

    void Reference(std::string_view name) {
        if (closingQuote_) {
            EndQuotedText();
        }
        if (!inQuotes_) {
            AppendParameter(name);
            return;
        }
        FlushQuotedRun();
        pieces_.push_back(Piece{true, std::string(name)});
    }

    // Ends the statement; a quoted text left open stays as it was written.
    void Finish() {
        if (closingQuote_) {
            EndQuotedText();
        } else if (inQuotes_) {
            FlushQuotedRun();
            statement_.sql += '\'';
            for (const Piece& piece : pieces_) {
                if (piece.reference) {
                    AppendParameter(piece.text);
                } else {
                    statement_.sql += piece.text;
                }
            }
        }
    }

private:
    // A run of quoted text (as written, doubled quotes included) or a
    // reference's name.
    struct Piece {
        bool reference;
        std::string text;
    };

    void Character(char c) {
        if (!inQuotes_) {
            if (c == '\'') {
                inQuotes_ = true;
                pieces_.clear();
                run_.clear();
            } else {
                statement_.sql += c;
            }
            return;
        }
        if (c != '\'') {
            if (closingQuote_) {
                EndQuotedText();
                return Character(c);
            }
            run_ += c;
        } else if (closingQuote_) {
            run_ += "''";  // a doubled quote stands for one quote inside the text
            closingQuote_ = false;
        } else {
            closingQuote_ = true;
        }
    }

    void FlushQuotedRun() {
        if (!run_.empty()) {
            pieces_.push_back(Piece{false, run_});
            run_.clear();
        }
    }

    // Writes the quoted text just closed: as it was when it holds no
    // reference, as one placeholder when it is one reference, else as a
    // concatenation of its runs and its references.
    void EndQuotedText() {
        inQuotes_ = false;
        closingQuote_ = false;
        FlushQuotedRun();
        if (pieces_.size() == 1 && pieces_[0].reference) {
            AppendParameter(pieces_[0].text);
            return;
        }
        const bool concatenation = pieces_.size() > 1;
        statement_.sql += concatenation ? "(" : "'";
        for (std::size_t index = 0; index < pieces_.size(); ++index) {
            const Piece& piece = pieces_[index];
            if (index > 0) {
                statement_.sql += " || ";
            }
            if (piece.reference) {
                statement_.sql += "CAST(";
                AppendParameter(piece.text);
                statement_.sql += " AS TEXT)";
            } else {
                statement_.sql += concatenation ? "'" + piece.text + "'" : piece.text;
            }
        }
        statement_.sql += concatenation ? ")" : "'";
    }

    void AppendParameter(std::string_view name) {
        statement_.names.emplace_back(name);
        appendPlaceholder_(statement_.names.size(), statement_.sql);
    }

    const PlaceholderWriter& appendPlaceholder_;
    ParameterizedStatement& statement_;
    bool inQuotes_ = false;
    bool closingQuote_ = false;  // a quote inside quotes: the end, or the first of a pair
    std::string run_;
    std::vector<Piece> pieces_;
};

}  // namespace

ParameterizedStatement ParameterizeStatement(std::string_view statementTemplate,
                                             const PlaceholderWriter& appendPlaceholder) {
    ParameterizedStatement statement;
    StatementBuilder builder(appendPlaceholder, statement);
    ExpansionReader(statementTemplate, builder).Run();
    builder.Finish();
    return statement;
}

}  // namespace gleanwork
