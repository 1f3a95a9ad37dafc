#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "base/FileDescriptor.h"
#include "storage/FileWriting.h"

namespace gleanwork {

// The file that a run writes its output to, so that no failed or killed run
// damages what was there before.
//
// Replacing: the bytes go to an unnamed file in the target's folder (a named
// one, ".NAME.gleanwork-XXXXXX", where the file system has no unnamed files),
// which Commit names and renames over the target in one step; readers see the
// old file or the new one, never a mix. After a kill at any moment the
// unnamed file simply vanishes; a named one is left for the next run of the
// same target, which removes it unless a live run holds it.
// Appending: the bytes go straight to the end of the target, and Discard cuts
// it back to the length it had, unless other writers have appended to it
// since.
// Anything else than a regular file or a missing one (a pipe, a device, an
// open file of a process such as /dev/stdout) is written directly. Opening never blocks, even on a
// pipe that nobody reads. A symbolic link is followed as FollowLinks does: what is written goes to
// the file it leads to, and a replaced file's temporary file lies beside it.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Discard(); }

    // False, with `error` set to the errno value (or kForeignLinkError), when
    // it cannot be opened.
    bool Open(const std::string& path, bool append, int& error);
    bool IsOpen() const { return fd_.IsOpen(); }
    // Where an appending file's new bytes begin; 0 for any other.
    off_t AppendStart() const { return kind_ == Kind::Append ? appendStart_ : 0; }

    // Writes all of `bytes`; false, with `error` set, when not all got there.
    bool Write(std::string_view bytes, int& error);

    // Puts what was written in place and closes the file.
    bool Commit(int& error);

    // Closes the file and leaves the target as it was before Open. False when
    // it cannot: what was appended stays when others appended after it.
    bool Discard();

private:
    enum class Kind { Replace, Append, Direct };

    bool OpenTemporary(int& error);
    bool NameTemporary(int& error);
    bool CutBack();

    FileDescriptor fd_;
    Kind kind_ = Kind::Direct;
    std::string path_;      // the target, every symbolic link followed
    std::string tempName_;  // the temporary file's name, once it has one
    off_t appendStart_ = 0;
    off_t appendEnd_ = 0;         // where the last write ended
    bool appendedAlone_ = false;  // each write began where the one before ended
};

}  // namespace gleanwork
