// Rendering and writing generated picture films.
#include "film_generator.h"

#include <QFontDatabase>
#include <QPainter>
#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/qt_picture.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace film {
namespace {

constexpr char kDefaultFont[] = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";

std::string ToGbk(const std::string& utf8) {
  return text::Utf8ToGbk(utf8).text;
}

// The UTF-8 characters of a line.
std::vector<std::string> SplitCharacters(const std::string& utf8) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    characters.push_back(utf8.substr(i, length));
    i += length;
  }
  return characters;
}

bool IsInk(QRgb pixel) {
  return qGray(pixel) < 128;
}

std::string SrtTime(int milliseconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d,%03d", milliseconds / 3600000,
                milliseconds / 60000 % 60, milliseconds / 1000 % 60, milliseconds % 1000);
  return buffer;
}

}  // namespace

Generator::Generator(int font_pixels, std::uint32_t seed, const std::filesystem::path& font_file)
    : font_pixels_(font_pixels), random_(seed) {
  const std::string path = font_file.empty() ? kDefaultFont : font_file.string();
  const int id = QFontDatabase::addApplicationFont(QString::fromStdString(path));
  const QStringList families = QFontDatabase::applicationFontFamilies(id);
  if (id < 0 || families.isEmpty()) {
    error_ = "cannot load the font " + path;
    return;
  }
  // Latin letters and digits from DejaVu Sans, everything else from the CJK font.
  font_ = QFont();
  font_.setFamilies({QStringLiteral("DejaVu Sans"), families.front()});
  font_.setPixelSize(font_pixels);
  auto lines = text::ReadLines(FILM_CHARACTERS_FILE);
  if (!lines.ok() || lines.value().size() < 4) {
    error_ = "cannot read " FILM_CHARACTERS_FILE;
    return;
  }
  chinese_ = SplitCharacters(lines.value()[1]);
  punctuation_ = SplitCharacters(lines.value()[2]);
  const std::string& latin = lines.value()[3];
  for (std::size_t start = 0; start < latin.size();) {
    const std::size_t end = std::min(latin.find(' ', start), latin.size());
    latin_.push_back(latin.substr(start, end - start));
    start = end + 1;
  }
}

Generator::InkSpan Generator::InkOf(const QString& glyph) {
  const auto found = ink_.find(glyph);
  if (found != ink_.end()) {
    return found->second;
  }
  // Drawn alone at pen x = 2 * size; rendering is the same at every whole-pixel pen position.
  const int pen = font_pixels_ * 2;
  QImage scratch(font_pixels_ * 5, font_pixels_ * 3, QImage::Format_RGB32);
  scratch.fill(Qt::white);
  {
    QPainter painter(&scratch);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    painter.drawText(pen, font_pixels_ * 2, glyph);
  }
  InkSpan span{scratch.width(), -1};
  for (int y = 0; y < scratch.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
    for (int x = 0; x < scratch.width(); ++x) {
      if (IsInk(row[x])) {
        span.left = std::min(span.left, x - pen);
        span.right = std::max(span.right, x - pen);
      }
    }
  }
  ink_[glyph] = span;
  return span;
}

std::vector<std::string> Generator::RandomChunk(int min_length, int max_length) {
  std::uniform_int_distribution<int> length(min_length, max_length);
  std::uniform_int_distribution<std::size_t> pick(0, chinese_.size() - 1);
  std::vector<std::string> chunk;
  const int n = length(random_);
  for (int i = 0; i < n; ++i) {
    chunk.push_back(chinese_[pick(random_)]);
  }
  return chunk;
}

std::vector<SubtitleLines> Generator::CoveringTexts(int repeats) {
  std::vector<SubtitleLines> entries;
  std::uniform_int_distribution<int> length(3, 7);
  std::uniform_int_distribution<int> coin(0, 3);
  for (int round = 0; round < repeats; ++round) {
    std::vector<std::string> order = chinese_;
    std::shuffle(order.begin(), order.end(), random_);
    std::size_t next = 0;
    std::size_t next_punctuation = 0;
    std::size_t next_latin = 0;
    while (next < order.size()) {
      SubtitleLines lines(coin(random_) == 0 ? 2 : 1);
      for (auto& line : lines) {
        const int chunks = 1 + coin(random_) % 2;
        for (int c = 0; c < chunks && next < order.size(); ++c) {
          std::string chunk;
          const int n = length(random_);
          for (int i = 0; i < n && next < order.size(); ++i) {
            chunk += order[next++];
          }
          if (next_punctuation < punctuation_.size() * (round + 1) && coin(random_) == 0) {
            chunk += punctuation_[next_punctuation++ % punctuation_.size()];
          }
          line.push_back(chunk);
        }
        if (next_latin < latin_.size() * (round + 1) && coin(random_) == 0) {
          line.push_back(latin_[next_latin++ % latin_.size()]);
        }
      }
      entries.push_back(lines);
    }
    // Every Latin chunk and punctuation mark at least once per round.
    while (next_latin < latin_.size() * (round + 1) ||
           next_punctuation < punctuation_.size() * (round + 1)) {
      SubtitleLines lines(1);
      lines[0].push_back(order[next_latin % order.size()] +
                         punctuation_[next_punctuation++ % punctuation_.size()]);
      lines[0].push_back(latin_[next_latin++ % latin_.size()]);
      entries.push_back(lines);
    }
  }
  return entries;
}

