#pragma once

#include <cstddef>

namespace gleanwork {

// Asks the kernel to back the whole 2 MiB pages inside [start, start + size)
// with transparent huge pages when they are first touched: a large body then
// costs a few hundred page faults instead of tens of thousands. A hint only;
// without huge pages nothing changes.
void AdviseHugePages(char* start, std::size_t size);

}  // namespace gleanwork
