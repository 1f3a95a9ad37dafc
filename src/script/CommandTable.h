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

// Whether a command needs its argument: the checker warns when a needed one
// is missing. A command that takes none has it optional.
enum class ArgumentNeed {
    kRequired,
    kOptional,
};

// Which forms of a command the Actions page offers as templates.
enum class CommandForms {
    kNone,         // none: the command is typed by hand
    kFull,         // the keyword with its placeholder (alone when it takes none)
    kBareAndFull,  // the keyword alone, then with its placeholder
    kAndBody,      // the full form, then with a second argument, "body"
};

// What a command does with the status: sets it, saying when it is OK, or
// leaves it as it was ("unchanged" on the help page).
struct StatusEffect {
    bool sets;
    std::string_view text;
};
constexpr StatusEffect SetsStatus(std::string_view whenOk) {
    return {true, whenOk};
}
inline constexpr StatusEffect kKeepsStatus{false, "unchanged"};

// Every command of the script language, one row each, in the order in which
// the Actions page lists their templates:
//
//   X(Name, "KEYWORD", argument kind, argument need, forms, status, "what it does")
//
// Name gives the enumerator ScriptCommand::kName and the ScriptInterpreter
// member that executes the command; the checker reads the argument's kind
// and need; the status says whether the interpreter sets it. The status's
// text and what the command does are its entry on the help page. Adding a
// command is one row here plus that member.
#define GLEANWORK_SCRIPT_COMMANDS(X)                                                      \
    X(Find, "FIND", kString, kRequired, kFull, SetsStatus("OK if found"),                 \
      "Moves the cursor just past the next occurrence of the string.")                    \
    X(Get, "GET", kNumber, kRequired, kFull, SetsStatus("FAILED at the end of the text"), \
      "Adds that many characters at the cursor to the data buffer.")                      \
    X(GetToken, "GETTOKEN", kDelimiters, kRequired, kFull,                                \
      SetsStatus("OK if it moved and is not at the end"),                                 \
      "Skips delimiters, then adds the token up to the next delimiter to the "            \
      "data buffer.")                                                                     \
    X(GetUntil, "GETUNTIL", kString, kRequired, kFull, SetsStatus("OK if found"),         \
      "Adds everything up to the next occurrence of the string to the data "              \
      "buffer; the cursor stops at the occurrence.")                                      \
    X(Skip, "SKIP", kNumber, kRequired, kFull, SetsStatus("OK if it moved"),              \
      "Moves the cursor forward that many characters (not past the end).")                \
    X(SkipAny, "SKIPANY", kCharacters, kRequired, kFull, SetsStatus("OK if it moved"),    \
      "Moves past every character that is one of the given characters.")                  \
    X(SkipUntil, "SKIPUNTIL", kString, kRequired, kFull, SetsStatus("OK if found"),       \
      "Moves the cursor to the start of the next occurrence of the string.")              \
    X(SkipToken, "SKIPTOKEN", kDelimiters, kRequired, kFull,                              \
      SetsStatus("OK if it moved and is not at the end"),                                 \
      "Moves past delimiters, then past the token that follows them.")                    \
    X(SaveTo, "SAVETO", kVariable, kRequired, kFull, kKeepsStatus,                        \
      "Saves the data buffer in the variable varname and empties the buffer.")            \
    X(Print, "PRINT", kString, kOptional, kBareAndFull, kKeepsStatus,                     \
      "Without a string: writes the data buffer to the output and empties it. "           \
      "With one: writes the string to the output.")                                       \
    X(PrintLn, "PRINTLN", kString, kOptional, kFull, kKeepsStatus,                        \
      "Writes the string and a line end to the output.")                                  \
    X(Clear, "CLEAR", kNone, kOptional, kFull, kKeepsStatus, "Empties the data buffer.")  \
    X(JumpIfOk, "JUMPIFOK", kBookmark, kRequired, kFull, kKeepsStatus,                    \
      "Goes on after the bookmark when the status is OK.")                                \
    X(JumpIfFailed, "JUMPIFFAILED", kBookmark, kRequired, kFull, kKeepsStatus,            \
      "Goes on after the bookmark when the status is FAILED.")                            \
    X(Bookmark, "BOOKMARK", kBookmarkName, kRequired, kFull, kKeepsStatus,                \
      "Marks a place in the script that jumps go to.")                                    \
    X(Rewind, "REWIND", kNumber, kOptional, kBareAndFull, SetsStatus("OK"),               \
      "Back to the start of the text, or that many characters back.")                     \
    X(Match, "MATCH", kString, kRequired, kFull, SetsStatus("OK if it does"),             \
      "Tests whether the text at the cursor begins with the string; the "                 \
      "cursor stays.")                                                                    \
    X(MatchAny, "MATCHANY", kCharacters, kRequired, kFull, SetsStatus("OK if it is"),     \
      "Tests whether the character after the cursor's one is one of the given "           \
      "characters.")                                                                      \
    X(InsertData, "INSERTDATA", kNone, kOptional, kNone,                                  \
      SetsStatus("OK if it ran or there is no data source"),                              \
      "Writes the agent's SQL for INSERTDATA, with {name} replaced by "                   \
      "variable values, to the run log, then runs it in the agent's database "            \
      "when it has a data source (see below).")                                           \
    X(UpdateData, "UPDATEDATA", kNone, kOptional, kNone, SetsStatus("as for INSERTDATA"), \
      "The same with the agent's SQL for UPDATEDATA.")                                    \
    X(Fetch, "FETCH", kAddress, kRequired, kAndBody, SetsStatus("OK if a page was read"), \
      "Reads the page at the address (a link relative to the current page is "            \
      "resolved against it) in place of the text; the cursor goes to its "                \
      "start, variables stay. With a body, posts it as a form "                           \
      "(name=value pairs joined by &, values written as {name|url}) and "                 \
      "reads the reply.")                                                                 \
    X(Back, "BACK", kNone, kOptional, kFull, SetsStatus("OK if there was one"),           \
      "Returns to the page before the last FETCH, with the cursor where it "              \
      "was.")

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
    ArgumentNeed need;
    CommandForms forms;
    StatusEffect status;
    std::string_view meaning;
};

