#include "support/CaseFile.h"

#include <algorithm>
#include <regex>
#include <sstream>

#include "support/TempFolder.h"

namespace gleanwork::test {

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::size_t known = at + 1 < text.size() && text[at] == '\\'
                                      ? std::string_view("nrt0x").find(text[++at])
                                      : std::string_view::npos - 1;
        if (known == 4 && at + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[at + 1])) != 0 &&
            std::isxdigit(static_cast<unsigned char>(text[at + 2])) != 0) {
            out.push_back(static_cast<char>(std::stoi(text.substr(at + 1, 2), nullptr, 16)));
            at += 2;
        } else {
            out.push_back(known < 4 ? std::string_view("\n\r\t\0", 4)[known] : text[at]);
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> Case::Lines(const std::string& section) const {
    const auto found = sections.find(section);
    return found == sections.end() ? std::vector<std::string>() : found->second;
}

std::vector<std::string> Case::Texts(const std::string& section) const {
    std::vector<std::string> texts;
    for (auto [at, end] = sections.equal_range(section); at != end; ++at) {
        std::string text;
        for (const std::string& each : at->second) {
            text += (&each == &at->second.front() ? "" : "\n") + each;
        }
        texts.push_back(text);
    }
    return texts;
}

std::string Case::Text(const std::string& section) const {
    const std::vector<std::string> texts = Texts(section);
    return texts.empty() ? std::string() : texts.front();
}

Table ReadTable(const std::string& path, const std::string& name,
                std::vector<std::string>& errors) {
    const CaseFile file = ReadCaseFile(path, {"rows"});
    errors.insert(errors.end(), file.errors.begin(), file.errors.end());
    const auto table = std::find_if(file.cases.begin(), file.cases.end(),
                                    [&name](const Case& each) { return each.name == name; });
    if (table == file.cases.end()) {
        errors.push_back(path + ": no table " + name);
        return {};
    }
    Table rows;
    for (const std::string& line : table->Lines("rows")) {
        std::vector<std::string>& fields = rows.emplace_back();
        for (std::size_t at = 0; at <= line.size();) {
            const std::size_t end = std::min(line.find("=>", at), line.size());
            const std::size_t first = line.find_first_not_of(' ', at);
            const std::size_t last = line.find_last_not_of(' ', end - 1);
            fields.push_back(first < end ? line.substr(first, last - first + 1) : "");
            at = end + 2;
        }
    }
    return rows;
}

CaseFile ReadCaseFile(const std::string& path, const std::set<std::string>& sections) {
    std::istringstream in(ReadFile(path));
    CaseFile file;
    std::vector<std::string>* section = nullptr;
    bool escaped = false;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = path + ":" + std::to_string(number);
        if (line.starts_with("=== ")) {
            file.cases.push_back({line.substr(4), where, {}});
            section = nullptr;
        } else if (line.starts_with("--- ") && !file.cases.empty()) {
            escaped = line.ends_with(" escaped");
            const std::string name = line.substr(4, line.size() - (escaped ? 12 : 4));
            if (sections.count(name) == 0) {
                file.errors.push_back(where + ": unknown section " + name);
            }
            section = &file.cases.back().sections.emplace(name, std::vector<std::string>())->second;
        } else if (section != nullptr && !line.starts_with("##")) {
            section->push_back(escaped ? Unescape(line) : line);
        } else if (!line.empty() && !line.starts_with("##")) {
            file.errors.push_back(where + ": text outside a section");
        }
    }
    if (file.cases.empty()) {
        file.errors.push_back(path + ": no cases");
    }
    for (Case& c : file.cases) {
        for (auto& [name, lines] : c.sections) {
            while (!lines.empty() && lines.back().empty()) {
                lines.pop_back();
            }
        }
    }
    return file;
}

std::string TestNameOf(const std::string& name) {
    const std::string joined = std::regex_replace(name, std::regex("[^A-Za-z0-9]+"), "_");
    const std::size_t first = joined.find_first_not_of('_');
    return first == std::string::npos
               ? ""
               : joined.substr(first, joined.find_last_not_of('_') - first + 1);
}

}  // namespace gleanwork::test
