#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// The first line of each bookmark name in a script, for jumps. Built once:
// a script does not change while it runs. The script must outlive the index.
class BookmarkIndex {
public:
    explicit BookmarkIndex(const std::vector<std::string>& script);

    // The index of the first BOOKMARK line that sets exactly `name`, or -1.
    std::int64_t Find(std::string_view name) const;

private:
    std::map<std::string_view, std::int64_t, std::less<>> firstLines_;
};

}  // namespace gleanwork
