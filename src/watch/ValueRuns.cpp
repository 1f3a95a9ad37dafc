#include "watch/ValueRuns.h"

namespace gleanwork {

std::string ValueRunsText(const std::vector<int>& values, std::string_view through,
                          const std::function<std::string(int)>& name) {
    std::string text;
    for (std::size_t at = 0; at < values.size();) {
        std::size_t end = at;
        while (end + 1 < values.size() && values[end + 1] == values[end] + 1) {
            ++end;
        }
        text += (text.empty() ? "" : ",") + name(values[at]);
        if (end > at) {
            text += (end > at + 1 ? std::string(through) : ",") + name(values[end]);
        }
        at = end + 1;
    }
    return text;
}

}  // namespace gleanwork
