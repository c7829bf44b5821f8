// Test-only writers of PGS, VobSub and Matroska streams, and synthetic subtitle pictures.
#include "support/disc_streams.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>

namespace testing_support {
namespace {

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value >> 16);
  Put16(out, value & 0xFFFF);
}
void Segment(std::string& out, std::uint8_t type, const std::string& payload) {
  if (payload.size() > 0xFFFF) {
    throw std::runtime_error("PGS segment too long for the test writer");
  }
  out += static_cast<char>(type);
  Put16(out, static_cast<unsigned>(payload.size()));
  out += payload;
}

// Presentation composition: video size, frame rate code, composition number and state, palette
// update flag and id, then per object: id, window, flags (0x40 forced), x, y.
std::string Composition(int width, int height, int number, bool with_object, const PgsPicture* p) {
  std::string payload;
  Put16(payload, static_cast<unsigned>(width));
  Put16(payload, static_cast<unsigned>(height));
  payload += '\x10';
  Put16(payload, static_cast<unsigned>(number));
  payload += static_cast<char>(with_object ? 0x80 : 0x00);
  payload += '\0';
  payload += '\0';
  payload += static_cast<char>(with_object ? 1 : 0);
  if (with_object) {
    Put16(payload, 0);
    payload += '\0';
    payload += static_cast<char>(p->forced ? 0x40 : 0x00);
    Put16(payload, static_cast<unsigned>(p->x));
    Put16(payload, static_cast<unsigned>(p->y));
  }
  return payload;
}

std::string Window(int x, int y, int width, int height) {
  std::string payload;
  payload += '\x01';
  payload += '\0';
  Put16(payload, static_cast<unsigned>(x));
  Put16(payload, static_cast<unsigned>(y));
  Put16(payload, static_cast<unsigned>(width));
  Put16(payload, static_cast<unsigned>(height));
  return payload;
}

// MPEG transport stream pieces: 188-byte packets (a sync byte, the PID, the continuity counter,
// an adaptation field of stuffing where the payload is short), PSI sections with their CRC, and
// PES packets of private stream 1 with a PTS.
constexpr int kTsPacketSize = 188;
constexpr unsigned kPmtPid = 0x0100;
constexpr unsigned kFirstSubtitlePid = 0x1200;

// CRC-32 of MPEG-2 sections: polynomial 0x04C11DB7, most significant bit first, no final xor.
std::uint32_t SectionCrc(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char byte : bytes) {
    crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(byte)) << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000U) != 0 ? (crc << 1) ^ 0x04C11DB7U : crc << 1;
    }
  }
  return crc;
}

class TsMuxer {
 public:
  explicit TsMuxer(bool m2ts) : m2ts_(m2ts) {}

  // `payload` cut into packets of `pid`; the first one starts a unit. PSI payloads are padded
  // with 0xFF after the section, PES payloads with adaptation-field stuffing before the data.
  void Put(unsigned pid, const std::string& payload, bool psi) {
    std::size_t at = 0;
    bool first = true;
    do {
      std::string packet;
      packet += '\x47';
      Put16(packet, (first ? 0x4000U : 0U) | pid);
      const std::size_t left = payload.size() - at;
      const std::size_t room = kTsPacketSize - 4;
      std::uint8_t& counter = counters_[pid];
      if (left >= room || psi) {
        packet += static_cast<char>(0x10 | counter);
        const std::size_t take = std::min(left, room);
        packet += payload.substr(at, take);
        packet.append(room - take, '\xFF');
        at += take;
      } else {
        // Adaptation field of stuffing: its length byte, a flags byte, then 0xFF bytes.
        packet += static_cast<char>(0x30 | counter);
        const std::size_t field = room - left - 1;
        packet += static_cast<char>(field);
        if (field > 0) {
          packet += '\0';
          packet.append(field - 1, '\xFF');
        }
        packet += payload.substr(at);
        at = payload.size();
      }
      counter = (counter + 1) & 0x0F;
      Emit(packet);
      first = false;
    } while (at < payload.size());
  }

