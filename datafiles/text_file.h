// Whole-file input and safe whole-file output.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace datafiles {

// Larger files are refused before reading: no measurement file comes near this size.
inline constexpr std::uintmax_t kLargestReadableFile = 512u << 20;

// Reads the whole file into `contents` with one read (reusing its capacity).
// Returns a description of the failure, or nothing on success.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string& contents);

// Writes `contents` to a temporary file beside `path` and renames it over `path` when complete,
// so that a failed write never destroys an earlier file of that name. A write-protected file
// is not replaced.
// Returns a description of the failure, or nothing on success.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view contents);

}  // namespace datafiles
