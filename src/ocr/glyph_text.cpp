// Classification of glyph texts by their GBK bytes.
#include "ocr/glyph_text.h"

namespace ocr {
namespace {

// GBK row of a two-byte character: the lead byte. Rows A1 (symbols and punctuation) and A3
// (full-width ASCII forms) hold the marks; B0..F7 and the extension rows hold ideographs.
bool IsPunctuationCharacter(unsigned char lead, unsigned char trail) {
  if (lead == 0xA1) {
    // A1A2 、 .. A1BF 】: punctuation; from A1C0 on the row holds mathematical signs, and A1A1
    // is the ideographic space.
    return trail >= 0xA2 && trail <= 0xBF;
  }
  if (lead == 0xA3) {
    const bool digit = trail >= 0xB0 && trail <= 0xB9;
    const bool letter = (trail >= 0xC1 && trail <= 0xDA) || (trail >= 0xE1 && trail <= 0xFA);
    return trail >= 0xA1 && trail <= 0xFE && !digit && !letter;
  }
  return false;
}

}  // namespace

bool IsFullWidthPunctuation(std::string_view text) {
  if (text.empty() || text.size() % 2 != 0) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (!IsPunctuationCharacter(lead, trail)) {
      return false;
    }
  }
  return true;
}

bool IsIdeograph(std::string_view text) {
  if (text.size() != 2) {
    return false;
  }
  const auto lead = static_cast<unsigned char>(text[0]);
  const auto trail = static_cast<unsigned char>(text[1]);
  if (trail < 0x40 || trail == 0x7F || trail == 0xFF) {
    return false;
  }
  // GB2312 ideographs B0A1..F7FE; GBK's extensions 8140..A0FE and AA40..FEA0.
  if ((lead >= 0xB0 && lead <= 0xF7) || (lead >= 0x81 && lead <= 0xA0)) {
    return true;
  }
  return lead >= 0xAA && lead <= 0xFE && trail <= 0xA0;
}

const std::vector<std::string>& TeachingPunctuation() {
  static const std::vector<std::string> kMarks = {
      "\xA3\xAC" /* ， */, "\xA1\xA3" /* 。 */, "\xA3\xA1" /* ！ */, "\xA3\xBF" /* ？ */,
      "\xA3\xBA" /* ： */, "\xA3\xBB" /* ； */, "\xA1\xA2" /* 、 */, "\xA1\xB0" /* “ */,
      "\xA1\xB1" /* ” */,  "\xA1\xAE" /* ‘ */,  "\xA1\xAF" /* ’ */,  "\xA1\xAD" /* … */,
      "\xA1\xAA" /* — */,  "\xA1\xB6" /* 《 */, "\xA1\xB7" /* 》 */};
  return kMarks;
}

}  // namespace ocr
