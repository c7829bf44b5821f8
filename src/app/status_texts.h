// The texts the window shows about what it did (status bar, save questions), built from the
// message table so that they follow the language, and the save encodings as the user sees them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "document/save_check.h"
#include "document/subtitle_writer.h"
#include "ocr/recognition_run.h"
#include "ports/host_ports.h"

namespace app {

// `pattern` (GBK) with "%1" .. "%9" replaced by the values in order; a marker without a value
// stays as it is. GBK trail bytes never take the values of '%' or a digit, so a marker is never
// found inside a two-byte character.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string> values);

// "3, 17, 25": the first `listed` numbers, then ", ..." when there are more.
std::string NumberList(const std::vector<int>& numbers, std::size_t listed);

// The save encodings in the order of the save dialog's list and of settings line 23.
inline constexpr document::OutputEncoding kSaveEncodings[] = {document::OutputEncoding::kGbk,
                                                              document::OutputEncoding::kUtf8,
                                                              document::OutputEncoding::kUtf8Bom};
// The encoding of list entry `index`; GBK for an index outside the list.
document::OutputEncoding SaveEncodingAt(int index);
// The three names the save dialog lists (message 1256 split at "|"). A message with fewer parts
// is completed with the plain names, so the list always has three entries.
std::vector<std::string> SaveEncodingNames(const ports::MessageSource& texts);

// The save's question about `problems` (not empty): one line per kind of problem with its rows
// (at most `max_rows` numbers, then "..."), then the Yes/No explanation.
std::string SaveProblemsQuestion(const document::SaveProblems& problems,
                                 const ports::MessageSource& texts, int max_rows = 12);

// Status bar texts.
std::string RunProgressStatus(const ports::MessageSource& texts, int row, int rows, int taught);
// The end of a run: "done" after a complete run, else "stopped at row r".
std::string RunEndStatus(const ports::MessageSource& texts, const ocr::RunOutcome& outcome);
// A row analysis: while it runs, and its end with the count of glyphs read.
std::string RowAnalysisStatus(const ports::MessageSource& texts, int row);
std::string RowAnalysedStatus(const ports::MessageSource& texts, int row, int glyphs);
std::string SavedStatus(const ports::MessageSource& texts, const std::string& file_name,
                        document::OutputEncoding encoding);
std::string CheckedStatus(const ports::MessageSource& texts, int rows_changed);
std::string ReplacedStatus(const ports::MessageSource& texts, int replacements);

}  // namespace app
