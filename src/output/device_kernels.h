// The line writers for what standard output is.  Apart from the kernels
// themselves, so that only the program, not every user of the writers,
// asks the platform about the console.
#pragma once

#include "output/line_kernels.h"
#include "platform/platform.h"

namespace pelk {

// The writers for `device`, chosen once a run.  The text columns on a
// terminal or console must not hold bytes it would act on; files and pipes
// get the bytes as they are, through the fastest writers.
const LineKernels& kernelsFor(platform::OutputDevice device);

}  // namespace pelk
