#include "output/line_kernels.h"

#include <array>
#include <cstring>

#include "output/layout_geometry.h"
#include "output/render.h"

// The processor-specific writers, unless the build asks for the portable
// ones alone.  NEON is part of every aarch64 processor; SSSE3 is checked
// for at run time.
#if !defined(PELK_PORTABLE_KERNELS_ONLY) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define PELK_HAVE_SSSE3_KERNELS 1
#endif
#if !defined(PELK_PORTABLE_KERNELS_ONLY) && defined(__aarch64__) && defined(__ARM_NEON)
#include <arm_neon.h>
#define PELK_HAVE_NEON_KERNELS 1
#endif

namespace pelk {
namespace {

// ---- Portable ---------------------------------------------------------------

void copyPair(const CharPair& pair, std::uint8_t* out) { std::memcpy(out, pair.data(), 2); }

// Sixteen cells from `table` in the grouped row shape.
void writeGroupedRow(const PairTable& table, const std::uint8_t* in, std::uint8_t* out) {
  std::memset(out, ' ', kGroupedRowWidth);
  for (std::size_t i = 0; i < kBytesPerLine; ++i) copyPair(table[in[i]], out + groupedColumn(i));
}

template <const PairTable& Text>
std::uint8_t* portableDefaultLines(const std::uint8_t* in, std::size_t lines, std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kDefaultLineWidth) {
    writeGroupedRow(kHexPairs, in, out);
    for (std::size_t i = 0; i < kBytesPerLine; ++i) {
      copyPair(Text[in[i]], out + kGroupedRowWidth + 2 * i);
    }
    writeLineEnd(out + kDefaultLineWidth - kLineEndWidth);
  }
  return out;
}

template <const PairTable& Text>
std::uint8_t* portableInterleavedBlocks(const std::uint8_t* in, std::size_t lines,
                                        std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kInterleavedBlockWidth) {
    writeGroupedRow(kHexPairs, in, out);
    writeLineEnd(out + kInterleavedHexEnd);
    writeGroupedRow(Text, in, out + kInterleavedTextStart);
    writeLineEnd(writeLineEnd(out + kInterleavedBlockWidth - 2 * kLineEndWidth));
  }
  return out;
}

std::uint8_t* portableHexRuns(const std::uint8_t* in, std::size_t lines, std::uint8_t* out) {
  for (std::size_t i = 0; i < lines * kBytesPerLine; ++i, out += 3) {
    copyPair(kHexPairs[in[i]], out);
    out[2] = ' ';
  }
  return out;
}

template <const PairTable& Text>
std::uint8_t* portableAsciiRuns(const std::uint8_t* in, std::size_t lines, std::uint8_t* out) {
  for (std::size_t i = 0; i < lines * kBytesPerLine; ++i, out += 2) copyPair(Text[in[i]], out);
  return out;
}

template <const PairTable& Text>
constexpr LineKernels portableWith(const char* name) {
  return {name, &Text, portableDefaultLines<Text>, portableInterleavedBlocks<Text>,
          portableHexRuns, portableAsciiRuns<Text>};
}

constexpr LineKernels kPortable = portableWith<kRenderings>("portable");
constexpr LineKernels kTerminal = portableWith<kTerminalRenderings>("terminal");
// The console's table depends on its code page, known only at run time.
PairTable consoleRenderings = kConsoleRenderings;
constexpr LineKernels kConsole = portableWith<consoleRenderings>("console");

#if defined(PELK_HAVE_SSSE3_KERNELS) || defined(PELK_HAVE_NEON_KERNELS)
// ---- Byte shuffles ------------------------------------------------------------
//
// A line's 16 bytes become two registers of characters: cells 0-7 and cells
// 8-15, two characters a cell (hex digits or renderings).  Byte shuffles
// (SSSE3's pshufb, NEON's table lookups) then spread the cells over the
// output columns; an index of 0x80 yields 0 in both, which an OR with the
// space pattern turns into a space.  The masks are computed here from the
// layouts' column rules.

using Shuffle = std::array<std::uint8_t, 16>;

// The character (0 to 31) that column `c` of the grouped row shows, or -1
// for a space.
constexpr int groupedSource(int c) {
  for (std::size_t i = 0; i < kBytesPerLine; ++i) {
    const int within = c - static_cast<int>(groupedColumn(i));
    if (within == 0 || within == 1) return 2 * static_cast<int>(i) + within;
  }
  return -1;
}

// The same for the Hex layout's run: "hh " for each byte.
constexpr int spacedSource(int c) { return c % 3 == 2 ? -1 : 2 * (c / 3) + c % 3; }

