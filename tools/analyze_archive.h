// psd-analyze with a station archive (--mseed or --sds): the segments whose start lies in
// --from .. --to (UTC, --to exclusive) are the records, in time order.
//
// Per-record run: each segment is analysed as a measurement file would be
// (FileAnalysis::analyzeRecord), with --average as for FILEs, one summary line per segment on
// `err`, then every output of the FILEs' run on the last segment or the average. --raw-csv
// writes the last segment's samples divided by the sensitivity (mum/s), sample, time from the
// segment's start (s), raw1, raw2. A segment's record length is T = N / rate (not the file-name
// rule of the spectrum files).
//
// --campaign PREFIX: every segment is a record of the campaign's four tables (the files table
// names it ID1[+ID2]@START, its start time the segment's, UTC); --hours and --weekdays select
// among them as among files. The campaign cache holds each segment's reading as it holds a
// file's (--cache, --no-cache; analysis/archive/segment_readings.h says what its key holds).
// --threads N (default one per core)
// computes N consecutive segments' spectra and readings at once (and, N >= 2, decodes a day's
// two channel files at once); the tables are the same for every N.
//
// Damaged files and records and left-out segments are reported on `err`; a missing response
// ends the run (status 1) naming the channel.
#pragma once

#include <iosfwd>
#include <string>

#include "analysis/record/file_analysis.h"
#include "tools/analyze_command_line.h"

namespace tools {

// What psd_analyze.cpp writes after its records: (options, state, kind of the last record,
// its T, its name, the raw text for --raw-csv or null) -> exit status.
using WriteOutputs = int (*)(const AnalyzeOptions&, analysis::AnalysisState&, analysis::FileKind,
                             double, const std::string&, const std::string*);

int runArchiveRecords(const AnalyzeOptions& options, WriteOutputs writeOutputs, std::ostream& err);

int runArchiveCampaign(const CampaignOptions& campaign, const ArchiveOptions& archive,
                       std::ostream& err);

}  // namespace tools
