#pragma once

#include <memory>
#include <string>

#include "database/Database.h"

namespace gleanwork {

// Opens (and creates when missing) the SQLite file at `path`; its Begin
// takes the file's write lock, which the transaction holds until Commit.
// Null, with `error` naming the file and the reason, when that fails.
std::unique_ptr<Database> OpenSqliteDatabase(const std::string& path, std::string& error);

}  // namespace gleanwork
