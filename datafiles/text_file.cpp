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

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view contents) {
  // Replacing a file by renaming over it would ignore its write protection: respect it.
  std::error_code statusError;
  const auto status = std::filesystem::status(path, statusError);
  if (!statusError && std::filesystem::exists(status)) {
    if (std::filesystem::is_directory(status)) return "is a directory, not a file";
    using std::filesystem::perms;
    if ((status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
        perms::none) {
      return "is write-protected";
    }
  }
  std::random_device entropy;
  std::filesystem::path temporary = path;
  temporary += ".partial-" + std::to_string(entropy());
  errno = 0;
  File file(std::fopen(temporary.c_str(), "wbx"));
  if (!file) return "cannot be written (" + systemError() + ")";
  const bool written =
      std::fwrite(contents.data(), 1, contents.size(), file.get()) == contents.size();
  const bool closed = std::fclose(file.release()) == 0;
  std::error_code ec;
  if (!written || !closed) {
    const std::string why = systemError();
    std::filesystem::remove(temporary, ec);
    return "cannot be written (" + why + ")";
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    const std::string why = ec.message();
    std::filesystem::remove(temporary, ec);
    return "cannot be replaced (" + why + ")";
  }
  return std::nullopt;
}

}  // namespace datafiles