  void PutSection(unsigned pid, std::uint8_t table_id, unsigned id, const std::string& body) {
    std::string section;
    section += static_cast<char>(table_id);
    Put16(section, 0xB000U | static_cast<unsigned>(body.size() + 9));  // syntax, length
    Put16(section, id);
    section += '\xC1';  // version 0, current
    section += '\0';    // section 0 of 0
    section += '\0';
    section += body;
    Put32(section, SectionCrc(section));
    Put(pid, std::string(1, '\0') + section, true);  // pointer field 0
  }

  std::string Bytes() const {
    return out_;
  }

 private:
  void Emit(const std::string& packet) {
    if (m2ts_) {
      // The arrival time stamp of the 192-byte form: copy permission 0, 30 bits of a 27 MHz
      // clock, here simply rising.
      Put32(out_, static_cast<std::uint32_t>(packets_ * 1000) & 0x3FFFFFFF);
    }
    out_ += packet;
    ++packets_;
  }

  bool m2ts_;
  std::string out_;
  std::uint64_t packets_ = 0;
  std::uint8_t counters_[0x2000] = {};
};

// A PES packet of private stream 1 (0xBD) with a PTS in 90 kHz ticks.
std::string PrivatePes(std::int64_t pts, const std::string& data) {
  std::string pes("\0\0\x01\xBD", 4);
  if (data.size() + 8 > 0xFFFF) {
    throw std::runtime_error("PES packet too long for the test writer");
  }
  Put16(pes, static_cast<unsigned>(data.size() + 8));
  pes += '\x80';  // marker bits
  pes += '\x80';  // PTS only
  pes += '\x05';  // header data length
  const auto t = static_cast<std::uint64_t>(pts);
  pes += static_cast<char>(0x21 | ((t >> 29) & 0x0E));
  Put16(pes, static_cast<unsigned>(((t >> 14) & 0xFFFE) | 1));
  Put16(pes, static_cast<unsigned>(((t << 1) & 0xFFFE) | 1));
  return pes + data;
}

// MPEG program stream pieces for VobSub: the pack header with SCR 0 and the PES timestamp.
void PackHeader(std::string& out) {
  const unsigned char header[] = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04,
                                  0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
  out.append(reinterpret_cast<const char*>(header), sizeof header);
}
void PutPts(std::string& out, std::int64_t pts) {
  out += static_cast<char>(0x21 | ((pts >> 29) & 0x0E));
  out += static_cast<char>((pts >> 22) & 0xFF);
  out += static_cast<char>(((pts >> 14) & 0xFE) | 1);
  out += static_cast<char>((pts >> 7) & 0xFF);
  out += static_cast<char>(((pts << 1) & 0xFE) | 1);
}

// The nibble run-length coding of one VobSub line, byte aligned at its end.
void VobSubLine(std::vector<std::uint8_t>& nibbles, const std::uint8_t* line, int width) {
  int x = 0;
  while (x < width) {
    const std::uint8_t colour = line[x] & 3;
    int run = 1;
    while (x + run < width && (line[x + run] & 3) == colour && run < 255) {
      ++run;
    }
    const unsigned code = static_cast<unsigned>(run) << 2 | colour;
    int digits = run < 4 ? 1 : run < 16 ? 2 : run < 64 ? 3 : 4;
    for (int d = digits - 1; d >= 0; --d) {
      nibbles.push_back(static_cast<std::uint8_t>((code >> (4 * d)) & 0xF));
    }
    x += run;
  }
  if (nibbles.size() % 2 != 0) {
    nibbles.push_back(0);
  }
}

std::string Nibbles(const std::vector<std::uint8_t>& nibbles) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < nibbles.size(); i += 2) {
    bytes += static_cast<char>(nibbles[i] << 4 | nibbles[i + 1]);
  }
  return bytes;
}

