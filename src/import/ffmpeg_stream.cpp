// The module zentrope-ffmpeg.so: the demuxer and the subtitle decoder of one track over FFmpeg,
// with the checks that turn damaged input into one clear error. SubtitleStream reaches it
// through the table of stream_module.h.
#include "import/stream_module.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cstring>
#include <deque>
#include <fstream>
#include <system_error>

#include "loader/module_entry.h"

namespace import {
namespace {

namespace fs = std::filesystem;

// RAII owners of FFmpeg's objects; nothing of FFmpeg leaves this file.
struct FormatCloser {
  void operator()(AVFormatContext* format) const {
    avformat_close_input(&format);
  }
};
struct CodecFreer {
  void operator()(AVCodecContext* codec) const {
    avcodec_free_context(&codec);
  }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const {
    av_packet_free(&packet);
  }
};
struct IoFreer {
  void operator()(AVIOContext* io) const {
    if (io != nullptr) {
      av_freep(&io->buffer);
    }
    avio_context_free(&io);
  }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using IoPtr = std::unique_ptr<AVIOContext, IoFreer>;

// An AVSubtitle freed on every path.
struct DecodedSubtitle {
  AVSubtitle subtitle{};
  bool filled = false;
  ~DecodedSubtitle() {
    if (filled) {
      avsubtitle_free(&subtitle);
    }
  }
};

// Bytes in memory read through a custom AVIOContext.
struct MemoryInput {
  std::string bytes;
  std::int64_t position = 0;

  static int Read(void* opaque, std::uint8_t* buffer, int size) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const std::int64_t left = static_cast<std::int64_t>(input->bytes.size()) - input->position;
    if (left <= 0) {
      return AVERROR_EOF;
    }
    const int count = static_cast<int>(std::min<std::int64_t>(left, size));
    std::memcpy(buffer, input->bytes.data() + input->position, static_cast<std::size_t>(count));
    input->position += count;
    return count;
  }
  static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const auto size = static_cast<std::int64_t>(input->bytes.size());
    if ((whence & AVSEEK_SIZE) != 0) {
      return size;
    }
    std::int64_t target = offset;
    switch (whence & ~AVSEEK_FORCE) {
      case SEEK_SET:
        break;
      case SEEK_CUR:
        target += input->position;
        break;
      case SEEK_END:
        target += size;
        break;
      default:
        return AVERROR(EINVAL);
    }
    if (target < 0 || target > size) {
      return AVERROR(EINVAL);
    }
    input->position = target;
    return target;
  }
};

constexpr int kIoBufferSize = 32 * 1024;
constexpr const char* kNotDiscSubtitles =
    "not a disc subtitle file (PGS .sup, VobSub .idx/.sub, Matroska or MPEG-TS) that can be read";

// PGS segment types, as the decoder receives them: type (1 byte), length (2 bytes, big-endian),
// then `length` bytes. A palette definition's payload is palette id, version, then entries of
// five bytes (entry id, Y, Cr, Cb, alpha).
constexpr std::uint8_t kPgsPalette = 0x14;
constexpr std::uint8_t kPgsEnd = 0x80;

text::Error FormatError(const std::string& name, const std::string& what, int entry = 0) {
  std::string message = name + ": ";
  if (entry > 0) {
    message += "display set " + std::to_string(entry) + ": ";
  }
  return text::Error{"format", message + what, entry};
}

std::string AvErrorText(int code) {
  char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, buffer, sizeof buffer);
  return buffer;
}

SubtitleCodec CodecOf(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_HDMV_PGS_SUBTITLE:
      return SubtitleCodec::kPgs;
    case AV_CODEC_ID_DVD_SUBTITLE:
      return SubtitleCodec::kVobSub;
    default:
      return SubtitleCodec::kOther;
  }
}

