#pragma once

#include <cstdio>
#include <memory>

namespace gleanwork {

// Closes a C stream when it goes.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// An open C stream, or none; closed by its destructor.
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace gleanwork
