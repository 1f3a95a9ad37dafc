#include "script/ScriptChecker.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/TextScan.h"
#include "script/ArgumentExpansion.h"
#include "script/CommandTable.h"
#include "script/ScriptLine.h"
#include "script/ValueFilter.h"

namespace gleanwork {

namespace {

// Edits (insertions, deletions, substitutions) that turn `word` into
// `keyword`, letter case ignored.
std::size_t EditDistance(std::string_view word, std::string_view keyword) {
    std::vector<std::size_t> row(keyword.size() + 1);
    for (std::size_t j = 0; j < row.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= word.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= keyword.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t substitution =
                diagonal + (ToUpperAscii(word[i - 1]) == ToUpperAscii(keyword[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row.back();
}

// Of `names`, the one nearest to `word`, or empty text when none is near
// enough to be a likely misspelling.
template <typename Names>
std::string_view Nearest(std::string_view word, const Names& names) {
    std::string_view nearest;
    std::size_t best = word.size() / 2 + 1;  // more edits than this is no misspelling
    for (const std::string_view name : names) {
        const std::size_t distance = EditDistance(word, name);
        if (distance < best) {
            best = distance;
            nearest = name;
        }
    }
    return nearest;
}

// "; did you mean NAME?" for the nearest of `names`, or nothing.
std::string Suggestion(std::string_view nearest) {
    return nearest.empty() ? std::string() : "; did you mean " + std::string(nearest) + "?";
}

std::string Quoted(std::string_view text) {
    std::string result = "\"";
    result.append(text);
    result.push_back('"');
    return result;
}

// A script line as the checker sees it.
struct CheckedLine {
    std::size_t number = 0;
    std::string_view text;
    std::string_view keyword;      // before the first space
    std::string_view rawArgument;  // after it, trimmed, still quoted
    ScriptLine parsed;
};

CheckedLine SplitLine(std::size_t number, std::string_view text) {
    CheckedLine line{number, text, text, {}, ParseScriptLine(text)};
    const std::size_t space = text.find(' ');
    if (space != std::string_view::npos) {
        line.keyword = text.substr(0, space);
        line.rawArgument = TrimWhitespace(text.substr(space + 1));
    }
    return line;
}

// The names a text refers to and how its braces fail to balance, read as
// argument expansion reads them.
struct References {
    std::vector<std::string> names;
    bool braceInsideReference = false;
    bool unclosedBrace = false;
};

References ReadReferences(std::string_view text) {
    References found;
    bool open = false;
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            i += i + 1 < text.size() && text[i + 1] == 'x' ? 3 : 1;
        } else if (c == '{') {
            found.braceInsideReference = found.braceInsideReference || open;
            open = true;
            name.clear();
        } else if (c == '}' && open) {
            open = false;
            found.names.emplace_back(TrimWhitespace(name));
        } else if (open) {
            name.push_back(c);
        }
    }
    found.unclosedBrace = open;
    return found;
}

// The value an argument has whatever the variables are, or false.
bool ConstantValue(std::string_view argument, std::string& value) {
    static const VariableTable kNoVariables;
    value.clear();
    return !AppendExpansion(argument, kNoVariables, value);
}

bool IsWholeNumber(std::string_view text) {
    text = TrimWhitespace(text);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class Checker {
public:
    Checker(const std::vector<std::string>& script, std::span<const std::size_t> numbers) {
        for (std::size_t i = 0; i < script.size(); ++i) {
            lines_.push_back(SplitLine(numbers.empty() ? i + 1 : numbers[i], script[i]));
        }
    }

    std::vector<ScriptMessage> Run() {
        CollectBookmarksAndSaves();
        for (const CheckedLine& line : lines_) {
            if (line.parsed.command == ScriptCommand::kUnknown) {
                CheckUnknown(line);
            } else {
                CheckArgument(line, InfoOf(line.parsed.command));
            }
        }
        std::stable_sort(
            messages_.begin(), messages_.end(),
            [](const ScriptMessage& a, const ScriptMessage& b) { return a.line < b.line; });
        return std::move(messages_);
    }

private:
    void Add(const CheckedLine& line, std::string message) {
        messages_.push_back({line.number, std::move(message)});
    }

    void CollectBookmarksAndSaves() {
        std::string value;
        for (const CheckedLine& line : lines_) {
            std::string_view name;
            if (ReadBookmarkName(line.text, name)) {
                const auto [first, isNew] = bookmarks_.emplace(name, line.number);
                if (!isNew) {
                    Add(line, "bookmark " + Quoted(name) + " is also set on line " +
                                  std::to_string(first->second) + ", where jumps go");
                }
            } else if (line.parsed.command != ScriptCommand::kUnknown &&
                       InfoOf(line.parsed.command).argument == ArgumentKind::kVariable) {
                if (ConstantValue(line.parsed.argument, value)) {
                    saved_.insert(value);
                } else {
                    savesVary_ = true;
                }
            }
        }
    }

    void CheckUnknown(const CheckedLine& line) {
        if (line.text.empty()) {
            return Add(line, "empty line: no command");
        }
        if (line.keyword.empty()) {
            return Add(line, "the line begins with a space, so it names no command");
        }
        const std::size_t tab = line.keyword.find('\t');
        if (tab != std::string_view::npos && line.keyword.substr(0, tab).size() > 0) {
            const std::string_view word = line.keyword.substr(0, tab);
            const std::string_view nearest = NearestKeyword(word);
            if (!nearest.empty() && EditDistance(word, nearest) == 0) {
                return Add(line, "a tab follows " + std::string(nearest) +
                                     ": only a space separates a command from its argument");
            }
        }
        Add(line,
            "unknown command " + Quoted(line.keyword) + Suggestion(NearestKeyword(line.keyword)));
    }

    void CheckArgument(const CheckedLine& line, const CommandInfo& info) {
        const std::string keyword(info.keyword);
        if (info.argument == ArgumentKind::kNone) {
            if (!line.rawArgument.empty()) {
                Add(line, keyword + " takes no argument; " + Quoted(line.parsed.argument) +
                              " is ignored");
            }
            return;
        }
        if (line.rawArgument.empty()) {
            if (info.need == ArgumentNeed::kRequired) {
                Add(line, keyword + " needs an argument: " + std::string(FullForm(info)));
            }
            return;
        }
        if (info.argument == ArgumentKind::kBookmarkName) {
            return;  // a bookmark's name is taken as it stands
        }
        CheckQuotes(line);
        CheckReferences(line, line.parsed.argument);
        if (line.parsed.body) {
            CheckReferences(line, *line.parsed.body);
        }
        CheckValue(line, info);
    }

    void CheckQuotes(const CheckedLine& line) {
        const std::string_view raw = line.rawArgument;
        const bool opens = raw.front() == '"';
        const bool closes = raw.size() > 1 && raw.back() == '"' && raw[raw.size() - 2] != '\\';
        if (opens && !(raw.size() > 1 && raw.back() == '"')) {
            Add(line, "missing closing quote: the argument loses its last character");
        } else if (!opens && closes) {
            Add(line, "closing quote without an opening one: the quote is part of the argument");
        }
    }

    void CheckReferences(const CheckedLine& line, std::string_view text) {
        const References references = ReadReferences(text);
        if (references.braceInsideReference) {
            Add(line, "\"{\" inside a reference: the text before it stays as it is");
        }
        if (references.unclosedBrace) {
            Add(line, "\"{\" without a closing \"}\": it stays as it is");
        }
        if (savesVary_) {
            return;
        }
        for (const std::string& name : references.names) {
            const std::string_view variable = VariableRead(name);
            if (!saved_.contains(variable)) {
                Add(line, "variable " + Quoted(variable) + " is read but never saved");
            }
            if (variable != name) {
                CheckFilters(line, name, name.substr(name.find('|') + 1));
            }
        }
    }

    // A reference with a filter that does not exist expands to nothing.
    void CheckFilters(const CheckedLine& line, std::string_view reference,
                      std::string_view filters) {
        static const std::vector<std::string_view> kNames = ValueFilterNames();
        for (std::size_t start = 0; start <= filters.size();) {
            const std::size_t bar = std::min(filters.find('|', start), filters.size());
            const std::string_view filter = TrimWhitespace(filters.substr(start, bar - start));
            if (std::none_of(kNames.begin(), kNames.end(), [filter](std::string_view name) {
                    return EditDistance(filter, name) == 0;
                })) {
                Add(line, "unknown filter " + Quoted(filter) + ": {" + std::string(reference) +
                              "} gives nothing" + Suggestion(Nearest(filter, kNames)));
            }
            start = bar + 1;
        }
    }

    // A reference with value filters reads the variable named before its
    // first "|", unless a SAVETO used the whole reference as a name.
    std::string_view VariableRead(std::string_view name) const {
        const std::size_t bar = name.find('|');
        if (bar == std::string_view::npos || saved_.contains(name)) {
            return name;
        }
        return TrimWhitespace(name.substr(0, bar));
    }

    void CheckValue(const CheckedLine& line, const CommandInfo& info) {
        std::string value;
        if (!ConstantValue(line.parsed.argument, value)) {
            return;
        }
        if (info.argument == ArgumentKind::kNumber && !IsWholeNumber(value)) {
            Add(line, Quoted(value) + " is not a whole number; it counts as " +
                          std::to_string(ReadDecimal(value)));
        } else if (info.argument == ArgumentKind::kBookmark && !bookmarks_.contains(value)) {
            Add(line, "no bookmark " + Quoted(value) + " in the script");
        }
    }

    std::vector<CheckedLine> lines_;
    std::map<std::string, std::size_t, std::less<>> bookmarks_;
    std::set<std::string, std::less<>> saved_;
    bool savesVary_ = false;
    std::vector<ScriptMessage> messages_;
};

}  // namespace

std::vector<ScriptMessage> CheckScript(const std::vector<std::string>& script,
                                       std::span<const std::size_t> numbers) {
    return Checker(script, numbers).Run();
}

std::string_view NearestKeyword(std::string_view word) {
    std::vector<std::string_view> keywords;
    for (const CommandInfo& info : kScriptCommands) {
        keywords.push_back(info.keyword);
    }
    return Nearest(word, keywords);
}

}  // namespace gleanwork