std::vector<std::pair<TrackInfo, int>> SubtitleTracks(const AVFormatContext& format) {
  std::vector<std::pair<TrackInfo, int>> tracks;
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    const AVStream* stream = format.streams[i];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) {
      continue;
    }
    TrackInfo info;
    info.number = static_cast<int>(tracks.size()) + 1;
    info.codec = CodecOf(stream->codecpar->codec_id);
    info.codec_name = avcodec_get_name(stream->codecpar->codec_id);
    if (const AVDictionaryEntry* language = av_dict_get(stream->metadata, "language", nullptr, 0)) {
      info.language = language->value;
    }
    if (const AVDictionaryEntry* title = av_dict_get(stream->metadata, "title", nullptr, 0)) {
      info.title = title->value;
    }
    info.default_track = (stream->disposition & AV_DISPOSITION_DEFAULT) != 0;
    info.forced = (stream->disposition & AV_DISPOSITION_FORCED) != 0;
    tracks.emplace_back(std::move(info), static_cast<int>(i));
  }
  return tracks;
}

// The size a Matroska file's header gives it: the bytes up to the end of its segment; 0 when
// `head` (the file's first bytes) is not the start of a Matroska file or the segment's size is
// left open (a file written as a live stream).
std::int64_t DeclaredMatroskaSize(const std::string& head) {
  std::size_t at = 0;
  // An EBML number: the count of leading zero bits of its first byte gives its length.
  auto number = [&](bool keep_marker, std::uint64_t& value, bool& unknown) {
    if (at >= head.size()) {
      return false;
    }
    const auto first = static_cast<unsigned char>(head[at]);
    int length = 1;
    while (length <= 8 && (first & (0x80u >> (length - 1))) == 0) {
      ++length;
    }
    if (length > 8 || at + static_cast<std::size_t>(length) > head.size()) {
      return false;
    }
    const unsigned marker = 0x80u >> (length - 1);
    value = keep_marker ? first : (first & (marker - 1));
    bool all_ones = (first & (marker - 1)) == marker - 1;
    for (int i = 1; i < length; ++i) {
      const auto byte = static_cast<unsigned char>(head[at + static_cast<std::size_t>(i)]);
      value = value << 8 | byte;
      all_ones = all_ones && byte == 0xFF;
    }
    unknown = all_ones;
    at += static_cast<std::size_t>(length);
    return true;
  };
  std::uint64_t id = 0;
  std::uint64_t size = 0;
  bool unknown = false;
  if (!number(true, id, unknown) || id != 0x1A45DFA3 || !number(false, size, unknown) || unknown ||
      size > head.size()) {
    return 0;
  }
  at += static_cast<std::size_t>(size);
  if (!number(true, id, unknown) || id != 0x18538067 || !number(false, size, unknown) || unknown ||
      size > (std::uint64_t{1} << 56)) {
    return 0;
  }
  return static_cast<std::int64_t>(at + size);
}

std::string FileHead(const fs::path& file, std::size_t count) {
  std::ifstream in(file, std::ios::binary);
  std::string head(count, '\0');
  in.read(head.data(), static_cast<std::streamsize>(count));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return head;
}

// An opened container, from a file or from memory.
struct Container {
  std::unique_ptr<MemoryInput> memory;
  IoPtr io;
  FormatPtr format;
};

text::Result<Container> OpenContainer(const fs::path* file, std::string* bytes,
                                      const std::string& name) {
  // FFmpeg's own log would add lines of its own to the one error the user gets.
  av_log_set_level(AV_LOG_QUIET);
  Container container;
  AVFormatContext* format = avformat_alloc_context();
  if (format == nullptr) {
    return text::Error{"io", name + ": out of memory", 0};
  }
  if (bytes != nullptr) {
    container.memory = std::make_unique<MemoryInput>();
    container.memory->bytes = std::move(*bytes);
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferSize));
    container.io.reset(avio_alloc_context(buffer, kIoBufferSize, 0, container.memory.get(),
                                          &MemoryInput::Read, nullptr, &MemoryInput::Seek));
    if (!container.io) {
      av_free(buffer);
      avformat_free_context(format);
      return text::Error{"io", name + ": out of memory", 0};
    }
    format->pb = container.io.get();
  }
  const std::string path = file != nullptr ? file->string() : name;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
    // avformat_open_input frees the context on failure.
    return FormatError(name, kNotDiscSubtitles);
  }
  container.format.reset(format);
  // Matroska and the .sup and .idx readers know their streams at once; MPEG-TS needs a look
  // into the packets. A failure here leaves the streams as the header gave them.
  if (avformat_find_stream_info(format, nullptr) < 0 && format->nb_streams == 0) {
    return FormatError(name, "no stream can be found in it");
  }
  return container;
}

