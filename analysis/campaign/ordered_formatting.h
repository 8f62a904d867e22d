// Text made in numbered blocks on two threads and handed on in order: while the calling thread
// hands one block to the sink (for a file, the system copying it into the page cache), the two
// threads format the next ones, at most a few blocks ahead, so that the text is held a few
// blocks at a time whatever its length.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "datafiles/text_file.h"

namespace analysis {

// Calls `format(block, text)` for blocks 0 .. count - 1 (`text` cleared before, the block's
// text appended to it) on two threads, and `sink` with each block's text on the calling thread,
// in block order. An exception of either is rethrown here once the threads have ended.
void formatInOrder(std::size_t count, const std::function<void(std::size_t, std::string&)>& format,
                   const datafiles::ChunkSink& sink);

}  // namespace analysis
