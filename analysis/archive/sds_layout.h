// The SDS archive layout (SeisComP): ROOT/YEAR/NET/STA/CHA.D/NET.STA.LOC.CHA.D.YEAR.DAY, one
// file per channel and UTC day, DAY with three digits, the dots kept for an empty location
// ("XX.ST1..HHZ.D.2026.100"). A record is filed under the day its first sample lies in, so
// records cross midnight: every sample before midnight ending day D lies in the files of days
// up to D, and a reader of a span also opens the day before its first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "analysis/archive/seed_id.h"

namespace analysis::archive {

std::filesystem::path sdsDayFile(const std::filesystem::path& root, const SeedId& id,
                                 std::int64_t dayNumber);

// The day numbers of the day files of `id` present under `root`, sorted.
std::vector<std::int64_t> sdsDaysPresent(const std::filesystem::path& root, const SeedId& id);

// The channels with at least one day file under `root`, sorted (read from the file names).
std::vector<SeedId> sdsChannels(const std::filesystem::path& root);

}  // namespace analysis::archive