// One opened track: the container, the decoder, and the display sets decoded but not yet given.
struct FfmpegReader final : StreamReader {
  text::Result<std::optional<SubtitleBitmap>> Next() override;
  const TrackInfo& Track() const override {
    return track;
  }
  int EmptyCount() const override {
    return empty;
  }
  int Progress() const override;
  void ExpectPictures(int count) override {
    indexed_pictures = count;
  }
  const std::string& EarlyEnd() const override {
    return early_end;
  }
  const std::vector<std::string>& Warnings() const override {
    return warnings;
  }

  std::string name;
  TrackInfo track;
  Container container;
  CodecPtr codec;
  PacketPtr packet;
  int stream_index = -1;
  AVRational time_base{1, 1000};
  std::int64_t input_size = 0;     // bytes, for progress; 0 when unknown
  std::int64_t declared_size = 0;  // what a Matroska header gives; 0 when unknown

  int display_sets = 0;  // decoded so far, clearing ones included: the entry numbers
  int stream_packets = 0;
  int empty = 0;
  std::optional<SubtitleBitmap> waiting;  // shown picture whose end is the next set's start
  std::deque<SubtitleBitmap> ready;
  bool finished = false;
  bool failed = false;
  std::string early_end;  // see StreamReader::EarlyEnd
  std::vector<std::string> warnings;
  bool undefined_entry_told = false;

  // PGS: palette entries that any palette definition has set, and whether a display set has
  // begun without its end segment.
  std::bitset<256> defined_entries;
  bool pgs_set_open = false;
  // VobSub: bytes of the current subtitle unit against the size its header gives, and the
  // units read against those the index lists (-1: no index to compare with).
  int spu_expected = 0;
  int spu_have = 0;
  int packets = 0;
  int indexed_pictures = -1;

  text::Status CheckPacket(const AVPacket& packet);
  text::Status Decode(AVPacket* packet);
  text::Status Take(const AVSubtitle& subtitle, Milliseconds start);
  text::Status Finish();
  void Settle(Milliseconds next_start);
  // Ends the stream before its end: `what` went wrong at display set `entry`.
  void EndEarly(const std::string& what, int entry);
};

// The code of CheckPacket's errors that end the stream early rather than fail it.
constexpr char kEarly[] = "early";

void FfmpegReader::EndEarly(const std::string& what, int entry) {
  finished = true;
  early_end = "display set " + std::to_string(entry) + ": " + what;
  if (waiting) {
    Settle(waiting->start + kDefaultLastDuration);
  }
}

text::Status FfmpegReader::CheckPacket(const AVPacket& packet) {
  const int entry = display_sets + 1;
  if ((packet.flags & AV_PKT_FLAG_CORRUPT) != 0) {
    return text::Error{kEarly, "the stream is damaged or truncated", entry};
  }
  const std::uint8_t* data = packet.data;
  const int size = packet.size;
  if (track.codec == SubtitleCodec::kPgs) {
    int position = 0;
    while (position < size) {
      if (size - position < 3) {
        return text::Error{kEarly, "the stream is truncated inside a segment header", entry};
      }
      const std::uint8_t type = data[position];
      const int length = data[position + 1] << 8 | data[position + 2];
      if (size - position - 3 < length) {
        return text::Error{kEarly, "the stream is truncated inside a segment", entry};
      }
      const std::uint8_t* payload = data + position + 3;
      if (type == kPgsPalette) {
        for (int at = 2; at + 5 <= length; at += 5) {
          defined_entries.set(payload[at]);
        }
      }
      pgs_set_open = type != kPgsEnd;
      position += 3 + length;
    }
  } else if (track.codec == SubtitleCodec::kVobSub && size > 0) {
    ++packets;
    if (spu_have == 0) {
      spu_expected = size >= 2 ? (data[0] << 8 | data[1]) : 0;
    }
    spu_have += size;
    if (spu_have >= spu_expected) {
      spu_have = 0;
    }
  }
  return text::Success();
}

