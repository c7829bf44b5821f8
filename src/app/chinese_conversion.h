// The window's Chinese script conversion: whether OpenCC's data is there (and the status text
// when it is not), the preview of a conversion of the main or the reference subtitle, all rows
// or the selected ones, its report texts, and writing it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "chinese/script_conversion.h"
#include "chinese/script_converter.h"
#include "document/subtitle_document.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace app {

// What the panel asks for.
struct ChineseRequest {
  chinese::Direction direction = chinese::Direction::kS2T;
  document::Role role = document::Role::kMain;
  // Empty: every data row. Otherwise the table rows to convert (rows outside the table are
  // ignored).
  std::vector<int> rows;
};

class ChineseConversion {
 public:
  // Looks for OpenCC's configuration files in `data_folder` once, now.
  explicit ChineseConversion(std::filesystem::path data_folder = chinese::DefaultDataFolder());

  bool Available() const {
    return missing_file_.empty();
  }
  // The status text of the disabled command when the data is missing (messages 1478, the
  // missing file, 1481: it names the package to install); empty when the data is there.
  std::string MissingDataText(const ports::MessageSource& messages) const;

  // The conversion of the request's rows, without changing the document. Error code
  // "opencc-data" with a GBK message (1484 and OpenCC's reason) when the configuration cannot
  // be loaded; never throws. Lets `pump` run as PreviewConversion does.
  text::Result<chinese::ConversionPreview> Preview(const document::SubtitleDocument& document,
                                                   const ChineseRequest& request,
                                                   const ports::MessageSource& messages,
                                                   ports::EventPump& pump);

 private:
  chinese::ConverterSet converters_;
  std::string missing_file_;  // the first configuration file not found; empty when all are
};

// Writes a preview's changes into the role's table as edits: ChineseConversion's counterpart of
// confirming a review (see chinese::ApplyConversion).
chinese::ApplyOutcome ApplyChineseConversion(document::SubtitleDocument& document,
                                             document::Role role,
                                             const std::vector<chinese::RowChange>& changes);

// The summary of a preview: 1457, the number of changed rows, 1460; or 1496 when none changes.
std::string ChineseSummaryText(const chinese::ConversionPreview& preview,
                               const ports::MessageSource& messages);

// One GBK line per kept character (1463, row number, 1466, the character, 1469, its code
// points, 1472) and per row left unconverted for bytes that are not GBK (1463, number, 1475), in
// row order.
std::vector<std::string> ChineseReportLines(const chinese::ConversionPreview& preview,
                                            const ports::MessageSource& messages);

// The message after writing when rows were left alone because they changed since the preview:
// 1493 and their numbers; empty when none was.
std::string ChineseSkippedText(const chinese::ApplyOutcome& outcome,
                               const document::SubtitleDocument& document, document::Role role,
                               const ports::MessageSource& messages);

}  // namespace app
