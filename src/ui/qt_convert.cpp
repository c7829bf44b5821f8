// GBK and path conversions between the core and Qt, over text::GbkToUtf8 and text::Utf8ToGbk.
#include "ui/qt_convert.h"

#include <QFile>

#include "text/gbk.h"

namespace ui {

QString ToQString(std::string_view gbk) {
  if (!text::HasNonAscii(gbk)) {
    return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
  }
  const text::Converted utf8 = text::GbkToUtf8(gbk);
  return QString::fromUtf8(utf8.text.data(), static_cast<qsizetype>(utf8.text.size()));
}

text::Result<std::string> ToGbk(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  text::Converted gbk = text::Utf8ToGbk(std::string_view(utf8.constData(), utf8.size()));
  if (gbk.replaced == 0) {
    return std::move(gbk.text);
  }
  // Find the first character GBK cannot hold, to name it in the refusal.
  QString culprit;
  for (const uint code_point : text.toUcs4()) {
    const QByteArray one =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(&code_point), 1).toUtf8();
    if (text::Utf8ToGbk(std::string_view(one.constData(), one.size())).replaced > 0) {
      culprit = QStringLiteral("U+%1").arg(code_point, 4, 16, QLatin1Char('0')).toUpper();
      break;
    }
  }
  // "GBK 编码不能保存字符 U+xxxx，请换一个字符。(GBK cannot hold character U+xxxx.)"
  std::string message = "GBK \xB1\xE0\xC2\xEB\xB2\xBB\xC4\xDC\xB1\xA3\xB4\xE6\xD7\xD6\xB7\xFB ";
  message += culprit.toStdString();
  message += "\xA3\xAC\xC7\xEB\xBB\xBB\xD2\xBB\xB8\xF6\xD7\xD6\xB7\xFB\xA1\xA3";
  message += " (GBK cannot hold character " + culprit.toStdString() + ".)";
  return text::Error{"gbk", message, 0};
}

std::filesystem::path PathFromQString(const QString& file_name) {
  const QByteArray bytes = QFile::encodeName(file_name);
  return std::filesystem::path(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QString PathToQString(const std::filesystem::path& path) {
  const std::string& native = path.native();
  return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

}  // namespace ui