std::vector<SubtitleLines> Generator::RandomTexts(int count) {
  std::vector<SubtitleLines> entries;
  std::uniform_int_distribution<int> coin(0, 3);
  std::uniform_int_distribution<std::size_t> punctuation(0, punctuation_.size() - 1);
  std::uniform_int_distribution<std::size_t> latin(0, latin_.size() - 1);
  for (int e = 0; e < count; ++e) {
    SubtitleLines lines(coin(random_) < 2 ? 2 : 1);
    for (auto& line : lines) {
      const int chunks = 1 + coin(random_) % 2;
      for (int c = 0; c < chunks; ++c) {
        std::string chunk;
        for (const auto& character : RandomChunk(2, 6)) {
          chunk += character;
        }
        if (coin(random_) == 0) {
          chunk += punctuation_[punctuation(random_)];
        }
        line.push_back(chunk);
      }
      if (coin(random_) == 0) {
        line.push_back(latin_[latin(random_)]);
      }
    }
    entries.push_back(lines);
  }
  return entries;
}

QImage Generator::Render(const SubtitleLines& lines, PictureTruth& truth, int width,
                         QRgb background, bool frame_line) {
  truth = {};
  const int line_pitch = font_pixels_ * 3 / 2;
  const int margin = font_pixels_ / 2;
  const int height = margin * 2 + line_pitch * static_cast<int>(lines.size()) + 2;
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font_);
  painter.setPen(Qt::black);
  const QFontMetrics metrics(font_);
  const int chunk_gap = font_pixels_ * 3 / 4;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    // Glyph by glyph, at whole-pixel pen positions, so each glyph's ink is known exactly.
    std::vector<std::vector<QString>> chunks;
    int line_width = 0;
    for (const auto& chunk : lines[l]) {
      chunks.emplace_back();
      for (const auto& character : SplitCharacters(chunk)) {
        const QString glyph = QString::fromUtf8(character.c_str());
        chunks.back().push_back(glyph);
        line_width += metrics.horizontalAdvance(glyph);
      }
    }
    line_width += chunk_gap * (static_cast<int>(chunks.size()) - 1);
    int pen = std::max((width - line_width) / 2, 2);
    const int baseline = margin + line_pitch * static_cast<int>(l) + font_pixels_;
    truth.line_rows.emplace_back(baseline - font_pixels_ - 2, baseline + font_pixels_ / 3);
    if (l > 0) {
      truth.text += "\\N";
    }
    int last_ink_right = 0;
    for (std::size_t c = 0; c < chunks.size(); ++c) {
      if (c > 0) {
        // Chunks are `chunk_gap` empty columns apart, whatever the glyphs' side bearings.
        pen = last_ink_right + 1 + chunk_gap - InkOf(chunks[c].front()).left;
        truth.text += "   ";
      }
      for (const QString& glyph : chunks[c]) {
        painter.drawText(pen, baseline, glyph);
        const InkSpan ink = InkOf(glyph);
        const std::string gbk = ToGbk(glyph.toStdString());
        truth.text += gbk;
        truth.glyphs.push_back({gbk, static_cast<int>(l), pen + ink.left, pen + ink.right});
        last_ink_right = pen + ink.right;
        pen += metrics.horizontalAdvance(glyph);
      }
    }
  }
  painter.end();
  // Thresholded: ink is exactly black, everything else the background colour.
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      row[x] = IsInk(row[x]) ? qRgb(0, 0, 0) : background;
    }
  }
  if (frame_line) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(height - 1));
    std::fill(row, row + width, qRgb(0, 0, 0));
  }
  return image;
}

