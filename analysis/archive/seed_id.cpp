#include "analysis/archive/seed_id.h"

#include <array>
#include <cctype>

namespace analysis::archive {
namespace {

bool soundCode(std::string_view code, std::size_t longest, bool mayBeEmpty) {
  if (code.size() > longest || (code.empty() && !mayBeEmpty)) return false;
  for (char c : code) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

std::string SeedId::text() const {
  return network + '.' + station + '.' + location + '.' + channel;
}

std::optional<SeedId> parseSeedId(std::string_view text) {
  std::array<std::string_view, 4> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t dot = text.find('.', start);
    if ((dot == std::string_view::npos) != (i == 3)) return std::nullopt;
    parts[i] = text.substr(start, i == 3 ? std::string_view::npos : dot - start);
    start = dot + 1;
  }
  if (!soundCode(parts[0], 2, false) || !soundCode(parts[1], 5, false) ||
      !soundCode(parts[2], 2, true) || !soundCode(parts[3], 3, false)) {
    return std::nullopt;
  }
  return SeedId{std::string(parts[0]), std::string(parts[1]), std::string(parts[2]),
                std::string(parts[3])};
}

}  // namespace analysis::archive
