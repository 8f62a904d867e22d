// Which file a record was read from, so that the running average takes each record once.
//
// A record is the same when its file has the same path (made absolute and lexically normal:
// "a/b.csvz" and "./a/b.csvz" are one file), the same size in bytes and the same time of last
// modification. A file written again (new size or time) is another record. A station archive's
// segment, which is no file, is known by its name ("ID1[+ID2]@START") alone.
#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace analysis {

struct RecordIdentity {
  std::string path;
  std::uintmax_t bytes = 0;
  std::filesystem::file_time_type modified{};

  auto operator<=>(const RecordIdentity&) const = default;
};

// The identity of the file at `path` now; nothing when it cannot be queried.
std::optional<RecordIdentity> identityOf(const std::filesystem::path& path);

}  // namespace analysis
