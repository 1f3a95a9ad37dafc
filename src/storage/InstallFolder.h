#pragma once

#include <string>

namespace gleanwork {

// The folder that holds AGENTS.INI and the Agents folder: GLEANWORK_INSTALLDIR
// when set and not empty, else $XDG_DATA_HOME/gleanwork, else
// $HOME/.local/share/gleanwork. Empty text when none of these can be formed.
std::string GetInstallFolder();

}  // namespace gleanwork
