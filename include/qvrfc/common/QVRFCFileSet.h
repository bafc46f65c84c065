// Files replaced whole, alone or as a set: every file goes first to a fresh temporary file
// beside it (".<name>.XXXXXX", created exclusively, so that no file or link already there is
// ever written through), and the temporaries take the files' names only once every one of
// them is complete. A failure, or a set dropped without Commit, removes every temporary and
// leaves every earlier file as it was. A target that is a stream rather than a file (a device
// such as /dev/null, a FIFO or a socket, also behind a link) cannot be replaced: it is written
// straight. The data are not forced to the disk (no fsync): the promise holds against failed
// and killed writers, not against a crash of the whole system.
//
//   qvrfc::FileSet files;
//   files.Write("out/report.html", page);
//   files.Write("out/charts/yield-pareto.svg", svg);
//   files.Remove("out/charts/yield-pareto.png");  // an earlier file this set does not write
//   files.Commit();  // both replaced and the earlier one gone, or nothing changed
//
// Errors throw qvrfc::Error: "cannot write '<absolute path>': <cause>". A set that failed stays
// failed: every later call throws the same error, so that no part of it can be committed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

class QVRFC_API FileSet {
  public:
    FileSet() = default;
    // Removes the temporaries of a set not committed.
    ~FileSet();
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // Creates target's temporary (once; later calls give the same) and returns its path, for
    // a writer that opens its file by name. The folder must exist. For a stream target the
    // target itself is returned.
    std::string Stage(const std::string& target);
    // bytes become the whole content of target's temporary, staged first when it is not.
    void Write(const std::string& target, const std::string& bytes);
    // The file at source becomes the whole content of target's temporary, copied by the kernel
    // where it can, else a part at a time (a file too large to hold in memory twice);
    // "cannot read '<source>': <cause>".
    void Copy(const std::string& target, const std::string& source);
    // target (a file, not one that the set writes) goes on Commit, once every staged file has
    // taken its name; one already gone by then is no fault, a folder is refused before anything
    // is renamed ("cannot remove '<absolute path>': <cause>"). Nothing is removed before Commit.
    void Remove(const std::string& target);
    // Renames every temporary over its target, in the order staged, then removes the files
    // given to Remove, and empties the set. A target that is a folder is refused before
    // anything is renamed or removed.
    void Commit();
    // Removes every temporary; the targets stay as they were.
    void Discard() noexcept;

  private:
    struct Staged {
        std::string target;
        std::string temporary;  // empty for a stream target
    };
    const Staged& Find(const std::string& target);
    // Discards the set, keeps the message (naming `file`) for every later call, and throws it.
    [[noreturn]] void Fail(const std::string& target, int error);
    [[noreturn]] void Fail(const std::string& message, const std::string& file);
    void RefuseAfterFailure() const;

    std::vector<Staged> m_staged;
    std::vector<std::string> m_removed;
    std::string m_failure;  // the first failure: a set that failed stays failed
    std::string m_failedFile;
};

// Writes text as the whole file at path (FileSet of one file).
QVRFC_API void WriteWholeFile(const std::string& path, const std::string& text);

// Removes what a killed writer left in folder: the temporaries ".<name>.XXXXXX" of the files
// named in names (six letters or digits after the last dot, nothing else). To run where no
// other writer is at work in the folder, under its lock. Returns how many were removed; a
// folder that does not exist has none. Error when the folder cannot be read or a leftover
// cannot be removed.
QVRFC_API int RemoveStaleTemporaries(const std::string& folder,
                                     const std::vector<std::string>& names);
// The same for a family of names that no list can hold: the temporaries ".<name>.XXXXXX" whose
// <name> ours accepts (a name cut to fit a temporary's is judged as cut).
QVRFC_API int RemoveStaleTemporaries(const std::string& folder,
                                     const std::function<bool(const std::string& name)>& ours);

}  // namespace qvrfc
