#include "analysis/standards/criteria_verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace analysis {
namespace {

struct Judgement {
  bool judged = false, met = false, partlyCovered = false;
  ThirdOctaveBand worstBand;
  double velocity = 0, limit = 0;
};

Judgement judge(const BandVelocities& channel, const VibrationCriterion& criterion) {
  Judgement j;
  const std::size_t expected = bandsCountingFor(criterion).size();
  std::size_t counted = 0;  // band indices are unique in a channel
  double worstRatio = 0;
  bool exceeded = false;
  for (std::size_t i = 0; i < channel.bands.size(); ++i) {
    const ThirdOctaveBand& band = channel.bands[i];
    const auto limit = bandLimit(criterion, band);
    if (!limit) continue;
    ++counted;
    const double velocity = channel.rms[i];
    const bool meets = velocity <= *limit;  // false for a velocity that is not a number
    // Limits are positive: the band furthest above (or least below) its limit limits most.
    const double ratio = std::isnan(velocity) ? HUGE_VAL : velocity / *limit;
    if (!j.judged || ratio > worstRatio) {
      worstRatio = ratio;
      j.worstBand = band;
      j.velocity = velocity;
      j.limit = *limit;
    }
    exceeded |= !meets;
    j.judged = true;
  }
  j.met = j.judged && !exceeded;
  j.partlyCovered = counted < expected;
  return j;
}

}  // namespace

ChannelVerdict judgeChannel(const BandVelocities& channel,
                            std::span<const VibrationCriterion> criteria) {
  ChannelVerdict verdict;
  if (!channel.bands.empty() &&
      std::all_of(channel.rms.begin(), channel.rms.end(), [](double v) { return v == 0; })) {
    verdict.outcome = ChannelVerdict::Outcome::NoSignal;
    return verdict;
  }
  const auto take = [&verdict](const VibrationCriterion& c, const Judgement& j,
                               ChannelVerdict::Outcome outcome) {
    verdict = {.outcome = outcome,
               .criterion = &c,
               .limitingBand = j.worstBand,
               .velocity = j.velocity,
               .limit = j.limit,
               .partlyCovered = j.partlyCovered};
  };
  // Up the ladder from the loosest: a criterion counts only while every looser one judged was
  // met, so that a floor above the workshop curve below 4 Hz is not rated VC-B, whose range
  // starts at 4 Hz.
  for (const VibrationCriterion& criterion : criteria) {
    const Judgement j = judge(channel, criterion);
    if (j.met) {
      take(criterion, j, ChannelVerdict::Outcome::Met);
    } else if (j.judged) {
      if (verdict.outcome == ChannelVerdict::Outcome::NotJudged) {
        take(criterion, j, ChannelVerdict::Outcome::None);
      }
      break;
    }
  }
  return verdict;
}

std::string threeDigits(double value) {
  if (value == 0) return "0";
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
  const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  const int decimals = std::max(0, 2 - magnitude);
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::string verdictText(int channelNumber, const ChannelVerdict& verdict) {
  const std::string channel = "channel " + std::to_string(channelNumber) + ": ";
  const auto band = [&verdict] {
    return threeDigits(verdict.limitingBand.nominalCentre) +
           " Hz: " + threeDigits(verdict.velocity) + " of " + threeDigits(verdict.limit) +
           " mum/s" + (verdict.partlyCovered ? ", partly covered" : "");
  };
  switch (verdict.outcome) {
    case ChannelVerdict::Outcome::Met:
      return channel + std::string(verdict.criterion->name) + " (limit " + band() + ")";
    case ChannelVerdict::Outcome::None:
      return channel + "none (" + std::string(verdict.criterion->name) + " exceeded at " + band() +
             ")";
    case ChannelVerdict::Outcome::NoSignal:
      return channel + "no signal";
    case ChannelVerdict::Outcome::NotJudged:
      break;
  }
  return channel + "not judged (no band within a criterion's range)";
}

std::string verdictLine(const ChannelVerdict& channel1, const ChannelVerdict& channel2) {
  return verdictText(1, channel1) + "   " + verdictText(2, channel2);
}

}  // namespace analysis