// One subtitle unit: size, offset of the control sequences, the two fields' pixel data, then a
// control sequence that shows the picture and one that stops it after `steps` x 1024/90 ms.
std::string SubtitleUnit(const VobSubPicture& p) {
  std::vector<std::uint8_t> top;
  std::vector<std::uint8_t> bottom;
  for (int row = 0; row < p.height; ++row) {
    VobSubLine(row % 2 == 0 ? top : bottom,
               p.pixels.data() + static_cast<std::size_t>(row) * p.width, p.width);
  }
  const std::string top_bytes = Nibbles(top);
  const std::string bottom_bytes = Nibbles(bottom);
  const unsigned top_offset = 4;
  const unsigned bottom_offset = top_offset + static_cast<unsigned>(top_bytes.size());
  const unsigned control = bottom_offset + static_cast<unsigned>(bottom_bytes.size());

  std::string first;
  Put16(first, 0);
  const unsigned second_at = control + 24 + (p.forced ? 1 : 0);
  Put16(first, second_at);
  if (p.forced) {
    first += '\x00';
  }
  first += '\x01';
  first += '\x03';
  first += static_cast<char>(p.colours[3] << 4 | p.colours[2]);
  first += static_cast<char>(p.colours[1] << 4 | p.colours[0]);
  first += '\x04';
  first += static_cast<char>(p.alphas[3] << 4 | p.alphas[2]);
  first += static_cast<char>(p.alphas[1] << 4 | p.alphas[0]);
  const int x2 = p.x + p.width - 1;
  const int y2 = p.y + p.height - 1;
  first += '\x05';
  first += static_cast<char>(p.x >> 4);
  first += static_cast<char>((p.x & 0xF) << 4 | x2 >> 8);
  first += static_cast<char>(x2 & 0xFF);
  first += static_cast<char>(p.y >> 4);
  first += static_cast<char>((p.y & 0xF) << 4 | y2 >> 8);
  first += static_cast<char>(y2 & 0xFF);
  first += '\x06';
  Put16(first, top_offset);
  Put16(first, bottom_offset);
  first += '\xFF';
  if (first.size() != second_at - control) {
    throw std::logic_error("VobSub control sequence size");
  }
  std::string second;
  Put16(second, p.duration < 0 ? 0xFFFFu : static_cast<unsigned>((p.duration * 90 + 512) / 1024));
  Put16(second, second_at);
  second += '\x02';
  second += '\xFF';

  std::string unit;
  const unsigned total = control + static_cast<unsigned>(first.size() + second.size());
  Put16(unit, total);
  Put16(unit, control);
  unit += top_bytes + bottom_bytes + first + second;
  return unit;
}

struct OutputCloser {
  void operator()(AVFormatContext* format) const {
    if (format != nullptr) {
      if (format->pb != nullptr) {
        std::uint8_t* buffer = nullptr;
        avio_close_dyn_buf(format->pb, &buffer);
        av_free(buffer);
      }
      avformat_free_context(format);
    }
  }
};

struct MatroskaPacket {
  int stream;
  std::int64_t time;  // ms
  std::string data;
};

std::string WriteMatroska(const std::vector<AVCodecParameters*>& streams,
                          const std::vector<MatroskaTrackTags>& tags,
                          std::vector<MatroskaPacket> packets) {
  AVFormatContext* raw = nullptr;
  if (avformat_alloc_output_context2(&raw, nullptr, "matroska", nullptr) < 0) {
    throw std::runtime_error("no Matroska writer");
  }
  std::unique_ptr<AVFormatContext, OutputCloser> format(raw);
  for (std::size_t i = 0; i < streams.size(); ++i) {
    AVStream* stream = avformat_new_stream(raw, nullptr);
    avcodec_parameters_copy(stream->codecpar, streams[i]);
    stream->time_base = AVRational{1, 1000};
    if (i < tags.size()) {
      av_dict_set(&stream->metadata, "language", tags[i].language.c_str(), 0);
      if (!tags[i].title.empty()) {
        av_dict_set(&stream->metadata, "title", tags[i].title.c_str(), 0);
      }
      stream->disposition = (tags[i].default_track ? AV_DISPOSITION_DEFAULT : 0) |
                            (tags[i].forced ? AV_DISPOSITION_FORCED : 0);
    }
  }
  if (avio_open_dyn_buf(&raw->pb) < 0 || avformat_write_header(raw, nullptr) < 0) {
    throw std::runtime_error("Matroska header");
  }
  std::stable_sort(
      packets.begin(), packets.end(),
      [](const MatroskaPacket& a, const MatroskaPacket& b) { return a.time < b.time; });
  for (const MatroskaPacket& item : packets) {
    AVPacket* packet = av_packet_alloc();
    av_new_packet(packet, static_cast<int>(item.data.size()));
    std::copy(item.data.begin(), item.data.end(), packet->data);
    packet->stream_index = item.stream;
    packet->pts = packet->dts =
        av_rescale_q(item.time, AVRational{1, 1000}, raw->streams[item.stream]->time_base);
    packet->flags |= AV_PKT_FLAG_KEY;
    const int written = av_interleaved_write_frame(raw, packet);
    av_packet_free(&packet);
    if (written < 0) {
      throw std::runtime_error("Matroska packet");
    }
  }
  av_write_trailer(raw);
  std::uint8_t* buffer = nullptr;
  const int size = avio_close_dyn_buf(raw->pb, &buffer);
  raw->pb = nullptr;
  std::string bytes(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(size));
  av_free(buffer);
  return bytes;
}

}  // namespace