// Output columns firstColumn to firstColumn + 15, taken from a window of
// `windowSize` characters (16: one register, 32: both) that starts at
// character `windowStart`.
template <bool Grouped>
constexpr Shuffle shuffleFor(int firstColumn, int windowStart, int windowSize = 16) {
  Shuffle mask{};
  for (int k = 0; k < 16; ++k) {
    const int source = Grouped ? groupedSource(firstColumn + k) : spacedSource(firstColumn + k);
    const int index = source - windowStart;
    if (source >= 0 && (index < 0 || index >= windowSize)) throw "column outside the shuffle window";
    mask[k] = source < 0 ? 0x80 : static_cast<std::uint8_t>(index);
  }
  return mask;
}

template <bool Grouped>
constexpr Shuffle spacesFor(int firstColumn) {
  Shuffle spaces{};
  for (int k = 0; k < 16; ++k) {
    const int source = Grouped ? groupedSource(firstColumn + k) : spacedSource(firstColumn + k);
    spaces[k] = source < 0 ? ' ' : 0;
  }
  return spaces;
}

// Where spaces go in each 16 columns of the grouped row and the Hex run.
alignas(16) constexpr Shuffle kGroupedSpaces0 = spacesFor<true>(0);
alignas(16) constexpr Shuffle kGroupedSpaces1 = spacesFor<true>(16);
alignas(16) constexpr Shuffle kGroupedSpaces2 = spacesFor<true>(32);
alignas(16) constexpr Shuffle kGroupedSpaces3 = spacesFor<true>(36);

alignas(16) constexpr Shuffle kSpacedSpaces0 = spacesFor<false>(0);
alignas(16) constexpr Shuffle kSpacedSpaces1 = spacesFor<false>(16);
alignas(16) constexpr Shuffle kSpacedSpaces2 = spacesFor<false>(32);

// Renderings of the bytes 0 to 15, split into first and second characters;
// bytes from 15 up look up entry 15, the plain " " and the byte itself.
// The second characters are stored XOR the byte, so that XOR with the byte
// gives them back and leaves bytes from 15 up unchanged.
constexpr Shuffle makeFirstChars() {
  Shuffle t{};
  for (int b = 0; b < 16; ++b) t[b] = static_cast<std::uint8_t>(kRenderings[b][0]);
  return t;
}
constexpr Shuffle makeSecondCharsXor() {
  Shuffle t{};
  for (int b = 0; b < 16; ++b) t[b] = static_cast<std::uint8_t>(kRenderings[b][1] ^ b);
  return t;
}
alignas(16) constexpr Shuffle kFirstChars = makeFirstChars();
alignas(16) constexpr Shuffle kSecondCharsXor = makeSecondCharsXor();
static_assert(kFirstChars[15] == ' ' && kSecondCharsXor[15] == 0);

alignas(16) constexpr char kHexDigits[17] = "0123456789abcdef";

#endif

#ifdef PELK_HAVE_SSSE3_KERNELS
// ---- SSSE3 ------------------------------------------------------------------

// Grouped row: columns 0-15 come from cells 0-7, 16-31 from a window that
// starts at character 10, 32-47 and 36-51 from cells 8-15.
alignas(16) constexpr Shuffle kGroupedShuffle0 = shuffleFor<true>(0, 0);
alignas(16) constexpr Shuffle kGroupedShuffle1 = shuffleFor<true>(16, 10);
alignas(16) constexpr Shuffle kGroupedShuffle2 = shuffleFor<true>(32, 16);
alignas(16) constexpr Shuffle kGroupedShuffle3 = shuffleFor<true>(36, 16);
// Hex run: columns 0-15 from cells 0-7, 16-31 from a window at character
// 11, 32-47 from cells 8-15.
alignas(16) constexpr Shuffle kSpacedShuffle0 = shuffleFor<false>(0, 0);
alignas(16) constexpr Shuffle kSpacedShuffle1 = shuffleFor<false>(16, 11);
alignas(16) constexpr Shuffle kSpacedShuffle2 = shuffleFor<false>(32, 16);

#define PELK_SSSE3 __attribute__((target("ssse3")))

