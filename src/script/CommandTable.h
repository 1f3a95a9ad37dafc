#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// What a command does with its argument. Each kind has a placeholder: the
// word that stands for the argument in the command's templates.
enum class ArgumentKind {
    kNone,          // the argument is ignored
    kString,        // "string": a text to search for, test or print
    kNumber,        // number: a decimal count of characters
    kDelimiters,    // "delimiters": the characters between tokens
    kCharacters,    // "characters": a set of characters
    kVariable,      // varname: the name of a variable
    kBookmark,      // bookmark: the name of the bookmark to jump to
    kBookmarkName,  // name: the name of this place, neither unquoted nor expanded
    kAddress,       // "address": a page's URL or file, or a link relative to the current page
};

// Which forms of a command the Actions page offers as templates.
enum class CommandForms {
    kNone,         // none: the command is typed by hand
    kFull,         // the keyword with its placeholder (alone when it takes none)
    kBareAndFull,  // the keyword alone, then with its placeholder
};

// Every command of the script language, one row each, in the order in which
// the Actions page lists their templates:
//
//   X(Name, "KEYWORD", argument kind, forms, "what it does", "status after it")
//
// Name gives the enumerator ScriptCommand::kName and the ScriptInterpreter
// member that executes the command. The two texts are the command's entry on
// the help page. Adding a command is one row here plus that member.
#define GLEANWORK_SCRIPT_COMMANDS(X)                                                               \
    X(Find, "FIND", kString, kFull,                                                                \
      "Moves the cursor just past the next occurrence of the string.", "OK if found")              \
    X(Get, "GET", kNumber, kFull, "Adds that many characters at the cursor to the data buffer.",   \
      "FAILED at the end of the text")                                                             \
    X(GetToken, "GETTOKEN", kDelimiters, kFull,                                                    \
      "Skips delimiters, then adds the token up to the next delimiter to the data buffer.",        \
      "OK if it moved and is not at the end")                                                      \
    X(GetUntil, "GETUNTIL", kString, kFull,                                                        \
      "Adds everything up to the next occurrence of the string to the data buffer; the cursor "    \
      "stops at the occurrence.",                                                                  \
      "OK if found")                                                                               \
    X(Skip, "SKIP", kNumber, kFull,                                                                \
      "Moves the cursor forward that many characters (not past the end).", "OK if it moved")       \
    X(SkipAny, "SKIPANY", kCharacters, kFull,                                                      \
      "Moves past every character that is one of the given characters.", "OK if it moved")         \
    X(SkipUntil, "SKIPUNTIL", kString, kFull,                                                      \
      "Moves the cursor to the start of the next occurrence of the string.", "OK if found")        \
    X(SkipToken, "SKIPTOKEN", kDelimiters, kFull,                                                  \
      "Moves past delimiters, then past the token that follows them.",                             \
      "OK if it moved and is not at the end")                                                      \
    X(SaveTo, "SAVETO", kVariable, kFull,                                                          \
      "Saves the data buffer in the variable varname and empties the buffer.", "unchanged")        \
    X(Print, "PRINT", kString, kBareAndFull,                                                       \
      "Without a string: writes the data buffer to the output and empties it. With one: writes "   \
      "the string to the output.",                                                                 \
      "unchanged")                                                                                 \
    X(PrintLn, "PRINTLN", kString, kFull, "Writes the string and a line end to the output.",       \
      "unchanged")                                                                                 \
    X(Clear, "CLEAR", kNone, kFull, "Empties the data buffer.", "unchanged")                       \
    X(JumpIfOk, "JUMPIFOK", kBookmark, kFull, "Goes on after the bookmark when the status is OK.", \
      "unchanged")                                                                                 \
    X(JumpIfFailed, "JUMPIFFAILED", kBookmark, kFull,                                              \
      "Goes on after the bookmark when the status is FAILED.", "unchanged")                        \
    X(Bookmark, "BOOKMARK", kBookmarkName, kFull, "Marks a place in the script that jumps go to.", \
      "unchanged")                                                                                 \
    X(Rewind, "REWIND", kNumber, kBareAndFull,                                                     \
      "Back to the start of the text, or that many characters back.", "OK")                        \
    X(Match, "MATCH", kString, kFull,                                                              \
      "Tests whether the text at the cursor begins with the string; the cursor stays.",            \
      "OK if it does")                                                                             \
    X(MatchAny, "MATCHANY", kCharacters, kFull,                                                    \
      "Tests whether the character after the cursor's one is one of the given characters.",        \
      "OK if it is")                                                                               \
    X(InsertData, "INSERTDATA", kNone, kNone,                                                      \
      "Writes the agent's SQL for INSERTDATA, with {name} replaced by variable values, to the "    \
      "run log, then runs it in the agent's database when it has a data source (see below).",      \
      "OK if it ran or there is no data source")                                                   \
    X(UpdateData, "UPDATEDATA", kNone, kNone, "The same with the agent's SQL for UPDATEDATA.",     \
      "as for INSERTDATA")                                                                         \
    X(Fetch, "FETCH", kAddress, kFull,                                                             \
      "Reads the page at the address (a link relative to the current page is resolved against "    \
      "it) in place of the text; the cursor goes to its start, variables stay.",                   \
      "OK if a page was read")                                                                     \
    X(Back, "BACK", kNone, kFull,                                                                  \
      "Returns to the page before the last FETCH, with the cursor where it was.",                  \
      "OK if there was one")

// The commands of the script language; kUnknown stands for every keyword
// that names none of them, the empty keyword included.
enum class ScriptCommand {
#define GLEANWORK_COMMAND_ENUMERATOR(name, ...) k##name,
    GLEANWORK_SCRIPT_COMMANDS(GLEANWORK_COMMAND_ENUMERATOR)
#undef GLEANWORK_COMMAND_ENUMERATOR
        kUnknown,
};

// One row of the command table.
struct CommandInfo {
    ScriptCommand command;
    std::string_view keyword;
    ArgumentKind argument;
    CommandForms forms;
    std::string_view meaning;
    std::string_view status;
};

inline constexpr std::array kScriptCommands{
#define GLEANWORK_COMMAND_ROW(name, keyword, argument, forms, meaning, status) \
    CommandInfo{ScriptCommand::k##name, keyword, ArgumentKind::argument,       \
                CommandForms::forms,    meaning, status},
    GLEANWORK_SCRIPT_COMMANDS(GLEANWORK_COMMAND_ROW)
#undef GLEANWORK_COMMAND_ROW
};

// The word that stands for an argument of `kind` in a template; empty for kNone.
std::string_view Placeholder(ArgumentKind kind);

// The command's keyword followed by a space and its placeholder, or the
// keyword alone when it takes no argument.
std::string FullForm(const CommandInfo& command);

// The templates of one command, in the Actions page's order: none, the full
// form, or the bare keyword and then the full form.
std::vector<std::string> TemplatesOf(const CommandInfo& command);

}  // namespace gleanwork
