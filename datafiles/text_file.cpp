#include "datafiles/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

namespace datafiles {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string systemError() {
  return std::strerror(errno);
}

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string& contents) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return "is a directory, not a file";
  errno = 0;
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return "cannot be opened (" + systemError() + ")";
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return "cannot be read (" + systemError() + ")";
  const long size = std::ftell(file.get());
  if (size < 0) return "cannot be read (" + systemError() + ")";
  if (static_cast<std::uintmax_t>(size) > kLargestReadableFile) {
    return "is too large to be a measurement file (" + std::to_string(size) + " bytes)";
  }
  std::rewind(file.get());
  contents.resize(static_cast<std::size_t>(size));
  if (size > 0 && std::fread(contents.data(), 1, contents.size(), file.get()) != contents.size()) {
    return "cannot be read (" + systemError() + ")";
  }
  return std::nullopt;
}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path) : path_(path) {
  // Replacing a file by renaming over it would ignore its write protection: respect it.
  std::error_code statusError;
  const auto status = std::filesystem::status(path, statusError);
  if (!statusError && std::filesystem::exists(status)) {
    if (std::filesystem::is_directory(status)) {
      failure_ = "is a directory, not a file";
      return;
    }
    using std::filesystem::perms;
    if ((status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
        perms::none) {
      failure_ = "is write-protected";
      return;
    }
  }
  std::random_device entropy;
  temporary_ = path;
  temporary_ += ".partial-" + std::to_string(entropy());
  errno = 0;
  file_ = std::fopen(temporary_.c_str(), "wbx");
  if (!file_) failure_ = "cannot be written (" + systemError() + ")";
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_) std::fclose(file_);
  std::error_code ec;
  if (!temporary_.empty()) std::filesystem::remove(temporary_, ec);
}

void AtomicFileWriter::write(std::string_view piece) {
  if (failure_ || piece.empty()) return;
  if (std::fwrite(piece.data(), 1, piece.size(), file_) != piece.size()) {
    failure_ = "cannot be written (" + systemError() + ")";
  }
}

std::optional<std::string> AtomicFileWriter::commit() {
  if (file_) {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed && !failure_) failure_ = "cannot be written (" + systemError() + ")";
  }
  if (failure_) return failure_;
  std::error_code ec;
  std::filesystem::rename(temporary_, path_, ec);
  if (ec) {
    failure_ = "cannot be replaced (" + ec.message() + ")";
    return failure_;
  }
  temporary_.clear();  // nothing left to remove
  return std::nullopt;
}

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view contents) {
  AtomicFileWriter writer(path);
  writer.write(contents);
  return writer.commit();
}

}  // namespace datafiles