std::string PgsRunLengths(const std::vector<std::uint8_t>& pixels, int width, int height) {
  std::string out;
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* line = pixels.data() + static_cast<std::size_t>(row) * width;
    int x = 0;
    while (x < width) {
      const std::uint8_t colour = line[x];
      int run = 1;
      while (x + run < width && line[x + run] == colour && run < 16383) {
        ++run;
      }
      if (colour != 0 && run <= 2) {
        out.append(static_cast<std::size_t>(run), static_cast<char>(colour));
      } else if (colour == 0) {
        out += '\0';
        if (run < 64) {
          out += static_cast<char>(run);
        } else {
          out += static_cast<char>(0x40 | run >> 8);
          out += static_cast<char>(run & 0xFF);
        }
      } else {
        out += '\0';
        if (run < 64) {
          out += static_cast<char>(0x80 | run);
        } else {
          out += static_cast<char>(0xC0 | run >> 8);
          out += static_cast<char>(run & 0xFF);
        }
        out += static_cast<char>(colour);
      }
      x += run;
    }
    out += '\0';
    out += '\0';
  }
  return out;
}

std::vector<PgsDisplaySet> PgsDisplaySets(const std::vector<PgsPicture>& pictures, int video_width,
                                          int video_height) {
  std::vector<PgsDisplaySet> sets;
  int number = 0;
  for (const PgsPicture& p : pictures) {
    PgsDisplaySet shown;
    shown.pts = p.start * 90;
    Segment(shown.segments, 0x16, Composition(video_width, video_height, number++, true, &p));
    Segment(shown.segments, 0x17, Window(p.x, p.y, p.width, p.height));
    std::string palette = std::string("\0\0", 2);
    for (const PgsColour& colour : p.palette) {
      palette += static_cast<char>(colour.id);
      palette += static_cast<char>(colour.y);
      palette += static_cast<char>(colour.cr);
      palette += static_cast<char>(colour.cb);
      palette += static_cast<char>(colour.alpha);
    }
    Segment(shown.segments, 0x14, palette);
    // Object definition: id, version, sequence flags (first and last), data length (the
    // run-length data plus the four size bytes), width, height, data.
    const std::string coded = PgsRunLengths(p.pixels, p.width, p.height);
    std::string object;
    Put16(object, 0);
    object += '\0';
    object += '\xC0';
    const std::size_t length = coded.size() + 4;
    object += static_cast<char>((length >> 16) & 0xFF);
    Put16(object, static_cast<unsigned>(length & 0xFFFF));
    Put16(object, static_cast<unsigned>(p.width));
    Put16(object, static_cast<unsigned>(p.height));
    object += coded;
    Segment(shown.segments, 0x15, object);
    Segment(shown.segments, 0x80, "");
    sets.push_back(std::move(shown));
    if (p.end >= 0) {
      PgsDisplaySet cleared;
      cleared.pts = p.end * 90;
      Segment(cleared.segments, 0x16, Composition(video_width, video_height, number++, false, &p));
      Segment(cleared.segments, 0x17, Window(p.x, p.y, p.width, p.height));
      Segment(cleared.segments, 0x80, "");
      sets.push_back(std::move(cleared));
    }
  }
  return sets;
}

