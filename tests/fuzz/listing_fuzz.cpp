// Fuzzes the listing engine: random bytes, a random layout, a random range,
// fed in random pieces through buffers of random size.  The output must
// equal the byte-at-a-time rules and have exactly the length they imply.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "driver/range.h"
#include "fuzz/fuzz_input.h"
#include "output/layouts.h"
#include "support/reference_listing.h"

namespace {

void require(bool promise) {
  if (!promise) std::abort();
}

bool appendTo(void* context, const std::uint8_t* bytes, std::size_t length) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(bytes), length);
  return true;
}

std::size_t expectedLength(pelk::DisplayMode mode, std::size_t n) {
  const std::size_t lines = n / 16;
  const std::size_t k = n % 16;
  switch (mode) {
    case pelk::DisplayMode::Hex: return 3 * n;
    case pelk::DisplayMode::Ascii: return 2 * n;
    case pelk::DisplayMode::Default: return 85 * lines + (k != 0 ? 52 + 2 * k + 1 : 0);
    case pelk::DisplayMode::Interleaved: return 105 * lines + (k != 0 ? 2 * (3 * k + k / 4) + 2 : 0);
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pelk::testing::FuzzInput in{data, size};
  const auto mode = static_cast<pelk::DisplayMode>(in.take(1) % 4);
  const auto kernelChoice = in.take(1);
  pelk::ListingOptions options;
  switch (in.take(1) % 4) {
    case 0: break;  // the whole file
    case 1: options.count = 1 + static_cast<std::int64_t>(in.take(2)); break;
    case 2: options.fromStart = false; options.count = 1 + static_cast<std::int64_t>(in.take(2)); break;
    default:
      options.offset = static_cast<std::int64_t>(in.take(2));
      options.count = 1 + static_cast<std::int64_t>(in.take(2));
  }
  const std::size_t piece = 1 + in.take(2) % 4096;
  const std::size_t capacity = 105 + in.take(2) % 8192;
  const std::string_view bytes(reinterpret_cast<const char*>(in.data), in.size);

  // Cut the range out of the data as the driver would, the file's size known.
  std::optional<std::int64_t> fileSize;
  if (!bytes.empty()) fileSize = static_cast<std::int64_t>(bytes.size());
  const pelk::ReadPlan plan = pelk::resolveRange(options, fileSize);
  std::string_view shown;
  if (plan.kind == pelk::ReadKind::UnsizedLast) {
    shown = bytes.substr(bytes.size() - std::min(plan.window, bytes.size()));
  } else if (plan.kind != pelk::ReadKind::Nothing && plan.start < static_cast<std::int64_t>(bytes.size())) {
    shown = bytes.substr(static_cast<std::size_t>(plan.start), static_cast<std::size_t>(plan.end - plan.start));
  }

  std::string out;
  pelk::OutputBuffer buffer(appendTo, &out, capacity);
  pelk::LayoutState state;
  state.mode = mode;
  // The fast writers, the portable ones, or those of a terminal or a console.
  using pelk::testing::Device;
  Device device = Device::File;
  state.kernels = pelk::ssse3Kernels() != nullptr ? pelk::ssse3Kernels() : &pelk::portableKernels();
  switch (kernelChoice % 4) {
    case 1:
      state.kernels = &pelk::portableKernels();
      break;
    case 2:
      state.kernels = &pelk::terminalKernels();
      device = Device::Terminal;
      break;
    case 3:
      state.kernels = &pelk::consoleKernels(pelk::kConsoleRenderings);
      device = Device::Console;
      break;
    default:
      break;
  }
  for (std::size_t at = 0; at < shown.size(); at += piece) {
    const std::size_t n = std::min(piece, shown.size() - at);
    pelk::layoutBytes(state, reinterpret_cast<const std::uint8_t*>(shown.data() + at), n, buffer);
  }
  // Finished twice: the second finish writes nothing.
  pelk::finishLayout(state, buffer);
  pelk::finishLayout(state, buffer);
  buffer.flush();

  require(out == pelk::testing::referenceListing(mode, shown, device));
  require(out.size() == expectedLength(mode, shown.size()));
  return 0;
}
