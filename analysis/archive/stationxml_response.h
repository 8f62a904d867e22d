// Responses read from FDSN StationXML 1.x (parsed with pugixml; namespaces are not checked).
//
// Per Network/Station/Channel epoch (codes, locationCode, startDate .. endDate, an open end when
// endDate is absent):
//   - S = Response/InstrumentSensitivity/Value, its input unit InputUnits/Name (M, M/S, M/S**2);
//   - the first Stage holding PolesZeros: PzTransferFunctionType "LAPLACE (RADIANS/SECOND)" or
//     "LAPLACE (HERTZ)", NormalizationFactor A0, Zero and Pole (Real, Imaginary); other stages
//     (digitiser gain, FIR filters) are taken as flat: only their StageGain values count;
//   - the product of every Stage's StageGain/Value is compared with S: a difference above 1 %
//     is reported (the response is still used, with S).
// A channel without InstrumentSensitivity, with another unit or another transfer function type
// gets no response and a problem naming the file and the channel.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/archive/archive_time.h"
#include "analysis/archive/instrument_response.h"
#include "analysis/archive/seed_id.h"

namespace analysis::archive {

inline constexpr MicroTime kOpenEnd = INT64_MAX;

struct ResponseEpoch {
  SeedId id;
  MicroTime start = INT64_MIN, end = kOpenEnd;  // the epoch covers start <= t < end
  InstrumentResponse response;
};

struct StationXmlResult {
  std::vector<ResponseEpoch> epochs;
  std::vector<std::string> problems;  // "FILE: ..." for channels left out and gain mismatches
  bool refused = false;               // no StationXML document at all
};

StationXmlResult readStationXml(const std::filesystem::path& path);
StationXmlResult parseStationXml(const std::string& text, const std::string& fileName);

}  // namespace analysis::archive
