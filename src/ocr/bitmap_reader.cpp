// Decoding Windows bitmap files into ink rows, with every size checked against the bytes held.
#include "ocr/bitmap_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "ocr/cpu_features.h"
#include "text/line_file.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define ZENTROPE_INK_SIMD 1
#endif

namespace ocr {
namespace {

// File layout (all numbers little-endian):
//   0  "BM"   2 file size   6 reserved   10 offset of the pixel data
//   14 header size, then the header:
//      12 (core):  18 width u16, 20 height u16, 22 planes, 24 bits per pixel
//      40 and up:  18 width s32, 22 height s32 (negative: top row first), 26 planes,
//                  28 bits per pixel, 30 compression, 34 image size, 38/42 resolution,
//                  46 colours used, 50 colours important
//      52 and up:  54 red mask, 58 green mask, 62 blue mask; 56 and up: 66 alpha mask
//   the palette follows the header: 4 bytes (B, G, R, 0) an entry, 3 for the core header; with
//   a 40-byte header and bit fields the masks come first, in the palette's place.
constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

std::uint32_t U16(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}
std::uint32_t U32(const unsigned char* p) {
  return U16(p) | U16(p + 2) << 16;
}

text::Status Refuse(const std::string& why) {
  return text::Error{"format", why};
}

// The eight pixels of a 1-bit byte, first (highest bit) first: 1 where the bit is set.
constexpr auto kBitBytes = [] {
  std::array<std::array<std::uint8_t, 8>, 256> table{};
  for (int b = 0; b < 256; ++b) {
    for (int k = 0; k < 8; ++k) {
      table[static_cast<std::size_t>(b)][static_cast<std::size_t>(k)] =
          static_cast<std::uint8_t>((b >> (7 - k)) & 1);
    }
  }
  return table;
}();

// The first three bytes in memory of a four-byte value loaded with memcpy.
constexpr std::uint32_t kLowThreeBytes =
    std::endian::native == std::endian::little ? 0x00FFFFFFU : 0xFFFFFF00U;

#if ZENTROPE_INK_SIMD
// Vector forms of the ink tests, each doing whole blocks of 16 pixels and returning how many
// pixels it did; the scalar loops finish the row. SSE2 is part of every x86-64 processor; the
// 24-bit form needs SSSE3's byte shuffle and is used where the processor has it, with steps of
// 32 pixels where it has AVX2.

// For channel c (0 to 2) of pixel p (0 to 15) in a 48-byte block: byte 3p + c, taken from the
// 16-byte vector k holding it; lanes whose byte lies in another vector are 0x80 (zero).
constexpr auto kGatherMasks = [] {
  std::array<std::array<std::int8_t, 16>, 9> masks{};
  for (int k = 0; k < 3; ++k) {
    for (int c = 0; c < 3; ++c) {
      for (int p = 0; p < 16; ++p) {
        const int at = 3 * p + c - 16 * k;
        masks[static_cast<std::size_t>(3 * k + c)][static_cast<std::size_t>(p)] =
            static_cast<std::int8_t>(at >= 0 && at < 16 ? at : -128);
      }
    }
  }
  return masks;
}();

// The nine gather masks as vectors.
void LoadGatherMasks(__m128i* masks) {
  for (std::size_t i = 0; i < 9; ++i) {
    masks[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kGatherMasks[i].data()));
  }
}

// 24 bits, one block of 16 pixels (48 bytes) that holds a zero byte: each pixel's three bytes
// are gathered into three vectors and OR-ed; ink where that is 0.
__attribute__((target("ssse3"))) inline void InkOf24BitBlock(const unsigned char* block,
                                                             const __m128i* masks,
                                                             std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  __m128i any = zero;
  for (std::size_t k = 0; k < 3; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
    any = _mm_or_si128(any, _mm_shuffle_epi8(v, masks[3 * k]));
    any = _mm_or_si128(any, _mm_shuffle_epi8(v, masks[3 * k + 1]));
    any = _mm_or_si128(any, _mm_shuffle_epi8(v, masks[3 * k + 2]));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_and_si128(_mm_cmpeq_epi8(any, zero), _mm_set1_epi8(1)));
}

// 24 bits: a pixel is ink when its three bytes are all 0.
__attribute__((target("ssse3"))) std::size_t InkOf24BitBlocks(const unsigned char* in,
                                                              std::size_t count,
                                                              std::uint8_t* out) {
  __m128i masks[9];
  LoadGatherMasks(masks);
  const __m128i zero = _mm_setzero_si128();
  std::size_t x = 0;
  for (; x + 16 <= count; x += 16) {
    const unsigned char* block = in + 3 * x;
    __m128i v[3];
    for (std::size_t k = 0; k < 3; ++k) {
      v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
    }
    // Most blocks of a subtitle picture hold no zero byte at all, so no ink: cheap to tell.
    const __m128i low = _mm_min_epu8(_mm_min_epu8(v[0], v[1]), v[2]);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(low, zero)) == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), zero);
      continue;
    }
    InkOf24BitBlock(block, masks, out + x);
  }
  return x;
}

