#pragma once

#include <sqlite3.h>

#include <string>

#include "base/OwnedHandle.h"

namespace gleanwork {

using SqliteConnection = OwnedHandle<sqlite3, sqlite3_close_v2>;

// Opens (or makes) the SQLite file at `path` for reading and writing, for use
// by one thread at a time. On failure the handle is empty and `reason` says
// why, without the path.
SqliteConnection OpenSqliteFile(const std::string& path, std::string& reason);

}  // namespace gleanwork