text::Status FfmpegReader::Decode(AVPacket* packet) {
  DecodedSubtitle decoded;
  int got = 0;
  const int result = avcodec_decode_subtitle2(codec.get(), &decoded.subtitle, &got, packet);
  decoded.filled = got != 0;
  if (result < 0) {
    return FormatError(name, "cannot be decoded (" + AvErrorText(result) + ")", display_sets + 1);
  }
  if (got == 0) {
    return text::Success();
  }
  // The decoder gives the packet's time in microseconds; the display offsets are milliseconds.
  std::int64_t pts = decoded.subtitle.pts;
  if (pts == AV_NOPTS_VALUE && packet != nullptr && packet->pts != AV_NOPTS_VALUE) {
    // AV_TIME_BASE_Q is a C compound literal, which C++ compilers may refuse.
    pts = av_rescale_q(packet->pts, time_base, AVRational{1, AV_TIME_BASE});
  }
  const Milliseconds base = pts == AV_NOPTS_VALUE ? 0 : (pts + 500) / 1000;
  return Take(decoded.subtitle, base);
}

void FfmpegReader::Settle(Milliseconds next_start) {
  if (!waiting) {
    return;
  }
  waiting->end = std::max(next_start, waiting->start + 1);
  ready.push_back(std::move(*waiting));
  waiting.reset();
}