// As above, 32 pixels (96 bytes) a step where the processor has AVX2: a step without a zero
// byte is told with one comparison and written with one store.
__attribute__((target("avx2"))) std::size_t InkOf24BitBlocksWide(const unsigned char* in,
                                                                 std::size_t count,
                                                                 std::uint8_t* out) {
  __m128i masks[9];
  LoadGatherMasks(masks);
  const __m256i zero = _mm256_setzero_si256();
  std::size_t x = 0;
  for (; x + 32 <= count; x += 32) {
    const unsigned char* block = in + 3 * x;
    __m256i v[3];
    for (std::size_t k = 0; k < 3; ++k) {
      v[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * k));
    }
    const __m256i low = _mm256_min_epu8(_mm256_min_epu8(v[0], v[1]), v[2]);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, zero)) == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), zero);
      continue;
    }
    InkOf24BitBlock(block, masks, out + x);
    InkOf24BitBlock(block + 48, masks, out + x + 16);
  }
  return x + InkOf24BitBlocks(in + 3 * x, count - x, out + x);
}

// The ink test of palette indices whose ink entries are at most one index `single` (-1: none)
// and every index from `tail` up (`tail` at or past the last index: none): 1 for ink, 0 else.
class IndexInkTest {
 public:
  IndexInkTest(int single, int tail, int indices)
      : single_(single >= 0),
        tail_(tail < indices),
        single_index_(_mm_set1_epi8(static_cast<char>(single))),
        tail_index_(_mm_set1_epi8(static_cast<char>(tail))) {}

  __m128i operator()(__m128i index) const {
    __m128i ink = single_ ? _mm_cmpeq_epi8(index, single_index_) : _mm_setzero_si128();
    if (tail_) {
      ink = _mm_or_si128(ink, _mm_cmpeq_epi8(_mm_max_epu8(index, tail_index_), index));
    }
    return _mm_and_si128(ink, _mm_set1_epi8(1));
  }

 private:
  bool single_;
  bool tail_;
  __m128i single_index_;
  __m128i tail_index_;
};

// 4 bits, two pixels a byte (the first in the high half), with the ink indices shaped as for
// IndexInkTest: 32 pixels from 16 bytes a step. Returns the bytes done.
std::size_t InkOfNibbleBlocks(const std::uint8_t* in, std::size_t bytes, int single, int tail,
                              std::uint8_t* out) {
  const IndexInkTest ink_of(single, tail, 16);
  const __m128i low_half = _mm_set1_epi8(0x0F);
  std::size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i first = ink_of(_mm_and_si128(_mm_srli_epi16(v, 4), low_half));
    const __m128i second = ink_of(_mm_and_si128(v, low_half));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_unpacklo_epi8(first, second));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i + 16),
                     _mm_unpackhi_epi8(first, second));
  }
  return i;
}

