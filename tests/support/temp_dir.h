// A fresh directory for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path write(std::string_view name, std::string_view contents) const;
  std::string read(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace testing_support
