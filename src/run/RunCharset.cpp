#include "run/RunCharset.h"

#include "net/PageCharset.h"

namespace gleanwork {

void ApplyCharset(std::string& text, std::string_view contentType, std::string_view setting,
                  SourceLog* log) {
    if (setting.empty()) {
        return;
    }
    PageText page = DecodePage(text, contentType, setting);
    text = std::move(page.text);
    if (log != nullptr && !page.note.empty()) {
        log->LogLine(page.note);
    }
}

}  // namespace gleanwork
