#pragma once

#include <string>

namespace gleanwork {

// Asked by WriteFileAtomically before it fills the temporary file for `path`:
// true makes that write stop halfway and fail, as on a full disk. The
// programs' definition (WriteInterruption.cpp, alone in its file) never
// interrupts; test programs link a definition of their own in its place to
// break saves at chosen files.
bool WriteInterrupted(const std::string& path);

}  // namespace gleanwork