std::string SupFile(const std::vector<PgsDisplaySet>& sets) {
  std::string out;
  for (const PgsDisplaySet& set : sets) {
    std::size_t at = 0;
    while (at + 3 <= set.segments.size()) {
      const std::size_t length = static_cast<unsigned char>(set.segments[at + 1]) << 8 |
                                 static_cast<unsigned char>(set.segments[at + 2]);
      out += "PG";
      Put32(out, static_cast<std::uint32_t>(set.pts));
      Put32(out, 0);
      out += set.segments.substr(at, 3 + length);
      at += 3 + length;
    }
  }
  return out;
}

std::int64_t VobSubCodedDuration(std::int64_t duration) {
  const std::int64_t steps = (duration * 90 + 512) / 1024;
  return steps * 1024 / 90;
}

VobSubFiles VobSubStream(const std::vector<VobSubPicture>& pictures,
                         const std::vector<std::uint32_t>& palette) {
  VobSubFiles files;
  files.idx = "# VobSub index file, v7 (do not modify this line!)\n";
  files.idx += "size: 720x576\norg: 0, 0\nscale: 100%, 100%\nalpha: 100%\n";
  files.idx += "smooth: OFF\nfadein/out: 0, 0\nalign: OFF at LEFT TOP\ntime offset: 0\n";
  files.idx += "forced subs: OFF\npalette: ";
  for (std::size_t i = 0; i < 16; ++i) {
    char colour[16];
    std::snprintf(colour, sizeof colour, "%s%06x", i == 0 ? "" : ", ",
                  i < palette.size() ? palette[i] & 0xFFFFFF : 0u);
    files.idx += colour;
  }
  files.idx += "\ncustom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, 000000\n";
  files.idx += "langidx: 0\nid: en, index: 0\n";
  for (const VobSubPicture& p : pictures) {
    char line[96];
    const std::int64_t t = p.start;
    std::snprintf(line, sizeof line, "timestamp: %02lld:%02lld:%02lld:%03lld, filepos: %09zx\n",
                  static_cast<long long>(t / 3600000), static_cast<long long>(t / 60000 % 60),
                  static_cast<long long>(t / 1000 % 60), static_cast<long long>(t % 1000),
                  files.sub.size());
    files.idx += line;
    const std::string unit = SubtitleUnit(p);
    std::size_t sent = 0;
    bool first = true;
    while (sent < unit.size()) {
      std::string pack;
      PackHeader(pack);
      // PES header: start code, stream 0xBD, length, flags, header length (+ PTS on the first
      // packet of the unit), then the substream number 0x20 and the data.
      const std::size_t header = 9 + (first ? 5 : 0) + 1;
      const std::size_t room = 2048 - pack.size() - header;
      std::size_t chunk = std::min(room, unit.size() - sent);
      std::size_t stuffing = 0;
      const std::size_t left = room - chunk;
      if (left > 0 && left < 6) {
        stuffing = left;  // too little room for a padding packet: stuff the PES header
      }
      std::string pes = std::string("\x00\x00\x01\xBD", 4);
      Put16(pes, static_cast<unsigned>(3 + (first ? 5 : 0) + stuffing + 1 + chunk));
      pes += '\x81';
      pes += static_cast<char>(first ? 0x80 : 0x00);
      pes += static_cast<char>((first ? 5 : 0) + stuffing);
      if (first) {
        PutPts(pes, p.start * 90);
      }
      pes.append(stuffing, '\xFF');
      pes += '\x20';
      pes += unit.substr(sent, chunk);
      pack += pes;
      const std::size_t padding = 2048 - pack.size();
      if (padding >= 6) {
        pack += std::string("\x00\x00\x01\xBE", 4);
        Put16(pack, static_cast<unsigned>(padding - 6));
        pack.append(padding - 6, '\xFF');
      }
      files.sub += pack;
      sent += chunk;
      first = false;
    }
  }
  return files;
}

