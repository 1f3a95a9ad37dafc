#include "engine/InterpreterCaseFile.h"

#include <cctype>
#include <set>
#include <sstream>
#include <string_view>

#include "support/TempFolder.h"

namespace gleanwork::test {

namespace {

constexpr std::string_view kCaseHeader = "=== ";
constexpr std::string_view kSectionHeader = "--- ";
constexpr std::string_view kComment = "##";
constexpr std::string_view kEscaped = " escaped";

int HexValue(char c) {
    return std::isdigit(static_cast<unsigned char>(c))
               ? c - '0'
               : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\' || at + 1 == text.size()) {
            out.push_back(text[at]);
            continue;
        }
        const char c = text[++at];
        if (c == 'x' && at + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[at + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[at + 2]))) {
            out.push_back(static_cast<char>(HexValue(text[at + 1]) * 16 + HexValue(text[at + 2])));
            at += 2;
        } else {
            const std::string_view from = "nrt0\\";
            const std::string_view to("\n\r\t\0\\", 5);
            const std::size_t known = from.find(c);
            out.push_back(known == std::string_view::npos ? c : to[known]);
        }
    }
    return out;
}

// The lines of one section, until the next header.
struct Section {
    std::string name;
    bool escaped = false;
    std::vector<std::string> lines;

    std::string Text() const {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            text += (i == 0 ? "" : "\n") + lines[i];
        }
        return escaped ? Unescape(text) : text;
    }

    std::vector<std::string> Lines() const {
        if (!escaped) {
            return lines;
        }
        std::vector<std::string> unescaped;
        for (const std::string& line : lines) {
            unescaped.push_back(Unescape(line));
        }
        return unescaped;
    }
};

class CaseReader {
public:
    explicit CaseReader(std::vector<std::string>& errors) : errors_(errors) {}

    void Read(const std::string& content) {
        std::istringstream stream(content);
        std::string line;
        while (std::getline(stream, line)) {
            ++lineNumber_;
            ReadLine(line);
        }
        FinishCase();
    }

    std::vector<InterpreterCase> cases;

private:
    void ReadLine(const std::string& line) {
        if (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
            Error("trailing white space");
        }
        if (line.starts_with(kComment)) {
            return;
        }
        if (line.starts_with(kCaseHeader)) {
            FinishCase();
            current_ = InterpreterCase{};
            current_.name = line.substr(kCaseHeader.size());
            current_.line = lineNumber_;
            inCase_ = true;
        } else if (line.starts_with(kSectionHeader) && inCase_) {
            FinishSection();
            section_ = Section{};
            section_.name = line.substr(kSectionHeader.size());
            if (section_.name.ends_with(kEscaped)) {
                section_.escaped = true;
                section_.name.resize(section_.name.size() - kEscaped.size());
            }
            inSection_ = true;
        } else if (inSection_) {
            section_.lines.push_back(line);
        } else if (!line.empty()) {
            Error("text outside a section");
        }
    }

    void FinishSection() {
        if (!inSection_) {
            return;
        }
        inSection_ = false;
        while (!section_.lines.empty() && section_.lines.back().empty()) {
            section_.lines.pop_back();
        }
        const std::string& name = section_.name;
        if (name == "script") {
            current_.script = section_.Lines();
        } else if (name == "source") {
            current_.source = section_.Text();
        } else if (name == "log") {
            current_.log = section_.Lines();
        } else if (name == "output") {
            current_.output = section_.Text();
        } else if (name == "dbinsert") {
            current_.dbInsert = section_.Text();
        } else if (name == "dbupdate") {
            current_.dbUpdate = section_.Text();
        } else {
            Error("unknown section '" + name + "'");
        }
    }

    void FinishCase() {
        FinishSection();
        if (!inCase_) {
            return;
        }
        inCase_ = false;
        if (!names_.insert(TestNameOf(current_.name)).second) {
            Error("duplicate case name '" + current_.name + "'");
        }
        cases.push_back(current_);
    }

    void Error(const std::string& what) {
        errors_.push_back("line " + std::to_string(lineNumber_) + ": " + what);
    }

    std::vector<std::string>& errors_;
    int lineNumber_ = 0;
    bool inCase_ = false;
    bool inSection_ = false;
    InterpreterCase current_;
    Section section_;
    std::set<std::string> names_;
};

}  // namespace

std::vector<InterpreterCase> ReadInterpreterCases(const std::string& path,
                                                  std::vector<std::string>& errors) {
    const std::string content = ReadFile(path);
    if (content.empty()) {
        errors.push_back("cannot read " + path);
        return {};
    }
    CaseReader reader(errors);
    reader.Read(content);
    return reader.cases;
}

std::string TestNameOf(const std::string& name) {
    std::string result;
    for (const char c : name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) != 0;
        if (plain) {
            result.push_back(c);
        } else if (!result.empty() && result.back() != '_') {
            result.push_back('_');
        }
    }
    while (!result.empty() && result.back() == '_') {
        result.pop_back();
    }
    return result.empty() ? "unnamed" : result;
}

}  // namespace gleanwork::test