// 1 bit: the 64 pixels of eight bytes (the first pixel in the top bit of the first byte) as
// ink bytes; each byte is spread over eight lanes by unpacking it with itself three times, and
// each lane keeps its own bit. `set_is_ink` tells which bit value is ink.
inline void InkOfEightBitBytes(const unsigned char* in, bool set_is_ink, std::uint8_t* out) {
  const __m128i bits = _mm_setr_epi8(-128, 64, 32, 16, 8, 4, 2, 1, -128, 64, 32, 16, 8, 4, 2, 1);
  const __m128i one = _mm_set1_epi8(1);
  const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
  const __m128i twos = _mm_unpacklo_epi8(v, v);
  const __m128i fours[2] = {_mm_unpacklo_epi16(twos, twos), _mm_unpackhi_epi16(twos, twos)};
  for (int half = 0; half < 2; ++half) {
    const __m128i eights[2] = {_mm_unpacklo_epi32(fours[half], fours[half]),
                               _mm_unpackhi_epi32(fours[half], fours[half])};
    for (int k = 0; k < 2; ++k) {
      const __m128i set = _mm_cmpeq_epi8(_mm_and_si128(eights[k], bits), bits);
      const __m128i ink = set_is_ink ? _mm_and_si128(set, one) : _mm_andnot_si128(set, one);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * half + 16 * k), ink);
    }
  }
}

// 32 bits with the usual masks: ink when the three colour bytes are 0, whatever the fourth.
std::size_t InkOfPlain32BitBlocks(const unsigned char* in, std::size_t count, std::uint8_t* out) {
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi8(1);
  std::size_t x = 0;
  for (; x + 16 <= count; x += 16) {
    __m128i ink[4];
    for (std::size_t k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x + 16 * k));
      ink[k] = _mm_cmpeq_epi32(_mm_and_si128(v, colour), zero);
    }
    const __m128i all =
        _mm_packs_epi16(_mm_packs_epi32(ink[0], ink[1]), _mm_packs_epi32(ink[2], ink[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_and_si128(all, one));
  }
  return x;
}

// Palette indices, one byte a pixel, with the ink indices shaped as for IndexInkTest.
std::size_t InkOfIndexBlocks(const std::uint8_t* in, std::size_t count, int single, int tail,
                             std::uint8_t* out) {
  const IndexInkTest ink_of(single, tail, 256);
  std::size_t x = 0;
  for (; x + 16 <= count; x += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                     ink_of(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x))));
  }
  return x;
}
#endif

int LowestBit(std::uint32_t mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    ++shift;
    mask >>= 1;
  }
  return shift;
}

}  // namespace

void BitmapPicture::Clear() {
  width_ = 0;
  height_ = 0;
  bits_ = 0;
  rle_ = false;
  top_down_ = false;
  is_edited_ = false;
  edited_.clear();
  ink_decoded_ = false;
}

char* BitmapPicture::Storage(std::size_t bytes) {
  // Not zero-filled: every byte up to size_ is written before it is read.
  if (bytes > capacity_) {
    storage_ = std::make_unique_for_overwrite<char[]>(bytes);
    capacity_ = bytes;
  }
  return storage_.get();
}

text::Status BitmapPicture::Decode(std::string_view bytes) {
  if (!bytes.empty()) {
    std::memcpy(Storage(bytes.size()), bytes.data(), bytes.size());
  }
  size_ = bytes.size();
  return DecodeKept();
}