std::string MatroskaWithPgs(const std::vector<std::vector<PgsDisplaySet>>& tracks,
                            const std::vector<std::string>& languages) {
  std::vector<MatroskaTrackTags> tags;
  for (const std::string& language : languages) {
    tags.push_back(MatroskaTrackTags{language, "", false, false});
  }
  return MatroskaWithTaggedPgs(tracks, tags);
}

std::string MatroskaWithTaggedPgs(const std::vector<std::vector<PgsDisplaySet>>& tracks,
                                  const std::vector<MatroskaTrackTags>& tags) {
  std::vector<AVCodecParameters*> streams;
  std::vector<MatroskaPacket> packets;
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    parameters->codec_type = AVMEDIA_TYPE_SUBTITLE;
    parameters->codec_id = AV_CODEC_ID_HDMV_PGS_SUBTITLE;
    streams.push_back(parameters);
    for (const PgsDisplaySet& set : tracks[t]) {
      packets.push_back({static_cast<int>(t), set.pts / 90, set.segments});
    }
  }
  std::string bytes;
  try {
    bytes = WriteMatroska(streams, tags, std::move(packets));
  } catch (...) {
    for (AVCodecParameters* parameters : streams) {
      avcodec_parameters_free(&parameters);
    }
    throw;
  }
  for (AVCodecParameters* parameters : streams) {
    avcodec_parameters_free(&parameters);
  }
  return bytes;
}

std::string TransportStreamWithPgs(const std::vector<std::vector<PgsDisplaySet>>& tracks,
                                   const std::vector<std::string>& languages, bool m2ts) {
  TsMuxer muxer(m2ts);
  std::string pat;
  Put16(pat, 1);  // program number
  Put16(pat, 0xE000 | kPmtPid);
  muxer.PutSection(0, 0x00, 1, pat);
  std::string pmt;
  Put16(pmt, 0xE000 | 0x1FFF);  // no PCR
  // The "HDMV" registration of Blu-ray streams, under which stream type 0x90 means PGS.
  const std::string registration("\x05\x04HDMV", 6);
  Put16(pmt, 0xF000 | static_cast<unsigned>(registration.size()));
  pmt += registration;
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    pmt += '\x90';
    Put16(pmt, 0xE000 | static_cast<unsigned>(kFirstSubtitlePid + t));
    std::string descriptors;
    if (t < languages.size() && languages[t].size() == 3) {
      descriptors += "\x0A\x04" + languages[t] + '\0';  // ISO 639 language, undefined type
    }
    Put16(pmt, 0xF000 | static_cast<unsigned>(descriptors.size()));
    pmt += descriptors;
  }
  muxer.PutSection(kPmtPid, 0x02, 1, pmt);

  // The display sets of all tracks in time order, each segment in a PES packet of its own as on
  // a disc.
  struct Item {
    std::int64_t pts;
    std::size_t track;
    const PgsDisplaySet* set;
  };
  std::vector<Item> items;
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    for (const PgsDisplaySet& set : tracks[t]) {
      items.push_back({set.pts, t, &set});
    }
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return a.pts < b.pts; });
  for (const Item& item : items) {
    const std::string& segments = item.set->segments;
    std::size_t at = 0;
    while (at + 3 <= segments.size()) {
      const std::size_t length =
          static_cast<std::size_t>(static_cast<unsigned char>(segments[at + 1]) << 8 |
                                   static_cast<unsigned char>(segments[at + 2]));
      muxer.Put(static_cast<unsigned>(kFirstSubtitlePid + item.track),
                PrivatePes(item.pts, segments.substr(at, 3 + length)), false);
      at += 3 + length;
    }
  }
  return muxer.Bytes();
}

std::string MatroskaWithoutSubtitles() {
  AVCodecParameters* audio = avcodec_parameters_alloc();
  audio->codec_type = AVMEDIA_TYPE_AUDIO;
  audio->codec_id = AV_CODEC_ID_PCM_S16LE;
  audio->sample_rate = 8000;
  audio->format = AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&audio->ch_layout, 1);
  std::vector<MatroskaPacket> packets;
  for (int i = 0; i < 4; ++i) {
    packets.push_back({0, i * 100, std::string(1600, '\0')});
  }
  std::string bytes =
      WriteMatroska({audio}, {MatroskaTrackTags{"eng", "", false, false}}, std::move(packets));
  avcodec_parameters_free(&audio);
  return bytes;
}