text::Result<std::vector<PictureTruth>> Generator::WriteFilm(
    const std::filesystem::path& folder, const std::vector<SubtitleLines>& entries, int width,
    const std::string& srt_name, const std::vector<BitDepth>& depths) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::vector<PictureTruth> truths;
  text::Lines srt;
  text::Lines texts;
  text::Lines reference;  // the true texts as a text subtitle with the same times
  for (std::size_t i = 0; i < entries.size(); ++i) {
    PictureTruth truth;
    QImage image = Render(entries[i], truth, width);
    switch (depths[i % depths.size()]) {
      case BitDepth::kRgb24:
        image = image.convertToFormat(QImage::Format_RGB888);
        break;
      case BitDepth::kIndexed8:
        image = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        break;
      case BitDepth::kMono:
        image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        break;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%04zu.bmp", i + 1);
    if (!image.save(QString::fromStdString((folder / name).string()), "BMP")) {
      return text::Error{"io", "cannot write " + (folder / name).string()};
    }
    const int start = static_cast<int>(i) * 3000 + 1000;
    srt.push_back(std::to_string(i + 1));
    srt.push_back(SrtTime(start) + " --> " + SrtTime(start + 2500));
    srt.push_back(name);
    srt.push_back("");
    reference.push_back(std::to_string(i + 1));
    reference.push_back(srt[srt.size() - 3]);
    for (std::size_t from = 0;;) {
      const std::size_t at = truth.text.find("\\N", from);
      reference.push_back(truth.text.substr(from, at == std::string::npos ? at : at - from));
      if (at == std::string::npos) {
        break;
      }
      from = at + 2;
    }
    reference.push_back("");
    texts.push_back(truth.text);
    truths.push_back(std::move(truth));
  }
  if (auto written = text::WriteLines(folder / srt_name, srt); !written.ok()) {
    return written.error();
  }
  if (auto written = text::WriteLines(folder / "truth.txt", texts); !written.ok()) {
    return written.error();
  }
  if (auto written = text::WriteLines(folder / "reference.srt", reference); !written.ok()) {
    return written.error();
  }
  return truths;
}

double CharacterAccuracy(const std::string& truth, const std::string& read) {
  auto characters = [](const std::string& gbk) {
    std::vector<std::string> result;
    for (std::size_t i = 0; i < gbk.size();) {
      const std::size_t length =
          static_cast<unsigned char>(gbk[i]) >= 0x80 && i + 1 < gbk.size() ? 2 : 1;
      result.push_back(gbk.substr(i, length));
      i += length;
    }
    return result;
  };
  const auto a = characters(truth);
  const auto b = characters(read);
  std::vector<int> previous(b.size() + 1);
  std::vector<int> current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) {
    previous[j] = static_cast<int>(j);
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      current[j] = std::min(
          {previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
    }
    std::swap(previous, current);
  }
  if (a.empty()) {
    return b.empty() ? 1.0 : 0.0;
  }
  return 1.0 - static_cast<double>(previous[b.size()]) / static_cast<double>(a.size());
}

void FilmTeacher::Teach(ocr::TeachingSession& session) {
  const int row = recogniser_.CurrentRow();
  if (row < 1 || row > static_cast<int>(truths_.size())) {
    session.Skip();
    ++skipped;
    return;
  }
  const PictureTruth& truth = truths_[row - 1];
  for (int attempt = 0; attempt < 12 && session.IsOpen(); ++attempt) {
    const ocr::GlyphBox box = session.Box();
    const int picture_top = box.top + recogniser_.Grid().TopOffset();
    int line = 0;
    for (std::size_t l = 0; l < truth.line_rows.size(); ++l) {
      if (picture_top >= truth.line_rows[l].first - 4) {
        line = static_cast<int>(l);
      }
    }
    const int right = box.left + box.width - 1;
    std::string text;
    int last_ink_right = -1;
    for (const PlacedGlyph& glyph : truth.glyphs) {
      if (glyph.line == line && glyph.ink_right >= box.left && glyph.ink_left <= right) {
        text += glyph.text;
        last_ink_right = glyph.ink_right;
      }
    }
    if (text.empty()) {
      session.Skip();
      ++skipped;
      return;
    }
    if (right < last_ink_right) {
      session.Expand();
      if (session.IsOpen() && session.Box().width != box.width) {
        continue;
      }
      if (!session.IsOpen()) {
        return;
      }
    }
    if (session.Save(text).ok() && !session.IsOpen()) {
      ++saved;
      return;
    }
  }
  if (session.IsOpen()) {
    session.Skip();
    ++skipped;
  }
}

}  // namespace film
