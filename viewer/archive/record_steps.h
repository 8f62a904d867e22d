// Records that are no files, which the main window's loop steps through as it steps through
// its file list: a station archive's segments (segment_steps.h). The window keeps the steps of
// the record it shows (Display::showRecord); while it has them, "Start" asks them for the next
// record once per tick instead of selecting the next file, and a file clicked in the file list
// returns the loop to the files.
#pragma once

namespace viewer {

class RecordSteps {
 public:
  virtual ~RecordSteps() = default;
  // The record asked for last is still being computed: the loop's tick is skipped, as a tick
  // during a file's run is.
  virtual bool busy() const = 0;
  // Asks for the record after the one asked for last; it is computed and shown (through
  // Display::showRecord) later. False, and nothing asked for, when that was the last record.
  virtual bool next() = 0;
};

}  // namespace viewer
