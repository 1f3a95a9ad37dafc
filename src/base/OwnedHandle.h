#pragma once

#include <cstdio>
#include <memory>

namespace gleanwork {

// Releases an object of a C library with the function the library gives for
// it (`PQclear`, `SSL_free`, ...).
template <auto Release>
struct ReleaseWith {
    template <typename T>
    void operator()(T* object) const {
        Release(object);
    }
};

// An object of a C library, owned, released by `Release` when it goes.
template <typename T, auto Release>
using OwnedHandle = std::unique_ptr<T, ReleaseWith<Release>>;

// An open C stream, or none; closed by its destructor.
using FileStream = OwnedHandle<std::FILE, std::fclose>;

}  // namespace gleanwork
