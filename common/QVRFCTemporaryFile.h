// The temporary file that a whole-file writer fills beside its target and renames over it
// once complete: ".<name>.XXXXXX" in the target's folder, the six characters chosen by
// mkstemp. Internal to the library (not exported); FileSet and AtomicFile build on it.
#pragma once

#include <string>

namespace qvrfc {

// Creates a fresh temporary for target in its folder and returns its open descriptor, its
// name in temporary. Created exclusively (never an existing file, never through a link),
// close-on-exec, with the permissions a new file gets: 0666 less the process's umask.
// -1 with errno telling why (EISDIR for a target that names a folder).
int CreateTemporary(const std::string& target, std::string& temporary);

// True when entry (a file name) is a temporary that CreateTemporary makes for a target
// named name: "." + name (cut as CreateTemporary cuts it) + "." + six letters or digits.
bool IsTemporaryName(const std::string& entry, const std::string& name);
// The <name> of an entry ".<name>.XXXXXX" (six letters or digits), as cut to fit; empty for
// an entry of any other form.
std::string TemporaryTarget(const std::string& entry);

// A device, FIFO or socket, links followed (/dev/null, /dev/stdout): there is no file to
// replace, so writers write such a target straight.
bool IsStreamTarget(const std::string& target);

// path made absolute and normal ("a/../b" -> "/cwd/b"); as it is when there is no current folder.
std::string AbsolutePath(const std::string& path);

// "cannot write '<absolute path of target>': <strerror(error)>".
std::string CannotWrite(const std::string& target, int error);

}  // namespace qvrfc
