#pragma once

namespace gleanwork {

// The help page as HTML (UTF-8): how to use the program and the reference of
// the script language.
const char* HelpText();

}  // namespace gleanwork