inline constexpr std::array kScriptCommands{
#define GLEANWORK_COMMAND_ROW(name, keyword, argument, need, forms, status, meaning) \
    CommandInfo{ScriptCommand::k##name,                                              \
                keyword,                                                             \
                ArgumentKind::argument,                                              \
                ArgumentNeed::need,                                                  \
                CommandForms::forms,                                                 \
                status,                                                              \
                meaning},
    GLEANWORK_SCRIPT_COMMANDS(GLEANWORK_COMMAND_ROW)
#undef GLEANWORK_COMMAND_ROW
};

// The row of `command`, which is not kUnknown.
constexpr const CommandInfo& InfoOf(ScriptCommand command) {
    return kScriptCommands[static_cast<std::size_t>(command)];
}

// Whether a line of `command` may give a second argument, a body, after its
// first one in double quotes.
constexpr bool TakesBody(ScriptCommand command) {
    return command != ScriptCommand::kUnknown && InfoOf(command).forms == CommandForms::kAndBody;
}

// The word that stands for the second argument in a template.
inline constexpr std::string_view kBodyPlaceholder = "\"body\"";

// Whether `command` sets the status; kUnknown does not.
constexpr bool CommandSetsStatus(ScriptCommand command) {
    return command != ScriptCommand::kUnknown && InfoOf(command).status.sets;
}

// The word that stands for an argument of `kind` in a template; empty for kNone.
std::string_view Placeholder(ArgumentKind kind);

// The command's keyword followed by a space and its placeholder, or the
// keyword alone when it takes no argument.
std::string FullForm(const CommandInfo& command);

// The templates of one command, in the Actions page's order: none, the full
// form, the bare keyword and then the full form, or the full form and then
// the full form with a body.
std::vector<std::string> TemplatesOf(const CommandInfo& command);

}  // namespace gleanwork
