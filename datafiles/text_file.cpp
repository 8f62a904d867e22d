#include "datafiles/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Reads the file into the storage that `room(size)` provides for its size in bytes, with one
// open, one fstat and as few reads as the system needs; the bytes read are `read`.
template <typename Room>
std::optional<std::string> readFile(const std::filesystem::path& path, Room room,
                                    std::size_t& read) {
  read = 0;
  errno = 0;
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return "cannot be opened (" + systemError() + ")";
  struct Closer {
    int descriptor;
    ~Closer() { ::close(descriptor); }
  } closer{descriptor};
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) return "cannot be read (" + systemError() + ")";
  if (S_ISDIR(status.st_mode)) return "is a directory, not a file";
  const auto size = static_cast<std::uintmax_t>(status.st_size);
  if (size > kLargestReadableFile) {
    return "is too large to be a measurement file (" + std::to_string(size) + " bytes)";
  }
  char* bytes = room(static_cast<std::size_t>(size));
  while (read < size) {
    const ssize_t got = ::read(descriptor, bytes + read, static_cast<std::size_t>(size) - read);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return "cannot be read (" + systemError() + ")";
    if (got == 0) break;  // the file became shorter while it was read
    read += static_cast<std::size_t>(got);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::string& contents) {
  std::size_t read = 0;
  auto failure = readFile(
      path,
      [&contents](std::size_t size) {
        contents.resize(size);
        return contents.data();
      },
      read);
  contents.resize(read);
  return failure;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, FileText& contents) {
  return readFile(
      path,
      [&contents](std::size_t size) {
        if (size > contents.capacity_) {
          contents.bytes_ = {static_cast<char*>(allocateZeroPages(size)), ZeroPagesRelease{size}};
          contents.capacity_ = size;
        }
        return contents.bytes_.get();
      },
      contents.size_);
}

std::optional<std::string> cannotBeReplaced(const std::filesystem::path& path) {
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
  return std::nullopt;
}

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               const ContentsWriter& writeContents) {
  if (auto problem = cannotBeReplaced(path)) return problem;
  std::random_device entropy;
  std::filesystem::path temporary = path;
  temporary += ".partial-" + std::to_string(entropy());
  errno = 0;
  File file(std::fopen(temporary.c_str(), "wbx"));
  if (!file) return "cannot be written (" + systemError() + ")";
  bool written = true;
  writeContents([&](std::string_view chunk) {
    written = written && std::fwrite(chunk.data(), 1, chunk.size(), file.get()) == chunk.size();
  });
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

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view contents) {
  return writeFileAtomically(path, [contents](const ChunkSink& write) { write(contents); });
}

}  // namespace datafiles
