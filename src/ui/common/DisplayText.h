#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace gleanwork {

// Stored values are 8-bit text. They are shown as UTF-8 when they are valid
// UTF-8, else byte for byte as Latin-1, so that every byte shows as some
// character.
QString ToDisplayText(std::string_view stored);

// The value to store for the text `shown` in a control that was loaded from
// `stored`: the stored bytes themselves while the text is unchanged (so a
// value that is not UTF-8 survives a visit), else the text as UTF-8.
std::string ToStoredText(const QString& shown, const std::string& stored);

}  // namespace gleanwork
