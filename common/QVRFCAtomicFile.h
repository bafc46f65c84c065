// Whole-or-nothing replacement of a file: the text goes to a fresh temporary file in the
// target's folder, which is renamed over the target only when every write and the close
// succeeded. A reader of the target sees the old file or the complete new one, never a cut
// one; a failed or killed writer leaves the old file as it was. A symbolic link named like
// the target is itself replaced by the new file: its target is never written through.
// A target that is a stream rather than a file (a character device such as /dev/null, a
// FIFO or a socket, also behind a link) cannot be replaced: it is written straight.
// The data are not forced to the disk (no fsync): the promise holds against failed and
// killed writers, not against a crash of the whole system.
// The temporary is made as FileSet's (QVRFCTemporaryFile.h): ".<name>.XXXXXX" beside the
// target, so RemoveStaleTemporaries finds what a killed writer left. This is the stream form
// of that writer, for the engine's report writers. Internal to the library (not exported).
#pragma once

#include <cstdio>
#include <string>

namespace qvrfc {

class AtomicFile {
  public:
    AtomicFile() = default;
    // Discards the temporary file unless Commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for target and returns its stream, or null (errno tells
    // why) when it cannot be created. The stream belongs to this object: do not close it.
    FILE* Open(const std::string& target);
    // Flushes and closes the stream, then renames the temporary file over the target.
    // False on any failure, the temporary file removed and errno naming the cause.
    bool Commit();
    // Closes and removes the temporary file; the target stays as it was.
    void Discard();

  private:
    FILE* m_file = nullptr;
    std::string m_target;
    std::string m_temporary;  // empty when writing straight into a stream
};

}  // namespace qvrfc
