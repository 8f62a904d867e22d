// Whole-file input and safe whole-file output.
#pragma once

#include <cstdio>
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

// The same for contents written piece by piece, so that a large file never needs to be held
// whole in memory: the pieces go to a temporary file beside `path`, and commit() renames it
// over `path`. Until then nothing at `path` changes; a writer destroyed without committing
// removes its temporary file. A failure is kept and reported by commit().
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::filesystem::path& path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  void write(std::string_view piece);
  // Returns a description of the failure, or nothing when `path` now holds every piece.
  std::optional<std::string> commit();

 private:
  std::filesystem::path path_, temporary_;
  std::FILE* file_ = nullptr;
  std::optional<std::string> failure_;
};

}  // namespace datafiles
