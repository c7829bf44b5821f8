// Resolving picture names against the subtitle's folder.
#include "document/picture_files.h"

#include <system_error>

#include "text/gbk.h"
#include "text/line_file.h"

namespace document {

bool NameStaysInside(std::string_view name) {
  if (!name.empty() && name.front() == '/') {
    return false;
  }
  // Walked step by step between the slashes; "." and empty steps stay where they are.
  int depth = 0;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) {
      end = name.size();
    }
    const std::string_view step = name.substr(start, end - start);
    if (step == "..") {
      if (--depth < 0) {
        return false;
      }
    } else if (!step.empty() && step != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return true;
}

bool PictureNameAllowed(const SubtitleDocument& document, std::string_view name) {
  return document.pictures_outside_allowed || NameStaysInside(name);
}

PictureLocation LocatePicture(const std::filesystem::path& folder, const std::string& name) {
  PictureLocation location;
  if (name.empty()) {
    return location;
  }
  if (!text::HasNonAscii(name)) {
    location.path = folder / name;
    location.inside = NameStaysInside(name);
    return location;
  }
  // The file system holds UTF-8 names; a file saved under the GBK bytes themselves (an older
  // copy made by a program that wrote them as they were) is still found.
  const std::string converted = text::GbkToUtf8(name).text;
  location.path = folder / converted;
  location.inside = NameStaysInside(name);
  std::error_code error;
  if (!std::filesystem::exists(location.path, error)) {
    const auto raw = folder / name;
    if (std::filesystem::exists(raw, error)) {
      location.path = raw;
    }
  }
  return location;
}

text::Result<std::filesystem::path> PictureFile(const SubtitleDocument& document,
                                                const std::string& name) {
  PictureLocation location = LocatePicture(document.picture_folder, name);
  if (!location.inside && !document.pictures_outside_allowed) {
    return text::Error{"outside", text::GbkToUtf8(name).text +
                                      ": the picture lies outside the subtitle's folder " +
                                      text::PathForMessage(document.picture_folder)};
  }
  return std::move(location.path);
}

std::vector<int> RowsWithPicturesOutside(const SubtitleDocument& document) {
  std::vector<int> rows;
  if (document.pictures_outside_allowed) {
    return rows;
  }
  const RowTable& table = document.main;
  for (int row = 1; row < table.RowCount(); ++row) {
    const std::string& name = table.Cell(kPicture, row);
    // Outside or not depends on the name alone, so the disk is not asked.
    if (!name.empty() && !NameStaysInside(name)) {
      rows.push_back(row);
    }
  }
  return rows;
}

std::string DescribePictureRows(const SubtitleDocument& document, const std::vector<int>& rows,
                                std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < rows.size() && i < limit; ++i) {
    out += (i > 0 ? ", " : "") + std::to_string(rows[i]) + " (" +
           document.main.Cell(kPicture, rows[i]) + ")";
  }
  if (rows.size() > limit) {
    out += ", ...";
  }
  return out;
}

}  // namespace document
