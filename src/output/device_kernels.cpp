// The line writers for what standard output is.  Apart from the kernels
// themselves, so that only the program, not every user of the writers,
// asks the platform about the console.
#include "output/line_kernels.h"
#include "output/render.h"
#include "platform/platform.h"

namespace pelk {

static_assert(platform::kLeadByte == kConsoleLeadByte);

const LineKernels& kernelsFor(platform::OutputDevice device) {
  switch (device) {
    case platform::OutputDevice::Terminal:
      return terminalKernels();
    case platform::OutputDevice::Console:
      return consoleKernels(makeConsoleRenderings(platform::consoleCodePoint));
    case platform::OutputDevice::Other:
      break;
  }
  return fastestKernels();
}

}  // namespace pelk