text::Status BitmapPicture::ReadFile(const char* file) {
  Clear();
  auto fail = [file](const std::string& what, int error) {
    return text::Error{"io", what + " " + text::PathForMessage(file) + ": " +
                                 std::generic_category().message(error)};
  };
  // Non-blocking, so that a FIFO does not wait for a writer; it is refused below.
  const int fd = ::open(file, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return fail("Cannot open", errno);
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return fail("Cannot read", S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
  }
  if (status.st_size > kMaxBitmapFileBytes) {
    ::close(fd);
    return text::Error{"format", text::PathForMessage(file) +
                                     " is too large for a subtitle picture (" +
                                     std::to_string(status.st_size) + " bytes)"};
  }
  const auto file_size = static_cast<std::size_t>(status.st_size);
  char* storage = Storage(file_size);
  std::size_t done = 0;
  while (done < file_size) {
    const ssize_t got = ::read(fd, storage + done, file_size - done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      return fail("Cannot read", error);
    }
    if (got == 0) {
      break;  // the file shrank while it was read: decode what is there
    }
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  size_ = done;
  auto decoded = DecodeKept();
  if (!decoded.ok()) {
    return text::Error{"format", text::PathForMessage(file) + " is a damaged or unsupported " +
                                     "Windows bitmap (" + decoded.error().message + ")"};
  }
  return decoded;
}

text::Status BitmapPicture::DecodeKept() {
  Clear();
  const auto* data = reinterpret_cast<const unsigned char*>(storage_.get());
  const std::size_t size = size_;
  if (size < kFileHeader + 4 || data[0] != 'B' || data[1] != 'M') {
    return Refuse("not a Windows bitmap");
  }
  const std::uint32_t header = U32(data + 14);
  if (header != 12 && header != 40 && header != 52 && header != 56 && header != 64 &&
      header != 108 && header != 124) {
    return Refuse("unsupported header size " + std::to_string(header));
  }
  if (kFileHeader + header > size) {
    return Refuse("file cut short in the header");
  }
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colours_used = 0;
  if (header == 12) {
    width = U16(data + 18);
    height = U16(data + 20);
    bits = U16(data + 24);
  } else {
    width = static_cast<std::int32_t>(U32(data + 18));
    height = static_cast<std::int32_t>(U32(data + 22));
    bits = U16(data + 28);
    compression = U32(data + 30);
    colours_used = U32(data + 46);
  }
  bool top_down = false;
  if (height < 0) {
    top_down = true;
    height = -height;
  }
  if (width <= 0 || height <= 0) {
    return Refuse("width or height is 0 or negative");
  }
  if (width * height > kMaxBitmapPixels) {
    return Refuse("picture of " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels is too large");
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return Refuse("unsupported bit depth " + std::to_string(bits));
  }
  const bool rle = compression == kRle8 || compression == kRle4;
  const bool fields = compression == kBitFields || compression == kAlphaBitFields;
  if (compression != kRgb && !rle && !fields) {
    return Refuse("unknown compression " + std::to_string(compression));
  }
  if ((compression == kRle8 && bits != 8) || (compression == kRle4 && bits != 4) ||
      (fields && bits != 16 && bits != 32)) {
    return Refuse("compression " + std::to_string(compression) + " with " + std::to_string(bits) +
                  " bits per pixel");
  }
  if (rle && top_down) {
    return Refuse("compressed picture stored top row first");
  }

  // Bit fields: in the header from V2 on (alpha from V3 on), else just after the 40-byte
  // header. The OS/2 header of 64 bytes has none: compression 3 means something else there.
  std::size_t palette_start = kFileHeader + header;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  if (fields) {
    int count = 0;
    if (header == 40) {
      count = compression == kAlphaBitFields ? 4 : 3;
      palette_start += 4 * static_cast<std::size_t>(count);
      if (palette_start > size) {
        return Refuse("file cut short in the bit fields");
      }
    } else if (header != 64 && header != 12) {
      count = header >= 56 ? 4 : 3;
    } else {
      return Refuse("compression " + std::to_string(compression) + " with a " +
                    std::to_string(header) + "-byte header");
    }
    for (int i = 0; i < count; ++i) {
      masks[i] = U32(data + kFileHeader + 40 + 4 * static_cast<std::size_t>(i));
    }
  } else if (bits == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else if (bits == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  // The alpha mask (masks[3]) plays no part: the toolkit reports colours without it.
  Channel* channels[3] = {&red_, &green_, &blue_};
  for (int i = 0; i < 3; ++i) {
    channels[i]->mask = masks[i];
    channels[i]->shift = LowestBit(masks[i]);
    const std::uint64_t range = (static_cast<std::uint64_t>(masks[i]) >> channels[i]->shift) + 1;
    channels[i]->scale = static_cast<std::uint32_t>(256 / range);
  }

  palette_.fill(0);
  if (bits <= 8) {
    const std::size_t entry = header == 12 ? 3 : 4;
    std::size_t entries = colours_used != 0 ? colours_used : std::size_t{1} << bits;
    entries = std::min<std::size_t>(entries, 256);
    if (palette_start + entries * entry > size) {
      return Refuse("file cut short in the palette");
    }
    for (std::size_t i = 0; i < entries; ++i) {
      const unsigned char* p = data + palette_start + i * entry;
      palette_[i] = static_cast<Colour>(p[0]) << 16 | static_cast<Colour>(p[1]) << 8 | p[2];
    }
  }

  const std::size_t offset = U32(data + 10);
  if (offset >= size) {
    return Refuse("no pixel data");
  }
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
  bits_ = static_cast<int>(bits);
  rle_ = rle;
  top_down_ = top_down;
  pixels_offset_ = offset;
  stride_ = static_cast<std::size_t>((width * bits + 31) / 32 * 4);
  if (rle) {
    auto decoded = DecodeRle(offset);
    if (!decoded.ok()) {
      Clear();
      return decoded;
    }
  } else {
    // The last row may lack its padding; every pixel must be there.
    const std::size_t last_row = static_cast<std::size_t>((width * bits + 7) / 8);
    if (offset + stride_ * static_cast<std::size_t>(height - 1) + last_row > size) {
      Clear();
      return Refuse("file cut short in the pixel data");
    }
  }
  plain32_ = bits == 32 && red_.mask == 0xFF0000 && green_.mask == 0xFF00 && blue_.mask == 0xFF;
  FillInkIndex();
  // Room for the decoded ink now, whether or not it is decoded ahead: a picture then allocates
  // only on meeting a larger file than before, however the loader and the run share the work.
  ink_.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  ink_rows_.reserve(static_cast<std::size_t>(height));
  return text::Success();
}

// RLE: pairs (count, index) repeat an index (RLE4: two alternating indices); (0, 0) ends a
// row, (0, 1) the picture, (0, 2, dx, dy) moves right and up, (0, n >= 3) is followed by n
// literal indices padded to an even number of bytes. Rows run bottom-up; skipped pixels keep
// index 0.
text::Status BitmapPicture::DecodeRle(std::size_t start) {
  const auto* data = reinterpret_cast<const unsigned char*>(storage_.get());
  const std::size_t size = size_;
  const std::size_t w = static_cast<std::size_t>(width_);
  indices_.assign(w * static_cast<std::size_t>(height_), 0);
  const bool four = bits_ == 4;
  std::size_t x = 0;
  int row = 0;  // counted from the bottom
  std::size_t i = start;
  auto past = [] { return Refuse("compressed data runs past the picture"); };
  for (;;) {
    if (i + 2 > size) {
      if (row >= height_) {
        return text::Success();  // every row given; only the end mark is missing
      }
      return Refuse("compressed data ends early");
    }
    const std::size_t count = data[i];
    const unsigned char value = data[i + 1];
    i += 2;
    if (count > 0) {
      if (row >= height_ || x + count > w) {
        return past();
      }
      std::uint8_t* out = indices_.data() + static_cast<std::size_t>(height_ - 1 - row) * w + x;
      for (std::size_t k = 0; k < count; ++k) {
        out[k] = four ? ((k % 2 == 0) ? value >> 4 : value & 0x0F) : value;
      }
      x += count;
      continue;
    }
    if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      return text::Success();
    } else if (value == 2) {
      if (i + 2 > size) {
        return Refuse("compressed data ends early");
      }
      x += data[i];
      row += data[i + 1];
      i += 2;
      if (x > w || row > height_) {
        return past();
      }
    } else {
      const std::size_t n = value;
      const std::size_t used = four ? (n + 1) / 2 : n;
      const std::size_t padded = (used + 1) & ~std::size_t{1};
      if (i + used > size) {
        return Refuse("compressed data ends early");
      }
      if (row >= height_ || x + n > w) {
        return past();
      }
      std::uint8_t* out = indices_.data() + static_cast<std::size_t>(height_ - 1 - row) * w + x;
      for (std::size_t k = 0; k < n; ++k) {
        out[k] =
            four ? ((k % 2 == 0) ? data[i + k / 2] >> 4 : data[i + k / 2] & 0x0F) : data[i + k];
      }
      x += n;
      i += std::min(padded, size - i);
    }
  }
}

const unsigned char* BitmapPicture::FileRow(int y) const {
  const std::size_t row = static_cast<std::size_t>(top_down_ ? y : height_ - 1 - y);
  return reinterpret_cast<const unsigned char*>(storage_.get()) + pixels_offset_ + row * stride_;
}

// The toolkit's channel arithmetic: the masked bits shifted down and multiplied by
// 256 / (largest value + 1), so 5 bits give 0, 8, ... 248 and masks wider than 8 bits give 0.
Colour BitmapPicture::MaskedColour(std::uint32_t value) const {
  auto channel = [value](const Channel& c) {
    return (((value & c.mask) >> c.shift) * c.scale) & 0xFF;
  };
  // Alpha, when the file has it, does not change the colour the toolkit reports.
  return channel(blue_) << 16 | channel(green_) << 8 | channel(red_);
}

void BitmapPicture::FillInkIndex() {
  // Only the indices the picture's pixels can hold (none above 8 bits) are worked out; the
  // others stay 0 and are never read.
  const int indices = bits_ <= 8 ? 1 << bits_ : 0;
  for (int i = 0; i < indices; ++i) {
    ink_index_[static_cast<std::size_t>(i)] = palette_[static_cast<std::size_t>(i)] == kInkColour;
  }
  std::fill(ink_index_.begin() + indices, ink_index_.end(), std::uint8_t{0});
  // The shape of the ink set among those indices, for the vector tests: every index from
  // index_ink_tail_ up to the last, and below it none or one.
  index_ink_tail_ = indices;
  while (index_ink_tail_ > 0 && ink_index_[static_cast<std::size_t>(index_ink_tail_ - 1)] != 0) {
    --index_ink_tail_;
  }
  const auto below = ink_index_.begin() + index_ink_tail_;
  const auto inks = std::count(ink_index_.begin(), below, std::uint8_t{1});
  index_ink_single_ =
      inks == 1 ? static_cast<int>(std::find(ink_index_.begin(), below, 1) - ink_index_.begin())
                : -1;
  index_ink_simple_ = inks <= 1;
  if (bits_ == 4 && !rle_) {
    for (std::size_t b = 0; b < 256; ++b) {
      pair_ink_[b] = {ink_index_[b >> 4], ink_index_[b & 0x0F]};
    }
  }
}

void BitmapPicture::DecodeAllInk() {
  const auto w = static_cast<std::size_t>(width_);
  ink_.resize(w * static_cast<std::size_t>(height_));
  ink_rows_.resize(static_cast<std::size_t>(height_));
  for (int y = 0; y < height_; ++y) {
    ink_rows_[static_cast<std::size_t>(y)] =
        DecodeInkRow(y, ink_.data() + static_cast<std::size_t>(y) * w) ? 1 : 0;
  }
  ink_decoded_ = true;
}

void BitmapPicture::DecodeIndexInk(const std::uint8_t* in, std::uint8_t* out) const {
  const std::size_t w = static_cast<std::size_t>(width_);
  std::size_t done = 0;
#if ZENTROPE_INK_SIMD
  if (index_ink_simple_) {
    done = InkOfIndexBlocks(in, w, index_ink_single_, index_ink_tail_, out);
  }
#endif
  const std::uint8_t* ink = ink_index_.data();
  for (std::size_t x = done; x < w; ++x) {
    out[x] = ink[in[x]];
  }
}

bool BitmapPicture::DecodeInkRow(int y, std::uint8_t* out) const {
  const std::size_t w = static_cast<std::size_t>(width_);
  const std::uint8_t* ink = ink_index_.data();
  // Whether the row just written holds ink, for the kinds that do not tell on the way.
  auto any_ink = [out, w] { return std::memchr(out, 1, w) != nullptr; };
  if (rle_) {
    DecodeIndexInk(indices_.data() + static_cast<std::size_t>(y) * w, out);
    return any_ink();
  }
  const unsigned char* in = FileRow(y);
  switch (bits_) {
    case 1: {
      if (ink[0] == ink[1]) {
        std::memset(out, ink[0], w);
        return ink[0] != 0 && w > 0;
      }
      // Eight pixels a byte through the table; with index 0 as ink every byte is flipped. A
      // word of eight bytes without ink (most of a subtitle picture) is written at once.
      const std::uint64_t flip = ink[0] != 0 ? 0x0101010101010101ULL : 0;
      const std::uint64_t blank = ink[0] != 0 ? ~std::uint64_t{0} : 0;
      const std::size_t whole = w / 8;
      std::size_t i = 0;
      // A word or byte other than the blank one holds an ink bit.
      bool any = false;
      auto expand = [&](std::size_t at) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, kBitBytes[in[at]].data(), 8);
        eight ^= flip;
        std::memcpy(out + 8 * at, &eight, 8);
      };
      for (; i + 8 <= whole; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, in + i, 8);
        if (word == blank) {
          std::memset(out + 8 * i, 0, 64);
          continue;
        }
        any = true;
#if ZENTROPE_INK_SIMD
        InkOfEightBitBytes(in + i, ink[1] != 0, out + 8 * i);
#else
        for (std::size_t k = i; k < i + 8; ++k) {
          expand(k);
        }
#endif
      }
      for (; i < whole; ++i) {
        any = any || in[i] != static_cast<std::uint8_t>(blank);
        expand(i);
      }
      for (std::size_t x = 8 * whole; x < w; ++x) {
        out[x] = ink[(in[x / 8] >> (7 - x % 8)) & 1];
        any = any || out[x] != 0;
      }
      return any;
    }
    case 4: {
      // Two pixels a byte: compared in vectors where the ink indices allow, else through the
      // picture's pair table, where eight bytes alike without ink are written at once.
      const std::size_t pairs = w / 2;
      std::size_t i = 0;
#if ZENTROPE_INK_SIMD
      if (index_ink_simple_) {
        i = InkOfNibbleBlocks(in, pairs, index_ink_single_, index_ink_tail_, out);
      }
#endif
      for (; i + 8 <= pairs; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, in + i, 8);
        const auto& first = pair_ink_[in[i]];
        if (word == in[i] * 0x0101010101010101ULL && (first[0] | first[1]) == 0) {
          std::memset(out + 2 * i, 0, 16);
          continue;
        }
        for (std::size_t k = i; k < i + 8; ++k) {
          std::memcpy(out + 2 * k, pair_ink_[in[k]].data(), 2);
        }
      }
      for (; i < pairs; ++i) {
        std::memcpy(out + 2 * i, pair_ink_[in[i]].data(), 2);
      }
      if (w % 2 != 0) {
        out[w - 1] = ink[in[pairs] >> 4];
      }
      return any_ink();
    }
    case 8:
      DecodeIndexInk(in, out);
      return any_ink();
    case 24: {
      // One four-byte load a pixel, its fourth byte (the next pixel's or padding) masked off;
      // the last pixel is read bytewise, as its fourth byte may lie past the file.
      std::size_t done = 0;
#if ZENTROPE_INK_SIMD
      if (HasAvx2()) {
        done = InkOf24BitBlocksWide(in, w, out);
      } else if (HasSsse3()) {
        done = InkOf24BitBlocks(in, w, out);
      }
#endif
      const std::size_t loaded = w - 1;
      for (std::size_t x = done; x < loaded; ++x) {
        std::uint32_t value = 0;
        std::memcpy(&value, in + 3 * x, 4);
        out[x] = (value & kLowThreeBytes) == 0 ? 1 : 0;
      }
      if (done < w) {
        out[loaded] = (in[3 * loaded] | in[3 * loaded + 1] | in[3 * loaded + 2]) == 0 ? 1 : 0;
      }
      return any_ink();
    }
    case 32:
      if (plain32_) {
        std::size_t done = 0;
#if ZENTROPE_INK_SIMD
        done = InkOfPlain32BitBlocks(in, w, out);
#endif
        for (std::size_t x = done; x < w; ++x) {
          std::uint32_t value = 0;
          std::memcpy(&value, in + 4 * x, 4);
          out[x] = (value & kLowThreeBytes) == 0 ? 1 : 0;
        }
        return any_ink();
      }
      for (std::size_t x = 0; x < w; ++x) {
        out[x] = MaskedColour(U32(in + 4 * x)) == kInkColour ? 1 : 0;
      }
      return any_ink();
    default:  // 16
      for (std::size_t x = 0; x < w; ++x) {
        out[x] = MaskedColour(U16(in + 2 * x)) == kInkColour ? 1 : 0;
      }
      return any_ink();
  }
}

