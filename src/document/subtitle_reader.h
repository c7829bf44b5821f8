// Reading SRT and SSA subtitle files into the main or reference table, with the encoding
// detection that turns UTF-8 and UTF-16 files into the GBK text the tables hold.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "document/subtitle_document.h"
#include "text/encoding.h"
#include "text/result.h"

namespace document {

// The encoding a subtitle file was found in.
enum class SourceEncoding { kGbk, kUtf8, kUtf16Le, kUtf16Be };

// A file's bytes as GBK text, and what it took to get there.
struct DecodedText {
  std::string gbk;
  SourceEncoding encoding = SourceEncoding::kGbk;
  // Characters GBK cannot hold (or malformed sequences) that became '?'.
  int replaced = 0;
};

// Decodes the raw bytes of a subtitle file. A leading UTF-8 byte-order mark is skipped. Bytes
// starting with the UTF-16 mark FF FE (little endian) or FE FF (big endian) are converted from
// UTF-16; an unpaired surrogate or a lone last byte becomes '?' and counts as replaced. Otherwise,
// bytes that are valid UTF-8 and hold a non-ASCII byte are converted from UTF-8; anything else is
// taken byte for byte as GBK. Never fails.
DecodedText DecodeSubtitleBytes(std::string_view raw);

// What a read found. Warnings are one-line GBK/ASCII texts for the user; an empty list means the
// file was taken as it stands.
struct ReadReport {
  int entries = 0;  // data rows filled from the file (0 when it gave none)
  SourceEncoding encoding = SourceEncoding::kGbk;
  int replaced_characters = 0;  // characters that became '?' while converting to GBK
  // The encoding used, under document.input_encoding (kGbk under the older detection).
  text::Encoding decoded_as = text::Encoding::kGbk;
  std::vector<std::string> warnings;
};

// True for a non-empty text made only of the bytes '0' to '9'.
bool IsAllDigits(std::string_view text);

// Replaces the role's table with the entries of the subtitle file `path`. The rules are chosen by
// document.format_rules and the role's read extension (document.ReadExtension(role)):
//  - FormatRules::kAsBefore reads ".srt" and ".ssa" as the program always did;
//  - FormatRules::kFull reads ".srt", ".ssa", ".ass" and ".vtt" with the lenient readers of
//    format_readers.h (times in every common form, negative ones as zero; fields the table has
//    no column of kept in the main table's kKeptFields column for the writer).
// With any other extension the table is cleared, no entry is read and a warning says so. Role 1
// sets document.picture_mode (SRT: decided by entry 1's non-empty lines ending in "1.bmp";
// otherwise false) and fills the style, margin and base columns; an SSA file with at least one
// line replaces the role's KeptSsaHeader (under kFull every SSA, ASS and WebVTT file replaces
// the kept header and trailer). Malformed content never fails: the reading rules decide what
// lands in which cell, and the warnings name the rows whose times were changed or not read.
// DocumentSaved and the file name properties are the caller's to set; no port is called.
// Errors: code "io" naming the file when it cannot be read; code "encoding" when
// document.input_encoding is kAuto and no encoding tried reads the bytes (the message names them);
// the table, flags and kept header are then left exactly as they were.
text::Result<ReadReport> ReadSubtitleFile(const std::filesystem::path& path, Role role,
                                          SubtitleDocument& document);

// ReadSubtitleFile on bytes already in memory (`raw` as found in a file, before decoding). Bytes
// no encoding reads are taken as GBK as they stand, with a warning naming the encodings tried.
ReadReport ReadSubtitleBytes(std::string_view raw, Role role, SubtitleDocument& document);

}  // namespace document