PELK_SSSE3 inline __m128i load(const void* p) {
  return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
PELK_SSSE3 inline void store(std::uint8_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
PELK_SSSE3 inline __m128i spread(__m128i window, const Shuffle& mask, const Shuffle& spaces) {
  return _mm_or_si128(_mm_shuffle_epi8(window, load(mask.data())), load(spaces.data()));
}

// Hex digits of 16 bytes: cells 0-7 in `low`, cells 8-15 in `high`.
PELK_SSSE3 inline void hexCells(__m128i bytes, __m128i& low, __m128i& high) {
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i digits = load(kHexDigits);
  const __m128i first = _mm_shuffle_epi8(digits, _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
  const __m128i second = _mm_shuffle_epi8(digits, _mm_and_si128(bytes, nibble));
  low = _mm_unpacklo_epi8(first, second);
  high = _mm_unpackhi_epi8(first, second);
}

// Text renderings of 16 bytes, laid out like hexCells.
PELK_SSSE3 inline void renderCells(__m128i bytes, __m128i& low, __m128i& high) {
  const __m128i entry = _mm_min_epu8(bytes, _mm_set1_epi8(15));
  const __m128i first = _mm_shuffle_epi8(load(kFirstChars.data()), entry);
  const __m128i second = _mm_xor_si128(bytes, _mm_shuffle_epi8(load(kSecondCharsXor.data()), entry));
  low = _mm_unpacklo_epi8(first, second);
  high = _mm_unpackhi_epi8(first, second);
}

// The 52 columns of a grouped row from its cells.
PELK_SSSE3 inline void storeGroupedRow(__m128i low, __m128i high, std::uint8_t* out) {
  store(out, spread(low, kGroupedShuffle0, kGroupedSpaces0));
  store(out + 16, spread(_mm_alignr_epi8(high, low, 10), kGroupedShuffle1, kGroupedSpaces1));
  store(out + 32, spread(high, kGroupedShuffle2, kGroupedSpaces2));
  store(out + 36, spread(high, kGroupedShuffle3, kGroupedSpaces3));
}

PELK_SSSE3 std::uint8_t* ssse3DefaultLines(const std::uint8_t* in, std::size_t lines,
                                           std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kDefaultLineWidth) {
    const __m128i bytes = load(in);
    __m128i low, high;
    hexCells(bytes, low, high);
    storeGroupedRow(low, high, out);
    renderCells(bytes, low, high);
    store(out + kGroupedRowWidth, low);
    store(out + kGroupedRowWidth + 16, high);
    writeLineEnd(out + kDefaultLineWidth - kLineEndWidth);
  }
  return out;
}

PELK_SSSE3 std::uint8_t* ssse3InterleavedBlocks(const std::uint8_t* in, std::size_t lines,
                                                std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kInterleavedBlockWidth) {
    const __m128i bytes = load(in);
    __m128i low, high;
    hexCells(bytes, low, high);
    storeGroupedRow(low, high, out);
    writeLineEnd(out + kInterleavedHexEnd);
    renderCells(bytes, low, high);
    storeGroupedRow(low, high, out + kInterleavedTextStart);
    writeLineEnd(writeLineEnd(out + kInterleavedBlockWidth - 2 * kLineEndWidth));
  }
  return out;
}

PELK_SSSE3 std::uint8_t* ssse3HexRuns(const std::uint8_t* in, std::size_t lines,
                                      std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kHexRunWidth) {
    __m128i low, high;
    hexCells(load(in), low, high);
    store(out, spread(low, kSpacedShuffle0, kSpacedSpaces0));
    store(out + 16, spread(_mm_alignr_epi8(high, low, 11), kSpacedShuffle1, kSpacedSpaces1));
    store(out + 32, spread(high, kSpacedShuffle2, kSpacedSpaces2));
  }
  return out;
}

PELK_SSSE3 std::uint8_t* ssse3AsciiRuns(const std::uint8_t* in, std::size_t lines,
                                        std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kAsciiRunWidth) {
    __m128i low, high;
    renderCells(load(in), low, high);
    store(out, low);
    store(out + 16, high);
  }
  return out;
}

constexpr LineKernels kSsse3{"ssse3", &kRenderings, ssse3DefaultLines, ssse3InterleavedBlocks, ssse3HexRuns,
                             ssse3AsciiRuns};
#endif

#ifdef PELK_HAVE_NEON_KERNELS
// ---- NEON -------------------------------------------------------------------
//
// The same shuffles as SSSE3's; a two-register table lookup reads the cells
// of both halves at once, so every mask here spans all 32 characters.

alignas(16) constexpr Shuffle kWideGrouped0 = shuffleFor<true>(0, 0, 32);
alignas(16) constexpr Shuffle kWideGrouped1 = shuffleFor<true>(16, 0, 32);
alignas(16) constexpr Shuffle kWideGrouped2 = shuffleFor<true>(32, 0, 32);
alignas(16) constexpr Shuffle kWideGrouped3 = shuffleFor<true>(36, 0, 32);
alignas(16) constexpr Shuffle kWideSpaced0 = shuffleFor<false>(0, 0, 32);
alignas(16) constexpr Shuffle kWideSpaced1 = shuffleFor<false>(16, 0, 32);
alignas(16) constexpr Shuffle kWideSpaced2 = shuffleFor<false>(32, 0, 32);

inline uint8x16_t vload(const void* p) { return vld1q_u8(static_cast<const std::uint8_t*>(p)); }

inline uint8x16_t vspread(uint8x16x2_t cells, const Shuffle& mask, const Shuffle& spaces) {
  return vorrq_u8(vqtbl2q_u8(cells, vload(mask.data())), vload(spaces.data()));
}

