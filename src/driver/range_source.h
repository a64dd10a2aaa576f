// The bytes of the listed range, in order, however the file lets them be
// reached: a file that positions, a stream that can only be read forward,
// a kernel file that answers only from offset 0, a file that changed since
// it was sized, data whose last bytes must be kept until it ends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/block_reader.h"
#include "driver/range.h"
#include "driver/tail_window.h"
#include "platform/platform.h"

namespace pelk {

class RangeSource {
 public:
  // How the handing over ended.
  enum class Ending {
    DataEnded,     // the range is done, or the data ended first (before its start, too)
    ReadFailed,    // a read failed; error() tells why
    StartRefused,  // the system refused the start of a file of known size;
                   // error() tells why, and no byte was handed over
  };

  RangeSource(platform::FileHandle file, const ReadPlan& plan);

  // Hands over the range's next bytes (length > 0) and returns true, or
  // returns false once there are no more, from then on; ending() then says
  // why.  The bytes stay valid until the next call.  A range from a start
  // is never read past its end.  The last bytes of data of unknown size,
  // or of a file that has shrunk since it was sized, are found by reading
  // the data through to its end, keeping only those bytes.
  bool next(const std::uint8_t*& bytes, std::size_t& length);

  Ending ending() const;
  std::uint32_t error() const { return startRefused_ ? startError_ : reader_.error(); }

 private:
  enum class Stage { Start, Forward, Tail, Done };

  // Brings the reading to the range's start and says what comes next: one
  // way for each kind of plan.
  Stage reachStart();
  Stage reachSizedRange();
  Stage reachSizedLast();
  Stage reachUnsizedRange();
  Stage refuseStart();
  bool backToOffsetZero();
  Stage skipForward();
  bool readFirstBlockWhole();
  bool readsAnythingAtPosition();
  Stage readTail();

  platform::FileHandle file_;
  ReadPlan plan_;
  BlockReader reader_;
  TailWindow window_;
  Stage stage_ = Stage::Start;
  std::int64_t at_ = 0;       // Forward: the offset of the next byte to hand over
  std::size_t handed_ = 0;    // Tail: the kept bytes handed over so far
  bool startRefused_ = false;
  std::uint32_t startError_ = 0;
};

}  // namespace pelk
