#include "OutputFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <vector>

#include "CliError.h"

namespace qvrfcdoe {
namespace {

// File times may be kept more coarsely than the clock reads; a file written in the first
// moments of a command must still count as written by it.
constexpr std::chrono::seconds kTimeSlack(2);

const char* const kDataProbeFile = "DOETest1.ipt";

fs::path ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

}  // namespace

OutputFolder::OutputFolder(const std::string& path)
    : m_path(fs::absolute(path).lexically_normal()), m_start(fs::file_time_type::clock::now()) {}

void OutputFolder::Create() const {
    std::error_code error;
    if (fs::exists(m_path, error) && !fs::is_directory(m_path, error))
        throw InputError(Text("output folder '%s' exists and is not a folder", m_path.c_str()));
    fs::create_directories(m_path, error);
    if (error)
        throw InputError(
            Text("cannot create output folder '%s': %s", m_path.c_str(), error.message().c_str()));
}

void OutputFolder::PrintFilesWritten() const {
    std::vector<std::string> names;
    std::error_code error;
    // Subfolders too (charts/...), each file named by its path inside the folder.
    for (const auto& entry : fs::recursive_directory_iterator(m_path, error)) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored) &&
            entry.last_write_time(ignored) >= m_start - kTimeSlack)
            names.push_back(entry.path().lexically_relative(m_path).string());
    }
    std::sort(names.begin(), names.end());
    std::printf("\nFiles written to %s:\n", m_path.c_str());
    for (const std::string& name : names)
        std::printf("  %s\n", name.c_str());
}

CurrentDirectory::CurrentDirectory(const fs::path& folder) : m_previous(fs::current_path()) {
    std::error_code error;
    fs::current_path(folder, error);
    if (error)
        throw InputError(
            Text("cannot enter folder '%s': %s", folder.c_str(), error.message().c_str()));
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
}

fs::path FindDataFolder() {
    std::vector<fs::path> candidates;
    const fs::path programFolder = ProgramFolder();
    if (!programFolder.empty()) candidates.push_back(programFolder / QVRFC_DATA_FROM_BIN);
    candidates.push_back(QVRFC_INSTALLED_DATA_DIR);
    candidates.push_back(QVRFC_SOURCE_DATA_DIR);
    std::string looked;
    for (const fs::path& folder : candidates) {
        std::error_code ignored;
        if (fs::is_regular_file(folder / kDataProbeFile, ignored))
            return fs::weakly_canonical(folder, ignored);
        looked += (looked.empty() ? "" : ", ") + folder.lexically_normal().string();
    }
    throw InputError(
        Text("cannot find the bundled experiment files (looked in %s)", looked.c_str()));
}

void CopyInto(const fs::path& file, const fs::path& folder) {
    const fs::path target = folder / file.filename();
    if (SameFile(file, target)) return;
    std::error_code error;
    fs::copy_file(file, target, fs::copy_options::overwrite_existing, error);
    if (error)
        throw InputError(Text("cannot copy '%s' to '%s': %s", file.c_str(), folder.c_str(),
                              error.message().c_str()));
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

}  // namespace qvrfcdoe
