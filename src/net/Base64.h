#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// The Base64 form of `bytes` (standard alphabet, "=" padding, no line
// breaks). Its size is the number of characters written.
std::string EncodeBase64(std::string_view bytes);

}  // namespace gleanwork
