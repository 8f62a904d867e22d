#include "analysis/record/record_identity.h"

namespace analysis {

std::optional<RecordIdentity> identityOf(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return std::nullopt;
  // One query of the file system for both the size and the time.
  const std::filesystem::directory_entry entry(absolute, error);
  if (error) return std::nullopt;
  RecordIdentity identity;
  identity.bytes = entry.file_size(error);
  if (error) return std::nullopt;
  identity.modified = entry.last_write_time(error);
  if (error) return std::nullopt;
  identity.path = absolute.lexically_normal().string();
  return identity;
}

}  // namespace analysis
