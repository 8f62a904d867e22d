// SEED channel ids: NET.STA.LOC.CHA, the location possibly empty ("XX.ST1..HHZ").
//
// Codes follow the SEED 2.4 header fields: network up to 2 characters, station up to 5,
// location up to 2, channel up to 3 (miniSEED 2 cannot hold longer ones), letters, digits and
// nothing else; the parse is exact and case-sensitive, as the record headers are compared.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace analysis::archive {

struct SeedId {
  std::string network, station, location, channel;

  bool operator==(const SeedId&) const = default;
  auto operator<=>(const SeedId&) const = default;

  // "NET.STA.LOC.CHA".
  std::string text() const;
};

// The id written as "NET.STA.LOC.CHA"; nothing when the text has another shape or a code is
// empty (the location excepted), too long, or holds other than letters and digits.
std::optional<SeedId> parseSeedId(std::string_view text);

}  // namespace analysis::archive