text::Status FfmpegReader::Take(const AVSubtitle& subtitle, Milliseconds base) {
  const int entry = ++display_sets;
  const Milliseconds start = base + subtitle.start_display_time;
  // Whatever comes next ends the picture on screen: a clearing set, an empty one or a new one.
  Settle(start);

  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool any = false;
  for (unsigned i = 0; i < subtitle.num_rects; ++i) {
    const AVSubtitleRect& rect = *subtitle.rects[i];
    if (rect.type != SUBTITLE_BITMAP || rect.w <= 0 || rect.h <= 0 || rect.data[0] == nullptr) {
      continue;
    }
    if (rect.w > kMaxPictureSide || rect.h > kMaxPictureSide) {
      return FormatError(name,
                         "a picture of " + std::to_string(rect.w) + "x" + std::to_string(rect.h) +
                             " is larger than " + std::to_string(kMaxPictureSide) + "x" +
                             std::to_string(kMaxPictureSide),
                         entry);
    }
    if (!any) {
      left = rect.x;
      top = rect.y;
      right = rect.x + rect.w;
      bottom = rect.y + rect.h;
      any = true;
    } else {
      left = std::min(left, rect.x);
      top = std::min(top, rect.y);
      right = std::max(right, rect.x + rect.w);
      bottom = std::max(bottom, rect.y + rect.h);
    }
  }
  if (!any) {
    return text::Success();  // a clearing display set
  }
  if (right - left > kMaxPictureSide || bottom - top > kMaxPictureSide) {
    return FormatError(name,
                       "the pictures span " + std::to_string(right - left) + "x" +
                           std::to_string(bottom - top) + ", more than " +
                           std::to_string(kMaxPictureSide) + "x" + std::to_string(kMaxPictureSide),
                       entry);
  }

  SubtitleBitmap bitmap;
  bitmap.entry = entry;
  bitmap.start = start;
  bitmap.x = left;
  bitmap.y = top;
  bitmap.width = right - left;
  bitmap.height = bottom - top;
  // The PGS decoder sets the size from each presentation segment, the VobSub decoder from the
  // index's "size:" line; a container may give it too.
  bitmap.video_width = codec->width > 0 ? codec->width : 0;
  bitmap.video_height = codec->height > 0 ? codec->height : 0;
  bitmap.pixels.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height,
                       SubtitleBitmap::kBackgroundIndex);
  bitmap.palette.push_back(Rgba{});
  bool opaque = false;
  for (unsigned i = 0; i < subtitle.num_rects; ++i) {
    const AVSubtitleRect& rect = *subtitle.rects[i];
    if (rect.type != SUBTITLE_BITMAP || rect.w <= 0 || rect.h <= 0 || rect.data[0] == nullptr) {
      continue;
    }
    if ((rect.flags & AV_SUBTITLE_FLAG_FORCED) != 0) {
      bitmap.forced = true;
    }
    // Only the indexes the picture uses enter the merged palette; the picture is then copied
    // into place, renumbered on the way when the merged palette numbers them differently.
    std::array<std::uint8_t, 256> used{};
    const int rect_width = rect.w;
    const int rect_height = rect.h;
    const std::ptrdiff_t in_stride = rect.linesize[0];
    const std::size_t out_stride = static_cast<std::size_t>(bitmap.width);
    std::uint8_t* const area = bitmap.pixels.data() +
                               static_cast<std::size_t>(rect.y - top) * out_stride +
                               static_cast<std::size_t>(rect.x - left);
    const auto input_row = [&](int row) {
      return rect.data[0] + static_cast<std::ptrdiff_t>(row) * in_stride;
    };
    // Eight indexes are read as one word, the first in the low bits.
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
    for (int row = 0; row < rect_height; ++row) {
      const std::uint8_t* in = input_row(row);
      int column = 0;
      // Eight equal indexes, as the background and the inside of strokes give, take one test.
      for (; column + 8 <= rect_width; column += 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, in + column, sizeof eight);
        const std::uint8_t first = static_cast<std::uint8_t>(eight);
        if (eight == kEveryByte * first) {
          used[first] = 1;
          continue;
        }
#pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) {
          used[in[column + k]] = 1;
        }
      }
      for (; column < rect_width; ++column) {
        used[in[column]] = 1;
      }
    }
    // The decoder's palette holds 0xAARRGGBB words in native order.
    const auto* colours = reinterpret_cast<const std::uint32_t*>(rect.data[1]);
    std::array<std::uint8_t, 256> remap{};
    bool renumbered = false;
    for (int index = 0; index < 256; ++index) {
      if (used[static_cast<std::size_t>(index)] == 0) {
        continue;
      }
      // A PGS decoder and players show an entry that no palette defined as transparent, and so
      // does the import; it says so once. Index 0 goes without a word: the run-length code's
      // short runs of colour 0 are the background, which streams often leave undefined.
      if (track.codec == SubtitleCodec::kPgs && !defined_entries.test(index)) {
        if (index != 0 && !undefined_entry_told) {
          undefined_entry_told = true;
          warnings.push_back(name + ": display set " + std::to_string(entry) + ": palette index " +
                             std::to_string(index) +
                             " is not in the palette; it is read as transparent, as players "
                             "show it (told once)");
        }
        remap[static_cast<std::size_t>(index)] = SubtitleBitmap::kBackgroundIndex;
        renumbered = renumbered || index != SubtitleBitmap::kBackgroundIndex;
        continue;
      }
      if (index >= rect.nb_colors || colours == nullptr) {
        return FormatError(name,
                           "palette index " + std::to_string(index) +
                               " is outside the palette of " + std::to_string(rect.nb_colors) +
                               " colours",
                           entry);
      }
      const std::uint32_t argb = colours[index];
      const Rgba colour{static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                        static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)};
      if (colour.a == 0) {
        remap[static_cast<std::size_t>(index)] = SubtitleBitmap::kBackgroundIndex;
      } else {
        opaque = opaque || IsOpaque(colour);
        auto found = std::find(bitmap.palette.begin(), bitmap.palette.end(), colour);
        if (found == bitmap.palette.end()) {
          if (bitmap.palette.size() == 256) {
            return FormatError(name, "the pictures use more than 256 colours together", entry);
          }
          found = bitmap.palette.insert(bitmap.palette.end(), colour);
        }
        remap[static_cast<std::size_t>(index)] =
            static_cast<std::uint8_t>(found - bitmap.palette.begin());
      }
      renumbered = renumbered || remap[static_cast<std::size_t>(index)] != index;
    }
    for (int row = 0; row < rect_height; ++row) {
      const std::uint8_t* in = input_row(row);
      std::uint8_t* out = area + static_cast<std::size_t>(row) * out_stride;
      if (!renumbered) {
        std::memcpy(out, in, static_cast<std::size_t>(rect_width));
        continue;
      }
      int column = 0;
      for (; column + 8 <= rect_width; column += 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, in + column, sizeof eight);
        const std::uint8_t first = static_cast<std::uint8_t>(eight);
        if (eight == kEveryByte * first) {
          const std::uint64_t mapped = kEveryByte * remap[first];
          std::memcpy(out + column, &mapped, sizeof mapped);
          continue;
        }
#pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) {
          out[column + k] = remap[in[column + k]];
        }
      }
      for (; column < rect_width; ++column) {
        out[column] = remap[in[column]];
      }
    }
  }
  if (!opaque) {
    ++empty;
    return text::Success();
  }
  // The end the stream states (VobSub's stop command); PGS leaves it open until the next set, and
  // so does a VobSub stop date of 0xFFFF, which the decoder gives as 0xFFFF steps of 1024/90 ms.
  constexpr std::uint32_t kVobSubNoStop = (0xFFFFu << 10) / 90;
  const std::uint32_t shown_until = subtitle.end_display_time;
  const bool no_stop = track.codec == SubtitleCodec::kVobSub && shown_until == kVobSubNoStop;
  if (shown_until != UINT32_MAX && !no_stop && shown_until > subtitle.start_display_time) {
    bitmap.end = base + shown_until;
    ready.push_back(std::move(bitmap));
  } else {
    waiting = std::move(bitmap);
  }
  return text::Success();
}

