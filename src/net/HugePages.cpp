#include "net/HugePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace gleanwork {

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

}  // namespace

void AdviseHugePages(char* start, std::size_t size) {
    const auto from = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t first = (from + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (from + size) & ~(kHugePage - 1);
    if (last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

}  // namespace gleanwork
