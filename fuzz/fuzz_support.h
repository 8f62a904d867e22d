// What the whole-path fuzz targets share: a private directory for the files they hand to the
// per-file run, and the checks on the text the program writes.
#pragma once

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "analysis/record/analysis_state.h"

namespace fuzz {

// A property every input must have. Fuzzing stops at the first input without it; the replay of
// kept inputs in the test suite (built with FUZZ_REPLAY) reports it as a failure instead.
inline void require(bool holds, const char* what) {
  if (holds) return;
#ifdef FUZZ_REPLAY
  throw std::runtime_error(what);
#else
  (void)what;
  __builtin_trap();
#endif
}

// A directory of this process's own, removed at exit.
inline const std::filesystem::path& workDirectory() {
  static const std::filesystem::path dir = [] {
    auto path = std::filesystem::temp_directory_path() /
                ("psd-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(path);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(workDirectory(), ignored);
    });
    return path;
  }();
  return dir;
}

inline void writeFile(const std::string& name, std::string_view contents) {
  std::ofstream out(workDirectory() / name, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

// An analysis state as a new window has it, made once: making 15 MB of arrays anew for every
// input would cost more than the whole path (fresh mappings, page faults, unmapping), so the
// one state is put back to all zeros before each input.
inline analysis::AnalysisState& freshState() {
  static analysis::AnalysisState state;
  // A member added to the state must be reset here too: the mirror of the members known here
  // then differs in size.
  struct KnownMembers {
    analysis::FixedArray<double> arrays[13];  // freq .. sumCoh
    double averageRecordSeconds;
    std::int32_t averageSamples;
    analysis::FixedArray<double> moreArrays[16];  // averageFreq .. backTrans2
    std::int16_t counters[3];
    std::int32_t sizes[3];
    std::string firstFileName;
    std::int32_t pooledCount;
    bool recordHasCoefficients;
    double recordSeconds;
    std::int16_t startSizes[4];
  };
  static_assert(sizeof(analysis::AnalysisState) == sizeof(KnownMembers),
                "reset the new member of AnalysisState in freshState()");
  const auto zero = [](auto& array) { std::fill(array.data(), array.data() + array.size(), 0); };
  for (auto* a :
       {&state.freq,       &state.ftRe2,      &state.ftIm2,   &state.psd1,       &state.psd2,
        &state.coh,        &state.rmsCut1,    &state.rmsCut2, &state.sumPsd1,    &state.sumPsd2,
        &state.sumCoh,     &state.refPsd1,    &state.refPsd2, &state.refRmsCut1, &state.refRmsCut2,
        &state.refCoh,     &state.refFreq,    &state.raw1,    &state.raw2,       &state.backTrans1,
        &state.backTrans2, &state.averageFreq}) {
    zero(*a);
  }
  for (auto* a : {&state.ftRe1, &state.ftIm1, &state.rawTime}) zero(*a);
  state.kCount = state.kvCount = state.avWeight = 0;
  state.nSamples = state.nPlot = state.nameStemLength = 0;
  state.firstFileName.clear();
  state.pooledCount = 0;
  state.recordHasCoefficients = false;
  state.recordSeconds = 0;
  state.averageRecordSeconds = 0;
  state.averageSamples = 0;
  state.startWidth = state.startHeight = state.startPlotWidth = state.startPlotHeight = 0;
  return state;
}

// Every field after the first `headerLines` lines of a comma-separated text must read back, in
// full, as a finite number, except the fields of the columns in `textColumns` (0-based); an
// empty field (no value) is allowed.
inline bool everyNumberReadsBackFinite(std::string_view text, int headerLines,
                                       std::initializer_list<int> textColumns = {}) {
  std::size_t pos = 0;
  for (int skipped = 0; skipped < headerLines && pos < text.size(); ++skipped) {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) return true;
    pos = end + 1;
  }
  int column = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of(",\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const bool isText =
        std::find(textColumns.begin(), textColumns.end(), column) != textColumns.end();
    if (end > pos && !isText) {
      const std::string field(text.substr(pos, end - pos));
      char* stop = nullptr;
      const double value = std::strtod(field.c_str(), &stop);
      if (stop != field.c_str() + field.size() || !std::isfinite(value)) return false;
    }
    column = end < text.size() && text[end] == ',' ? column + 1 : 0;
    pos = end + 1;
  }
  return true;
}

// True when text[pos..] starts with `prefix` followed by one or more digits and then `suffix`;
// `pos` moves past the suffix.
inline bool digitsBetween(std::string_view text, std::size_t& pos, std::string_view prefix,
                          std::string_view suffix) {
  if (text.substr(pos, prefix.size()) != prefix) return false;
  pos += prefix.size();
  const std::size_t first = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  if (pos == first) return false;
  if (text.substr(pos, suffix.size()) != suffix) return false;
  pos += suffix.size();
  return true;
}

}  // namespace fuzz