text::Status FfmpegReader::Finish() {
  finished = true;
  if (pgs_set_open) {
    EndEarly("the stream is truncated: the display set has no end segment", display_sets + 1);
    return text::Success();
  }
  if (spu_have > 0) {
    EndEarly("the stream is truncated inside a subtitle picture", display_sets + 1);
    return text::Success();
  }
  if (indexed_pictures > packets) {
    EndEarly("the pictures are truncated: the index lists " + std::to_string(indexed_pictures) +
                 ", the .sub file holds " + std::to_string(packets),
             display_sets + 1);
    return text::Success();
  }
  if (declared_size > 0 && input_size > 0 && input_size < declared_size) {
    EndEarly("the file is cut: it holds " + std::to_string(input_size) + " of the " +
                 std::to_string(declared_size) + " bytes its header gives",
             display_sets + 1);
    return text::Success();
  }
  // Decoders that hold a packet back give it up for an empty one.
  if ((codec->codec->capabilities & AV_CODEC_CAP_DELAY) != 0) {
    AVPacket* flush = av_packet_alloc();
    PacketPtr owner(flush);
    text::Status flushed = Decode(flush);
    if (!flushed) {
      return flushed;
    }
  }
  if (waiting) {
    Settle(waiting->start + kDefaultLastDuration);
  }
  return text::Success();
}

text::Result<std::unique_ptr<FfmpegReader>> OpenTrack(Container container, const std::string& name,
                                                      int track, std::int64_t declared_size) {
  const auto tracks = SubtitleTracks(*container.format);
  if (tracks.empty()) {
    return FormatError(name, "holds no subtitle track");
  }
  const std::pair<TrackInfo, int>* chosen = nullptr;
  if (track == 0) {
    for (const auto& candidate : tracks) {
      if (candidate.first.IsSupported()) {
        chosen = &candidate;
        break;
      }
    }
    if (chosen == nullptr) {
      return FormatError(name, "holds no PGS or VobSub subtitle track");
    }
  } else {
    if (track < 0 || track > static_cast<int>(tracks.size())) {
      return FormatError(name, "has no subtitle track " + std::to_string(track) + " (it has " +
                                   std::to_string(tracks.size()) + ")");
    }
    chosen = &tracks[static_cast<std::size_t>(track - 1)];
    if (!chosen->first.IsSupported()) {
      return FormatError(name, "subtitle track " + std::to_string(track) + " is " +
                                   chosen->first.codec_name + ", not PGS or VobSub pictures");
    }
  }

  auto state = std::make_unique<FfmpegReader>();
  state->name = name;
  state->track = chosen->first;
  state->stream_index = chosen->second;
  AVFormatContext* format = container.format.get();
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    format->streams[i]->discard =
        static_cast<int>(i) == state->stream_index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  const AVStream* stream = format->streams[state->stream_index];
  state->time_base = stream->time_base;
  const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (decoder == nullptr) {
    return FormatError(name, "no decoder for " + state->track.codec_name);
  }
  state->codec.reset(avcodec_alloc_context3(decoder));
  state->packet.reset(av_packet_alloc());
  if (!state->codec || !state->packet ||
      avcodec_parameters_to_context(state->codec.get(), stream->codecpar) < 0) {
    return text::Error{"io", name + ": out of memory", 0};
  }
  state->codec->pkt_timebase = stream->time_base;
  // Damage the decoder would conceal (short picture data) becomes an error instead.
  state->codec->err_recognition = AV_EF_EXPLODE;
  if (avcodec_open2(state->codec.get(), decoder, nullptr) < 0) {
    return FormatError(name, "the " + state->track.codec_name + " decoder cannot be opened");
  }
  state->container = std::move(container);
  if (AVIOContext* io = state->container.format->pb; io != nullptr) {
    state->input_size = std::max<std::int64_t>(avio_size(io), 0);
  }
  state->declared_size = declared_size;
  return state;
}

