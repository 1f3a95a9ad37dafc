// Random scripts over random texts: every run must end normally, whatever
// the arguments, numbers, quotes, braces and bookmarks, and a run that loops
// must end once it is stopped. The library assertions of the test build
// catch any access outside the text.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/InterpreterRun.h"

namespace gleanwork {
namespace {

constexpr std::size_t kLineBudget = 2000;

const std::vector<std::string> kKeywords{
    "FIND",       "GET",          "GETTOKEN", "GETUNTIL", "SKIP",    "SKIPANY",
    "SKIPUNTIL",  "SKIPTOKEN",    "SAVETO",   "PRINT",    "PRINTLN", "CLEAR",
    "JUMPIFOK",   "JUMPIFFAILED", "BOOKMARK", "REWIND",   "MATCH",   "MATCHANY",
    "INSERTDATA", "UPDATEDATA",   "find",     "Rewind",   "NOPE",    ""};

const std::vector<std::string> kPieces{"a",
                                       "b",
                                       ",",
                                       " ",
                                       "\t",
                                       "\"",
                                       "{",
                                       "}",
                                       "\\",
                                       "\\x",
                                       "\\x4",
                                       "\\x41",
                                       "\\n",
                                       "{v}",
                                       "{ w }",
                                       "b1",
                                       "0",
                                       "1",
                                       "-1",
                                       "3",
                                       "99999999999999999999",
                                       "-99999999999999999999",
                                       "+2"};

std::string RandomText(std::mt19937& random, const std::string& alphabet, std::size_t maxLength) {
    std::string text(random() % (maxLength + 1), ' ');
    std::generate(text.begin(), text.end(), [&] { return alphabet[random() % alphabet.size()]; });
    return text;
}

std::string RandomLine(std::mt19937& random) {
    std::string line = kKeywords[random() % kKeywords.size()];
    if (random() % 4 != 0) {
        line += random() % 5 == 0 ? "  " : " ";
        for (std::size_t pieces = random() % 4; pieces > 0; --pieces) {
            line += kPieces[random() % kPieces.size()];
        }
    }
    return line;
}

TEST(InterpreterFuzzTest, EveryRandomRunEndsNormally) {
    std::mt19937 random(20261206);
    for (int run = 0; run < 600; ++run) {
        AgentDefinition agent;
        for (std::size_t lines = random() % 16; lines > 0; --lines) {
            agent.SCRIPT.push_back(RandomLine(random));
        }
        agent.DBINSERT = RandomText(random, "ab{v}\\ ", 12);
        const std::string text = RandomText(random, std::string("ab,{} \n\0", 9), 40);
        std::size_t logged = 0;
        const test::ScriptResult result =
            test::RunScriptOver(agent, text, [&](std::atomic<bool>& running) {
                if (++logged == kLineBudget) {
                    running = false;
                }
            });
        ASSERT_LE(result.log.size(), kLineBudget) << "run " << run;
        for (const std::string& line : result.log) {
            if (line.starts_with("# ")) {
                ASSERT_NE(std::find(agent.SCRIPT.begin(), agent.SCRIPT.end(), line.substr(2)),
                          agent.SCRIPT.end())
                    << "run " << run << ": echo of no script line: " << line;
            }
        }
    }
}

}  // namespace
}  // namespace gleanwork
