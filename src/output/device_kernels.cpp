#include "output/device_kernels.h"

#include "output/render.h"

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
