// A station archive's files from arbitrary bytes: a miniSEED file (decoded, its channels listed,
// its records' spans read from their headers), a StationXML document and a SAC pole-zero file.
// The first byte chooses which. Beyond not failing (the sanitizers watch every response
// evaluated): no sample that is not finite, no rate that is not positive and finite, and no
// span that ends before it starts.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "analysis/archive/mseed_file.h"
#include "analysis/archive/sac_pole_zero.h"
#include "analysis/archive/stationxml_response.h"
#include "fuzz/fuzz_support.h"

namespace {

namespace archive = analysis::archive;

constexpr archive::MicroTime kAll0 = std::numeric_limits<archive::MicroTime>::min() / 4;
constexpr archive::MicroTime kAll1 = std::numeric_limits<archive::MicroTime>::max() / 4;

// Evaluated across the seismic band, so that the sanitizers see every arithmetic on what the
// parsers accepted.
void exercise(const archive::InstrumentResponse& response) {
  for (const double f : {0.001, 0.01, 1.0, 40.0, 1000.0}) {
    (void)response.velocityResponse(f);
    (void)response.passes(f);
  }
}

void mseed(std::string_view bytes) {
  fuzz::writeFile("station.mseed", bytes);
  const auto path = fuzz::workDirectory() / "station.mseed";
  const archive::MseedFileContents contents = archive::readMseedFile(path, {}, kAll0, kAll1);
  for (const archive::RecordPiece& piece : contents.pieces) {
    fuzz::require(piece.rate > 0 && std::isfinite(piece.rate), "a piece's rate");
    for (const double v : piece.samples) fuzz::require(std::isfinite(v), "a sample");
  }
  archive::channelsInMseedFile(path);
  for (const archive::RecordSpan& span : archive::recordSpansInMseedFile(path, {})) {
    fuzz::require(span.rate > 0 && std::isfinite(span.rate), "a span's rate");
    fuzz::require(span.end >= static_cast<double>(span.start), "a span's end");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 3) {
    case 0:
      mseed(text);
      break;
    case 1:
      for (const auto& epoch : archive::parseStationXml(std::string(text), "fuzz.xml").epochs) {
        exercise(epoch.response);
      }
      break;
    default:
      if (const auto parsed = archive::parseSacPoleZero(text, "fuzz.pz"); parsed.response) {
        exercise(*parsed.response);
      }
      break;
  }
  return 0;
}