Colour BitmapPicture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return kOutsideColour;
  }
  const std::size_t at =
      static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  if (is_edited_) {
    return edited_[at];
  }
  if (rle_) {
    return palette_[indices_[at]];
  }
  const unsigned char* in = FileRow(y);
  const auto column = static_cast<std::size_t>(x);
  switch (bits_) {
    case 1:
      return palette_[(in[column / 8] >> (7 - column % 8)) & 1];
    case 4:
      return palette_[(column % 2 == 0) ? in[column / 2] >> 4 : in[column / 2] & 0x0F];
    case 8:
      return palette_[in[column]];
    case 24:
      return static_cast<Colour>(in[3 * column]) << 16 |
             static_cast<Colour>(in[3 * column + 1]) << 8 | in[3 * column + 2];
    case 32:
      return MaskedColour(U32(in + 4 * column));
    default:
      return MaskedColour(U16(in + 2 * column));
  }
}

void BitmapPicture::ReadRow(int y, Colour* out) const {
  for (int x = 0; x < width_; ++x) {
    out[x] = Pixel(x, y);
  }
}

bool BitmapPicture::ReadInkRow(int y, std::uint8_t* out) const {
  const auto w = static_cast<std::size_t>(width_);
  if (y < 0 || y >= height_) {
    std::memset(out, 0, w);
    return false;
  }
  if (is_edited_) {
    bool any = false;
    for (std::size_t x = 0; x < w; ++x) {
      out[x] = edited_[static_cast<std::size_t>(y) * w + x] == kInkColour ? 1 : 0;
      any = any || out[x] != 0;
    }
    return any;
  }
  if (ink_decoded_) {
    std::memcpy(out, ink_.data() + static_cast<std::size_t>(y) * w, w);
    return ink_rows_[static_cast<std::size_t>(y)] != 0;
  }
  return DecodeInkRow(y, out);
}