// Hex digits of 16 bytes: cells 0-7 in val[0], cells 8-15 in val[1].
inline uint8x16x2_t vhexCells(uint8x16_t bytes) {
  const uint8x16_t digits = vload(kHexDigits);
  const uint8x16_t first = vqtbl1q_u8(digits, vshrq_n_u8(bytes, 4));
  const uint8x16_t second = vqtbl1q_u8(digits, vandq_u8(bytes, vdupq_n_u8(0x0F)));
  return {{vzip1q_u8(first, second), vzip2q_u8(first, second)}};
}

// Text renderings of 16 bytes, laid out like vhexCells.
inline uint8x16x2_t vrenderCells(uint8x16_t bytes) {
  const uint8x16_t entry = vminq_u8(bytes, vdupq_n_u8(15));
  const uint8x16_t first = vqtbl1q_u8(vload(kFirstChars.data()), entry);
  const uint8x16_t second = veorq_u8(bytes, vqtbl1q_u8(vload(kSecondCharsXor.data()), entry));
  return {{vzip1q_u8(first, second), vzip2q_u8(first, second)}};
}

inline void vstoreGroupedRow(uint8x16x2_t cells, std::uint8_t* out) {
  vst1q_u8(out, vspread(cells, kWideGrouped0, kGroupedSpaces0));
  vst1q_u8(out + 16, vspread(cells, kWideGrouped1, kGroupedSpaces1));
  vst1q_u8(out + 32, vspread(cells, kWideGrouped2, kGroupedSpaces2));
  vst1q_u8(out + 36, vspread(cells, kWideGrouped3, kGroupedSpaces3));
}

std::uint8_t* neonDefaultLines(const std::uint8_t* in, std::size_t lines, std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kDefaultLineWidth) {
    const uint8x16_t bytes = vload(in);
    vstoreGroupedRow(vhexCells(bytes), out);
    const uint8x16x2_t text = vrenderCells(bytes);
    vst1q_u8(out + kGroupedRowWidth, text.val[0]);
    vst1q_u8(out + kGroupedRowWidth + 16, text.val[1]);
    writeLineEnd(out + kDefaultLineWidth - kLineEndWidth);
  }
  return out;
}

std::uint8_t* neonInterleavedBlocks(const std::uint8_t* in, std::size_t lines, std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kInterleavedBlockWidth) {
    const uint8x16_t bytes = vload(in);
    vstoreGroupedRow(vhexCells(bytes), out);
    writeLineEnd(out + kInterleavedHexEnd);
    vstoreGroupedRow(vrenderCells(bytes), out + kInterleavedTextStart);
    writeLineEnd(writeLineEnd(out + kInterleavedBlockWidth - 2 * kLineEndWidth));
  }
  return out;
}

std::uint8_t* neonHexRuns(const std::uint8_t* in, std::size_t lines, std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kHexRunWidth) {
    const uint8x16x2_t cells = vhexCells(vload(in));
    vst1q_u8(out, vspread(cells, kWideSpaced0, kSpacedSpaces0));
    vst1q_u8(out + 16, vspread(cells, kWideSpaced1, kSpacedSpaces1));
    vst1q_u8(out + 32, vspread(cells, kWideSpaced2, kSpacedSpaces2));
  }
  return out;
}

std::uint8_t* neonAsciiRuns(const std::uint8_t* in, std::size_t lines, std::uint8_t* out) {
  for (; lines > 0; --lines, in += kBytesPerLine, out += kAsciiRunWidth) {
    const uint8x16x2_t text = vrenderCells(vload(in));
    vst1q_u8(out, text.val[0]);
    vst1q_u8(out + 16, text.val[1]);
  }
  return out;
}

constexpr LineKernels kNeon{"neon", &kRenderings, neonDefaultLines, neonInterleavedBlocks,
                            neonHexRuns, neonAsciiRuns};
#endif

}  // namespace

const LineKernels& portableKernels() { return kPortable; }
const LineKernels& terminalKernels() { return kTerminal; }
const LineKernels& consoleKernels(const PairTable& renderings) {
  consoleRenderings = renderings;
  return kConsole;
}

const LineKernels* ssse3Kernels() {
#ifdef PELK_HAVE_SSSE3_KERNELS
  if (__builtin_cpu_supports("ssse3")) return &kSsse3;
#endif
  return nullptr;
}

const LineKernels* neonKernels() {
#ifdef PELK_HAVE_NEON_KERNELS
  return &kNeon;
#else
  return nullptr;
#endif
}

const LineKernels& fastestKernels() {
  static const LineKernels* const chosen = [] {
    if (const LineKernels* neon = neonKernels()) return neon;
    if (const LineKernels* ssse3 = ssse3Kernels()) return ssse3;
    return &kPortable;
  }();
  return *chosen;
}

}  // namespace pelk
