// The fuzz dictionary of the interpreter offers every keyword of the command
// table, as a script line begins with it: followed by a space when the
// command takes an argument, and no keyword that the table lacks.
#include "script/CommandTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>

namespace gleanwork {
namespace {

// The dictionary's entries that are a keyword in upper case, bare or with a
// space after it, without their quotes.
std::set<std::string> KeywordEntries(const std::string& path) {
    std::ifstream dictionary(path);
    EXPECT_TRUE(dictionary.is_open()) << path;
    std::set<std::string> keywords;
    for (std::string line; std::getline(dictionary, line);) {
        if (line.size() < 3 || line.front() != '"' || line.back() != '"') {
            continue;
        }
        std::string entry = line.substr(1, line.size() - 2);
        const std::size_t letters = entry.ends_with(' ') ? entry.size() - 1 : entry.size();
        if (letters > 1 && std::all_of(entry.begin(), entry.begin() + letters,
                                       [](char c) { return c >= 'A' && c <= 'Z'; })) {
            keywords.insert(std::move(entry));
        }
    }
    return keywords;
}

TEST(CommandTable, TheInterpretersFuzzDictionaryOffersEveryKeyword) {
    std::set<std::string> expected;
    for (const CommandInfo& command : kScriptCommands) {
        const bool takesArgument = command.argument != ArgumentKind::kNone;
        expected.insert(std::string(command.keyword) + (takesArgument ? " " : ""));
    }
    EXPECT_EQ(KeywordEntries(GLEANWORK_FUZZ_DATA "/dict/Interpreter.dict"), expected);
}

}  // namespace
}  // namespace gleanwork
