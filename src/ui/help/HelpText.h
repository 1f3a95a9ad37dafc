#pragma once

#include <QString>

namespace gleanwork {

// The help page as HTML: how to use the program and the reference of
// the script language.
QString HelpText();

}  // namespace gleanwork
