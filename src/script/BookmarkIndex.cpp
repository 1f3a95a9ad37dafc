#include "script/BookmarkIndex.h"

#include "script/ScriptLine.h"

namespace gleanwork {

BookmarkIndex::BookmarkIndex(const std::vector<std::string>& script) {
    for (std::size_t index = 0; index < script.size(); ++index) {
        std::string_view name;
        if (ReadBookmarkName(script[index], name)) {
            firstLines_.emplace(name, static_cast<std::int64_t>(index));  // keeps the first
        }
    }
}

std::int64_t BookmarkIndex::Find(std::string_view name) const {
    const auto found = firstLines_.find(name);
    return found == firstLines_.end() ? -1 : found->second;
}

}  // namespace gleanwork
