// Writing miniSEED 2 records with libmseed (mst_pack), for make-samples and the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "analysis/archive/archive_time.h"
#include "analysis/archive/seed_id.h"

namespace analysis::archive {

// libmseed's encoding codes (DE_INT16 1, DE_INT32 3, DE_FLOAT32 4, DE_FLOAT64 5, DE_STEIM1 10,
// DE_STEIM2 11).
enum class MseedEncoding : std::int8_t {
  Int16 = 1,
  Int32 = 3,
  Float32 = 4,
  Float64 = 5,
  Steim1 = 10,
  Steim2 = 11,
};

struct MseedTrace {
  SeedId id;
  MicroTime start = 0;
  double rate = 0;
  std::span<const double> samples;  // rounded to integers for the integer encodings
};

// Appends the trace as records of `recordLength` bytes (big-endian) to `path`, creating it.
// Returns the problem, or nothing.
std::optional<std::string> appendMseed(const std::filesystem::path& path, const MseedTrace& trace,
                                       MseedEncoding encoding, int recordLength = 4096);

}  // namespace analysis::archive