void BitmapPicture::SetPixel(int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return;
  }
  if (!is_edited_) {
    Resize(width_, height_);
  }
  edited_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
          static_cast<std::size_t>(x)] = colour;
}

void BitmapPicture::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<Colour> resized(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                              kWhite);
  for (int y = 0; y < std::min(height, height_); ++y) {
    for (int x = 0; x < std::min(width, width_); ++x) {
      resized[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
              static_cast<std::size_t>(x)] = Pixel(x, y);
    }
  }
  edited_ = std::move(resized);
  is_edited_ = true;
  width_ = width;
  height_ = height;
}

text::Result<std::unique_ptr<Picture>> BitmapFileIo::Load(const std::filesystem::path& file) {
  auto picture = std::make_unique<BitmapPicture>();
  auto read = picture->ReadFile(file);
  if (!read.ok()) {
    return read.error();
  }
  return std::unique_ptr<Picture>(std::move(picture));
}

text::Status BitmapFileIo::LoadInto(const std::filesystem::path& file,
                                    std::unique_ptr<Picture>& picture) {
  auto* reused = dynamic_cast<BitmapPicture*>(picture.get());
  if (reused == nullptr) {
    picture = std::make_unique<BitmapPicture>();
    reused = static_cast<BitmapPicture*>(picture.get());
  }
  return reused->ReadFile(file);
}

text::Status BitmapFileIo::LoadAheadInto(const std::filesystem::path& file,
                                         std::unique_ptr<Picture>& picture) {
  auto read = LoadInto(file, picture);
  if (read.ok()) {
    static_cast<BitmapPicture*>(picture.get())->DecodeAllInk();
  }
  return read;
}

}  // namespace ocr