std::vector<PgsColour> SyntheticPalette() {
  return {
      {static_cast<std::uint8_t>(PixelRole::kFill), 235, 128, 128, 255},
      {static_cast<std::uint8_t>(PixelRole::kLightBlend), 180, 128, 128, 255},
      {static_cast<std::uint8_t>(PixelRole::kDarkBlend), 90, 128, 128, 255},
      {static_cast<std::uint8_t>(PixelRole::kOutline), 16, 128, 128, 255},
      {static_cast<std::uint8_t>(PixelRole::kOuterEdge), 16, 128, 128, 160},
      {static_cast<std::uint8_t>(PixelRole::kHalo), 16, 128, 128, 60},
  };
}

int RoleLuminance(PixelRole role) {
  switch (role) {
    case PixelRole::kFill:
      return 255;
    case PixelRole::kLightBlend:
      return 191;
    case PixelRole::kDarkBlend:
      return 86;
    default:
      return 0;
  }
}

bool RoleIsOpaque(PixelRole role) {
  return role != PixelRole::kTransparent && role != PixelRole::kHalo;
}

std::vector<std::uint8_t> SyntheticSubtitle(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<int> distance(static_cast<std::size_t>(width) * height, 1000);
  auto at = [&](int x, int y) -> int& { return distance[static_cast<std::size_t>(y) * width + x]; };
  // Glyph cells of about the text height, each with a few strokes of the fill.
  const int margin = 6;
  const int cell = std::max(8, height - 2 * margin);
  for (int left = margin; left + cell <= width - margin; left += cell + cell / 4) {
    const int strokes = 2 + static_cast<int>(random() % 4);
    for (int s = 0; s < strokes; ++s) {
      const bool horizontal = random() % 2 == 0;
      const int thickness = 3 + static_cast<int>(random() % 3);
      const int along = cell / 2 + static_cast<int>(random() % static_cast<unsigned>(cell / 2));
      const int x0 =
          left + static_cast<int>(
                     random() % static_cast<unsigned>(cell - (horizontal ? along : thickness) + 1));
      const int y0 =
          margin + static_cast<int>(random() % static_cast<unsigned>(
                                                   cell - (horizontal ? thickness : along) + 1));
      const int w = horizontal ? along : thickness;
      const int h = horizontal ? thickness : along;
      for (int y = y0; y < y0 + h && y < height; ++y) {
        for (int x = x0; x < x0 + w && x < width; ++x) {
          at(x, y) = 0;
        }
      }
    }
  }
  // Chessboard distance from the fill, by two passes.
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int dy = -1; dy <= 0; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx;
          const int ny = y + dy;
          if ((dy < 0 || dx < 0) && nx >= 0 && ny >= 0 && nx < width) {
            at(x, y) = std::min(at(x, y), at(nx, ny) + 1);
          }
        }
      }
    }
  }
  for (int y = height - 1; y >= 0; --y) {
    for (int x = width - 1; x >= 0; --x) {
      for (int dy = 0; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx;
          const int ny = y + dy;
          if ((dy > 0 || dx > 0) && nx >= 0 && ny < height && nx < width) {
            at(x, y) = std::min(at(x, y), at(nx, ny) + 1);
          }
        }
      }
    }
  }
  std::vector<std::uint8_t> roles(distance.size());
  for (std::size_t i = 0; i < distance.size(); ++i) {
    const int d = distance[i];
    PixelRole role = PixelRole::kTransparent;
    if (d == 0) {
      role = PixelRole::kFill;
    } else if (d == 1) {
      // The blend band alternates its two shades, as anti-aliasing does along a curve.
      role = (i % 3 == 0) ? PixelRole::kDarkBlend : PixelRole::kLightBlend;
    } else if (d <= 3) {
      role = PixelRole::kOutline;
    } else if (d == 4) {
      role = PixelRole::kOuterEdge;
    } else if (d == 5) {
      role = PixelRole::kHalo;
    }
    roles[i] = static_cast<std::uint8_t>(role);
  }
  return roles;
}

}  // namespace testing_support
