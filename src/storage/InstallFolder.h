#pragma once

#include <string>

namespace gleanwork {

// The folder that holds AGENTS.INI and the Agents folder: GLEANWORK_INSTALLDIR
// when set and not empty, else $XDG_DATA_HOME/gleanwork, else
// $HOME/.local/share/gleanwork. Empty text when none of these can be formed.
std::string GetInstallFolder();

// `path` as the program uses it: a relative path is relative to the
// installation folder, whatever the working folder. An absolute or empty
// path, or any path when the folder is unknown, stays as it is.
std::string InInstallFolder(const std::string& path);

}  // namespace gleanwork
