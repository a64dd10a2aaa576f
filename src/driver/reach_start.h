// Bringing the reading to the range's first byte, whatever the file is: a
// file that positions, a stream that can only be read forward, a kernel
// file that answers only from offset 0, a file that changed since it was
// sized.
#pragma once

#include "driver/block_reader.h"
#include "driver/range.h"
#include "platform/platform.h"

namespace pelk {

// Where reaching the range's start left the reading.
enum class Reach {
  Here,            // the reader stands at the range's start
  FromZero,        // the last bytes ended early: the reader stands at offset 0
  Missed,          // the data ended, or a read failed, before the start
  PositionFailed,  // the system refused the start of a file of known size
};

// Nothing is written before this returns; what it reads past the start is
// held in the reader for the listing.  After PositionFailed, lastError()
// tells why.
Reach reachStart(platform::FileHandle file, BlockReader& reader, const ReadPlan& plan);

}  // namespace pelk
