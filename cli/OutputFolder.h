// Where the program's files go. The engine writes fixed file names into the
// current directory, so every command that runs it does so inside an output
// folder and then says which files it wrote there.
#pragma once

#include <filesystem>
#include <string>

namespace qvrfcdoe {

namespace fs = std::filesystem;

// The output folder of one command, taken relative to the caller's current directory.
class OutputFolder {
  public:
    explicit OutputFolder(const std::string& path);

    const fs::path& Path() const { return m_path; }
    // Path of a file inside the folder.
    fs::path File(const std::string& name) const { return m_path / name; }
    // Makes the folder (and its parents) when missing; an InputError when that cannot be done.
    void Create() const;
    // Prints "Files written to <folder>:" and the files changed since the folder object was made.
    void PrintFilesWritten() const;

  private:
    fs::path m_path;
    fs::file_time_type m_start;
};

// Sets the current directory for the lifetime of the object and restores the previous one.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const fs::path& folder);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

  private:
    fs::path m_previous;
};

// The folder of the bundled experiment files (DOETest1.ipt, DOETest2.ipt): beside the
// installed program, at the configured install location, or in the source tree.
fs::path FindDataFolder();

// Copies file into folder, replacing an older copy; a file already there is left as it is.
void CopyInto(const fs::path& file, const fs::path& folder);

// True when both paths name the same existing file.
bool SameFile(const fs::path& a, const fs::path& b);

}  // namespace qvrfcdoe
