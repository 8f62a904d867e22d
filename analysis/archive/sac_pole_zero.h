// SAC pole-zero files: "ZEROS n", "POLES n" and "CONSTANT c" lines, each count followed by up to
// n lines "real imaginary" (rad/s; zeros not listed are zeros at the origin), c = A0 * S.
// Lines beginning with '*' are comments; two of them are read, as data centres write them:
//   "* INPUT UNIT : M" (or M/S, M/S**2): the input the poles and zeros describe, m/s when absent.
//     A displacement response (M) is turned into one to velocity by taking one factor
//     i omega off, that is one zero at the origin (d = v / (i omega)); without such a zero
//     it stays a displacement response (instrument_response.h divides by i omega).
//   "* SENSITIVITY : 6.3e8 (M/S)": S, counts per m/s. Without it S = |c prod/prod| at 1 Hz of
//     the response to the input it describes after the step above.
// Then A0 = c / S, so that H_in(f) = S * A0 * prod / prod = c * prod / prod.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/archive/instrument_response.h"

namespace analysis::archive {

struct SacPoleZeroResult {
  std::optional<InstrumentResponse> response;
  std::string problem;  // "FILE: line 3: ..." when there is no response
};

SacPoleZeroResult parseSacPoleZero(std::string_view text, const std::string& fileName);
SacPoleZeroResult readSacPoleZeroFile(const std::filesystem::path& path);

}  // namespace analysis::archive