text::Result<std::vector<TrackInfo>> ReadTracks(const fs::path& input, const std::string& name) {
  auto container = OpenContainer(&input, nullptr, name);
  if (!container) {
    return container.error();
  }
  std::vector<TrackInfo> tracks;
  for (auto& [info, index] : SubtitleTracks(*container.value().format)) {
    tracks.push_back(std::move(info));
  }
  if (tracks.empty()) {
    return FormatError(name, "holds no subtitle track");
  }
  return tracks;
}

// The reader of `track` in the file `input` or in `bytes` (the other one null).
text::Result<std::unique_ptr<StreamReader>> OpenReader(const fs::path* input, std::string* bytes,
                                                       const std::string& name, int track) {
  constexpr std::size_t kHeadSize = 4096;
  const std::int64_t declared_size = DeclaredMatroskaSize(
      bytes != nullptr ? bytes->substr(0, kHeadSize) : FileHead(*input, kHeadSize));
  auto container = OpenContainer(input, bytes, name);
  if (!container) {
    return container.error();
  }
  auto reader = OpenTrack(std::move(container).value(), name, track, declared_size);
  if (!reader) {
    return reader.error();
  }
  return std::unique_ptr<StreamReader>(std::move(reader).value());
}

text::Result<std::unique_ptr<StreamReader>> OpenFile(const fs::path& input, const std::string& name,
                                                     int track) {
  return OpenReader(&input, nullptr, name, track);
}

text::Result<std::unique_ptr<StreamReader>> OpenMemory(std::string bytes, const std::string& name,
                                                       int track) {
  return OpenReader(nullptr, &bytes, name, track);
}

text::Result<std::optional<SubtitleBitmap>> FfmpegReader::Next() {
  FfmpegReader& s = *this;
  if (s.failed) {
    return std::optional<SubtitleBitmap>();
  }
  auto fail = [&s](text::Error error) -> text::Result<std::optional<SubtitleBitmap>> {
    s.failed = true;
    return error;
  };
  while (s.ready.empty() && !s.finished) {
    AVPacket* packet = s.packet.get();
    const int read = av_read_frame(s.container.format.get(), packet);
    if (read == AVERROR_EOF) {
      if (text::Status done = s.Finish(); !done) {
        return fail(done.error());
      }
      break;
    }
    if (read < 0) {
      // A reader that fails on its first packet was given something else under its name.
      if (s.stream_packets == 0) {
        return fail(
            FormatError(s.name, std::string(kNotDiscSubtitles) + " (" + AvErrorText(read) + ")"));
      }
      s.EndEarly("the stream is damaged (" + AvErrorText(read) + ")", s.display_sets + 1);
      break;
    }
    if (packet->stream_index != s.stream_index) {
      av_packet_unref(packet);
      continue;
    }
    ++s.stream_packets;
    text::Status status = s.CheckPacket(*packet);
    if (status) {
      status = s.Decode(packet);
    }
    av_packet_unref(packet);
    if (!status && status.error().code == kEarly) {
      s.EndEarly(status.error().message, status.error().line);
      break;
    }
    if (!status) {
      return fail(status.error());
    }
  }
  if (s.ready.empty()) {
    return std::optional<SubtitleBitmap>();
  }
  SubtitleBitmap next = std::move(s.ready.front());
  s.ready.pop_front();
  return std::optional<SubtitleBitmap>(std::move(next));
}

int FfmpegReader::Progress() const {
  AVIOContext* io = container.format->pb;
  const std::int64_t size = input_size;
  if (io == nullptr || size <= 0) {
    return 0;
  }
  return static_cast<int>(std::clamp<std::int64_t>(avio_tell(io) * 1000 / size, 0, 1000));
}

constexpr StreamModule kModule = {&ReadTracks, &OpenFile, &OpenMemory};

}  // namespace
}  // namespace import

ZENTROPE_MODULE_ENTRY const void* zentrope_ffmpeg_module(const char* build) {
  return loader::IsThisBuild(build) ? &import::kModule : nullptr;
}
