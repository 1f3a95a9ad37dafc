#include "watch/NameDigest.h"

#include "watch/ContentDigest.h"

namespace gleanwork {

std::string NameDigest(std::string_view name) {
    return Sha256Hex(name).substr(0, 8);
}

}  // namespace gleanwork
