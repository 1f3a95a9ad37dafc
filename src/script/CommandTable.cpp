#include "script/CommandTable.h"

namespace gleanwork {

std::string_view Placeholder(ArgumentKind kind) {
    switch (kind) {
        case ArgumentKind::kNone:
            return {};
        case ArgumentKind::kString:
            return "\"string\"";
        case ArgumentKind::kNumber:
            return "number";
        case ArgumentKind::kDelimiters:
            return "\"delimiters\"";
        case ArgumentKind::kCharacters:
            return "\"characters\"";
        case ArgumentKind::kVariable:
            return "varname";
        case ArgumentKind::kBookmark:
            return "bookmark";
        case ArgumentKind::kBookmarkName:
            return "name";
        case ArgumentKind::kAddress:
            return "\"address\"";
    }
    return {};
}

std::string FullForm(const CommandInfo& command) {
    std::string form(command.keyword);
    const std::string_view placeholder = Placeholder(command.argument);
    if (!placeholder.empty()) {
        form.append(" ").append(placeholder);
    }
    return form;
}

std::vector<std::string> TemplatesOf(const CommandInfo& command) {
    switch (command.forms) {
        case CommandForms::kNone:
            return {};
        case CommandForms::kFull:
            return {FullForm(command)};
        case CommandForms::kBareAndFull:
            return {std::string(command.keyword), FullForm(command)};
        case CommandForms::kAndBody:
            return {FullForm(command), FullForm(command).append(" ").append(kBodyPlaceholder)};
    }
    return {};
}

}  // namespace gleanwork
