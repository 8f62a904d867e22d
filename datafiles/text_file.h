// Whole-file input and safe whole-file output.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "datafiles/lazy_zero.h"

namespace datafiles {

// Larger files are refused before reading: no measurement file comes near this size.
inline constexpr std::uintmax_t kLargestReadableFile = 512u << 20;

// Reads the whole file into `contents` with one read (reusing its capacity).
// Returns a description of the failure, or nothing on success.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string& contents);

// The bytes of one file in a buffer that is reused from file to file: it grows to the largest
// file read, and nothing but the file's bytes is ever written into it (no zeros first).
class FileText {
 public:
  std::string_view view() const { return {bytes_.get(), size_}; }
  operator std::string_view() const { return view(); }

 private:
  friend std::optional<std::string> readWholeFile(const std::filesystem::path&, FileText&);
  std::unique_ptr<char[], ZeroPagesRelease> bytes_;  // huge pages when large
  std::size_t capacity_ = 0, size_ = 0;
};

// The same into a FileText. After a failure it holds what could be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, FileText& contents);

// Writes `contents` to a temporary file beside `path` and renames it over `path` when complete,
// so that a failed write never destroys an earlier file of that name. A write-protected file
// is not replaced.
// Returns a description of the failure, or nothing on success.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view contents);

// Why writeFileAtomically would refuse to replace the file at `path` before writing anything
// (a directory, a write-protected file), or nothing: for a caller that writes several files
// that belong together and wants to check them all first.
std::optional<std::string> cannotBeReplaced(const std::filesystem::path& path);

// The same for contents made piece by piece: `writeContents` hands each piece, in order, to the
// sink it is given. Large files need not be held whole in memory.
using ChunkSink = std::function<void(std::string_view)>;
using ContentsWriter = std::function<void(const ChunkSink&)>;
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               const ContentsWriter& writeContents);

}  // namespace datafiles
