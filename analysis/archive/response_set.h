// The responses known for a run, by channel id and time, from the options that give them:
//   "--response FILE"      an FDSN StationXML file: every channel epoch in it;
//   "--response ID=FILE"   a SAC pole-zero file for channel ID (all times);
//   "--sensitivity ID=S"   a flat response, S counts per m/s (all times).
// A channel given twice takes the first response that covers a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/archive/stationxml_response.h"

namespace analysis::archive {

class ResponseSet {
 public:
  // Each returns the reason the argument was refused, or nothing; `notes` gets what is only
  // reported (StationXML channels left out, stage gains apart from the sensitivity).
  std::optional<std::string> addResponse(std::string_view argument,
                                         std::vector<std::string>& notes);
  std::optional<std::string> addSensitivity(std::string_view argument);
  void add(ResponseEpoch epoch) { epochs_.push_back(std::move(epoch)); }

  // The response of `id` at time `t`; nothing when none covers it.
  const ResponseEpoch* find(const SeedId& id, MicroTime t) const;
  // Whether any epoch of `id` is known.
  bool covers(const SeedId& id) const;

  // Every response file read, in the order given, with its whole content (for keying caches).
  const std::vector<std::string>& fileContents() const { return contents_; }

 private:
  std::vector<ResponseEpoch> epochs_;
  std::vector<std::string> contents_;
};

}  // namespace analysis::archive
